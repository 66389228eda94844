// Dialogs from templates, their keys and data exchange.
#include "platform/ui/Dialog.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/core/MessageLoop.h"
#include "platform/sys/Trace.h"
#include "platform/ui/Button.h"
#include "platform/ui/Edit.h"
#include "platform/ui/ListBox.h"
#include "platform/ui/ProgressCtrl.h"
#include "platform/ui/RichTextView.h"
#include "platform/ui/Static.h"
#include "platform/ui/TabCtrl.h"

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// The layer's object for a control class of a template; a plain window for
// a class the layer does not know (the program subclasses those).
std::unique_ptr<CWnd> MakeControl(const std::string& className) {
  std::string name = Upper(className);
  if (name == "BUTTON") return std::make_unique<CButton>();
  if (name == "EDIT") return std::make_unique<CEdit>();
  if (name == "STATIC") return std::make_unique<CStatic>();
  if (name == "LISTBOX") return std::make_unique<CListBox>();
  if (name == "MSCTLS_PROGRESS32") return std::make_unique<CProgressCtrl>();
  if (name == "SYSTABCONTROL32") return std::make_unique<CTabCtrl>();
  if (name.compare(0, 8, "RICHEDIT") == 0) return std::make_unique<CRichTextView>();
  return std::make_unique<CWnd>();
}

// Children in creation order (the window system lists them top first).
std::vector<HWND> ChildrenInOrder(HWND parent) {
  std::vector<HWND> list;
  HWND top = ::GetWindow(parent, GW_CHILD);
  for (HWND h = top ? ::GetWindow(top, GW_HWNDLAST) : nullptr; h; h = ::GetWindow(h, GW_HWNDPREV)) {
    list.push_back(h);
  }
  return list;
}

LRESULT DlgCode(HWND hwnd, MSG* msg) {
  return hwnd ? ::SendMessage(hwnd, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg)) : 0;
}

}  // namespace

// --- Data exchange ----------------------------------------------------------

void CDataExchange::Fail(int controlId) {
  failed_ = true;
  if (HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, controlId)) ::SetFocus(control);
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
  if (dx->failed_) return;
  HWND control = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) {
    std::string text(static_cast<size_t>(::GetWindowTextLength(control)) + 1, '\0');
    int n = ::GetWindowText(control, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(n, 0)));
    value = text;
  } else {
    ::SetWindowText(control, value.c_str());
  }
}

namespace {

// Whole numbers with optional spaces around and a sign; false for anything
// else or a value out of range.
bool ParseWhole(const std::string& text, long long lo, long long hi, long long* out) {
  const char* s = text.c_str();
  while (*s == ' ') ++s;
  if (!*s) return false;
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(s, &end, 10);
  if (end == s || errno == ERANGE) return false;
  while (*end == ' ') ++end;
  if (*end) return false;
  if (v < lo || v > hi) return false;
  *out = v;
  return true;
}

template <typename T>
void ExchangeWhole(CDataExchange* dx, int id, T& value, long long lo, long long hi) {
  if (dx->failed_) return;
  if (dx->m_bSaveAndValidate) {
    std::string text;
    DDX_Text(dx, id, text);
    long long v = 0;
    if (!ParseWhole(text, lo, hi, &v)) {
      dx->Fail(id);
      return;
    }
    value = static_cast<T>(v);
  } else {
    std::string text = std::to_string(value);
    DDX_Text(dx, id, text);
  }
}

}  // namespace

void DDX_Text(CDataExchange* dx, int id, int& value) { ExchangeWhole(dx, id, value, INT32_MIN, INT32_MAX); }
void DDX_Text(CDataExchange* dx, int id, UINT& value) { ExchangeWhole(dx, id, value, 0, UINT32_MAX); }

