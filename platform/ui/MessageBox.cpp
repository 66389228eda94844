// The message box dialog.
#include "platform/ui/MessageBox.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/core/MessageLoop.h"
#include "platform/ui/Button.h"
#include "platform/ui/Dialog.h"
#include "platform/ui/Static.h"

namespace kiv {
namespace ui {
namespace {

// Asks the box to consult the test answerer once it is shown.
constexpr UINT WM_KIV_ASKANSWERER = WM_KIVLAYER_FIRST + 0x120;
constexpr int kTextId = 0xFFFF;
constexpr int kMargin = 14;
constexpr int kIconSize = 32;
constexpr int kButtonWidth = 76;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 8;
constexpr int kMaxTextWidth = 420;

std::mutex g_mutex;
std::string g_title;
MessageBoxAnswerer g_answerer;

struct ButtonInfo {
  int id;
  const char* label;
};

std::vector<ButtonInfo> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, "确定"}, {IDCANCEL, "取消"}};
    case MB_YESNO: return {{IDYES, "是(&Y)"}, {IDNO, "否(&N)"}};
    case MB_YESNOCANCEL: return {{IDYES, "是(&Y)"}, {IDNO, "否(&N)"}, {IDCANCEL, "取消"}};
    default: return {{IDOK, "确定"}};
  }
}

// Button captions keep the '&' of their accelerators out of sight.
std::string Shown(const char* label) {
  std::string s;
  for (const char* p = label; *p; ++p) {
    if (*p != '&') s += *p;
  }
  return s;
}

class CMessageBoxDialog : public CDialog {
 public:
  CMessageBoxDialog(const MessageBoxRequest& request, CWnd* owner)
      : CDialog(Template(request), owner), request_(request), buttons_(ButtonsOf(request.type)) {}

