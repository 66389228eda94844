// The progress bar.
#include "platform/ui/ProgressCtrl.h"

#include <algorithm>

namespace {
constexpr COLORREF kDefaultBar = RGB(0x3C, 0x8C, 0xDC);
}

BOOL CProgressCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  return CWnd::Create("msctls_progress32", "", style | WS_CHILD, rect, parent, id);
}

static CProgressCtrl* Self(const CProgressCtrl* p) { return const_cast<CProgressCtrl*>(p); }

void CProgressCtrl::SetRange(short lower, short upper) { SendMessage(PBM_SETRANGE, 0, MAKELPARAM(lower, upper)); }
void CProgressCtrl::SetRange32(int lower, int upper) {
  SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
}
void CProgressCtrl::GetRange(int& lower, int& upper) const {
  PBRANGE range;
  Self(this)->SendMessage(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
  lower = range.iLow;
  upper = range.iHigh;
}
int CProgressCtrl::GetPos() const { return static_cast<int>(Self(this)->SendMessage(PBM_GETPOS)); }
int CProgressCtrl::SetPos(int pos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(pos))); }
int CProgressCtrl::OffsetPos(int delta) {
  return static_cast<int>(SendMessage(PBM_DELTAPOS, static_cast<WPARAM>(delta)));
}
int CProgressCtrl::SetStep(int step) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step))); }
int CProgressCtrl::StepIt() { return static_cast<int>(SendMessage(PBM_STEPIT)); }
COLORREF CProgressCtrl::SetBarColor(COLORREF color) {
  return static_cast<COLORREF>(SendMessage(PBM_SETBARCOLOR, 0, static_cast<LPARAM>(color)));
}
COLORREF CProgressCtrl::SetBkColor(COLORREF color) {
  return static_cast<COLORREF>(SendMessage(PBM_SETBKCOLOR, 0, static_cast<LPARAM>(color)));
}

int CProgressCtrl::Clamp(int pos) const { return std::max(lower_, std::min(upper_, pos)); }

LRESULT CProgressCtrl::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto changed = [&](int old) {
    if (old != pos_) Invalidate();
    return static_cast<LRESULT>(old);
  };
  switch (msg) {
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
      LRESULT old = MAKELONG(static_cast<WORD>(lower_), static_cast<WORD>(upper_));
      if (msg == PBM_SETRANGE) {
        lower_ = static_cast<SHORT>(LOWORD(static_cast<uintptr_t>(lParam)));
        upper_ = static_cast<SHORT>(HIWORD(static_cast<uintptr_t>(lParam)));
      } else {
        lower_ = static_cast<int>(static_cast<intptr_t>(wParam));
        upper_ = static_cast<int>(lParam);
      }
      // An empty or inverted range holds one position.
      if (upper_ < lower_) upper_ = lower_;
      pos_ = Clamp(pos_);
      Invalidate();
      return old;
    }
    case PBM_GETRANGE: {
      if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) {
        range->iLow = lower_;
        range->iHigh = upper_;
      }
      return wParam ? lower_ : upper_;
    }
    case PBM_SETPOS: {
      int old = pos_;
      pos_ = Clamp(static_cast<int>(static_cast<intptr_t>(wParam)));
      return changed(old);
    }
    case PBM_DELTAPOS: {
      int old = pos_;
      pos_ = Clamp(pos_ + static_cast<int>(static_cast<intptr_t>(wParam)));
      return changed(old);
    }
    case PBM_SETSTEP: {
      int old = step_;
      step_ = static_cast<int>(static_cast<intptr_t>(wParam));
      return old;
    }
    case PBM_STEPIT: {
      int old = pos_;
      long long next = static_cast<long long>(pos_) + step_;
      long long span = static_cast<long long>(upper_) - lower_;
      if (span <= 0) {
        pos_ = lower_;
      } else if (next > upper_) {
        pos_ = static_cast<int>(lower_ + (next - upper_) % span);
      } else if (next < lower_) {
        pos_ = static_cast<int>(upper_ - (lower_ - next) % span);
      } else {
        pos_ = static_cast<int>(next);
      }
      return changed(old);
    }
    case PBM_GETPOS:
      return pos_;
    case PBM_SETBARCOLOR: {
      COLORREF old = bar_;
      bar_ = static_cast<COLORREF>(lParam);
      Invalidate();
      return static_cast<LRESULT>(old);
    }
    case PBM_SETBKCOLOR: {
      COLORREF old = back_;
      back_ = static_cast<COLORREF>(lParam);
      Invalidate();
      return static_cast<LRESULT>(old);
    }
    default:
      return CUiControl::DefWindowProc(msg, wParam, lParam);
  }
}

void CProgressCtrl::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, back_ == CLR_DEFAULT ? kiv::ui::kEditBack : back_);
  long long span = static_cast<long long>(upper_) - lower_;
  if (span <= 0) return;
  int filled = static_cast<int>((static_cast<long long>(pos_) - lower_) * client.Width() / span);
  if (filled > 0) dc.FillSolidRect(0, 0, filled, client.Height(), bar_ == CLR_DEFAULT ? kDefaultBar : bar_);
}
