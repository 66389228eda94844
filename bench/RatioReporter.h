// RatioReporter: the benchmarks' console reporter that also keeps each
// benchmark's real time per iteration, so that a program can print, after
// its runs, the ratio of what it measures to an anchor doing the same work
// in the same run. With --benchmark_repetitions the median of the
// repetitions is kept; otherwise the single run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string& name = run.run_name.function_name;
      const double seconds =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
        single_[name] = seconds;
      } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        median_[name] = seconds;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Seconds per iteration of a benchmark (its function name); 0 when it did
  // not run.
  double Seconds(const std::string& name) const {
    auto median = median_.find(name);
    if (median != median_.end()) return median->second;
    auto single = single_.find(name);
    return single == single_.end() ? 0.0 : single->second;
  }

  // Prints "<what>: <measured / anchor>" when both ran.
  void PrintRatio(const char* what, const std::string& measured, const std::string& anchor) const {
    const double a = Seconds(measured);
    const double b = Seconds(anchor);
    if (a > 0 && b > 0) std::printf("%s: %.2f\n", what, a / b);
  }

  // What a screen refresh allows at 60 frames a second.
  static constexpr double kFrameBudgetSeconds = 0.016;

  // Prints "<what> / 16 ms frame budget: <share>" when the benchmark ran.
  void PrintBudget(const char* what, const std::string& name) const {
    const double seconds = Seconds(name);
    if (seconds > 0) std::printf("%s / 16 ms frame budget: %.4f\n", what, seconds / kFrameBudgetSeconds);
  }

 private:
  std::map<std::string, double> single_;
  std::map<std::string, double> median_;
};

// The main of a benchmark program: parses the flags (1 for one it does not
// know), runs every registered benchmark through a RatioReporter, then
// `report`, which prints what the program derives from the times.
inline int RunBenchmarks(int argc, char** argv, const std::function<void(const RatioReporter&)>& report) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  report(reporter);
  benchmark::Shutdown();
  return 0;
}