void DDX_Check(CDataExchange* dx, int id, int& value) {
  if (dx->failed_) return;
  HWND control = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
  if (!control) return;
  if (dx->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessage(control, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessage(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
  }
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
  if (control.m_hWnd) return;
  HWND hwnd = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
  if (hwnd) control.SubclassWindow(hwnd);
}

// --- CDialog -----------------------------------------------------------------

CDialog::CDialog() { backBrush_.CreateSolidBrush(kiv::ui::kDialogBack); }

CDialog::CDialog(UINT templateId, CWnd* parent) : CDialog() {
  templateId_ = templateId;
  parent_ = parent;
}

CDialog::CDialog(const kiv::ui::DialogTemplate& tmpl, CWnd* parent) : CDialog() {
  tmpl_ = std::make_shared<const kiv::ui::DialogTemplate>(tmpl);
  parent_ = parent;
}

CDialog::~CDialog() {
  // The same broken rule as in ~CWnd, caught here because the window must go
  // before controls_ (members) are deleted with their windows alive.
  if (m_hWnd && ::IsWindow(m_hWnd)) {
    kiv::RecordDeletedWithLiveWindow(m_hWnd);
    CWnd::DestroyWindow();
  }
}

BOOL CDialog::MakeWindow(CWnd* parent) {
  if (!tmpl_ && templateId_) {
    tmpl_ = kiv::ui::FindDialogTemplate(templateId_);
    if (!tmpl_) KivTrace("CDialog: no dialog template %u in the program's resources\n", templateId_);
  }
  if (!tmpl_ || m_hWnd) return FALSE;
  const auto& t = *tmpl_;
  parent_ = parent;
  font_.DeleteObject();
  font_.CreatePointFont(t.pointSize * 10, t.fontFace.c_str());
  base_ = kiv::ui::DialogBaseUnits(t.fontFace, t.pointSize);
  CRect pixels = kiv::ui::DialogUnitsToPixels(t.rect, base_);
  bool child = (t.style & WS_CHILD) != 0;
  CRect place(pixels.left, pixels.top, pixels.left + pixels.Width(), pixels.top + pixels.Height());
  if (!child) {
    // A top-level dialog is placed on its owner, or centred on it (on the
    // work area without one) when the template asks.
    CRect area;
    HWND owner = parent ? ::GetAncestor(parent->m_hWnd, GA_ROOT) : nullptr;
    if (owner) {
      ::GetWindowRect(owner, &area);
    } else {
      ::SystemParametersInfo(SPI_GETWORKAREA, 0, &area, 0);
    }
    if (t.style & DS_CENTER) {
      place.OffsetRect(area.left + (area.Width() - pixels.Width()) / 2 - place.left,
                       area.top + (area.Height() - pixels.Height()) / 2 - place.top);
    } else {
      place.OffsetRect(area.left, area.top);
    }
  }
  DWORD style = t.style & ~WS_VISIBLE;
  if (!CWnd::CreateEx(t.exStyle, "#32770", t.caption.c_str(), style, place, parent, 0)) return FALSE;
  controls_.clear();
  for (const auto& item : t.items) {
    auto control = MakeControl(item.className);
    CRect r = kiv::ui::DialogUnitsToPixels(item.rect, base_);
    UINT id = static_cast<UINT>(item.id) & 0xFFFF;
    if (!control->CreateEx(item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD, r,
                           this, id)) {
      continue;
    }
    ::SendMessage(control->m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font_)), FALSE);
    controls_.push_back(std::move(control));
  }
  HWND first = nullptr;
  for (HWND h : TabStops()) {
    first = h;
    break;
  }
  if (SendMessage(WM_INITDIALOG, reinterpret_cast<WPARAM>(first), 0) && ::IsWindow(m_hWnd)) {
    std::vector<HWND> stops = TabStops();
    if (!stops.empty()) GotoDlgCtrl(CWnd::FromHandle(stops.front()));
  }
  return ::IsWindow(m_hWnd);
}

INT_PTR CDialog::DoModal() {
  modal_ = true;
  CWnd* parent = parent_ ? parent_ : CWnd::GetActiveWindow();
  HWND owner = parent && parent->m_hWnd ? ::GetAncestor(parent->m_hWnd, GA_ROOT) : nullptr;
  // The owner is disabled before the dialog exists, so that nothing done
  // from OnInitDialog reaches it.
  bool disabledOwner = owner && ::IsWindowEnabled(owner);
  if (disabledOwner) ::EnableWindow(owner, FALSE);
  INT_PTR result = -1;
  if (MakeWindow(parent)) {
    HWND self = m_hWnd;
    ::ShowWindow(self, SW_SHOW);
    ::SetActiveWindow(self);
    result = kiv::RunModalLoop(self);
  }
  // The owner comes back before the dialog goes, so that it is the window
  // activated next.
  if (disabledOwner && ::IsWindow(owner)) {
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
  }
  if (m_hWnd && ::IsWindow(m_hWnd)) CWnd::DestroyWindow();
  modal_ = false;
  return result;
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
  templateId_ = templateId;
  tmpl_.reset();
  return CreateModeless(parent);
}

