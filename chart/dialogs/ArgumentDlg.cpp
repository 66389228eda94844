#include "chart/dialogs/ArgumentDlg.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "chart/dialogs/ChartDialogIds.h"
#include "chart/dialogs/SelectcolorDialog.h"
#include "platform/gdi/BitmapBlit.h"
#include "platform/gdi/Resources.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/SystemMenu.h"
#include "platform/ui/UiTypes.h"
#include "shell/KivDialogBase.h"
#include "shell/MinimisedIcon.h"

namespace {

constexpr UINT kPeriodIds[CArgumentDlg::kLines] = {kIdcMAPeriod1, kIdcMAPeriod2, kIdcMAPeriod3, kIdcMAPeriod4,
                                                   kIdcMAPeriod5};
constexpr UINT kSwatchIds[CArgumentDlg::kLines] = {kIdcMASwatch1, kIdcMASwatch2, kIdcMASwatch3, kIdcMASwatch4,
                                                   kIdcMASwatch5};

// Slot 1-5 of a swatch id, 0 for any other control.
int SwatchSlot(UINT id) {
  for (int i = 0; i < CArgumentDlg::kLines; ++i) {
    if (kSwatchIds[i] == id) return i + 1;
  }
  return 0;
}

bool IsPeriodId(UINT id) {
  for (UINT period : kPeriodIds) {
    if (period == id) return true;
  }
  return false;
}

}  // namespace

CArgumentDlg::CArgumentDlg(CWnd* parent) : CDialog(kIddMASettings, parent) {
  editBrush_.CreateSolidBrush(kEditBrush);
  labelBrush_.CreateSolidBrush(kBackground);
  restoreBrush_.CreateSolidBrush(kRestoreBack);
  for (COLORREF& colour : m_Color) colour = kUnsetColour;
  m_hIcon = ::LoadIcon(nullptr, MAKEINTRESOURCE(kIdiDeskIcon));
}

CArgumentDlg::~CArgumentDlg() {
  if (palette_ && ::IsWindow(palette_->m_hWnd)) palette_->DestroyWindow();
  if (oldCanvas_ != nullptr) memory_.SelectObject(oldCanvas_);
}

UINT CArgumentDlg::PeriodId(int line) { return kPeriodIds[line]; }
UINT CArgumentDlg::SwatchId(int line) { return kSwatchIds[line]; }

int CArgumentDlg::SetSettings(const uint32_t record[kiv::kMASettingsWords]) {
  for (int i = 0; i < kColours; ++i) m_Color[i] = record[i];
  for (int i = 0; i < kLines; ++i) m_Period[i] = static_cast<int>(record[6 + i]);
  spare_ = record[11];
  return 1;
}

int CArgumentDlg::GetSettings(uint32_t record[kiv::kMASettingsWords]) const {
  std::memset(record, 0, sizeof(uint32_t) * kiv::kMASettingsWords);
  for (int i = 0; i < kLines; ++i) record[6 + i] = static_cast<uint32_t>(PeriodTextValue(m_PeriodText[i]));
  for (int i = 0; i < kColours; ++i) record[i] = m_Color[i];
  return 1;
}

int CArgumentDlg::PeriodTextValue(const std::string& text) {
  // atoi's reading: blanks, a sign, digits up to the first other byte. A
  // number past an int's range is no period at all.
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) return 0;
  }
  return static_cast<int>(negative ? -value : value);
}

bool CArgumentDlg::HasColour(COLORREF colour) const {
  for (COLORREF c : m_Color) {
    if (c == colour) return true;
  }
  return false;
}

