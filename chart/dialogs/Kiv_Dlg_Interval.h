// CKiv_Dlg_Interval: the chart menu's "区间统计", a self-painted modal dialog
// (template 317, 270 x 320 pixels) over a range of bars of the shown series:
// start and end, open, high, low, close, volume, amount, change, amplitude
// and turnover in eleven read-only value boxes beside their labels (the row
// 加权均价 stays hidden), and painted right of them the counts of bars by
// kind ("总数", "天数", "阳线", "阴线", "平线", "上涨", "下跌", each "%d个").
// A title band (skin 217 tiled) with the stock, "区间统计" and 复权 / 未复权
// drags the dialog; the close skin 220 at its right cancels it on release.
//
// The chart makes one for its life (through the stock view's
// ChartDialogMaker), hands it a range with SetData and runs it with
// RunModal. SetData copies the bars of the range (and the bar before it, for
// the previous close), so the chart may replace its series while the dialog
// is up. When it opens, the dialog asks for its stock's finance block
// (20000055) and computes the turnover again once the share-capital history
// arrives; the history is kept between runs and used only for the stock it
// came from, so a new stock shows no turnover until its own history comes.
// A reply for another stock than the one shown is dropped.
//
// Threads: everything on the UI thread except OnPacket, which runs on the
// network service's I/O thread, bound to the dialog's window (a reply after
// the dialog went is dropped); it keeps the history under the dialog's lock
// and posts WM_KIV_INTERVAL_CAPITAL to the dialog, which does the rest.
#pragma once

#include <array>
#include <vector>

#include "chart/dialogs/ChartDialogIds.h"
#include "chart/engine/IntervalStatistics.h"
#include "chart/engine/window/ChartDialogSeams.h"
#include "data/KLineBar.h"
#include "data/StockTable.h"
#include "net/BlockingSocket.h"
#include "net/KivRWLock.h"
#include "net/NetService.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/GdiObject.h"
#include "platform/ui/Dialog.h"
#include "requests/RequestWindows.h"

class CKiv_Dlg_Interval : public CDialogEx, public kiv::ChartIntervalDialog, public kiv::StockWindow {
 public:
  // Placement and layout, in pixels of the client area.
  static constexpr int kWidth = 270;
  static constexpr int kHeight = 320;
  static constexpr int kAboveCentre = 200;  // the top this far above the work area's vertical centre
  static constexpr int kLabelLeft = 10;
  static constexpr int kLabelWidth = 50;
  static constexpr int kValueLeft = 65;
  static constexpr int kValueWidth = 100;
  static constexpr int kRowHeight = 20;
  static constexpr int kFirstRowTop = 30;
  static constexpr int kRowStep = 25;
  static constexpr int kCountsLeft = 170;
  static constexpr int kCountsTop = 30;
  static constexpr int kCountValueGap = 6;  // between a count's label and its value
  static constexpr int kTitleLeft = 5;
  static constexpr int kCloseInset = 5;     // the close skin from the band's right end
  static constexpr int kCountRows = 7;

  explicit CKiv_Dlg_Interval(CNetService& service, CWnd* parent = nullptr);
  ~CKiv_Dlg_Interval() override;

  // ---- kiv::ChartIntervalDialog ----
  // FALSE, storing nothing, for null bars, a negative index, first > last
  // or last >= count. While the dialog is open the new range shows at once.
  BOOL SetData(const StockRecord& stock, const KLineBar* bars, int count, int first, int last, DataType period,
               int seriesFlag) override;
  // DoModal; the dialog's owner is the active window's top-level (the
  // chart's, whose menu chose the item).
  INT_PTR RunModal(CWnd* parent) override;
  StockId OpenStock() const override;
  void Close() override;

  // ---- kiv::StockWindow ----
  HWND WindowHandle() const override { return m_hWnd; }
  kiv::CKivBlockingSocket& BlockingSocket() override { return socket_; }
  PacketHandler ReplyHandler() override;
  StockId CurrentStock() const override;

  // The finance reply (I/O thread): true for other types, false when the
  // reply lacks its containers (the history kept stays as it was).
  bool OnPacket(KivNetPack& reply, const uint32_t& type, const uint32_t& extra);

  // What the dialog shows (UI thread).
  const kiv::IntervalStatistics& Results() const { return results_; }
  std::string Title() const;
  CRect TitleBand() const { return titleBand_; }
  CRect CloseRect() const { return closeRect_; }
  // The stock whose capital history is kept (0: none yet); any thread.
  StockId CapitalStock() const;

 protected:
  BOOL OnInitDialog() override;
  BOOL OnEraseBkgnd(CDC* dc) override;
  void OnPaint() override;
  void OnLButtonDown(UINT flags, CPoint point) override;
  void OnLButtonUp(UINT flags, CPoint point) override;
  HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
  void OnShowWindow(BOOL show, UINT status) override;
  void OnDestroy() override;
  // WM_KIV_INTERVAL_CAPITAL.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  void PlaceWindow();
  void PlaceRows();
  // Computes over the stored range with the kept history when it is the
  // shown stock's, and puts the texts into the value boxes.
  void Recompute();
  void DrawTitleBand(CDC& dc, const CRect& client);
  void DrawCounts(CDC& dc);
  void ShowValues();

  CNetService& service_;
  CBrush background_;
  mutable CKivRWLock lock_;  // guards stock_ and capital_, which the reply handler reads and writes

  // The range: a copy of bars first - 1 (when there is one) .. last, with
  // first_ and last_ indices into it.
  std::vector<KLineBar> bars_;
  int first_ = 0;
  int last_ = -1;
  DataType period_ = 0;
  int seriesFlag_ = 0;

  kiv::CapitalHistory capital_;  // kept between runs

  CRect titleBand_;
  CRect closeRect_;
  std::array<int, kIntervalRows> labelIds_{};
  std::array<int, kIntervalRows> valueIds_{};

  kiv::IntervalStatistics results_;
  StockRecord stock_{};
  BOOL shown_ = FALSE;
  BOOL valuesShown_ = FALSE;  // the value boxes are made read-only and shown at the first paint

  CBitmap titleTile_;
  CBitmap closeSkin_;
  CFont textFont_;
  kiv::CKivBlockingSocket socket_;
};
