// CEdit: a text field (plain, password or read-only), single-line or, with
// ES_MULTILINE, of lines broken at "\r\n" that scroll vertically to keep
// the caret shown (Enter breaks a line; in a dialog only with
// ES_WANTRETURN, else Enter is the dialog's). Text is
// GBK: a lead byte (0x81-0xFE) and its trail byte are one character that the
// caret and deletions never split, also when it arrives as two WM_CHAR
// messages. Every change, typed or set with SetWindowText/EM_REPLACESEL,
// reports EN_UPDATE and then EN_CHANGE to the parent; gaining the focus
// reports EN_SETFOCUS, losing it EN_KILLFOCUS. Colours come from the
// parent's WM_CTLCOLOREDIT (WM_CTLCOLORSTATIC when read-only or disabled).
//
// Cut, copy and paste (WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR, Ctrl+X/C/V) go
// through the layer's text clipboard; WM_UNDO takes back the last change.
// The context menu offers the same, as every edit does.
#pragma once

#include <string>
#include <vector>

#include "platform/ui/Control.h"

constexpr UINT EM_GETFIRSTVISIBLELINE = 0x00CE;
constexpr UINT EM_GETLINECOUNT = 0x00BA;
constexpr UINT EM_LINEINDEX = 0x00BB;
constexpr UINT EM_LINEFROMCHAR = 0x00C9;
constexpr UINT EM_LINESCROLL = 0x00B6;
constexpr UINT EM_UNDO = 0x00C7;

namespace kiv {
namespace ui {
// The text clipboard of the program's windows (GBK).
void SetClipboardText(const std::string& text);
std::string GetClipboardText();
}  // namespace ui
}  // namespace kiv

class CEdit : public CUiControl {
 public:
  BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
  void SetSel(int start, int end, BOOL noScroll = FALSE);
  void GetSel(int& start, int& end) const;
  void ReplaceSel(LPCSTR text, BOOL canUndo = FALSE);
  void SetLimitText(UINT maxBytes);
  UINT GetLimitText() const { return limit_; }
  BOOL SetReadOnly(BOOL readOnly = TRUE);
  void SetPasswordChar(char ch);
  void Cut() { SendMessage(WM_CUT); }
  void Copy() { SendMessage(WM_COPY); }
  void Paste() { SendMessage(WM_PASTE); }
  void Clear() { SendMessage(WM_CLEAR); }
  BOOL Undo() { return static_cast<BOOL>(SendMessage(WM_UNDO)); }
  BOOL CanUndo() const { return hasUndo_ ? TRUE : FALSE; }
  char GetPasswordChar() const { return passwordChar_; }
  // The caret, as a byte offset into the text.
  int CaretPos() const { return caret_; }
  int GetLineCount() const { return static_cast<int>(const_cast<CEdit*>(this)->SendMessage(EM_GETLINECOUNT)); }
  int GetFirstVisibleLine() const {
    return static_cast<int>(const_cast<CEdit*>(this)->SendMessage(EM_GETFIRSTVISIBLELINE));
  }
  void LineScroll(int lines) { SendMessage(EM_LINESCROLL, 0, lines); }
  int LineIndex(int line = -1) const {
    return static_cast<int>(const_cast<CEdit*>(this)->SendMessage(EM_LINEINDEX, static_cast<WPARAM>(line)));
  }

 protected:
  // The edit's behaviour, one message at a time; a derived edit overrides
  // one (filtering OnChar, say) and calls this one for the rest.
  void OnChar(UINT ch, UINT repeat, UINT flags) override;
  void OnKeyDown(UINT ch, UINT repeat, UINT flags) override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonDblClk(UINT flags, CPoint point) override;  // selects everything
  void OnMouseMove(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  void OnCaptureChanged(CWnd* wnd) override;
  BOOL OnMouseWheel(UINT flags, short delta, CPoint point) override;
  void OnContextMenu(CWnd* wnd, CPoint screenPoint) override;
  void OnSetFocus(CWnd* oldWnd) override;
  void OnKillFocus(CWnd* newWnd) override;
  void OnEnable(BOOL enable) override;
  void OnPaint() override;
  // The edit's own messages (EM_*), the text and clipboard messages
  // (WM_SETTEXT, WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR, WM_UNDO) and
  // WM_GETDLGCODE.
  LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  std::string Text() const;
  // Replaces the selection with text (cut to the limit at a character
  // boundary); notifies when anything changed.
  void Insert(const std::string& text);
  void SetTextQuiet(const std::string& text);
  void MoveCaret(int pos, bool extend);
  void DeleteSelection();
  std::string Shown(const std::string& text) const;
  struct LineSpan {
    int start;
    int end;  // before the line break
  };
  std::vector<LineSpan> Lines(const std::string& text) const;
  static int LineOf(const std::vector<LineSpan>& lines, int pos);
  int LineHeight();
  int VisibleLines();
  void KeepCaretLineShown();
  void ScrollLines(int delta);
  int OffsetAt(int x, int y);
  int OffsetInLine(const std::string& text, const LineSpan& span, int target);
  int XOf(const std::string& text, const LineSpan& span, int pos);
  void Changed();
  void ShowContextMenu(CPoint screen);
  std::string SelectedText() const;
  void SelectAll();
  // Ctrl+C, Ctrl+V, Ctrl+X and Ctrl+Z as characters; false for any other.
  bool RunShortcut(unsigned char ch);
  // The caret keys; false for any other key.
  bool MoveCaretByKey(UINT key, bool extend);

  LRESULT OnSetText(LPCSTR text);
  LRESULT OnGetSel(DWORD* start, DWORD* end) const;
  void OnSetSel(int start, int end);
  void OnReplaceSel(LPCSTR text);
  void OnLimitText(UINT maxBytes);
  void OnSetReadOnly(bool readOnly);
  void OnSetPasswordChar(char ch);
  LRESULT OnGetDlgCode(const MSG* msg) const;
  void OnCopy();
  void OnCut();
  void OnClear();
  void OnPaste();
  BOOL OnUndo();
  void OnScrollQuery(int bar, kiv::ui::ScrollQuery* query);
  LRESULT OnLineIndex(int line) const;
  LRESULT OnLineFromChar(int pos) const;

  int caret_ = 0;
  int anchor_ = 0;  // the other end of the selection
  UINT limit_ = 30000;
  char passwordChar_ = 0;
  int pendingLead_ = -1;  // a GBK lead byte waiting for its trail byte
  int scroll_ = 0;        // pixels scrolled left to keep the caret shown
  int topLine_ = 0;       // multi-line: the first line shown
  bool hasUndo_ = false;
  std::string undoText_;
  int undoCaret_ = 0;
  bool focused_ = false;
  bool selecting_ = false;
};
