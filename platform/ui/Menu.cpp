// Menus and the pop-up menu window.
#include "platform/ui/Menu.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/core/MessageLoop.h"
#include "platform/gdi/GdiObject.h"
#include "platform/gdi/Resources.h"
#include "platform/ui/UiTypes.h"

struct HMENU__ {
  struct Item {
    UINT flags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_POPUP, MF_SEPARATOR
    UINT id = 0;
    std::string text;
    HMENU sub = nullptr;
  };
  std::vector<Item> items;
  std::unique_ptr<CMenu> wrapper;  // FromHandle's object, not owning
};

namespace {

std::mutex g_mutex;
std::set<HMENU>& Live() {
  static std::set<HMENU> live;
  return live;
}
kiv::ui::PopupMenuAnswerer g_answerer;

HMENU__* Data(HMENU menu) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Live().count(menu) ? menu : nullptr;
}

HMENU NewMenu() {
  auto* m = new HMENU__;
  std::lock_guard<std::mutex> lock(g_mutex);
  Live().insert(m);
  return m;
}

// The item named by position or by command id (searched through sub-menus,
// as the window system does); null when there is none.
HMENU__::Item* Find(HMENU menu, UINT item, UINT flags, HMENU* holder = nullptr, size_t* index = nullptr) {
  HMENU__* m = Data(menu);
  if (!m) return nullptr;
  if (flags & MF_BYPOSITION) {
    if (item >= m->items.size()) return nullptr;
    if (holder) *holder = menu;
    if (index) *index = item;
    return &m->items[item];
  }
  for (size_t i = 0; i < m->items.size(); ++i) {
    auto& it = m->items[i];
    if (it.flags & MF_POPUP) {
      if (auto* found = Find(it.sub, item, flags, holder, index)) return found;
    } else if (!(it.flags & MF_SEPARATOR) && it.id == item) {
      if (holder) *holder = menu;
      if (index) *index = i;
      return &it;
    }
  }
  return nullptr;
}

HMENU__::Item MakeItem(UINT flags, UINT_PTR id, LPCSTR text) {
  HMENU__::Item item;
  item.flags = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_POPUP | MF_SEPARATOR);
  if (flags & MF_POPUP) {
    item.sub = reinterpret_cast<HMENU>(id);
  } else {
    item.id = static_cast<UINT>(id);
  }
  if (text && !(flags & MF_SEPARATOR)) item.text = text;
  return item;
}

bool Selectable(const HMENU__::Item& item) {
  return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
}

}  // namespace

HMENU CreatePopupMenu() { return NewMenu(); }
HMENU CreateMenu() { return NewMenu(); }
BOOL IsMenu(HMENU menu) { return Data(menu) ? TRUE : FALSE; }

BOOL DestroyMenu(HMENU menu) {
  HMENU__* m = Data(menu);
  if (!m) return FALSE;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Live().erase(menu);
  }
  for (auto& item : m->items) {
    if (item.flags & MF_POPUP) DestroyMenu(item.sub);
  }
  if (m->wrapper) m->wrapper->m_hMenu = nullptr;
  delete m;
  return TRUE;
}

BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  HMENU__* m = Data(menu);
  if (!m || ((flags & MF_POPUP) && !Data(reinterpret_cast<HMENU>(id)))) return FALSE;
  m->items.push_back(MakeItem(flags, id, text));
  return TRUE;
}

BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
  HMENU__* m = Data(menu);
  if (!m || ((flags & MF_POPUP) && !Data(reinterpret_cast<HMENU>(id)))) return FALSE;
  HMENU holder = menu;
  size_t index = m->items.size();
  if (position != static_cast<UINT>(-1)) {
    if (!Find(menu, position, flags, &holder, &index)) {
      if (flags & MF_BYPOSITION) index = m->items.size();  // past the end appends
      else return FALSE;
    }
  }
  auto& items = holder->items;
  items.insert(items.begin() + static_cast<std::ptrdiff_t>(index), MakeItem(flags, id, text));
  return TRUE;
}