 protected:
  static DialogTemplate Template(const MessageBoxRequest& request) {
    DialogTemplate t;
    t.style = WS_POPUP | DS_CENTER | DS_MODALFRAME;
    if (request.type & (MB_TOPMOST | MB_SYSTEMMODAL)) t.exStyle |= WS_EX_TOPMOST;
    t.caption = request.caption;
    t.rect = CRect(0, 0, 100, 40);  // laid out in pixels once the text is measured
    return t;
  }

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    bool icon = (request_.type & MB_ICONMASK) != 0;
    // Measure the text in the dialog's font, wrapped at the widest line a
    // box allows.
    CRect textRect(0, 0, kMaxTextWidth, 0);
    {
      CClientDC dc(this);
      CFont* old = dc.SelectObject(GetFont());
      dc.DrawText(request_.text, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
      dc.SelectObject(old);
    }
    int n = static_cast<int>(buttons_.size());
    int buttonsWidth = n * kButtonWidth + (n - 1) * kButtonGap;
    int textLeft = kMargin + (icon ? kIconSize + kMargin : 0);
    int width = std::max(textLeft + textRect.Width() + kMargin, buttonsWidth + 2 * kMargin);
    int top = kMargin + (request_.caption.empty() ? 0 : kCaptionHeight);
    int bodyHeight = std::max(textRect.Height(), icon ? kIconSize : 0);
    int height = top + bodyHeight + kMargin + kButtonHeight + kMargin;
    // Placed again now that the size is known.
    CRect area;
    if (CWnd* owner = GetParent()) {
      owner->GetWindowRect(&area);
    } else {
      ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    }
    MoveWindow(area.left + (area.Width() - width) / 2, area.top + (area.Height() - height) / 2, width, height);
    iconRect_ = CRect(kMargin, top, kMargin + kIconSize, top + kIconSize);

    text_.Create(request_.text.c_str(), WS_VISIBLE | SS_LEFT,
                 CRect(textLeft, top + (bodyHeight - textRect.Height()) / 2, textLeft + textRect.Width() + 1,
                       top + (bodyHeight + textRect.Height()) / 2 + 1),
                 this, kTextId);
    text_.SetFont(GetFont(), FALSE);
    int defIndex = static_cast<int>((request_.type & MB_DEFMASK) >> 8);
    if (defIndex >= n) defIndex = 0;
    int x = (width - buttonsWidth) / 2;
    int y = height - kMargin - kButtonHeight;
    for (int i = 0; i < n; ++i) {
      auto button = std::make_unique<CButton>();
      DWORD style = WS_VISIBLE | WS_TABSTOP | (i == defIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
      button->Create(Shown(buttons_[i].label).c_str(), style, CRect(x, y, x + kButtonWidth, y + kButtonHeight), this,
                     static_cast<UINT>(buttons_[i].id));
      button->SetFont(GetFont(), FALSE);
      x += kButtonWidth + kButtonGap;
      owned_.push_back(std::move(button));
    }
    SetDefID(static_cast<UINT>(buttons_[static_cast<size_t>(defIndex)].id));
    owned_[static_cast<size_t>(defIndex)]->SetFocus();
    PostMessage(WM_KIV_ASKANSWERER);
    return FALSE;  // the focus is set
  }

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_KIV_ASKANSWERER) {
      MessageBoxAnswerer answerer;
      {
        std::lock_guard<std::mutex> lock(g_mutex);
        answerer = g_answerer;
      }
      if (answerer) {
        MessageBoxRequest shown = request_;
        shown.box = m_hWnd;
        int answer = answerer(shown);
        if (answer) EndDialog(answer);
      }
      return 0;
    }
    return CDialog::WindowProc(msg, wParam, lParam);
  }

  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    int id = LOWORD(wParam);
    if (HIWORD(wParam) != BN_CLICKED) return CDialog::OnCommand(wParam, lParam);
    if (id == IDCANCEL) {
      // Esc and closing: Cancel where the box has it, OK in an OK-only box.
      int answer = CancelAnswer();
      if (answer) EndDialog(answer);
      return TRUE;
    }
    for (const auto& b : buttons_) {
      if (b.id == id) {
        EndDialog(id);
        return TRUE;
      }
    }
    return TRUE;
  }

  void OnClose() override {
    int answer = CancelAnswer();
    if (answer) EndDialog(answer);
  }

  void OnPaint() override {
    CPaintDC dc(this);
    if (!request_.caption.empty()) {
      CRect bar(0, 0, 0, kCaptionHeight);
      CRect client;
      GetClientRect(&client);
      bar.right = client.right;
      dc.FillSolidRect(&bar, kButtonFace);
      dc.SelectObject(GetFont());
      dc.SetTextColor(kText);
      dc.SetBkMode(TRANSPARENT);
      CRect textBar = bar;
      textBar.left += 8;
      dc.DrawText(request_.caption, &textBar, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      CRect frame = client;
      dc.Draw3dRect(&frame, kFrame, kFrame);
    }
    UINT icon = request_.type & MB_ICONMASK;
    if (!icon) return;
    COLORREF color = icon == MB_ICONHAND ? RGB(0xD0, 0x30, 0x30)
                     : icon == MB_ICONQUESTION ? RGB(0x30, 0x70, 0xD0)
                     : icon == MB_ICONEXCLAMATION ? RGB(0xE0, 0xB0, 0x20)
                                                  : RGB(0x30, 0x70, 0xD0);
    const char* glyph = icon == MB_ICONHAND ? "X" : icon == MB_ICONQUESTION ? "?" : icon == MB_ICONEXCLAMATION ? "!" : "i";
    CBrush brush(color);
    CPen pen(PS_SOLID, 1, color);
    CBrush* oldBrush = dc.SelectObject(&brush);
    CPen* oldPen = dc.SelectObject(&pen);
    dc.Ellipse(&iconRect_);
    dc.SelectObject(oldBrush);
    dc.SelectObject(oldPen);
    CFont bold;
    bold.CreateFont(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "黑体");
    CFont* oldFont = dc.SelectObject(&bold);
    dc.SetTextColor(RGB(0xFF, 0xFF, 0xFF));
    dc.SetBkMode(TRANSPARENT);
    CRect r = iconRect_;
    dc.DrawText(glyph, -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    dc.SelectObject(oldFont);
  }

 private:
  static constexpr int kCaptionHeight = 24;

  int CancelAnswer() const {
    switch (request_.type & MB_TYPEMASK) {
      case MB_OK: return IDOK;
      case MB_YESNO: return 0;
      default: return IDCANCEL;
    }
  }

  MessageBoxRequest request_;
  std::vector<ButtonInfo> buttons_;
  CStatic text_;
  std::vector<std::unique_ptr<CButton>> owned_;
  CRect iconRect_;
};

int ShowBox(MessageBoxRequest request) {
  if (!request.owner || !::IsWindow(request.owner)) request.owner = ::GetActiveWindow();
  CWnd* owner = request.owner ? CWnd::FromHandle(::GetAncestor(request.owner, GA_ROOT)) : nullptr;
  CMessageBoxDialog box(request, owner);
  INT_PTR answer = box.DoModal();
  return answer > 0 ? static_cast<int>(answer) : 0;
}

}  // namespace

void SetMessageBoxTitle(const std::string& gbkTitle) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_title = gbkTitle;
}

void SetMessageBoxAnswererForTesting(MessageBoxAnswerer answerer) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_answerer = std::move(answerer);
}

}  // namespace ui
}  // namespace kiv

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  kiv::ui::MessageBoxRequest request;
  request.owner = owner;
  request.text = text ? text : "";
  request.caption = caption ? caption : "错误";
  request.type = type;
  // Shown by the UI thread; a worker waits here for the answer.
  return static_cast<int>(kiv::CallOnUiThread([request]() -> LRESULT { return kiv::ui::ShowBox(request); }));
}

int AfxMessageBox(LPCSTR text, UINT type, UINT) {
  std::string title;
  {
    std::lock_guard<std::mutex> lock(kiv::ui::g_mutex);
    title = kiv::ui::g_title;
  }
  return MessageBoxA(nullptr, text, title.c_str(), type);
}

int AfxMessageBox(const std::string& text, UINT type, UINT helpId) { return AfxMessageBox(text.c_str(), type, helpId); }
