// The window system's default handling of each message: what a window gets
// for a message its class leaves to Default().
#include <cstring>

#include "platform/core/Display.h"
#include "platform/core/SystemMenuHooks.h"
#include "platform/core/WindowSystem.h"
#include "platform/core/Wnd.h"

using kiv::win::CallProc;
using kiv::win::Get;
using kiv::win::Window;

namespace {

LRESULT HitTest(Window* w, POINT screen) {
  CRect r;
  ::GetWindowRect(w->hwnd, &r);
  if (!r.PtInRect(screen)) return HTNOWHERE;
  if (w->hasRegion && !w->region.Contains(screen.x - r.left, screen.y - r.top)) return HTNOWHERE;
  return HTCLIENT;
}

// Turns a committed input-method string into character messages: one
// WM_IME_CHAR per character, a double-byte GBK character as one value.
void PostImeChars(HWND hwnd, const std::string& gbk) {
  for (size_t i = 0; i < gbk.size(); ++i) {
    auto lead = static_cast<unsigned char>(gbk[i]);
    if (lead >= 0x81 && lead <= 0xFE && i + 1 < gbk.size()) {
      auto trail = static_cast<unsigned char>(gbk[i + 1]);
      ::PostMessage(hwnd, WM_IME_CHAR, (static_cast<WPARAM>(lead) << 8) | trail, 1);
      ++i;
    } else {
      ::PostMessage(hwnd, WM_IME_CHAR, lead, 1);
    }
  }
}

}  // namespace

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* w = Get(hwnd);
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE:
      return TRUE;
    case WM_CLOSE:
      ::DestroyWindow(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 0;  // no class brush: the previous pixels stay
    case WM_WINDOWPOSCHANGED:
      kiv::win::SendMoveAndSize(w, reinterpret_cast<WINDOWPOS*>(lParam));
      return 0;
    case WM_SETREDRAW:
      w->redraw = wParam != 0;
      if (wParam) w->thread->paintPending = true;
      return 0;
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
      if (!w->IsChild()) kiv::CurrentDisplay().TopLevelChanged(hwnd);
      return TRUE;
    case WM_GETTEXT: {
      if (wParam == 0) return 0;
      size_t n = std::min(w->text.size(), static_cast<size_t>(wParam) - 1);
      std::memcpy(reinterpret_cast<char*>(lParam), w->text.data(), n);
      reinterpret_cast<char*>(lParam)[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_SETICON: {
      // Returns the previous icon of the kind; an unknown kind changes nothing.
      if (wParam != ICON_BIG && wParam != ICON_SMALL) return 0;
      HICON& kept = wParam == ICON_BIG ? w->bigIcon : w->smallIcon;
      HICON old = kept;
      kept = reinterpret_cast<HICON>(lParam);
      if (!w->IsChild() && kept != old) kiv::CurrentDisplay().TopLevelChanged(hwnd);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
      switch (wParam) {
        case ICON_BIG: return reinterpret_cast<LRESULT>(w->bigIcon);
        case ICON_SMALL: return reinterpret_cast<LRESULT>(w->smallIcon);
        case ICON_SMALL2: return reinterpret_cast<LRESULT>(w->smallIcon ? w->smallIcon : w->bigIcon);
        default: return 0;
      }
    case WM_NCHITTEST:
      return HitTest(w, CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    case WM_NCLBUTTONDOWN:
      if (wParam == HTCAPTION) {
        kiv::win::RunMoveLoop(w->Root(), CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      }
      return 0;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_CLOSE: ::PostMessage(w->Root()->hwnd, WM_CLOSE, 0, 0); break;
        case SC_MINIMIZE: ::ShowWindow(w->Root()->hwnd, SW_MINIMIZE); break;
        case SC_MAXIMIZE: ::ShowWindow(w->Root()->hwnd, SW_MAXIMIZE); break;
        case SC_RESTORE: ::ShowWindow(w->Root()->hwnd, SW_RESTORE); break;
        case SC_MOVE: {
          POINT pt;
          ::GetCursorPos(&pt);
          kiv::win::RunMoveLoop(w->Root(), pt);
          break;
        }
        case SC_KEYMENU: {
          // Alt+Space: the system menu under the window's top-left corner.
          Window* root = w->Root();
          const auto& hooks = kiv::win::GetSystemMenuHooks();
          if (lParam == ' ' && (root->style & WS_SYSMENU) && hooks.open) {
            hooks.open(root->hwnd, POINT{root->rect.left, root->rect.top});
          }
          break;
        }
        default: break;
      }
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && (lParam & KF_ALTDOWN_BIT)) ::PostMessage(w->Root()->hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
      if (wParam == VK_SPACE && (lParam & KF_ALTDOWN_BIT)) ::SendMessage(w->Root()->hwnd, WM_SYSCOMMAND, SC_KEYMENU, ' ');
      return 0;
    case WM_RBUTTONUP: {
      // A right click that the window leaves alone asks for its context
      // menu, which goes up to the parents and, unhandled at the top, opens
      // the system menu.
      POINT screen{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ::ClientToScreen(hwnd, &screen);
      ::SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(screen.x, screen.y));
      return 0;
    }
    case WM_NCRBUTTONUP:
      // A right click on a caption point (a window that drags from anywhere
      // answers HTCAPTION over its whole face) asks for the context menu
      // too: unhandled, the system menu at the pointer.
      if (wParam == HTCAPTION) {
        ::SendMessage(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), lParam);
      }
      return 0;
    case WM_SETCURSOR:
      // The parent may decide first; otherwise the class cursor in the client
      // area and the arrow elsewhere.
      if (w->IsChild() && ::SendMessage(w->parent->hwnd, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (static_cast<SHORT>(LOWORD(lParam)) == HTCLIENT) {
        ::SetCursor(w->cursor ? w->cursor : ::LoadCursorA(nullptr, IDC_ARROW));
        return FALSE;
      }
      ::SetCursor(::LoadCursorA(nullptr, IDC_ARROW));
      return FALSE;
    case WM_MOUSEACTIVATE:
      if (w->IsChild()) {
        LRESULT r = ::SendMessage(w->parent->hwnd, WM_MOUSEACTIVATE, wParam, lParam);
        if (r) return r;
      }
      return MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !w->minimized) {
        HWND focus = ::GetFocus();
        if (focus != hwnd && !::IsChild(hwnd, focus)) ::SetFocus(hwnd);
      }
      return 0;
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
      // Unhandled, they go up to the parent.
      if (w->IsChild()) return ::SendMessage(w->parent->hwnd, msg, wParam, lParam);
      if (msg == WM_CONTEXTMENU && (w->style & WS_SYSMENU) && kiv::win::GetSystemMenuHooks().open) {
        // Unhandled, a top-level window shows its system menu only for its
        // caption (or the keyboard's menu request, at its corner); a right
        // click on its client area asks for nothing.
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        bool show = false;
        if (at.x == -1 && at.y == -1) {
          RECT window;
          ::GetWindowRect(hwnd, &window);
          at = POINT{window.left, window.top};
          show = true;
        } else {
          const LRESULT hit = ::SendMessage(hwnd, WM_NCHITTEST, 0, lParam);
          show = hit == HTCAPTION || hit == HTSYSMENU;
        }
        if (show) kiv::win::GetSystemMenuHooks().open(hwnd, at);
      }
      return 0;
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(lParam);
      if (dis) {
        if (CWnd* control = CWnd::FromHandle(dis->hwndItem)) {
          control->DrawItem(dis);
          return TRUE;
        }
      }
      return FALSE;
    }
    case WM_IME_COMPOSITION:
      if (lParam & GCS_RESULTSTR) PostImeChars(hwnd, kiv::win::Ui().imeResult);
      return 0;
    case WM_IME_CHAR:
      // A window of the ANSI code page gets a double-byte character as two
      // WM_CHAR bytes, lead byte first.
      if (wParam > 0xFF) {
        ::PostMessage(hwnd, WM_CHAR, (wParam >> 8) & 0xFF, lParam);
        ::PostMessage(hwnd, WM_CHAR, wParam & 0xFF, lParam);
      } else {
        ::PostMessage(hwnd, WM_CHAR, wParam, lParam);
      }
      return 0;
    case WM_NCACTIVATE:
      return TRUE;
    case WM_QUERYENDSESSION:
      return TRUE;
    default:
      return 0;
  }
}
