// ChartModel: the data half of the K-line chart (CKIVKLineBlock), without a
// window. It shows the bars of one stock in one period: the cached series
// at once, then what the market-data link or the HTTP loaders deliver,
// merged bar by bar; the ex-rights adjusted copy; the moving-average lines;
// the signal flags; the insider-change texts. The chart window hosts it and
// hands it its messages and timers; it reaches out only through the host
// (ChartModelHost.h).
//
// The landed request procedures drive it unchanged: it is the
// KLineBlockRequester of StartKLineRequest and the StockWindow of
// RequestKLineBlockData.
//
// Ownership: the model owns the shown series (m_pSeries), its adjusted copy
// and every series posted to it (from the moment it is posted). The pointer
// it sends to its parent with WM_KIV_SERIES_READY stays the model's and is
// valid until the next WM_KIV_SERIES_READY.
//
// Threads: everything runs on the UI thread, except two callbacks that never
// touch a member but the one said here:
//   - the bar-reply handler and the HTTP loaders hold the window's handle and
//     the model's liveness reference by value, decode on their own thread
//     without any lock of the model, and post the series (ChartBarDelivery.h);
//   - the ex-rights reply handler runs bound to the model's Lifeline and
//     only stores the reply under m_SeriesLock and posts
//     WM_KIV_EXRIGHTS_READY; OnExRightsReady copies the rows into a table the
//     UI thread owns, which painting and the adjustment read.
// The host destroys its window before the model (the window's queue may
// hold series for it).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "chart/engine/ChartLineSet.h"
#include "chart/engine/ChartModelHost.h"
#include "data/Congfig.h"
#include "data/ExRights.h"
#include "data/IpConfigTable.h"
#include "data/KLineSeries.h"
#include "data/StockTable.h"
#include "net/KivNetPack.h"
#include "net/KivRWLock.h"
#include "net/RWSpinLock.h"
#include "platform/post/Lifeline.h"
#include "requests/ChartBarRequests.h"
#include "requests/RequestWindows.h"

class CNetService;

namespace kiv {

// Set at start-up: the very first SetStock of any chart deletes the cached
// series of the five main indices once per run, so that they are loaded in
// full again. UI thread only.
extern bool g_bFirstKLineLoad;

// Bits of m_DisplayOptions.
constexpr uint8_t kShortMarksBit = 0x01;  // short-term marks of a stock
constexpr uint8_t kIndexMarksBit = 0x02;  // marks of an index
constexpr uint8_t kExRightsBit = 0x04;    // ex-rights adjusted prices (复权)
constexpr uint8_t kMidTermBit = 0x08;     // mid-term marks on day bars

// The services the model uses; all outlive it.
struct ChartServices {
  CNetService* net = nullptr;
  CKivStockTable* stocks = nullptr;  // names of series; may be null
  CIpConfigTable* hosts = nullptr;   // HTTP hosts; may be null (no HTTP loads)
};

// 5-, 15- and 30-minute bars are drawn and computed on the adjusted series.
bool IsDerivedSeriesPeriod(DataType type);
// Market 1 below code 999, market 2 above 399000, and every market-4 instrument.
bool IsIndexStock(StockId id);

class ChartModel : public KLineBlockRequester, public StockWindow {
 public:
  // The series is saved at most this often while polling.
  static constexpr int64_t kSaveIntervalSeconds = 30;

  ChartModel(ChartModelHost& host, ChartServices services);
  // Saves a changed series; revokes the model's liveness first.
  ~ChartModel() override;
  ChartModel(const ChartModel&) = delete;
  ChartModel& operator=(const ChartModel&) = delete;

  // ---- operations of the chart ----
  // Shows `*id` in `period` (0 keeps the period). A market byte of 0 is
  // filled in the caller's word.
  void SetStock(StockId* id, DataType period);
  void ToggleExRights();
  void ToggleShortMarks();
  void ToggleIndexMarks();
  void ToggleMidTermMarks();
  // The plot width in pixels, for keeping the newest bar at the right edge.
  void SetPlotWidth(int width) { plotWidth_ = width; }
  // The five price and five volume averages take these periods (a period
  // below 0 keeps the line's) and colours; only lines whose period changed
  // are recomputed, on the drawn series.
  void SetAverageSettings(const MAPair price[ChartLineSet::kAverages], const MAPair volume[ChartLineSet::kAverages]);

  // ---- messages and timers the host passes on ----
  // True when the message is one of the model's, with its result.
  bool HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  LRESULT OnSeriesReady(WPARAM wParam, LPARAM lParam);
  LRESULT OnExRightsReady(WPARAM wParam, LPARAM lParam);
  LRESULT OnHolderMarks(WPARAM wParam, LPARAM lParam);
  void OnShowWindow(BOOL shown) { m_bShown = shown; }
  void OnTimer(UINT id);

  // The reply handler of RequestKLineBlockData (ex-rights), and of bar
  // replies when bound that way. I/O thread.
  bool OnPacket(KivNetPack& reply, const uint32_t& type, const uint32_t& extra);

