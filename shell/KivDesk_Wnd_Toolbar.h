// CKivDesk_Wnd_Toolbar: the index ticker below the main window's title bar
// (window name "CKivDesk_ToolBar", control id 214). It shows four indices
// (000001 Shanghai, 399001 Shenzhen, 000300 Shanghai, 399005 Shenzhen), each
// with its level, change and change ratio in the colour of the change, and
// in the wide layout a date-and-time clock at the right; in the narrow
// layout one index at a time, the next at each tick. A click on an index
// opens it: WM_KIV_OPEN_STOCK to the parent with a heap StockId and origin
// KIV_ORIGIN_NONE (freed here when the post fails).
//
// Its data: one request (20000001, RequestToolbarQuotes) at creation and at
// every tick of timer 10124, 5000 ms after an answered or failed request,
// 1000 ms while the last one is still unanswered. A reply of exactly four
// rows replaces the quote pack (rows in entry order: 300000037 last,
// 300000005 previous close, both x 10000); any other row count keeps the old
// values. After every reply the quote pack is written to <data>/Frame.dat
// (temporary file, then renamed over it, so a crash never leaves half a
// file), and read back at the next creation through the record-set loader's
// checks: a short, corrupt or oversized file, or one without four rows,
// leaves the pack empty until the first reply (rows then read 0 and show
// "--").
//
// Threads: OnQuotePacket runs on the network service's I/O thread, bound to
// the window's liveness token (a reply after DestroyWindow is dropped); it
// takes the quote lock in write mode for every touch of the quote pack,
// invalidates the window and writes Frame.dat, nothing more. The paint
// reads the pack under the lock in read mode; everything else is the UI
// thread's. The pending flag is shared between the two and atomic.
//
// Ownership: the main window creates it once (CWnd::Create, WS_CHILD |
// WS_VISIBLE) and destroys it before deleting it; the network service
// outlives it. The ticker owns its pack, surface and font.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <list>
#include <string>

#include "net/BlockingSocket.h"
#include "net/KivNetPack.h"
#include "net/KivRWLock.h"
#include "net/NetService.h"
#include "platform/core/Wnd.h"
#include "requests/RequestWindows.h"
#include "shell/KivTabCanvas.h"

class CKivDesk_Wnd_Toolbar : public CWnd, public kiv::TickerWindow {
 public:
  static constexpr int kIndexCount = 4;
  static constexpr COLORREF kBackground = 0x0F0F0F;
  static constexpr COLORREF kBorder = 0x555555;
  static constexpr int kTextTop = 4;
  static constexpr int kNameLeft = 5;
  static constexpr int kCellGap = 2;       // between a cell's right edge and the next one's left
  static constexpr int kClockPadding = 20;  // beside the widest clock text
  static constexpr int kClockTopInset = 4;
  // A Frame.dat longer than this is not one the ticker wrote.
  static constexpr size_t kMaxFrameFileBytes = 64 * 1024;

  explicit CKivDesk_Wnd_Toolbar(CNetService& service);
  ~CKivDesk_Wnd_Toolbar() override;

  // TRUE: four cells and the clock in the theme's lfNormal; FALSE: one cell
  // in its lfSmall.
  void SetWideMode(BOOL wide);
  BOOL IsWideMode() const { return wide_; }

  // kiv::TickerWindow.
  HWND WindowHandle() const override { return m_hWnd; }
  kiv::CKivBlockingSocket& BlockingSocket() override { return socket_; }
  PacketHandler ReplyHandler() override;
  std::list<StockId> IndexIds() const override;

  // The reply handler (I/O thread).
  bool OnQuotePacket(KivNetPack& reply, const uint32_t& type, const uint32_t& extra);

  // State, for the owner and tests (UI thread, but QuoteOf and IsPending).
  int Cursor() const { return cursor_; }
  bool IsPending() const { return pending_.load() != 0; }
  // Last and previous close of entry `index` as the quote pack holds them
  // (0 when it holds none); any thread.
  bool QuoteOf(int index, int32_t* last, int32_t* previousClose);
  // Where the last paint put cell `index` and the clock (client coordinates).
  CRect CellRect(int index) const;
  CRect ClockRect() const { return clockRect_; }

  // What the cells and the clock show, for one quote and one local time.
  struct CellTexts {
    std::string value;
    std::string change;
    std::string ratio;
    int sign = 0;  // of the change: 1, -1 or 0
  };
  static CellTexts FormatCell(int32_t last, int32_t previousClose);
  static std::string FormatClock(const std::tm& local);
  static const char* IndexName(int index);

  // Frame.dat: where, and the two ends of its life. Load fails (leaving
  // *pack empty) for a missing, unreadable, oversized or corrupt file, or a
  // pack without four rows.
  static std::string FrameFilePath();
  static bool LoadFrameFile(const std::string& gbkPath, KivNetPack* pack);
  static bool SaveFrameFile(const std::string& gbkPath, const std::string& packBytes);

 protected:
  int OnCreate(LPCREATESTRUCT cs) override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnTimer(UINT_PTR id) override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  // WM_KIV_REQUEST_FAILED and WM_KIV_REQUEST_ENDED.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The whole picture of the client area on dc: what the paint shows.
  void Draw(CDC& dc, const CRect& client);

 private:
  void DrawCell(CDC& dc, int index, const CRect& cell);
  void RequestQuotes();
  CFont& Font();

  CNetService& service_;
  const StockId entries_[kIndexCount];
  kiv::CKivBlockingSocket socket_;

  CKivRWLock quoteLock_;
  KivNetPack quotePack_;  // guarded by quoteLock_ (any access, getters included)
  std::atomic<int> pending_{0};

  BOOL wide_ = FALSE;
  int cursor_ = 0;
  CRect cellRects_[kIndexCount];
  CRect clockRect_;
  CFont font_;
  KivTabCanvas canvas_;
};