namespace {

BOOL Remove(HMENU menu, UINT position, UINT flags, bool destroySub) {
  HMENU holder = nullptr;
  size_t index = 0;
  if (!Find(menu, position, flags, &holder, &index)) return FALSE;
  HMENU sub = holder->items[index].sub;
  holder->items.erase(holder->items.begin() + static_cast<std::ptrdiff_t>(index));
  if (destroySub && sub) DestroyMenu(sub);
  return TRUE;
}

}  // namespace

BOOL DeleteMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, true); }
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, false); }

DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags) {
  auto* it = Find(menu, item, flags);
  if (!it) return static_cast<DWORD>(-1);
  DWORD old = it->flags & MF_CHECKED;
  it->flags = (it->flags & ~MF_CHECKED) | (flags & MF_CHECKED);
  return old;
}

UINT EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  auto* it = Find(menu, item, flags);
  if (!it) return static_cast<UINT>(-1);
  UINT old = it->flags & (MF_GRAYED | MF_DISABLED);
  it->flags = (it->flags & ~(MF_GRAYED | MF_DISABLED)) | (flags & (MF_GRAYED | MF_DISABLED));
  return old;
}

UINT GetMenuState(HMENU menu, UINT item, UINT flags) {
  auto* it = Find(menu, item, flags);
  return it ? it->flags : static_cast<UINT>(-1);
}

int GetMenuItemCount(HMENU menu) {
  HMENU__* m = Data(menu);
  return m ? static_cast<int>(m->items.size()) : -1;
}

UINT GetMenuItemID(HMENU menu, int position) {
  HMENU__* m = Data(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size())) return static_cast<UINT>(-1);
  const auto& it = m->items[static_cast<size_t>(position)];
  if (it.flags & MF_POPUP) return static_cast<UINT>(-1);
  return (it.flags & MF_SEPARATOR) ? 0 : it.id;
}

HMENU GetSubMenu(HMENU menu, int position) {
  HMENU__* m = Data(menu);
  if (!m || position < 0 || position >= static_cast<int>(m->items.size())) return nullptr;
  return m->items[static_cast<size_t>(position)].sub;
}

int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags) {
  auto* it = Find(menu, item, flags);
  if (!it) return 0;
  int n = static_cast<int>(it->text.size());
  if (!buffer || size <= 0) return n;
  n = std::min(n, size - 1);
  std::copy(it->text.begin(), it->text.begin() + n, buffer);
  buffer[n] = '\0';
  return n;
}

// --- The pop-up window -------------------------------------------------------

namespace {

constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 7;
constexpr int kTextLeft = 24;
constexpr int kTextRightPad = 28;
constexpr int kMinWidth = 100;

class MenuTracker;

// One shown level of a pop-up menu.
class CMenuPopupWnd : public CWnd {
 public:
  CMenuPopupWnd(MenuTracker* tracker, HMENU menu) : tracker_(tracker), menu_(menu) { font_.CreatePointFont(90, "宋体"); }
  HMENU Menu() const { return menu_; }
  int highlighted = -1;

  CSize Measure() {
    CDC dc;
    dc.CreateCompatibleDC(nullptr);
    CFont* old = dc.SelectObject(&font_);
    int width = kMinWidth, height = 2;
    for (const auto& item : Data(menu_)->items) {
      if (item.flags & MF_SEPARATOR) {
        height += kSeparatorHeight;
        continue;
      }
      width = std::max<int>(width, kTextLeft + dc.GetTextExtent(Label(item.text)).cx + kTextRightPad);
      height += kItemHeight;
    }
    dc.SelectObject(old);
    return CSize(width, height);
  }

  CRect ItemRect(int index) const {
    CRect client;
    const_cast<CMenuPopupWnd*>(this)->GetClientRect(&client);
    int y = 1;
    const auto& items = Data(menu_)->items;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
      int h = (items[static_cast<size_t>(i)].flags & MF_SEPARATOR) ? kSeparatorHeight : kItemHeight;
      if (i == index) return CRect(1, y, client.right - 1, y + h);
      y += h;
    }
    return CRect();
  }

