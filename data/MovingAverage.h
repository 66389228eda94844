// CMovingAverageLine: one simple moving-average line of a series' closes or
// volumes, as the chart draws it. Values 0 .. period - 2 are 0; value i from
// period - 1 on is the mean of bars i - period + 1 .. i.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CKLineSeries;

class CMovingAverageLine {
 public:
  // Rebuild the values from the series' closes (volumes). A period below 1
  // means the period of the previous computation. A null series, one without
  // bars, or a period not smaller than the bar count leaves no values.
  void ComputeClose(const CKLineSeries* series, int32_t period);
  void ComputeVolume(const CKLineSeries* series, int32_t period);

  void SetColor(uint32_t color) { color_ = color; }
  // Frees the values; count 0.
  void FreeValues();

  const float* Values() const { return values_.data(); }
  int32_t GetCount() const { return count_; }
  int32_t GetPeriod() const { return period_; }
  uint32_t GetColor() const { return color_; }

  // Texts of the line, set and read by the chart.
  std::string name_;
  std::string text_;

 private:
  void Compute(const CKLineSeries* series, int32_t period, bool volume);

  std::vector<float> values_;
  int32_t count_ = 0;
  int32_t period_ = 0;
  uint32_t color_ = 0;  // COLORREF, 0x00BBGGRR
};
