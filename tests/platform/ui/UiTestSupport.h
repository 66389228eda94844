// What is shared by the dialog and control tests: a dialog whose hooks the
// test fills in, and a template builder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Dialog.h"
#include "tests/platform/core/WindowTestSupport.h"

namespace kiv {
namespace test {

class HookDialog : public CDialog {
 public:
  explicit HookDialog(const ui::DialogTemplate& t, CWnd* parent = nullptr) : CDialog(t, parent) {}
  using CDialog::CDialog;

  std::function<void(HookDialog&)> onInit;
  std::function<void(CDataExchange*)> exchange;
  std::function<HBRUSH(CWnd*, UINT)> ctlColor;
  // Consulted first for WM_COMMAND; true means handled.
  std::function<bool(int id, int code)> onCommand;
  std::vector<std::pair<int, int>> commands;  // (id, code) in arrival order

 protected:
  BOOL OnInitDialog() override {
    BOOL r = CDialog::OnInitDialog();
    if (onInit) onInit(*this);
    return r;
  }
  void DoDataExchange(CDataExchange* dx) override {
    if (exchange) exchange(dx);
  }
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
    if (onCommand && onCommand(LOWORD(wParam), HIWORD(wParam))) return TRUE;
    return CDialog::OnCommand(wParam, lParam);
  }
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT kind) override {
    if (ctlColor) {
      if (HBRUSH b = ctlColor(wnd, kind)) return b;
    }
    return CDialog::OnCtlColor(dc, wnd, kind);
  }
};

// A centred dialog, 9-point template font, with the given controls.
inline ui::DialogTemplate MakeTemplate(std::vector<ui::DialogItem> items, CRect rect = CRect(0, 0, 160, 90)) {
  ui::DialogTemplate t;
  t.style = WS_POPUP | DS_CENTER;
  t.rect = rect;
  t.caption = "test";
  t.items = std::move(items);
  return t;
}

inline ui::DialogItem Item(int id, const char* cls, const char* text, DWORD style, CRect rect) {
  ui::DialogItem i;
  i.id = id;
  i.className = cls;
  i.text = text;
  i.style = style | WS_VISIBLE;
  i.rect = rect;
  return i;
}

inline CPoint CenterOnScreen(HWND hwnd) {
  CRect r;
  ::GetWindowRect(hwnd, &r);
  return CPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

}  // namespace test
}  // namespace kiv