BOOL CArgumentDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (!tile_.LoadBitmap(kIdbDialogTitleTile)) {
    AfxMessageBox(kResourceError, MB_OK);
    EndDialog(IDCANCEL);
    return FALSE;
  }
  tileSize_ = tile_.GetSize();

  palette_ = std::make_unique<CSelectcolorDialog>(this);
  if (!palette_->Create()) palette_.reset();

  for (int i = 0; i < kLines; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", m_Period[i]);
    SetDlgItemText(static_cast<int>(kPeriodIds[i]), text);
  }
  editColour_ = kEditBrush;

  std::string about;
  const kiv::gdi::ResourceTable* table = kiv::gdi::GetResourceTable();
  if (table && table->LoadString(kIdsAboutItem, &about) && !about.empty()) {
    if (CMenu* menu = CMenu::FromHandle(::GetSystemMenu(m_hWnd, FALSE))) {
      menu->AppendMenu(MF_SEPARATOR);
      menu->AppendMenu(MF_STRING, CKivDialogBase::kAboutCommand, about.c_str());
    }
  }
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  // The four pictures, each static taking its bitmap's size where it stands.
  const UINT pictureIds[4] = {kIdcMATitlePicture, kIdcMAClose, kIdcMAOk, kIdcMACancel};
  const UINT bitmapIds[4] = {kIdbDialogTitlePicture, kIdbDialogClose, kIdbDialogOk, kIdbDialogCancel};
  for (int i = 0; i < 4; ++i) {
    CWnd* picture = GetDlgItem(static_cast<int>(pictureIds[i]));
    if (picture == nullptr || !pictures_[i].LoadBitmap(bitmapIds[i])) continue;
    picture->ModifyStyle(SS_TYPEMASK, SS_BITMAP);
    picture->SendMessage(STM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(static_cast<HBITMAP>(pictures_[i].GetSafeHandle())));
    CRect place;
    picture->GetWindowRect(&place);
    ScreenToClient(&place);
    const CSize size = pictures_[i].GetSize();
    picture->MoveWindow(place.left, place.top, size.cx, size.cy);
  }
  titleFont_.CreateFont(kTitleFontHeight, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "宋体");
  return TRUE;
}

void CArgumentDlg::OnOK() { Confirm(); }

void CArgumentDlg::Confirm() {
  for (int i = 0; i < kLines; ++i) GetDlgItemText(static_cast<int>(kPeriodIds[i]), m_PeriodText[i]);
  EndDialog(IDOK);
}

BOOL CArgumentDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT id = LOWORD(wParam);
  const UINT code = HIWORD(wParam);
  if (code == EN_SETFOCUS && IsPeriodId(id)) {
    SetDlgItemText(static_cast<int>(id), "");
    return TRUE;
  }
  if (code == BN_CLICKED) {  // STN_CLICKED too: the same code
    if (const int slot = SwatchSlot(id)) {
      ShowPalette(slot);
      return TRUE;
    }
    switch (id) {
      case kIdcMARestoreDefaults: RestoreDefaults(); return TRUE;
      case kIdcMAOk: Confirm(); return TRUE;
      case kIdcMACancel:
      case kIdcMAClose: EndDialog(IDCANCEL); return TRUE;
      default: break;
    }
  }
  return CDialog::OnCommand(wParam, lParam);
}

void CArgumentDlg::RestoreDefaults() {
  for (int i = 0; i < kLines; ++i) SetDlgItemText(static_cast<int>(kPeriodIds[i]), kDefaultPeriods[i]);
  for (int i = 0; i < kLines - 1; ++i) m_Color[i] = kDefaultColours[i];
  Invalidate();
  RedrawSwatches();
}

void CArgumentDlg::RedrawSwatches() {
  for (UINT id : kSwatchIds) {
    if (CWnd* swatch = GetDlgItem(static_cast<int>(id))) swatch->Invalidate();
  }
}

CRect CArgumentDlg::PaletteRectFor(int slot) const {
  CWnd* first = GetDlgItem(static_cast<int>(kIdcMASwatch1));
  if (slot < 1 || slot > kLines || first == nullptr) return CRect();
  CRect swatch;
  first->GetWindowRect(&swatch);
  ScreenToClient(&swatch);
  return CRect(swatch.right, swatch.top + kPaletteOffsets[slot - 1][0], swatch.right + kPaletteWidth,
               swatch.top + kPaletteOffsets[slot - 1][1]);
}

void CArgumentDlg::ShowPalette(int slot) {
  if (!palette_) return;
  palette_->SetPopupRect(PaletteRectFor(slot));
  palette_->SetSlot(slot);
  palette_->SendMessage(WM_KIV_PALETTE_SHOW, 0, 0);
}

void CArgumentDlg::OnLButtonDown(UINT flags, CPoint point) {
  if (palette_) palette_->SendMessage(WM_KIV_PALETTE_HIDE, 0, 0);
  CDialog::OnLButtonDown(flags, point);
}

LRESULT CArgumentDlg::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KIV_MA_COLOR) {
    const int slot = static_cast<int>(lParam);
    if (slot >= 1 && slot <= kLines) {
      m_Color[slot - 1] = static_cast<COLORREF>(wParam);
      Invalidate();
      RedrawSwatches();
    }
    return 0;
  }
  return CDialog::OnMessage(msg, wParam, lParam);
}