  int ItemAt(CPoint client) const {
    int n = static_cast<int>(Data(menu_)->items.size());
    for (int i = 0; i < n; ++i) {
      if (ItemRect(i).PtInRect(client)) return i;
    }
    return -1;
  }

  // Menu text may carry '&' accelerator marks and a tab before a shortcut.
  static std::string Label(const std::string& text) {
    std::string s;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '&' && i + 1 < text.size() && text[i + 1] != '&') continue;
      s += text[i] == '\t' ? ' ' : text[i];
    }
    return s;
  }

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  BOOL OnEraseBkgnd(CDC*) override { return TRUE; }
  void OnPaint() override {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    dc.FillSolidRect(&client, kiv::ui::kButtonFace);
    dc.Draw3dRect(&client, kiv::ui::kFrame, kiv::ui::kFrame);
    dc.SelectObject(&font_);
    dc.SetBkMode(TRANSPARENT);
    const auto& items = Data(menu_)->items;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
      const auto& item = items[static_cast<size_t>(i)];
      CRect r = ItemRect(i);
      if (item.flags & MF_SEPARATOR) {
        dc.FillSolidRect(r.left + 4, r.top + r.Height() / 2, r.Width() - 8, 1, kiv::ui::kFrame);
        continue;
      }
      bool enabled = Selectable(item);
      if (i == highlighted && enabled) dc.FillSolidRect(&r, kiv::ui::kSelectionBack);
      COLORREF color = enabled ? (i == highlighted ? kiv::ui::kSelectionText : kiv::ui::kText) : kiv::ui::kGrayText;
      dc.SetTextColor(color);
      if (item.flags & MF_CHECKED) {
        // A check mark: two strokes.
        int cx = r.left + 8, cy = r.top + r.Height() / 2;
        CPen pen(PS_SOLID, 2, color);
        CPen* oldPen = dc.SelectObject(&pen);
        dc.MoveTo(cx, cy);
        dc.LineTo(cx + 3, cy + 3);
        dc.LineTo(cx + 9, cy - 4);
        dc.SelectObject(oldPen);
      }
      CRect text(r.left + kTextLeft, r.top, r.right - 12, r.bottom);
      dc.DrawText(Label(item.text), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
      if (item.flags & MF_POPUP) {
        CRect arrow(r.right - 14, r.top, r.right - 4, r.bottom);
        dc.DrawText(">", -1, &arrow, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
      }
    }
  }

 private:
  MenuTracker* tracker_;
  HMENU menu_;
  CFont font_;
};

// Runs one TrackPopupMenu: the levels shown, the mouse and the keys.
class MenuTracker {
 public:
  MenuTracker(HMENU menu, HWND owner) : root_(menu), owner_(owner) {}
  ~MenuTracker() {
    while (!levels_.empty()) CloseTop();
  }

