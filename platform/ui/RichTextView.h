// CRichTextView: a small read-only text view of runs, each with its own
// weight, size and colour. "\n" starts a paragraph; lines wrap at the view's
// width (at a space when the line has one, else between characters, never
// inside a GBK character). The view scrolls vertically: mouse wheel, arrow
// and page keys, WM_VSCROLL (SB_*) and SetScrollPos. Every scroll that moves
// reports EN_UPDATE to the parent, which draws its own scroll bar from
// GetScrollRange and GetScrollPos.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Control.h"

struct TextRun {
  std::string text;  // GBK
  bool bold = false;
  int pointSize = 9;
  COLORREF color = CLR_INVALID;  // the view's text colour
};

class CRichTextView : public CUiControl {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void Clear();
  void AppendRun(const TextRun& run);
  void SetRuns(std::vector<TextRun> runs);
  std::string GetPlainText() const;
  const std::vector<TextRun>& GetRuns() const { return runs_; }
  // Gives bytes start..end of the plain text (end excluded, both moved back
  // to the start of the character they fall in, so that no GBK character
  // is split) the weight and size given; their colour stays. The text and
  // the scroll position stay; the lines are wrapped again.
  void FormatRange(size_t start, size_t end, bool bold, int pointSize);

  // Pixels: the content's height, and the scroll position (its top shown
  // at the view's top), from 0 to GetContentHeight() - page height.
  int GetContentHeight();
  void GetScrollRange(int* minPos, int* maxPos);
  int GetScrollPos() const { return scroll_; }
  int SetScrollPos(int pos);  // returns the previous position
  int GetLineCount();

 protected:
  BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;
  void OnVScroll(UINT sbCode, UINT pos, LPARAM scrollBarOrPoint) override;
  void OnKeyDown(UINT ch, UINT repeat, UINT flags) override;  // arrows, pages, Home, End
  void OnLButtonDown(UINT flags, CPoint point) override;      // takes the focus
  void OnSize(UINT type, int cx, int cy) override;
  void OnPaint() override;
  // WM_SETTEXT (plain text), WM_GETDLGCODE and the scroll query.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  struct Fragment {
    size_t run;
    std::string text;
    int x;
  };
  struct Line {
    std::vector<Fragment> fragments;
    int top = 0;
    int height = 0;
    int ascent = 0;
  };
  CFont* FontFor(const TextRun& run);
  void Layout();
  int MaxScroll();
  void ScrollBy(int delta);

  std::vector<TextRun> runs_;
  std::vector<Line> lines_;
  std::map<std::pair<bool, int>, std::unique_ptr<CFont>> fonts_;
  bool dirty_ = true;
  int laidOutWidth_ = -1;
  int contentHeight_ = 0;
  int scroll_ = 0;
  static constexpr int kLineStep = 16;
};
