#include "chart/engine/ChartModel.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "chart/engine/ChartBarDecoders.h"
#include "chart/engine/ChartBarDelivery.h"
#include "chart/engine/ChartIds.h"
#include "chart/engine/ChartSignals.h"
#include "chart/engine/KLineHolderMarks.h"
#include "chart/engine/KLineViewState.h"
#include "data/CachePath.h"
#include "data/KLineCacheFile.h"
#include "data/WorkerFetches.h"
#include "net/BindAlive.h"
#include "net/FieldIds.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/Files.h"
#include "requests/RequestProcedures.h"

namespace kiv {

bool g_bFirstKLineLoad = true;

namespace {

// An ex-rights cache file is one small serialised pack; anything larger is
// not one of ours.
constexpr size_t kMaxExRightsFileBytes = 1 << 20;

struct IndexCache {
  uint32_t code;
  uint32_t market;
};
constexpr IndexCache kFirstLoadIndices[] = {
    {1, kMarketShanghai}, {300, kMarketShanghai}, {399001, kMarketShenzhen},
    {399005, kMarketShenzhen}, {399006, kMarketShenzhen},
};

// Data/<sh|sz|sb|sdy>/Cq (GBK), created; empty for a market without a folder.
std::string ExRightsFolder(uint32_t market) {
  const char* folder = MarketFolderName(market);
  if (!folder) return std::string();
  const std::string path = GetDataFolder() + "/" + folder + "/Cq";
  CreateFolders(NativePath(path), 0755);
  return path;
}

std::string ExRightsFile(StockId stock) {
  const std::string folder = ExRightsFolder(StockMarket(stock));
  if (folder.empty()) return std::string();
  char name[16];
  std::snprintf(name, sizeof(name), "/%06u.cq", StockCode(stock));
  return folder + name;
}

StockId PackStock(const KivNetPack& pack) {
  KivNetPack copy(pack);  // getters make a pack read-only; the kept one stays as it is
  return static_cast<StockId>(copy.GetInt32(FIELD_STOCK_ID, 0));
}

}  // namespace

bool IsDerivedSeriesPeriod(DataType type) {
  return type == kDataTypeMin5 || type == kDataTypeMin15 || type == kDataTypeMin30;
}

bool IsIndexStock(StockId id) {
  const uint32_t market = StockMarket(id), code = StockCode(id);
  return (market == kMarketShanghai && code < 999) || (market == kMarketShenzhen && code > 399000) ||
         market == kMarketFourthBoard;
}

ChartModel::ChartModel(ChartModelHost& host, ChartServices services)
    : host_(host),
      services_(services),
      loaders_(std::make_shared<ChartHttpLoaders>(services.hosts, services.stocks)) {}

ChartModel::~ChartModel() {
  // Callbacks bound to the model stop before anything they touch goes.
  life_.Revoke();
  SaveSeries(true);
}

// ---------------------------------------------------------------- requests

BarRequestState ChartModel::BarState() const {
  BarRequestState state;
  state.requestMode = m_bReplaceSeries;
  state.period = m_DataType;
  if (m_pSeries && m_pSeries->GetCount() > 0) {
    state.barCount = m_pSeries->GetCount();
    state.lastBarTime = m_pSeries->Bar(m_pSeries->GetCount() - 1).time;
  }
  return state;
}

PacketHandler ChartModel::BarHandler() {
  return MakeBarReplyHandler(host_.ChartHwnd(), life_.Ref(), services_.stocks);
}

PacketHandler ChartModel::ReplyHandler() { return BindAlive(life_.Ref(), this, &ChartModel::OnPacket); }

bool ChartModel::OnPacket(KivNetPack& reply, const uint32_t& type, const uint32_t& extra) {
  // I/O thread: the host is the UI thread's; only the copied handle is read.
  const HWND chart = chartHwnd_.load();
  // This runs under the model's own liveness lock (BindAlive), so the
  // series goes out on the chart window's token: asking the model's again
  // would wait on the lock this thread holds.
  if (IsBarDataType(type)) {
    return MakeBarReplyHandler(chart, WindowRef::Of(chart), services_.stocks)(reply, type, extra);
  }
  if (type != DT_KLINE_INFO) return true;
  auto pack = std::make_unique<KivNetPack>();
  if (!reply.GetPack(*pack, GROUP_EXRIGHTS_REPLY, 0)) return false;
  {
    ScopedSpinWriteLock hold(&m_SeriesLock);
    pendingExRights_ = std::move(pack);
  }
  PostMessage(chart, WM_KIV_EXRIGHTS_READY, 0, 0);
  return true;
}

void ChartModel::StartBarRequest() {
  if (services_.net) StartKLineRequest(this, *services_.net);
}

// ---------------------------------------------------------------- SetStock

void ChartModel::DeleteFirstLoadIndexCaches() {
  for (const IndexCache& index : kFirstLoadIndices) {
    StockId id = MakeStockId(index.code, index.market);
    const std::string path = CachePathOf(&id, m_DataType);
    if (!path.empty()) ::unlink(NativePath(path).c_str());
  }
}

void ChartModel::SetStock(StockId* id, DataType period) {
  if (!id) return;
  if (g_bFirstKLineLoad) {
    DeleteFirstLoadIndexCaches();
    g_bFirstKLineLoad = false;
  }
  chartHwnd_ = host_.ChartHwnd();
  host_.KillTimer(kPollTimerId);
  // What the shown series gained since its last save is kept before it goes.
  SaveSeries(true);

  if (StockMarket(*id) == kMarketNone) {
    const int32_t cls = ClassifyCode(static_cast<int32_t>(StockCode(*id)));
    *id = MakeStockId(StockCode(*id), cls == 0 || cls == 1 ? kMarketShanghai : kMarketShenzhen);
  }
  m_StockId = *id;
  if (IsIndexStock(m_StockId)) {
    m_DisplayOptions &= static_cast<uint8_t>(~(kShortMarksBit | kExRightsBit));
  } else {
    m_DisplayOptions &= static_cast<uint8_t>(~kIndexMarksBit);
  }
  if (period != 0) m_DataType = period;

  ScopedSpinWriteLock hold(&m_SeriesLock);
  m_bRequestPending = 0;
  host_.SendToParent(WM_KIV_SERIES_READY, 0, 0);
  m_pAdjustedSeries.reset();
  adjustedGeneration_ = 0;
  if (!m_pSeries) m_pSeries = std::make_unique<CKLineSeries>();
  m_pSeries->SetStock(m_StockId);
  m_pSeries->SetDataType(m_DataType);
  if (StockMarket(m_StockId) == kMarketFourthBoard && IsIntradayPeriod(m_DataType)) {
    m_DataType = kDataTypeDay;
    m_pSeries->SetDataType(kDataTypeDay);
  }
  dirty_ = false;
  savedSinceSwitch_ = false;
  if (!m_pSeries->LoadFromFile()) {
    m_pSeries.reset();
    rawGeneration_ = 0;
    g_data.m_StartIndex = 0;
    lines_.Clear();
  } else {
    rawGeneration_ = nextGeneration_++;
    // Until the adjusted series is rebuilt, lines drawn on it stay empty.
    const bool adjustedDrawn = (m_DisplayOptions & kExRightsBit) || IsDerivedSeriesPeriod(m_DataType);
    lines_.ComputeAverages(adjustedDrawn ? nullptr : m_pSeries.get(), adjustedDrawn ? 0 : rawGeneration_);
    lines_.ComputeExtraLines(m_pSeries.get(), rawGeneration_);
    g_data.m_StartIndex = g_data.RightAlignedStart(m_pSeries->GetCount(), plotWidth_);
    m_bRedraw = 1;
    host_.SendToParent(WM_KIV_SERIES_READY, reinterpret_cast<WPARAM>(m_pSeries.get()), 1);
  }
  m_bHolderRecords = 0;
  m_bReplaceSeries = 0;
  host_.Invalidate();
  // A running holder-marks worker keeps its slot, with the stock it fetches
  // for: its late records are dropped, and a new fetch waits for it.

  m_bReplaceSeries = 1;
  StartBarRequest();
  m_bRequestPending = 1;
  host_.SetTimer(kPollTimerId, kPollPeriodMs);

  ReplayExRightsCache();
  if (StockMarket(m_StockId) != kMarketFourthBoard && services_.net) RequestKLineBlockData(this, *services_.net);
}

void ChartModel::ReplayExRightsCache() {
  // Under the caller's hold of m_SeriesLock.
  const std::string path = ExRightsFile(m_StockId);
  if (path.empty()) return;
  std::string bytes;
  bool cut = false;
  if (!ReadWholeFile(NativePath(path), &bytes, kMaxExRightsFileBytes, &cut)) return;
  auto pack = std::make_unique<KivNetPack>();
  if (cut || !pack->LoadFromString(bytes)) {
    ::unlink(NativePath(path).c_str());  // damaged: the next reply writes it anew
    return;
  }
  pendingExRights_ = std::move(pack);
  host_.PostToChart(WM_KIV_EXRIGHTS_READY, 0, 0);
}

// ---------------------------------------------------------------- arrivals

bool ChartModel::IsForShownStock(const CKLineSeries& series) const {
  if (series.GetDataType() != m_DataType) return false;
  if (!SameStockCode(series.GetStock(), m_StockId)) return false;
  return StockMarket(m_StockId) == kMarketNone || StockMarket(series.GetStock()) == StockMarket(m_StockId);
}

bool ChartModel::MergeSeries(CKLineSeries& incoming, bool* changed) {
  CKLineSeries& shown = *m_pSeries;
  std::memcpy(shown.Reserved(), incoming.Reserved(), CKLineSeries::kReservedBytes);
  shown.SetStock(incoming.GetStock());
  const int in = incoming.GetCount();
  if (in < 1) return false;
  // The first incoming bar whose time differs from the first one's: a reply
  // that repeats its first time starts after the repetition.
  int k = 0;
  while (k < in && incoming.Bar(k).time == incoming.Bar(0).time) ++k;
  if (k < in) {
    const int64_t time = incoming.Bar(k).time;
    for (int j = shown.GetCount() - 1; j >= 0; --j) {
      const int64_t t = shown.Bar(j).time;
      if (t < time) break;
      if (t == time && (j == 0 || shown.Bar(j - 1).time != t)) {
        // Overwrite from here on, in order.
        for (; k < in && j < shown.GetCount(); ++k, ++j) {
          const KLineBar& bar = incoming.Bar(k);
          if (std::memcmp(&shown.Bar(j), &bar, sizeof(KLineBar)) != 0 ||
              shown.Value1(j) != incoming.Value1(k) || shown.Value2(j) != incoming.Value2(k)) {
            *changed = true;
          }
          shown.Bar(j) = bar;
          shown.Flags(j) = (shown.Flags(j) & 0xFFFF0000u) | (incoming.Flags(k) & 0xFFFFu);
          shown.Value1(j) = incoming.Value1(k);
          shown.Value2(j) = incoming.Value2(k);
        }
        break;
      }
    }
  }
  bool appended = false;
  for (; k < in; ++k) {
    const int before = shown.GetCount();
    shown.AddBar(incoming.Bar(k), incoming.Flags(k), incoming.Value1(k), incoming.Value2(k), 0);
    if (shown.GetCount() != before) appended = true;
  }
  if (appended) *changed = true;
  return appended;
}

LRESULT ChartModel::OnSeriesReady(WPARAM wParam, LPARAM lParam) {
  std::unique_ptr<CKLineSeries> series = AdoptPosted<CKLineSeries>(wParam);
  // A series of another stock or period answers an older request: it is
  // dropped and changes nothing.
  if (series && !IsForShownStock(*series)) return 0;
  m_bRequestPending = 0;
  if (!series) return 0;

  ScopedSpinWriteLock hold(&m_SeriesLock);
  const DataType type = series->GetDataType();
  if (IsBarDataType(type)) {
    host_.SendToParent(WM_KIV_KLINE_PERIOD, type, StockMarket(m_StockId) == kMarketFourthBoard ? 4 : 0);
  }
  host_.SendToParent(WM_KIV_SERIES_READY, 0, 0);

  bool rightAlign = false;
  if (m_bReplaceSeries || !m_pSeries) {
    m_pSeries = std::move(series);
    rightAlign = true;
    dirty_ = true;
  } else if (series->GetDataType() != m_pSeries->GetDataType() || series->GetStock() != m_pSeries->GetStock() ||
             series->GetVariant() != m_pSeries->GetVariant()) {
    // The shown series is not what this chart asks for any more: both go,
    // and the bars are asked for again.
    g_data.m_StartIndex = -1;
    series.reset();
    m_pSeries.reset();
    m_pAdjustedSeries.reset();
    rawGeneration_ = adjustedGeneration_ = 0;
    dirty_ = false;
    host_.KillTimer(kPollTimerId);
    if (!m_bRequestPending) {
      StartBarRequest();
      m_bRequestPending = 1;
      host_.SetTimer(kPollTimerId, kPollPeriodMs);
    } else {
      host_.SetTimer(kPollTimerId, kRetryPeriodMs);
    }
    return 0;
  } else if (m_pSeries->GetCount() < 1) {
    m_pSeries = std::move(series);
    dirty_ = true;
  } else {
    bool changed = false;
    rightAlign = MergeSeries(*series, &changed);
    dirty_ = dirty_ || changed;
    series.reset();
  }
  rawGeneration_ = nextGeneration_++;

  m_bReplaceSeries = lParam != 0;
  BuildAdjustedSeries();
  ComputeEmaSlopeSignals(m_pSeries.get(), m_pAdjustedSeries.get());
  if (m_pSeries->GetStock() == m_StockId) ComputeIntradaySignals(m_pSeries.get());

  RecomputeLinesOnDrawn();
  host_.SendToParent(WM_KIV_SERIES_READY, reinterpret_cast<WPARAM>(DrawnSeries()), 0);
  if (rightAlign && m_pSeries) RightAlign();
  m_bRedraw = 1;
  host_.Invalidate();
  SaveSeries(false);

  if ((!m_bReplaceSeries || !m_bShown) && m_DataType == kDataTypeDay && !m_bHolderRecords && !holderSlot_.occupied) {
    host_.KillTimer(kHolderTimerId);
    StartHolderWorker();
    host_.SetTimer(kHolderTimerId, kHolderPeriodMs);
  }
  if (m_bReplaceSeries && m_bShown) {
    host_.KillTimer(kPollTimerId);
    if (!m_bRequestPending) StartBarRequest();
    host_.SetTimer(kPollTimerId, kPollPeriodMs);
  }
  BuildHolderMarksOfSeries();
  return 0;
}

void ChartModel::RightAlign() { g_data.m_StartIndex = g_data.RightAlignedStart(m_pSeries->GetCount(), plotWidth_); }

LRESULT ChartModel::OnExRightsReady(WPARAM, LPARAM) {
  ScopedSpinWriteLock hold(&m_SeriesLock);
  std::unique_ptr<KivNetPack> pack = std::move(pendingExRights_);
  if (!pack) return 0;  // an earlier notice took it already
  const StockId stock = PackStock(*pack);
  if (stock != m_StockId) return 0;  // for a stock no longer shown
  m_ExRightsPack = *pack;
  exRightsStock_ = stock;
  exRightsRows_ = ExRightsRecordsOf(*pack);

  host_.SendToParent(WM_KIV_SERIES_READY, 0, 0);
  WriteExRightsCache();
  if ((m_DisplayOptions & kExRightsBit) || IsDerivedSeriesPeriod(m_DataType)) BuildAdjustedSeries();
  RecomputeLinesOnDrawn();
  host_.SendToParent(WM_KIV_SERIES_READY, reinterpret_cast<WPARAM>(DrawnSeries()), 0);
  m_bRedraw = 1;
  host_.Invalidate();
  return 0;
}

void ChartModel::WriteExRightsCache() {
  KivNetPack pack(m_ExRightsPack);
  KivNetPack rows;
  if (!pack.GetPack(rows, GROUP_EXRIGHTS_ROWS, 0)) return;
  const StockId stock = static_cast<StockId>(pack.GetInt32(FIELD_STOCK_ID, 0));
  const std::string path = ExRightsFile(stock);
  if (path.empty()) return;
  std::string bytes;
  if (!m_ExRightsPack.GetAllPackData(bytes)) return;
  ReplaceFileAtomically(NativePath(path), bytes, 0644);
}

void ChartModel::BuildAdjustedSeries() {
  if (m_DataType != kDataTypeDay && !IsDerivedSeriesPeriod(m_DataType)) return;
  if (!m_pSeries || m_pSeries->GetStock() != m_StockId || m_pSeries->GetDataType() != m_DataType) return;
  m_pAdjustedSeries.reset();
  adjustedGeneration_ = 0;
  const int count = m_pSeries->GetCount();
  if (count < 1) return;
  // An exact copy: bars, signal flags and both value arrays through the
  // cache layout, then the confirmation words; holder texts and marks stay
  // with the raw series.
  auto adjusted = std::make_unique<CKLineSeries>();
  const std::string bytes = KLineCacheCodec::Encode(*m_pSeries);
  if (KLineCacheCodec::Decode(bytes.data(), bytes.size(), adjusted.get()) != KLineCacheResult::kLoaded) return;
  for (int i = 0; i < count; ++i) adjusted->SpareWord(i) = m_pSeries->SpareWord(i);
  if (exRightsStock_ == m_StockId && !exRightsRows_.empty()) {
    const int rows = static_cast<int>(exRightsRows_.size());
    const int start = 0;
    ApplyExRights(adjusted.get(), exRightsRows_.data(), &rows, &start);
  }
  m_pAdjustedSeries = std::move(adjusted);
  adjustedGeneration_ = nextGeneration_++;
}

const CKLineSeries* ChartModel::DrawnSeries() const {
  if (m_pAdjustedSeries && ((m_DisplayOptions & kExRightsBit) || IsDerivedSeriesPeriod(m_DataType))) {
    return m_pAdjustedSeries.get();
  }
  return m_pSeries.get();
}

uint64_t ChartModel::DrawnGeneration() const {
  const CKLineSeries* drawn = DrawnSeries();
  if (!drawn) return 0;
  return drawn == m_pAdjustedSeries.get() ? adjustedGeneration_ : rawGeneration_;
}

void ChartModel::RecomputeLines(const CKLineSeries* drawn, uint64_t generation) {
  lines_.ComputeAverages(drawn, generation);
  lines_.ComputeExtraLines(drawn, generation);
}

void ChartModel::RecomputeLinesOnDrawn() { RecomputeLines(DrawnSeries(), DrawnGeneration()); }

void ChartModel::SetAverageSettings(const MAPair price[ChartLineSet::kAverages],
                                    const MAPair volume[ChartLineSet::kAverages]) {
  for (int i = 0; i < ChartLineSet::kAverages; ++i) {
    if (price[i].period >= 0) lines_.priceMAPeriod[i] = price[i].period;
    if (volume[i].period >= 0) lines_.volumeMAPeriod[i] = volume[i].period;
    lines_.m_PriceMA[i].SetColor(price[i].colour);
    lines_.m_VolumeMA[i].SetColor(volume[i].colour);
  }
  ScopedSpinWriteLock hold(&m_SeriesLock);
  lines_.ComputeAverages(DrawnSeries(), DrawnGeneration());
}

// ---------------------------------------------------------------- toggles

void ChartModel::ToggleExRights() {
  if (m_DataType != kDataTypeDay) return;
  m_DisplayOptions ^= kExRightsBit;
  ScopedSpinWriteLock hold(&m_SeriesLock);
  host_.SendToParent(WM_KIV_SERIES_READY, 0, 0);
  if (m_DisplayOptions & kExRightsBit) BuildAdjustedSeries();
  RecomputeLinesOnDrawn();
  host_.SendToParent(WM_KIV_SERIES_READY, reinterpret_cast<WPARAM>(DrawnSeries()), 0);
  m_bRedraw = 1;
  host_.Invalidate();
}

void ChartModel::ToggleShortMarks() {
  if (m_DataType != kDataTypeDay && m_DataType != kDataTypeMin1 && m_DataType != kDataTypeMin5 &&
      m_DataType != kDataTypeHour) {
    return;
  }
  m_DisplayOptions ^= kShortMarksBit;
  if (m_DataType == kDataTypeDay) {
    if (m_DisplayOptions & kShortMarksBit) {
      m_DisplayOptions |= kMidTermBit;
    } else {
      m_DisplayOptions &= static_cast<uint8_t>(~kMidTermBit);
    }
  }
  m_bRedraw = 1;
  host_.Invalidate();
}

void ChartModel::ToggleIndexMarks() {
  if (m_DataType != kDataTypeDay) return;
  m_DisplayOptions = (m_DisplayOptions & kIndexMarksBit) ? 0 : kIndexMarksBit;
  m_bRedraw = 1;
  host_.Invalidate();
}

void ChartModel::ToggleMidTermMarks() {
  if (m_DataType == kDataTypeDay) {
    m_DisplayOptions ^= kMidTermBit;
    m_bRedraw = 1;
    host_.Invalidate();
  } else if (m_DataType == kDataTypeMin1 || m_DataType == kDataTypeMin5 || m_DataType == kDataTypeHour) {
    host_.Invalidate();
  }
}

// ---------------------------------------------------------------- holder marks

void ChartModel::StartHolderWorker() {
  std::string auxHost;
  if (services_.hosts) {
    ServerAddressList djg;
    services_.hosts->GetDJGList(djg);
    if (!djg.empty()) auxHost = djg.front().first;
  }
  auto job = std::make_unique<HolderFetchJob>();
  job->hwnd = host_.ChartHwnd();
  job->stock = m_StockId;
  job->auxHost = auxHost;
  CWinThreadPtr thread = host_.StartWorker(FetchHolderChangesThread, job.get());
  if (!thread) return;  // nothing runs: the timer tries again
  job.release();        // the worker frees it
  holderSlot_.thread = std::move(thread);
  holderSlot_.stock = m_StockId;
  holderSlot_.occupied = true;
}

LRESULT ChartModel::OnHolderMarks(WPARAM wParam, LPARAM lParam) {
  std::unique_ptr<StringRecord15[]> records = AdoptPosted<StringRecord15[]>(wParam);
  const bool forShownStock = holderSlot_.occupied && holderSlot_.stock == m_StockId;
  holderSlot_ = HolderSlot();
  // Records fetched for a stock shown before: freed, and the new stock's
  // fetch may start.
  if (!forShownStock) return 0;
  host_.KillTimer(kHolderTimerId);
  m_bHolderRecords = 1;
  if (!records || !m_pSeries || m_pSeries->GetCount() < 1) return 0;
  ScopedSpinWriteLock hold(&m_SeriesLock);
  const int count = static_cast<int>(lParam);
  BuildHolderTexts(m_pSeries.get(), records.get(), count);
  m_bRedraw = 1;
  host_.Invalidate();
  return 0;
}

void ChartModel::BuildHolderMarksOfSeries() {
  if (!m_pSeries) return;
  if (BuildHolderMarks(m_pSeries.get(), m_StockId)) {
    m_bRedraw = 1;
    host_.Invalidate();
  }
}

// ---------------------------------------------------------------- timers and messages

void ChartModel::OnTimer(UINT id) {
  if (!m_bShown) return;
  if (id == kPollTimerId) {
    host_.KillTimer(kPollTimerId);
    ScopedSpinWriteLock hold(&m_SeriesLock);
    StartBarRequest();
    host_.SetTimer(kPollTimerId, kPollPeriodMs);
  } else if (id == kHolderTimerId) {
    host_.KillTimer(kHolderTimerId);
    if (!holderSlot_.occupied) {
      StartHolderWorker();
      host_.SetTimer(kHolderTimerId, kHolderPeriodMs);
      ScopedSpinWriteLock hold(&m_SeriesLock);
      BuildHolderMarksOfSeries();
    }
  }
}

bool ChartModel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  LRESULT r = 0;
  switch (msg) {
    case WM_KIV_SERIES_READY: r = OnSeriesReady(wParam, lParam); break;
    case WM_KIV_EXRIGHTS_READY: r = OnExRightsReady(wParam, lParam); break;
    case WM_KIV_REQUEST_FAILED:
    case WM_KIV_REQUEST_ENDED: m_bRequestPending = 0; break;
    case WM_KIV_WORKER_ENDED: holderSlot_ = HolderSlot(); break;
    case WM_KIV_KLINE_REQUEST:
      if (services_.net) RequestKLineBlockData(this, *services_.net);
      break;
    case WM_KIV_PERIOD_SLOT: m_PeriodSlot = static_cast<int>(wParam); break;
    case WM_KIV_HOLDER_MARKS: r = OnHolderMarks(wParam, lParam); break;
    default: return false;
  }
  if (result) *result = r;
  return true;
}

// ---------------------------------------------------------------- cache

void ChartModel::SaveSeries(bool force) {
  if (!m_pSeries || !dirty_) return;
  const int64_t now = host_.Now();
  if (!force && savedSinceSwitch_ && now - lastSaveTime_ < kSaveIntervalSeconds) return;
  if (!m_pSeries->SaveToFile()) return;  // stays dirty: the next arrival tries again
  ++saveCount_;
  bytesSaved_ += 34 + 48 * static_cast<uint64_t>(m_pSeries->GetCount());
  lastSaveTime_ = now;
  savedSinceSwitch_ = true;
  dirty_ = false;
}

}  // namespace kiv