  bool Open(HMENU menu, CPoint at, UINT flags) {
    auto popup = std::make_unique<CMenuPopupWnd>(this, menu);
    CSize size = popup->Measure();
    CRect screen;
    ::SystemParametersInfo(SPI_GETWORKAREA, 0, &screen, 0);
    int x = at.x, y = at.y;
    if (flags & TPM_RIGHTALIGN) x -= size.cx;
    else if (flags & TPM_CENTERALIGN) x -= size.cx / 2;
    if (flags & TPM_BOTTOMALIGN) y -= size.cy;
    else if (flags & TPM_VCENTERALIGN) y -= size.cy / 2;
    // Kept on the work area.
    x = std::max<int>(screen.left, std::min<int>(x, screen.right - size.cx));
    y = std::max<int>(screen.top, std::min<int>(y, screen.bottom - size.cy));
    if (!popup->CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP, CRect(CPoint(x, y), size), nullptr,
                         0)) {
      return false;
    }
    popup->ShowWindow(SW_SHOWNA);
    levels_.push_back(std::move(popup));
    ::SetCapture(levels_.back()->m_hWnd);
    return true;
  }

  void CloseTop() {
    if (levels_.empty()) return;
    levels_.back()->DestroyWindow();
    levels_.pop_back();
    if (!levels_.empty()) ::SetCapture(levels_.back()->m_hWnd);
  }

  HWND RootWindow() const { return levels_.empty() ? nullptr : levels_.front()->m_hWnd; }
  void End(int id) {
    if (ended_) return;
    ended_ = true;
    result_ = id;
    ::EndDialog(RootWindow(), id);
  }
  int Result() const { return result_; }
  bool Ended() const { return ended_; }

  // The level and item under a screen point; level -1 outside every level.
  std::pair<int, int> HitTest(CPoint screen) const {
    for (int l = static_cast<int>(levels_.size()) - 1; l >= 0; --l) {
      CRect r;
      levels_[static_cast<size_t>(l)]->GetWindowRect(&r);
      if (r.PtInRect(screen)) {
        CPoint client = screen;
        levels_[static_cast<size_t>(l)]->ScreenToClient(&client);
        return {l, levels_[static_cast<size_t>(l)]->ItemAt(client)};
      }
    }
    return {-1, -1};
  }

  void Highlight(int level, int item) {
    while (static_cast<int>(levels_.size()) > level + 1) {
      // Leaving a sub-menu's parent item closes it.
      if (levels_[static_cast<size_t>(level)]->highlighted == item) break;
      CloseTop();
    }
    auto& popup = *levels_[static_cast<size_t>(level)];
    if (popup.highlighted != item) {
      popup.highlighted = item;
      popup.Invalidate();
    }
  }

  // Opens the sub-menu of the highlighted item of the top level, if it has one.
  bool OpenSub() {
    auto& popup = *levels_.back();
    if (popup.highlighted < 0) return false;
    const auto& item = Data(popup.Menu())->items[static_cast<size_t>(popup.highlighted)];
    if (!(item.flags & MF_POPUP) || !Selectable(item) || !Data(item.sub)) return false;
    CRect r = popup.ItemRect(popup.highlighted);
    popup.ClientToScreen(&r);
    ::SendMessage(owner_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(item.sub), popup.highlighted);
    return Open(item.sub, CPoint(r.right, r.top), 0);
  }

  void Choose(int level, int index) {
    if (level < 0 || index < 0) return;
    const auto& item = Data(levels_[static_cast<size_t>(level)]->Menu())->items[static_cast<size_t>(index)];
    if (!Selectable(item)) return;
    if (item.flags & MF_POPUP) {
      Highlight(level, index);
      if (static_cast<int>(levels_.size()) == level + 1) OpenSub();
      return;
    }
    End(static_cast<int>(item.id));
  }

  void OnMouse(UINT msg, CPoint screen) {
    auto hit = HitTest(screen);
    switch (msg) {
      case WM_MOUSEMOVE:
        if (hit.first >= 0) {
          Highlight(hit.first, hit.second);
          if (hit.second >= 0 && hit.first == static_cast<int>(levels_.size()) - 1) OpenSub();
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
        if (hit.first < 0) End(0);  // a click elsewhere dismisses the menu
        break;
      case WM_LBUTTONUP:
      case WM_RBUTTONUP:
        if (hit.first >= 0 && (msg == WM_LBUTTONUP || (flags_ & TPM_RIGHTBUTTON))) Choose(hit.first, hit.second);
        break;
      default:
        break;
    }
  }

  void OnKey(UINT vk) {
    auto& popup = *levels_.back();
    const auto& items = Data(popup.Menu())->items;
    int n = static_cast<int>(items.size());
    switch (vk) {
      case VK_ESCAPE:
        if (levels_.size() > 1) CloseTop();
        else End(0);
        break;
      case VK_UP:
      case VK_DOWN: {
        int step = vk == VK_DOWN ? 1 : -1;
        int at = popup.highlighted;
        for (int tries = 0; tries < n; ++tries) {
          at = at < 0 ? (step > 0 ? 0 : n - 1) : (at + step + n) % n;
          if (Selectable(items[static_cast<size_t>(at)])) break;
        }
        if (n > 0) {
          popup.highlighted = at;
          popup.Invalidate();
        }
        break;
      }
      case VK_RIGHT:
        OpenSub();
        break;
      case VK_LEFT:
        if (levels_.size() > 1) CloseTop();
        break;
      case VK_RETURN:
        Choose(static_cast<int>(levels_.size()) - 1, popup.highlighted);
        break;
      default:
        break;
    }
  }

  void SetFlags(UINT flags) { flags_ = flags; }

 private:
  HMENU root_;
  HWND owner_;
  UINT flags_ = 0;
  std::vector<std::unique_ptr<CMenuPopupWnd>> levels_;
  bool ended_ = false;
  int result_ = 0;
};