BOOL CDialog::CreateIndirect(const kiv::ui::DialogTemplate& tmpl, CWnd* parent) {
  templateId_ = 0;
  tmpl_ = std::make_shared<const kiv::ui::DialogTemplate>(tmpl);
  return CreateModeless(parent);
}

BOOL CDialog::CreateModeless(CWnd* parent) {
  modal_ = false;
  if (!MakeWindow(parent)) return FALSE;
  if (tmpl_->style & WS_VISIBLE) ShowWindow(SW_SHOW);
  return TRUE;
}

void CDialog::EndDialog(int result) {
  if (!m_hWnd) return;
  if (modal_) {
    ::EndDialog(m_hWnd, result);
  }
  ShowWindow(SW_HIDE);
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  DoDataExchange(&dx);
  return dx.failed_ ? FALSE : TRUE;
}

void CDialog::DoDataExchange(CDataExchange*) {}

LRESULT CDialog::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) return OnInitDialog();
  return CWnd::WindowProc(msg, wParam, lParam);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM) {
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  switch (LOWORD(wParam)) {
    case IDOK: OnOK(); return TRUE;
    case IDCANCEL: OnCancel(); return TRUE;
    default: return FALSE;
  }
}

void CDialog::OnClose() { OnCancel(); }

BOOL CDialog::OnEraseBkgnd(CDC* dc) {
  CRect client;
  GetClientRect(&client);
  dc->SetTextColor(kiv::ui::kText);
  dc->SetBkColor(kiv::ui::kDialogBack);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessage(WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc->GetSafeHdc()), reinterpret_cast<LPARAM>(m_hWnd)));
  if (brush) {
    ::FillRect(dc->GetSafeHdc(), &client, brush);
  } else {
    dc->FillSolidRect(&client, kiv::ui::kDialogBack);
  }
  return TRUE;
}

HBRUSH CDialog::OnCtlColor(CDC*, CWnd*, UINT ctlColor) {
  // Controls keep their own scheme colours unless a derived dialog says
  // otherwise.
  return ctlColor == CTLCOLOR_DLG ? static_cast<HBRUSH>(backBrush_) : nullptr;
}

// --- Keys and focus ------------------------------------------------------------

std::vector<HWND> CDialog::TabStops() const {
  std::vector<HWND> stops;
  for (HWND h : ChildrenInOrder(m_hWnd)) {
    DWORD style = static_cast<DWORD>(::GetWindowLong(h, GWL_STYLE));
    if ((style & WS_TABSTOP) && (style & WS_VISIBLE) && !(style & WS_DISABLED)) stops.push_back(h);
  }
  return stops;
}

void CDialog::GotoDlgCtrl(CWnd* control) {
  if (!control || !control->m_hWnd) return;
  ::SetFocus(control->m_hWnd);
  // As a dialog moves the focus to a text field, its text is selected.
  if (DlgCode(control->m_hWnd, nullptr) & DLGC_HASSETSEL) ::SendMessage(control->m_hWnd, EM_SETSEL, 0, -1);
}

namespace {

void MoveFocus(const std::vector<HWND>& stops, HWND dialog, int step) {
  if (stops.empty()) return;
  HWND focus = ::GetFocus();
  // The control that holds the focus, or the stop that contains it.
  while (focus && ::GetParent(focus) != dialog) focus = ::GetParent(focus);
  auto it = std::find(stops.begin(), stops.end(), focus);
  int n = static_cast<int>(stops.size());
  int at = it == stops.end() ? (step > 0 ? n - 1 : 0) : static_cast<int>(it - stops.begin());
  HWND next = stops[static_cast<size_t>(((at + step) % n + n) % n)];
  ::SetFocus(next);
  if (DlgCode(next, nullptr) & DLGC_HASSETSEL) ::SendMessage(next, EM_SETSEL, 0, -1);
}

}  // namespace