  // ---- what painting, the indicator pane and tests read (UI thread) ----
  const CKLineSeries* Series() const { return m_pSeries.get(); }
  const CKLineSeries* AdjustedSeries() const { return m_pAdjustedSeries.get(); }
  // The series the lines are drawn on.
  const CKLineSeries* DrawnSeries() const;
  const ChartLineSet& Lines() const { return lines_; }
  ChartLineSet& Lines() { return lines_; }
  StockId GetStockId() const { return m_StockId; }
  DataType GetDataType() const { return m_DataType; }
  uint8_t DisplayOptions() const { return m_DisplayOptions; }
  // The stock view's mark buttons set the bits directly; the chart is drawn
  // anew.
  void SetDisplayOptions(uint8_t bits) {
    m_DisplayOptions = bits;
    m_bRedraw = 1;
    host_.Invalidate();
  }
  // The chart's last WM_SHOWWINDOW flag.
  BOOL IsShown() const { return m_bShown; }
  bool IsReplaceMode() const { return m_bReplaceSeries != 0; }
  bool IsRequestPending() const { return m_bRequestPending != 0; }
  bool HolderRecordsArrived() const { return m_bHolderRecords != 0; }
  bool HolderWorkerRunning() const { return holderSlot_.occupied; }
  StockId HolderWorkerStock() const { return holderSlot_.stock; }
  int32_t RequestRows() const { return m_RequestRows; }
  bool NeedsRedraw() const { return m_bRedraw != 0; }
  void ClearRedraw() { m_bRedraw = 0; }
  void RequestRedraw() { m_bRedraw = 1; }
  // The shown series for the overlay's run highlight, which writes the
  // bars' confirmation words (UI thread).
  CKLineSeries* MutableSeries() { return m_pSeries.get(); }
  int PeriodSlot() const { return m_PeriodSlot; }
  // The ex-rights rows of the shown stock, as the UI thread keeps them.
  const std::vector<ExRightsRecord>& ExRightsRows() const { return exRightsRows_; }
  StockId ExRightsStock() const { return exRightsStock_; }
  // Cache writes of the shown series since construction, and their bytes.
  uint64_t SaveCount() const { return saveCount_; }
  uint64_t BytesSaved() const { return bytesSaved_; }
  CKivRWLock& PaintLock() { return m_RWLock; }

  // ---- KLineBlockRequester ----
  HWND BlockHwnd() const override { return host_.ChartHwnd(); }
  StockId BlockStock() const override { return m_StockId; }
  BarRequestState BarState() const override;
  void SetRequestedCount(int32_t count) override { m_RequestRows = count; }
  PacketHandler BarHandler() override;
  std::shared_ptr<KLineLoaders> Loaders() override { return loaders_; }
  WindowRef Life() const override { return life_.Ref(); }
  void SetLoadingThread(CWinThreadPtr thread) override { loadingThread_ = std::move(thread); }

  // ---- StockWindow (RequestKLineBlockData) ----
  HWND WindowHandle() const override { return host_.ChartHwnd(); }
  CKivBlockingSocket& BlockingSocket() override { return socket_; }
  PacketHandler ReplyHandler() override;
  StockId CurrentStock() const override { return m_StockId; }

 private:
  struct HolderSlot {
    CWinThreadPtr thread;
    StockId stock = 0;
    bool occupied = false;
  };

  void DeleteFirstLoadIndexCaches();
  void StartBarRequest();
  void ReplayExRightsCache();
  void WriteExRightsCache();
  void BuildAdjustedSeries();
  void RecomputeLines(const CKLineSeries* drawn, uint64_t generation);
  void RecomputeLinesOnDrawn();
  uint64_t DrawnGeneration() const;
  // Merges `incoming` into m_pSeries; true when a bar was appended.
  bool MergeSeries(CKLineSeries& incoming, bool* changed);
  bool IsForShownStock(const CKLineSeries& series) const;
  void StartHolderWorker();
  void BuildHolderMarksOfSeries();
  void SaveSeries(bool force);
  void RightAlign();

  ChartModelHost& host_;
  ChartServices services_;
  std::shared_ptr<KLineLoaders> loaders_;

  CKivRWLock m_RWLock;        // painting and menus (the window's)
  CRWSpinLock m_SeriesLock;   // changes of the series, lines and the ex-rights reply
  std::unique_ptr<CKLineSeries> m_pSeries;
  std::unique_ptr<CKLineSeries> m_pAdjustedSeries;
  BOOL m_bShown = 0;
  BOOL m_bRedraw = 1;
  StockId m_StockId = 0;
  DataType m_DataType = 20000017;
  uint8_t m_DisplayOptions = 0;
  BOOL m_bReplaceSeries = 0;
  BOOL m_bRequestPending = 0;
  HolderSlot holderSlot_;     // the running holder-marks worker and its stock
  BOOL m_bHolderRecords = 0;
  KivNetPack m_ExRightsPack;  // the kept ex-rights reply (UI thread)
  ChartLineSet lines_;
  int m_PeriodSlot = 0;
  int32_t m_RequestRows = 0;

  // The ex-rights reply the I/O thread delivered, under m_SeriesLock.
  std::unique_ptr<KivNetPack> pendingExRights_;
  // The ex-rights rows of exRightsStock_, owned by the UI thread.
  StockId exRightsStock_ = 0;
  std::vector<ExRightsRecord> exRightsRows_;

  uint64_t nextGeneration_ = 1;
  uint64_t rawGeneration_ = 0;
  uint64_t adjustedGeneration_ = 0;
  int plotWidth_ = 0;

  bool dirty_ = false;            // the shown series differs from its cache file
  int64_t lastSaveTime_ = 0;      // seconds; 0: not saved since SetStock
  bool savedSinceSwitch_ = false;
  uint64_t saveCount_ = 0;
  uint64_t bytesSaved_ = 0;

  // The chart window's handle as the I/O thread reads it (copied from the
  // host on the UI thread at every switch).
  std::atomic<HWND> chartHwnd_{nullptr};
  CWinThreadPtr loadingThread_;
  CKivBlockingSocket socket_;
  Lifeline life_;  // last: revoked before the members above go
};

}  // namespace kiv
