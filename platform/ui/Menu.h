// Pop-up menus: items with command ids, text, check marks, grayed items,
// separators and sub-menus, shown by TrackPopupMenu as a modal pop-up
// window that the mouse or the arrow keys, Enter and Esc drive.
//
// TrackPopupMenu sends WM_INITMENUPOPUP to the owner before showing, so the
// owner can check and gray items. With TPM_RETURNCMD it returns the chosen
// command (0 when dismissed); otherwise it posts WM_COMMAND(id) to the owner,
// as the window system does, and returns whether an item was chosen.
//
// A menu handle lives until DestroyMenu (which destroys its sub-menus too).
// A CMenu that created, loaded or attached a menu destroys it with itself.
//
// Menu resources: LoadMenu builds a new menu from the template the
// installed program's resource table holds under an id (ResourceTable::
// LoadMenuTemplate); the caller owns it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Wnd.h"

struct HMENU__;
typedef HMENU__* HMENU;

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_ENABLED = 0x0000;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_DISABLED = 0x0002;
constexpr UINT MF_CHECKED = 0x0008;
constexpr UINT MF_POPUP = 0x0010;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_SEPARATOR = 0x0800;
constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

HMENU CreatePopupMenu();
HMENU CreateMenu();
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
// With MF_POPUP, id is the sub-menu's handle, which the menu then owns.
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text);
BOOL InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text);
inline BOOL AppendMenu(HMENU menu, UINT flags, UINT_PTR id, LPCSTR text) {
  return AppendMenuA(menu, flags, id, text);
}
inline BOOL InsertMenu(HMENU menu, UINT position, UINT flags, UINT_PTR id, LPCSTR text) {
  return InsertMenuA(menu, position, flags, id, text);
}
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);
// Return the previous state, or (DWORD)-1 when the item does not exist.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);
UINT EnableMenuItem(HMENU menu, UINT item, UINT flags);
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);  // (UINT)-1 for a sub-menu or a bad position
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuStringA(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags);
inline int GetMenuString(HMENU menu, UINT item, LPSTR buffer, int size, UINT flags) {
  return GetMenuStringA(menu, item, buffer, size, flags);
}
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, LPCRECT rect);

namespace kiv {
namespace ui {

// One item of a menu resource: a command, a separator (MF_SEPARATOR) or,
// with items of its own, a sub-menu. flags may add MF_GRAYED, MF_CHECKED.
struct MenuItemTemplate {
  UINT flags = MF_STRING;
  UINT id = 0;
  std::string text;  // GBK
  std::vector<MenuItemTemplate> items;
};

// A menu resource: its top-level items (a context menu's resource holds
// one sub-menu, the menu that is shown).
struct MenuTemplate {
  std::vector<MenuItemTemplate> items;
};

// A new menu made from a template; the caller owns it (DestroyMenu).
HMENU BuildMenu(const MenuTemplate& tmpl);

}  // namespace ui
}  // namespace kiv

// The menu resource `name` (an id made with MAKEINTRESOURCE) of the
// installed program, as a new menu the caller destroys; null when the
// program has none. instance is not used: there is one program's table.
HMENU LoadMenuA(HINSTANCE instance, LPCSTR name);
inline HMENU LoadMenu(HINSTANCE instance, LPCSTR name) { return LoadMenuA(instance, name); }

class CMenu {
 public:
  CMenu() = default;
  ~CMenu();
  CMenu(const CMenu&) = delete;
  CMenu& operator=(const CMenu&) = delete;

  HMENU m_hMenu = nullptr;
  HMENU GetSafeHmenu() const { return m_hMenu; }
  operator HMENU() const { return m_hMenu; }  // NOLINT: implicit like the familiar class
  // A wrapper that does not own the menu; valid while the menu lives.
  static CMenu* FromHandle(HMENU menu);

  BOOL CreatePopupMenu();
  BOOL CreateMenu();
  // The program's menu resource `resourceId`; FALSE when there is none.
  BOOL LoadMenu(UINT resourceId);
  BOOL DestroyMenu();
  BOOL Attach(HMENU menu);
  HMENU Detach();

  BOOL AppendMenu(UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
  BOOL InsertMenu(UINT position, UINT flags, UINT_PTR id = 0, LPCSTR text = nullptr);
  BOOL DeleteMenu(UINT position, UINT flags);
  BOOL RemoveMenu(UINT position, UINT flags);
  UINT CheckMenuItem(UINT item, UINT flags);
  UINT EnableMenuItem(UINT item, UINT flags);
  UINT GetMenuState(UINT item, UINT flags) const;
  int GetMenuItemCount() const;
  UINT GetMenuItemID(int position) const;
  int GetMenuString(UINT item, std::string& text, UINT flags) const;
  CMenu* GetSubMenu(int position) const;
  BOOL TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, LPCRECT rect = nullptr);

 private:
  bool owned_ = false;
};

namespace kiv {
namespace ui {

// What a pop-up menu shows; given to the test answerer.
struct PopupMenuRequest {
  HMENU menu = nullptr;
  HWND popup = nullptr;  // the menu's window, shown
  HWND owner = nullptr;
  POINT point;
  UINT flags = 0;
};

// Tests answer menus with this: called on the UI thread once the menu is
// up. A positive return chooses that command (an enabled command item of the
// menu or its sub-menus; anything else dismisses), -1 dismisses, 0 leaves the
// menu to input. Null removes the answerer.
using PopupMenuAnswerer = std::function<int(const PopupMenuRequest&)>;
void SetPopupMenuAnswererForTesting(PopupMenuAnswerer answerer);

}  // namespace ui
}  // namespace kiv
