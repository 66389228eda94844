// The two dialogs the chart's context menu opens, seen from the chart: the
// interval statistics over a range of bars, and the moving-average settings
// of one half (price or volume) of the shown period's record. The chart
// hands each its data through these interfaces and runs it modally; the
// stock view's room supplies the real dialogs through a ChartDialogMaker,
// tests a fake one. Without a maker the two items do nothing.
//
// Ownership: the chart owns the interval dialog it made (one for its life,
// as the statistics keep their share-capital reply between runs) and each
// settings dialog for one run. UI thread only.
#pragma once

#include <cstdint>
#include <memory>

#include "data/KLineBar.h"
#include "data/StockTable.h"
#include "net/DataTypes.h"
#include "platform/core/Wnd.h"

namespace kiv {

class ChartIntervalDialog {
 public:
  virtual ~ChartIntervalDialog() = default;
  // The stock, `count` bars and the range first..last (inside the bars),
  // the period, and 0 for the raw series or 1 for the adjusted one. FALSE
  // when the dialog refuses the data.
  virtual BOOL SetData(const StockRecord& stock, const KLineBar* bars, int count, int first, int last,
                       DataType period, int seriesFlag) = 0;
  virtual INT_PTR RunModal(CWnd* parent) = 0;
  // The stock of the open dialog, 0 when it is not open; Close ends it.
  virtual StockId OpenStock() const = 0;
  virtual void Close() = 0;
};

// The settings record of one half: words 0-4 the colours, 5 a sixth colour
// carried through, 6-10 the periods (0: line off), 11 a spare word.
constexpr int kMASettingsWords = 12;

class ChartMASettingsDialog {
 public:
  virtual ~ChartMASettingsDialog() = default;
  virtual void SetSettings(const uint32_t record[kMASettingsWords]) = 0;
  virtual INT_PTR RunModal(CWnd* parent) = 0;  // IDOK when confirmed
  virtual void GetSettings(uint32_t record[kMASettingsWords]) = 0;
};

class ChartDialogMaker {
 public:
  virtual ~ChartDialogMaker() = default;
  virtual std::unique_ptr<ChartIntervalDialog> MakeIntervalDialog() = 0;
  virtual std::unique_ptr<ChartMASettingsDialog> MakeMASettingsDialog() = 0;
};

}  // namespace kiv
