#include "platform/sys/Trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

class TraceCapture : public testing::Test {
 protected:
  void SetUp() override {
    kiv::SetTraceSinkForTesting([this](const std::string& line) { lines_.push_back(line); });
  }
  void TearDown() override { kiv::SetTraceSinkForTesting({}); }
  std::vector<std::string> lines_;
};

TEST_F(TraceCapture, DebuggerOutputArrivesExactlyAsWritten) {
  OutputDebugStringA("write wait!\n");
  OutputDebugStringA("");
  EXPECT_EQ(lines_, (std::vector<std::string>{"write wait!\n", ""}));
}

TEST_F(TraceCapture, TraceLinesAreFormattedLikePrintf) {
  KivTrace("restart srver");
  KivTrace("%s %d %06d", "id", -3, 600000 + 36);
  std::string longText(5000, 'x');
  KivTrace("%s!", longText.c_str());
  ASSERT_EQ(lines_.size(), 3u);
  EXPECT_EQ(lines_[0], "restart srver");
  EXPECT_EQ(lines_[1], "id -3 600036");
  EXPECT_EQ(lines_[2], longText + "!");
}

TEST_F(TraceCapture, AnEmptySinkRestoresTheDefault) {
  kiv::SetTraceSinkForTesting({});
  OutputDebugStringA("not captured\n");
  EXPECT_TRUE(lines_.empty());
}

// The default sink: stderr when KIV_TRACE is set, nothing otherwise.
TEST(TraceDefault, WritesToStderrOnlyWhenAskedToByTheEnvironment) {
  struct Case {
    bool enabled;
    const char* expected;
  };
  for (Case c : {Case{false, ""}, Case{true, "read wait!\nrestart srver 2\n"}}) {
    if (c.enabled) {
      setenv("KIV_TRACE", "1", 1);
    } else {
      unsetenv("KIV_TRACE");
    }
    testing::internal::CaptureStderr();
    OutputDebugStringA("read wait!\n");
    KivTrace("restart srver %d", 2);  // one line each, even without a newline
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.expected) << "enabled " << c.enabled;
  }
  unsetenv("KIV_TRACE");
}

}  // namespace