void CDialog::NextDlgCtrl() { MoveFocus(TabStops(), m_hWnd, 1); }
void CDialog::PrevDlgCtrl() { MoveFocus(TabStops(), m_hWnd, -1); }

BOOL CDialog::PreTranslateMessage(MSG* msg) { return IsDialogMessage(msg); }

BOOL CDialog::IsDialogMessage(MSG* msg) {
  if (!m_hWnd || msg->message != WM_KEYDOWN) return FALSE;
  if (msg->hwnd != m_hWnd && !::IsChild(m_hWnd, msg->hwnd)) return FALSE;
  LRESULT code = DlgCode(msg->hwnd, msg);
  if (code & DLGC_WANTALLKEYS) return FALSE;
  switch (msg->wParam) {
    case VK_TAB: {
      if (code & DLGC_WANTTAB) return FALSE;
      if (::GetKeyState(VK_SHIFT) < 0) {
        PrevDlgCtrl();
      } else {
        NextDlgCtrl();
      }
      return TRUE;
    }
    case VK_RETURN: {
      HWND focus = ::GetFocus();
      if (focus && ::IsChild(m_hWnd, focus) && (DlgCode(focus, nullptr) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        if (::IsWindowEnabled(focus)) {
          ::SendMessage(m_hWnd, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(focus), BN_CLICKED),
                        reinterpret_cast<LPARAM>(focus));
        }
        return TRUE;
      }
      HWND def = ::GetDlgItem(m_hWnd, static_cast<int>(defId_));
      if (def && !::IsWindowEnabled(def)) return TRUE;
      ::SendMessage(m_hWnd, WM_COMMAND, MAKEWPARAM(defId_, BN_CLICKED), reinterpret_cast<LPARAM>(def));
      return TRUE;
    }
    case VK_ESCAPE: {
      HWND cancel = ::GetDlgItem(m_hWnd, IDCANCEL);
      if (cancel && !::IsWindowEnabled(cancel)) return TRUE;
      ::SendMessage(m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// --- Helpers ---------------------------------------------------------------------

void CDialog::MapDialogRect(LPRECT rect) const {
  if (rect) *rect = kiv::ui::DialogUnitsToPixels(*rect, base_);
}

void CDialog::SetDlgItemText(int id, LPCSTR text) {
  if (HWND h = ::GetDlgItem(m_hWnd, id)) ::SetWindowText(h, text ? text : "");
}

int CDialog::GetDlgItemText(int id, std::string& text) const {
  text.clear();
  HWND h = ::GetDlgItem(m_hWnd, id);
  if (!h) return 0;
  text.assign(static_cast<size_t>(::GetWindowTextLength(h)) + 1, '\0');
  int n = ::GetWindowText(h, &text[0], static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(std::max(n, 0)));
  return n;
}

void CDialog::SetDlgItemInt(int id, UINT value, BOOL isSigned) {
  std::string text = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  SetDlgItemText(id, text.c_str());
}

UINT CDialog::GetDlgItemInt(int id, BOOL* translated, BOOL isSigned) const {
  std::string text;
  GetDlgItemText(id, text);
  long long v = 0;
  bool ok = isSigned ? ParseWhole(text, INT32_MIN, INT32_MAX, &v) : ParseWhole(text, 0, UINT32_MAX, &v);
  if (translated) *translated = ok ? TRUE : FALSE;
  return ok ? static_cast<UINT>(v) : 0;
}

void CDialog::CheckDlgButton(int id, UINT check) {
  if (HWND h = ::GetDlgItem(m_hWnd, id)) ::SendMessage(h, BM_SETCHECK, check, 0);
}

UINT CDialog::IsDlgButtonChecked(int id) const {
  HWND h = ::GetDlgItem(m_hWnd, id);
  return h ? static_cast<UINT>(::SendMessage(h, BM_GETCHECK, 0, 0)) : 0;
}

// --- CDialogEx ---------------------------------------------------------------------

void CDialogEx::SetBackgroundColor(COLORREF color, BOOL repaint) {
  custom_.DeleteObject();
  custom_.CreateSolidBrush(color);
  if (repaint && m_hWnd) Invalidate();
}

HBRUSH CDialogEx::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  if (ctlColor == CTLCOLOR_DLG && custom_.IsCreated()) return custom_;
  return CDialog::OnCtlColor(dc, wnd, ctlColor);
}
