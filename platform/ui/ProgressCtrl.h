// CProgressCtrl: a bar showing pos within [lower, upper], filled from the
// left in the bar colour over the background colour.
#pragma once

#include "platform/ui/Control.h"

constexpr DWORD PBS_SMOOTH = 0x01u;
constexpr DWORD PBS_VERTICAL = 0x04u;
constexpr UINT PBM_SETRANGE = WM_USER + 1;
constexpr UINT PBM_SETPOS = WM_USER + 2;
constexpr UINT PBM_DELTAPOS = WM_USER + 3;
constexpr UINT PBM_SETSTEP = WM_USER + 4;
constexpr UINT PBM_STEPIT = WM_USER + 5;
constexpr UINT PBM_SETRANGE32 = WM_USER + 6;
constexpr UINT PBM_GETRANGE = WM_USER + 7;
constexpr UINT PBM_GETPOS = WM_USER + 8;
constexpr UINT PBM_SETBARCOLOR = WM_USER + 9;
constexpr UINT PBM_SETBKCOLOR = 0x2001;
constexpr COLORREF CLR_DEFAULT = 0xFF000000u;

struct PBRANGE {
  int iLow = 0;
  int iHigh = 0;
};

class CProgressCtrl : public CUiControl {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetRange(short lower, short upper);
  void SetRange32(int lower, int upper);
  void GetRange(int& lower, int& upper) const;
  int GetPos() const;
  int SetPos(int pos);        // returns the previous position
  int OffsetPos(int delta);   // returns the previous position
  int SetStep(int step);      // returns the previous step
  int StepIt();               // past the upper end it starts again at the lower one
  COLORREF SetBarColor(COLORREF color);
  COLORREF SetBkColor(COLORREF color);

 protected:
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnPaint() override;

 private:
  int Clamp(int pos) const;
  int lower_ = 0;
  int upper_ = 100;
  int pos_ = 0;
  int step_ = 10;
  COLORREF bar_ = CLR_DEFAULT;
  COLORREF back_ = CLR_DEFAULT;
};