BOOL CArgumentDlg::OnEraseBkgnd(CDC* dc) {
  if (dc == nullptr || !tile_.GetSafeHandle()) return TRUE;
  CRect client;
  GetClientRect(&client);
  if (oldCanvas_ == nullptr) {
    memory_.CreateCompatibleDC(dc);
    canvas_.CreateCompatibleBitmap(dc, client.Width(), client.Height());
    oldCanvas_ = memory_.SelectObject(&canvas_);
  }
  // The body never changes: it is painted once and copied at every erase.
  if (needsPaint_) PaintSurface(client);
  dc->BitBlt(0, 0, client.Width(), client.Height(), &memory_, 0, 0, SRCCOPY);
  return TRUE;
}

void CArgumentDlg::PaintSurface(const CRect& client) {
  memory_.FillSolidRect(&client, kBackground);
  const int step = tileSize_.cx > 0 ? static_cast<int>(tileSize_.cx) : 1;
  for (int x = 0; x < client.Width(); x += step) kiv::gdi::DrawBitmap(memory_, tile_, x, 0);

  CFont* oldFont = memory_.SelectObject(&titleFont_);
  const int oldMode = memory_.SetBkMode(TRANSPARENT);
  const COLORREF oldColour = memory_.SetTextColor(kTitleText);
  const int length = static_cast<int>(std::strlen(kTitle));
  const CSize text = memory_.GetTextExtent(kTitle, length);
  memory_.TextOut(kTitleLeft, (static_cast<int>(tileSize_.cy) - static_cast<int>(text.cy)) / 2, kTitle, length);
  memory_.SetTextColor(oldColour);
  memory_.SetBkMode(oldMode);
  memory_.SelectObject(oldFont);
  needsPaint_ = false;
}

void CArgumentDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  PaintMinimisedIcon(*this, m_hIcon);
}

HCURSOR CArgumentDlg::OnQueryDragIcon() { return m_hIcon; }

LRESULT CArgumentDlg::OnNcHitTest(CPoint screenPoint) {
  CRect band;
  GetClientRect(&band);
  ClientToScreen(&band);
  band.bottom = band.top + static_cast<int>(tileSize_.cy);
  if (band.PtInRect(screenPoint)) return HTCAPTION;
  return CDialog::OnNcHitTest(screenPoint);
}

HBRUSH CArgumentDlg::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
  if (ctlColor == CTLCOLOR_EDIT) {
    dc->SetBkMode(OPAQUE);
    dc->SetBkColor(kEditTextBack);
    dc->SetTextColor(kLabelText);
    return static_cast<HBRUSH>(editBrush_.GetSafeHandle());
  }
  if (ctlColor == CTLCOLOR_STATIC) {
    if (wnd != nullptr && static_cast<UINT>(wnd->GetDlgCtrlID()) == kIdcMARestoreDefaults) {
      dc->SetBkColor(kRestoreBack);
      dc->SetTextColor(kRestoreText);
      return static_cast<HBRUSH>(restoreBrush_.GetSafeHandle());
    }
    dc->SetBkColor(kBackground);
    dc->SetTextColor(kLabelText);
    return static_cast<HBRUSH>(labelBrush_.GetSafeHandle());
  }
  return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

void CArgumentDlg::OnDrawItem(int idCtl, LPDRAWITEMSTRUCT drawItem) {
  const int slot = SwatchSlot(static_cast<UINT>(idCtl));
  if (slot == 0 || drawItem == nullptr) {
    CDialog::OnDrawItem(idCtl, drawItem);
    return;
  }
  CDC* dc = CDC::FromHandle(drawItem->hDC);
  CRect r(drawItem->rcItem);
  dc->Draw3dRect(&r, 0xFFFFFF, 0x000000);
  r.DeflateRect(1, 1);
  dc->FillSolidRect(&r, m_Color[slot - 1]);
}

BOOL CArgumentDlg::OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) {
  if (wnd != nullptr && static_cast<UINT>(wnd->GetDlgCtrlID()) == kIdcMARestoreDefaults) {
    ::SetCursor(::LoadCursor(nullptr, IDC_HAND));
    return TRUE;
  }
  return CDialog::OnSetCursor(wnd, hitTest, message);
}

void CArgumentDlg::OnSysCommand(UINT id, LPARAM lParam) {
  if ((id & 0xFFF0) == CKivDialogBase::kAboutCommand) return;  // the About item opens nothing here
  CDialog::OnSysCommand(id, lParam);
}

void CArgumentDlg::OnDestroy() {
  if (palette_ && ::IsWindow(palette_->m_hWnd)) palette_->DestroyWindow();
  CDialog::OnDestroy();
}
