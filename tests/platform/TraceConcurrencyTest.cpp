#include "platform/sys/Trace.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

TEST(TraceFromThreads, LinesArriveWholeAndOneAtATime) {
  std::vector<std::string> lines;  // unguarded: the sink is called serially
  kiv::SetTraceSinkForTesting([&](const std::string& line) { lines.push_back(line); });
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([i] {
      for (int n = 0; n < 200; ++n) {
        if (n % 2) {
          KivTrace("thread %d line %d", i, n);
        } else {
          OutputDebugStringA("read wait!\n");
        }
      }
    });
  }
  for (auto& t : threads) t.join();
  kiv::SetTraceSinkForTesting({});

  ASSERT_EQ(lines.size(), 800u);
  for (const std::string& line : lines) {
    EXPECT_TRUE(line == "read wait!\n" || line.rfind("thread ", 0) == 0) << line;
  }
}

}  // namespace
