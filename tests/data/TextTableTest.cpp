#include "data/TextTable.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/sys/Files.h"

namespace {

using Fields = std::vector<std::string>;

TEST(TextTable, SplitsLinesAsTheQuoteRulesSay) {
  const struct {
    const char* name;
    std::string delimiter;
    std::string line;
    bool split;
    Fields fields;
  } cases[] = {
      {"quoted values", ",", "\"a\",\"b\",\"c\"", true, {"a", "b", "c"}},
      {"quoted values keep inner delimiters", ",", "\"a,1\",\"b\"", true, {"a,1", "b"}},
      {"plain values", ",", "a,b", true, {"a", "b"}},
      {"empty plain values", ",", "a,,b,", true, {"a", "", "b", ""}},
      {"one quoted value", ",", "\"a\"", false, {"a"}},
      {"one plain value", ",", "a", false, {"a"}},
      {"inner quote kept", ",", "\"a\"b\"", false, {"a\"b"}},
      {"quote only at the start", ",", "\"abc", false, {"\"abc"}},
      {"lone quote", ",", "\"", false, {""}},
      {"empty line", ",", "\n", false, {""}},
      {"outer characters go even when not quotes", ",", "a\",\"b", true, {"", ""}},
      {"longer delimiter", "||", "x||\"y\"||z", true, {"x", "\"y\"", "z"}},
      {"quoted with longer delimiter", "||", "\"x\"||\"y\"", true, {"x", "y"}},
      {"empty delimiter never splits", "", "\"a\",\"b\"", false, {"a\",\"b"}},
  };
  for (const auto& c : cases) {
    CTextTable table = CTextTable::FromText(c.line, c.delimiter);
    Fields fields{"stale"};
    EXPECT_EQ(table.GetFields(fields, 1), c.split) << c.name;
    EXPECT_EQ(fields, c.fields) << c.name;
  }
}

TEST(TextTable, LinesLoseTheirFirstLineFeedAndFirstCarriageReturn) {
  const struct {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"empty text", "", {}},
      {"crlf endings", "a\r\nb\r\n", {"a", "b"}},
      {"last line without end", "a\nb", {"a", "b"}},
      {"empty lines", "\n\n", {"", ""}},
      {"inner cr goes instead of the final one", "a\rb\r\n", {"ab\r"}},
      {"bare cr is not a line end", "a\rb", {"ab"}},
  };
  for (const auto& c : cases) {
    CTextTable table = CTextTable::FromText(c.text, ",");
    ASSERT_EQ(table.GetLineCount(), static_cast<int>(c.lines.size())) << c.name;
    for (size_t i = 0; i < c.lines.size(); ++i) {
      Fields fields;
      table.GetFields(fields, static_cast<int>(i) + 1);
      EXPECT_EQ(fields, Fields{c.lines[i]}) << c.name << " line " << i + 1;
    }
  }
}

TEST(TextTable, LinesOutOfRangeGiveNoFields) {
  CTextTable table = CTextTable::FromText("a,b\nc,d\n", ",");
  for (int line : {0, -1, 3, 1 << 30}) {
    Fields fields{"stale"};
    EXPECT_FALSE(table.GetFields(fields, line)) << line;
    EXPECT_TRUE(fields.empty()) << line;
  }
  Fields fields;
  EXPECT_TRUE(table.GetFields(fields, 2));
  EXPECT_EQ(fields, (Fields{"c", "d"}));
  table.Clear();
  EXPECT_EQ(table.GetLineCount(), 0);
  EXPECT_FALSE(table.GetFields(fields, 1));
}

TEST(TextTable, LoadsAFileWithAChineseName) {
  // "服务器.csv" in GBK: the program's paths are GBK text.
  kiv::test::ScratchFolder folder("texttable");
  const std::string path = folder.path().string() + "/\xb7\xfe\xce\xf1\xc6\xf7.csv";
  std::FILE* file = kiv::OpenFile(path, "wb");
  ASSERT_NE(file, nullptr);
  const std::string content = "\"Data1Ip\",\"10.0.0.1:6200\"\r\nF10Ip,10.0.0.2\r\nlast";
  std::fwrite(content.data(), 1, content.size(), file);
  std::fclose(file);

  CTextTable table(path, ",");
  std::remove(kiv::NativePath(path).c_str());
  ASSERT_EQ(table.GetLineCount(), 3);
  Fields fields;
  EXPECT_TRUE(table.GetFields(fields, 1));
  EXPECT_EQ(fields, (Fields{"Data1Ip", "10.0.0.1:6200"}));
  EXPECT_TRUE(table.GetFields(fields, 2));
  EXPECT_EQ(fields, (Fields{"F10Ip", "10.0.0.2"}));
  EXPECT_FALSE(table.GetFields(fields, 3));
}

TEST(TextTable, MissingFileIsReportedOnStandardOutputAndReadsEmpty) {
  kiv::test::ScratchFolder folder("texttable");
  const std::string path = folder.File("no-such-dir/IPConfig.CSV");
  testing::internal::CaptureStdout();
  CTextTable table(path, ",");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "open file error " + path + "\n");
  EXPECT_EQ(table.GetLineCount(), 0);
  Fields fields;
  EXPECT_FALSE(table.GetFields(fields, 1));
}

TEST(TextTable, AFileAboveOneMebibyteReadsAsUnreadable) {
  // A hole of 4 GiB after one sound line: only the first mebibyte is read.
  kiv::test::ScratchFolder folder("texttable");
  const std::string path = folder.File("IPConfig.CSV");
  kiv::test::WriteFileBytes(path, "Data1Ip,10.0.0.1&one\n");
  ASSERT_EQ(::truncate(path.c_str(), off_t(4) << 30), 0);
  testing::internal::CaptureStdout();
  CTextTable table(path, ",");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "open file error " + path + "\n");
  EXPECT_EQ(table.GetLineCount(), 0);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(table.Load());
  testing::internal::GetCapturedStdout();

  // At the cap the file is read.
  ASSERT_EQ(::truncate(path.c_str(), off_t(1) << 20), 0);
  EXPECT_TRUE(table.Load());
  Fields fields;
  EXPECT_TRUE(table.GetFields(fields, 1));
  EXPECT_EQ(fields, (Fields{"Data1Ip", "10.0.0.1&one"}));
}

}  // namespace
