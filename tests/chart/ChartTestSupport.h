// A recording host for the chart engine's model: a headless window of the
// layer whose program messages go to the model (as the chart window's
// handlers will), and records of everything the model asks of its host:
// messages to the parent, timers, workers, repaints. Plus small builders of
// series and cache files.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "chart/engine/ChartIds.h"
#include "chart/engine/ChartModel.h"
#include "data/CachePath.h"
#include "data/KLineSeries.h"
#include "data/WorkerFetches.h"
#include "net/FieldIds.h"
#include "net/KivNetPack.h"
#include "platform/core/MessageLoop.h"
#include "platform/core/WinUser.h"
#include "platform/core/Wnd.h"
#include "tests/support/TestSupport.h"

namespace kiv::test {

// The shares the chart tests look at: two stocks of Shanghai.
inline const StockId kShare = MakeStockId(600000, 1);
inline const StockId kOther = MakeStockId(600004, 1);

struct SentToParent {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class RecordingHost : public ChartModelHost {
 public:
  // The chart window: hands the model its messages.
  class HostWnd : public CWnd {
   public:
    explicit HostWnd(RecordingHost* host) : host_(host) {}
    ~HostWnd() override { DestroyWindow(); }

   protected:
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
      LRESULT result = 0;
      if (msg == WM_KIV_SERIES_READY) ++host_->seriesPosts;
      if (msg >= WM_USER && host_->model && host_->model->HandleMessage(msg, wParam, lParam, &result)) {
        return result;
      }
      return CWnd::OnMessage(msg, wParam, lParam);
    }

   private:
    RecordingHost* host_;
  };

  RecordingHost() : window_(this) {
    window_.CreateEx(0, "ChartHost", "chart", WS_POPUP, CRect(0, 0, 10, 10), nullptr, 0);
  }
  ~RecordingHost() override { window_.DestroyWindow(); }

  HWND ChartHwnd() const override { return window_.GetSafeHwnd(); }
  BOOL PostToChart(UINT msg, WPARAM wParam, LPARAM lParam) override {
    return PostMessage(window_.GetSafeHwnd(), msg, wParam, lParam);
  }
  LRESULT SendToParent(UINT msg, WPARAM wParam, LPARAM lParam) override {
    sent.push_back({msg, wParam, lParam});
    if (msg == WM_KIV_SERIES_READY && wParam != 0) {
      const auto* series = reinterpret_cast<const CKLineSeries*>(wParam);
      sentCounts.push_back(series->GetCount());
    }
    return 0;
  }
  void SetTimer(UINT id, UINT elapseMs) override { timers[id] = elapseMs; }
  void KillTimer(UINT id) override { timers.erase(id); }
  CWinThreadPtr StartWorker(AFX_THREADPROC proc, void* param) override {
    // Holder fetches are not run: the test delivers their result.
    if (proc == &FetchHolderChangesThread) {
      workerJobs.emplace_back(static_cast<HolderFetchJob*>(param));
      return std::make_shared<CWinThread>();
    }
    return AfxBeginThread(proc, param);
  }
  int64_t Now() const override { return now; }
  void Invalidate() override { ++invalidations; }

  std::vector<UINT> SentMessages() const {
    std::vector<UINT> ids;
    for (const SentToParent& s : sent) ids.push_back(s.msg);
    return ids;
  }
  void DestroyWindow() { window_.DestroyWindow(); }

  ChartModel* model = nullptr;
  std::vector<SentToParent> sent;
  std::vector<int> sentCounts;  // bar counts of the series sent with WM_KIV_SERIES_READY
  std::map<UINT, UINT> timers;
  std::vector<std::unique_ptr<HolderFetchJob>> workerJobs;
  int64_t now = 1767225600;
  int invalidations = 0;
  std::atomic<int> seriesPosts{0};  // series posted to the chart window and handled

 private:
  HostWnd window_;
};

constexpr int64_t kDaySeconds = 86400;
// 15:00 Beijing of 2025-01-02 (a Thursday), seconds since 1970.
constexpr int64_t kFirstDayClose = 1735801200;

inline KLineBar MakeBar(int64_t time, float close, float open = 0, float high = 0, float low = 0) {
  KLineBar bar{};
  bar.time = time;
  bar.open = open > 0 ? open : close;
  bar.high = high > 0 ? high : std::max(bar.open, close);
  bar.low = low > 0 ? low : std::min(bar.open, close);
  bar.close = close;
  bar.volume = 1000;
  bar.amount = 1000 * close * 100;
  return bar;
}

// A series of `count` bars one day apart with the closes given by fn(i).
template <class Fn>
std::unique_ptr<CKLineSeries> MakeSeries(StockId stock, uint32_t type, int count, Fn close,
                                         int64_t first = kFirstDayClose, int64_t step = kDaySeconds) {
  auto series = std::make_unique<CKLineSeries>();
  series->SetStock(stock);
  series->SetDataType(type);
  for (int i = 0; i < count; ++i) series->AddBar(MakeBar(first + i * step, close(i)), 0, 0, 0, 0);
  return series;
}

// The ex-rights reply for one stock with one row: its ex-date, cash and
// bonus shares per ten (both x 1000).
inline KivNetPack ExRightsReply(StockId stock, int64_t exDate, int32_t cashX1000, int32_t bonusX1000) {
  KivNetPack rows;
  rows.SetInt32(static_cast<int32_t>(exDate), FIELD_EXRIGHTS_DATE, 0);
  rows.SetInt32(bonusX1000, FIELD_EXRIGHTS_BONUS, 0);
  rows.SetInt32(0, FIELD_EXRIGHTS_RIGHTS, 0);
  rows.SetInt32(0, FIELD_EXRIGHTS_RIGHTS_PRICE, 0);
  rows.SetInt32(cashX1000, FIELD_EXRIGHTS_CASH, 0);
  KivNetPack group;
  group.SetInt32(static_cast<int32_t>(stock), FIELD_STOCK_ID, 0);
  group.SetPack(rows, GROUP_EXRIGHTS_ROWS, 0);
  KivNetPack reply;
  reply.SetPack(group, GROUP_EXRIGHTS_REPLY, 0);
  return reply;
}

// A finance reply (20000055) for one stock carrying its share-capital
// history: {quarter end yyyymmdd, shares} rows, oldest first.
struct QuarterCapital {
  int32_t date;
  int64_t shares;
};
inline KivNetPack FinanceReply(StockId stock, const std::vector<QuarterCapital>& quarters) {
  KivNetPack rows;
  for (size_t i = 0; i < quarters.size(); ++i) {
    const int32_t row = static_cast<int32_t>(i);
    rows.SetInt32(quarters[i].date, FIELD_QUARTER_DATE, row);
    rows.SetInt64(quarters[i].shares, FIELD_SHARE_CAPITAL, row);
  }
  KivNetPack group;
  group.SetInt32(static_cast<int32_t>(stock), FIELD_STOCK_ID, 0);
  group.SetPack(rows, GROUP_FINANCE_QUARTERS, 0);
  KivNetPack reply;
  reply.SetPack(group, GROUP_FINANCE_REPLY, 0);
  return reply;
}

// A data folder of the test's own for the cache files.
class ChartDataFolder {
 public:
  ChartDataFolder() : scratch_("chart") { SetDataFolder(scratch_.File("Data")); }
  ~ChartDataFolder() { SetDataFolder(""); }
  const ScratchFolder& Scratch() const { return scratch_; }

 private:
  ScratchFolder scratch_;
};

}  // namespace kiv::test