LRESULT CMenuPopupWnd::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: {
      CPoint p(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      ClientToScreen(&p);
      tracker_->OnMouse(msg, p);
      return 0;
    }
    case WM_KEYDOWN:
      tracker_->OnKey(static_cast<UINT>(wParam));
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_CAPTURECHANGED:
      // Another window took the mouse (not one of the menu's own levels):
      // the menu goes away, as it does when the user clicks elsewhere.
      if (!tracker_->Ended() && reinterpret_cast<HWND>(lParam) != nullptr) {
        auto* other = CWnd::FromHandle(reinterpret_cast<HWND>(lParam));
        if (!dynamic_cast<CMenuPopupWnd*>(other)) tracker_->End(0);
      }
      return 0;
    default:
      return CWnd::WindowProc(msg, wParam, lParam);
  }
}

// Whether id is an enabled command of menu or of its sub-menus.
bool HasCommand(HMENU menu, int id) {
  HMENU__::Item* it = Find(menu, static_cast<UINT>(id), MF_BYCOMMAND);
  return it && Selectable(*it);
}

}  // namespace

BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, LPCRECT) {
  if (!Data(menu) || !::IsWindow(owner)) return FALSE;
  ::SendMessage(owner, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
  ::SendMessage(owner, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
  if (!Data(menu)) return FALSE;  // the owner destroyed it
  HWND oldFocus = ::GetFocus();
  MenuTracker tracker(menu, owner);
  tracker.SetFlags(flags);
  if (!tracker.Open(menu, CPoint(x, y), flags)) return FALSE;
  HWND root = tracker.RootWindow();
  ::SetFocus(root);

  kiv::ui::PopupMenuAnswerer answerer;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    answerer = g_answerer;
  }
  if (answerer) {
    kiv::ui::PopupMenuRequest request;
    request.menu = menu;
    request.popup = root;
    request.owner = owner;
    request.point = CPoint(x, y);
    request.flags = flags;
    int answer = answerer(request);
    if (answer > 0) tracker.End(HasCommand(menu, answer) ? answer : 0);
    if (answer < 0) tracker.End(0);
  }
  kiv::RunModalLoop(root);
  int chosen = tracker.Ended() ? tracker.Result() : 0;
  if (::GetCapture() && CWnd::FromHandle(::GetCapture()) &&
      dynamic_cast<CMenuPopupWnd*>(CWnd::FromHandle(::GetCapture()))) {
    ::ReleaseCapture();
  }
  // Closed before the command is delivered, and the focus goes back.
  while (tracker.RootWindow()) tracker.CloseTop();
  if (oldFocus && ::IsWindow(oldFocus)) ::SetFocus(oldFocus);
  if (flags & TPM_RETURNCMD) return chosen;
  if (chosen && !(flags & TPM_NONOTIFY) && ::IsWindow(owner)) {
    ::PostMessage(owner, WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  }
  return chosen ? TRUE : FALSE;
}

// --- Menu resources -----------------------------------------------------------

namespace {

void AppendTemplateItems(HMENU menu, const std::vector<kiv::ui::MenuItemTemplate>& items) {
  for (const auto& item : items) {
    if (!item.items.empty() || (item.flags & MF_POPUP)) {
      HMENU sub = ::CreatePopupMenu();
      AppendTemplateItems(sub, item.items);
      ::AppendMenuA(menu, (item.flags & ~MF_SEPARATOR) | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item.text.c_str());
    } else {
      ::AppendMenuA(menu, item.flags, item.id, item.text.c_str());
    }
  }
}

}  // namespace

namespace kiv {
namespace ui {

HMENU BuildMenu(const MenuTemplate& tmpl) {
  HMENU menu = ::CreateMenu();
  AppendTemplateItems(menu, tmpl.items);
  return menu;
}

}  // namespace ui
}  // namespace kiv

HMENU LoadMenuA(HINSTANCE, LPCSTR name) {
  auto id = static_cast<UINT>(reinterpret_cast<uintptr_t>(name));
  if (id > 0xFFFF) return nullptr;  // menus are looked up by number only
  const kiv::gdi::ResourceTable* table = kiv::gdi::GetResourceTable();
  if (!table) return nullptr;
  std::shared_ptr<const kiv::ui::MenuTemplate> tmpl = table->LoadMenuTemplate(id);
  return tmpl ? kiv::ui::BuildMenu(*tmpl) : nullptr;
}

// --- CMenu ---------------------------------------------------------------------

CMenu::~CMenu() {
  if (owned_ && m_hMenu) ::DestroyMenu(m_hMenu);
}

CMenu* CMenu::FromHandle(HMENU menu) {
  HMENU__* m = Data(menu);
  if (!m) return nullptr;
  if (!m->wrapper) {
    m->wrapper = std::make_unique<CMenu>();
    m->wrapper->m_hMenu = menu;
  }
  return m->wrapper.get();
}

BOOL CMenu::CreatePopupMenu() { return Attach(::CreatePopupMenu()); }
BOOL CMenu::CreateMenu() { return Attach(::CreateMenu()); }
BOOL CMenu::LoadMenu(UINT resourceId) {
  if (m_hMenu) return FALSE;
  return Attach(::LoadMenuA(nullptr, MAKEINTRESOURCE(resourceId)));
}

BOOL CMenu::DestroyMenu() {
  if (!m_hMenu) return FALSE;
  HMENU menu = Detach();
  return ::DestroyMenu(menu);
}

BOOL CMenu::Attach(HMENU menu) {
  if (m_hMenu || !Data(menu)) return FALSE;
  m_hMenu = menu;
  owned_ = true;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU menu = m_hMenu;
  m_hMenu = nullptr;
  owned_ = false;
  return menu;
}

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, LPCSTR text) { return ::AppendMenuA(m_hMenu, flags, id, text); }
BOOL CMenu::InsertMenu(UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
  return ::InsertMenuA(m_hMenu, position, flags, id, text);
}
BOOL CMenu::DeleteMenu(UINT position, UINT flags) { return ::DeleteMenu(m_hMenu, position, flags); }
BOOL CMenu::RemoveMenu(UINT position, UINT flags) { return ::RemoveMenu(m_hMenu, position, flags); }
UINT CMenu::CheckMenuItem(UINT item, UINT flags) { return ::CheckMenuItem(m_hMenu, item, flags); }
UINT CMenu::EnableMenuItem(UINT item, UINT flags) { return ::EnableMenuItem(m_hMenu, item, flags); }
UINT CMenu::GetMenuState(UINT item, UINT flags) const { return ::GetMenuState(m_hMenu, item, flags); }
int CMenu::GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }
UINT CMenu::GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }
int CMenu::GetMenuString(UINT item, std::string& text, UINT flags) const {
  auto* it = Find(m_hMenu, item, flags);
  text = it ? it->text : std::string();
  return static_cast<int>(text.size());
}
CMenu* CMenu::GetSubMenu(int position) const { return FromHandle(::GetSubMenu(m_hMenu, position)); }
BOOL CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect) {
  return ::TrackPopupMenu(m_hMenu, flags, x, y, 0, owner ? owner->m_hWnd : nullptr, rect);
}

namespace kiv {
namespace ui {

void SetPopupMenuAnswererForTesting(PopupMenuAnswerer answerer) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_answerer = std::move(answerer);
}

}  // namespace ui
}  // namespace kiv
