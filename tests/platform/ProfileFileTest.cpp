#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/sys/ProfileFile.h"
#include "tests/support/PeakMemory.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;

// Each test works in a folder of its own under the build tree's scratch folder.
class ProfileFileTest : public ::testing::Test {
 protected:
  void WriteRaw(const std::string& content) { kiv::test::WriteFileBytes(file_, content); }
  std::string ReadRaw() const { return kiv::test::ReadFileBytes(file_); }
  // The value as the program reads it, through a generous buffer.
  std::string Get(const char* section, const char* key, const char* fallback = "<none>") {
    char buffer[256];
    std::memset(buffer, 'X', sizeof buffer);
    DWORD copied =
        GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, file_.c_str());
    EXPECT_EQ(copied, std::strlen(buffer));
    return std::string(buffer, copied);
  }
  std::vector<std::string> List(const char* section, DWORD size = 256) {
    std::vector<char> buffer(size, 'X');
    DWORD copied =
        GetPrivateProfileStringA(section, nullptr, "unused", buffer.data(), size, file_.c_str());
    std::vector<std::string> names;
    for (size_t i = 0; i < copied && buffer[i];) {
      names.emplace_back(&buffer[i]);
      i += names.back().size() + 1;
    }
    EXPECT_EQ(buffer[copied], '\0');
    return names;
  }
  std::vector<std::string> Temporaries() const {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (entry.path().filename() != "test.ini") others.push_back(entry.path().string());
    }
    return others;
  }

  kiv::test::ScratchFolder folder_{"profile"};
  fs::path dir_ = folder_.path();
  std::string file_ = folder_.File("test.ini");
};

const char kSample[] =
    "; settings of the terminal\r\n"
    "[Server]\r\n"
    "  Host = 10.0.0.1  \r\n"
    "Port=6200\r\n"
    "Name=\"quoted value\"\r\n"
    "Single='single'\r\n"
    "Half=\"open only\r\n"
    "Empty=\r\n"
    "Expr=a=b\r\n"
    "not an entry\r\n"
    "\r\n"
    "[ Login ]\n"
    "User=张三\n"
    "Port=1\n"
    "[server]\n"
    "Port=9999\n"
    "Extra=from duplicate\n";

struct ReadCase {
  const char* section;
  const char* key;
  const char* fallback;
  const char* expected;
};

TEST_F(ProfileFileTest, ReadsValuesWithWindowsRules) {
  WriteRaw(kSample);
  const ReadCase cases[] = {
      {"Server", "Host", "", "10.0.0.1"},         // blanks around name and value go
      {"SERVER", "host", "", "10.0.0.1"},         // names ignore case
      {"Server", "Port", "", "6200"},             // the first section of a name counts
      {"Server", "Extra", "", "from duplicate"},  // a later duplicate adds keys
      {"Server", "Name", "", "quoted value"},     // matching quotes are stripped
      {"Server", "Single", "", "single"},
      {"Server", "Half", "", "\"open only"},  // an unmatched quote stays
      {"Server", "Empty", "dflt", ""},        // present but empty is not missing
      {"Server", "Expr", "", "a=b"},          // the first '=' separates
      {"Server", "not an entry", "dflt", "dflt"},
      {"Login", "User", "", "张三"},  // GBK bytes as they are
      {"Login", "Port", "", "1"},
      {"Server", "Missing", "fallback  ", "fallback"},  // default loses trailing blanks
      {"Server", "Missing", nullptr, ""},
      {"Nowhere", "Host", "d", "d"},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(Get(c.section, c.key, c.fallback), c.expected) << c.section << "/" << c.key;
  }
}

TEST_F(ProfileFileTest, MissingFileReadsAsEmpty) {
  EXPECT_EQ(Get("Server", "Host", "none"), "none");
  EXPECT_TRUE(List(nullptr).empty());
  EXPECT_EQ(GetPrivateProfileIntA("Server", "Port", 42, file_.c_str()), 42u);
  EXPECT_FALSE(fs::exists(file_));
}

// A GBK character's trail byte may look like ASCII: 丒 and 乤 are 81 41 and
// 81 61 ('A', 'a'), 癩 is B0 5D (']').
TEST_F(ProfileFileTest, GbkTrailBytesAreNeverTakenForAscii) {
  WriteRaw("[K]\n\x81\x41=upper\n[\xb0\x5d]\nk=in the section\n");
  EXPECT_EQ(Get("K", "\x81\x41"), "upper");
  EXPECT_EQ(Get("K", "\x81\x61", "other"), "other");
  EXPECT_EQ(Get("\xb0\x5d", "k"), "in the section");

  ASSERT_TRUE(WritePrivateProfileStringA("\xb0\x5d\xb0\x5d", "k", "v", file_.c_str()));
  EXPECT_EQ(Get("\xb0\x5d\xb0\x5d", "k"), "v");
}

TEST_F(ProfileFileTest, CutsValuesToTheBuffer) {
  WriteRaw("[S]\nK=abcdef\n");
  char buffer[8];
  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", buffer, 4, file_.c_str()), 3u);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], 'X');
  EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", buffer, 1, file_.c_str()), 0u);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(GetPrivateProfileStringA("S", "Missing", "long default", buffer, 5, file_.c_str()), 4u);
  EXPECT_STREQ(buffer, "long");
  buffer[0] = 'X';
  EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", buffer, 0, file_.c_str()), 0u);
  EXPECT_EQ(buffer[0], 'X');
  EXPECT_EQ(GetPrivateProfileStringA("S", "K", "", nullptr, 8, file_.c_str()), 0u);
}

TEST_F(ProfileFileTest, ListsSectionsAndKeys) {
  WriteRaw(kSample);
  EXPECT_EQ(List(nullptr), (std::vector<std::string>{"Server", "Login"}));
  EXPECT_EQ(List("server"), (std::vector<std::string>{"Host", "Port", "Name", "Single", "Half",
                                                      "Empty", "Expr", "Extra"}));
  EXPECT_TRUE(List("Nowhere").empty());

  // "Server\0Login\0\0" needs 14 bytes; with 10 the list is cut and ends in
  // two zeros, and the result is size - 2.
  char buffer[14];
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 10, file_.c_str()), 8u);
  EXPECT_EQ(std::string(buffer, 10), std::string("Server\0L\0\0", 10));
  EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buffer, 14, file_.c_str()), 13u);
  EXPECT_EQ(std::string(buffer, 14), std::string("Server\0Login\0\0", 14));
}

TEST_F(ProfileFileTest, ReadsIntegers) {
  WriteRaw("[N]\na=42\nb= -7 \nc=12abc\nd=abc\ne=\nf=\"15\"\ng=99999999999\n");
  struct {
    const char* key;
    UINT expected;
  } cases[] = {
      {"a", 42u}, {"b", static_cast<UINT>(-7)},
      {"c", 12u}, {"d", 0u},
      {"e", 5u},  // empty counts as missing
      {"f", 15u}, {"missing", 5u},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetPrivateProfileIntA("N", c.key, 5, file_.c_str()), c.expected) << c.key;
  }
  GetPrivateProfileIntA("N", "g", 5, file_.c_str());  // huge: any value, but no overflow
}

TEST_F(ProfileFileTest, WritesCreateFileSectionAndEntry) {
  ASSERT_TRUE(WritePrivateProfileStringA("Server", "Host", "10.1.1.1", file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Server", "Port", "6200", file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("用户", "名字", "张三", file_.c_str()));
  EXPECT_EQ(ReadRaw(), "[Server]\r\nHost=10.1.1.1\r\nPort=6200\r\n[用户]\r\n名字=张三\r\n");
  EXPECT_EQ(Get("用户", "名字"), "张三");
  EXPECT_TRUE(Temporaries().empty());
}

TEST_F(ProfileFileTest, WritesKeepEveryOtherLine) {
  const std::string original =
      "; comment at top\n"
      "[A]\n"
      "x = 1\n"
      "; note on y\n"
      "y=2\n"
      "\n"
      "; comment of B\n"
      "[B]\n"
      "z=3";  // no line ending at the end
  WriteRaw(original);

  ASSERT_TRUE(WritePrivateProfileStringA("a", "Y", "20", file_.c_str()));
  EXPECT_EQ(ReadRaw(),
            "; comment at top\n[A]\nx = 1\n; note on y\ny=20\n\n; comment of B\n[B]\nz=3");

  // A new key goes after the section's last entry, not after the comment
  // that belongs to the next section.
  ASSERT_TRUE(WritePrivateProfileStringA("A", "w", "4", file_.c_str()));
  EXPECT_EQ(ReadRaw(),
            "; comment at top\n[A]\nx = 1\n; note on y\ny=20\nw=4\n\n; comment of B\n[B]\nz=3");

  ASSERT_TRUE(WritePrivateProfileStringA("B", "v", "5", file_.c_str()));
  EXPECT_EQ(ReadRaw(),
            "; comment at top\n[A]\nx = 1\n; note on y\ny=20\nw=4\n\n; comment of B\n[B]\nz=3\n"
            "v=5\n");
}

TEST_F(ProfileFileTest, WritesKeepCrLfEndings) {
  WriteRaw("[A]\r\nx=1\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("A", "y", "2", file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("C", "z", "3", file_.c_str()));
  EXPECT_EQ(ReadRaw(), "[A]\r\nx=1\r\ny=2\r\n[C]\r\nz=3\r\n");
}

TEST_F(ProfileFileTest, NullValueDeletesEntryAndNullKeyDeletesSection) {
  WriteRaw("[A]\nx=1\ny=2\n[B]\n; about B\nz=3\n[C]\nw=4\n");
  ASSERT_TRUE(WritePrivateProfileStringA("A", "X", nullptr, file_.c_str()));
  EXPECT_EQ(ReadRaw(), "[A]\ny=2\n[B]\n; about B\nz=3\n[C]\nw=4\n");
  ASSERT_TRUE(WritePrivateProfileStringA("b", nullptr, nullptr, file_.c_str()));
  EXPECT_EQ(ReadRaw(), "[A]\ny=2\n[C]\nw=4\n");
  // Deleting what is not there succeeds and changes nothing.
  ASSERT_TRUE(WritePrivateProfileStringA("A", "missing", nullptr, file_.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringA("Missing", nullptr, nullptr, file_.c_str()));
  EXPECT_EQ(ReadRaw(), "[A]\ny=2\n[C]\nw=4\n");
}

TEST_F(ProfileFileTest, RefusesTextThatWouldBreakTheFile) {
  WriteRaw("[A]\nx=1\n");
  struct {
    const char* section;
    const char* key;
    const char* value;
  } refused[] = {
      {"A", "x", "two\nlines"}, {"A", "x", "cr\r"}, {"A", "k=v", "1"}, {"A", "[k", "1"},
      {"A", ";k", "1"},         {"A]", "x", "1"},   {"A\n", "x", "1"}, {"A", "x\n", "1"},
  };
  for (const auto& c : refused) {
    EXPECT_FALSE(WritePrivateProfileStringA(c.section, c.key, c.value, file_.c_str()))
        << c.section << "/" << c.key;
  }
  EXPECT_FALSE(WritePrivateProfileStringA("A", "x", "1", nullptr));
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "x", "1", file_.c_str()));
  EXPECT_TRUE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, file_.c_str()));
  EXPECT_EQ(ReadRaw(), "[A]\nx=1\n");
}

TEST_F(ProfileFileTest, DamagedFileKeepsItsSoundValues) {
  std::string damaged = "[A]\nx=1\n";
  static const char kGarbage[] = "\0\0\xff\xfe garbage\n";
  damaged += std::string(kGarbage, sizeof kGarbage - 1);
  damaged += "[unterminated header\n";  // means nothing: x's section goes on
  damaged += "y=2\n";
  damaged += std::string(100000, 'z') + "\n";
  damaged += "[]\n=empty key\n";
  damaged += "[B]\nw=\xb0";  // half a GBK character at the very end
  WriteRaw(damaged);

  EXPECT_EQ(Get("A", "x"), "1");
  EXPECT_EQ(Get("A", "y"), "2");
  EXPECT_EQ(Get("", ""), "empty key");
  EXPECT_EQ(Get("B", "w"), "\xb0");

  ASSERT_TRUE(WritePrivateProfileStringA("B", "v", "new", file_.c_str()));
  EXPECT_EQ(Get("A", "x"), "1");
  EXPECT_EQ(Get("A", "y"), "2");
  EXPECT_EQ(Get("B", "v"), "new");
  EXPECT_EQ(ReadRaw().substr(0, damaged.size()), damaged.substr(0, damaged.size()));
}

TEST_F(ProfileFileTest, AFileAboveOneMebibyteReadsAsUnreadableAndIsNeverRewritten) {
  const std::string head = "[S]\r\nK=value\r\nN=7\r\n";
  struct Case {
    const char* what;
    uint64_t size;
    bool sparse;  // a hole after the head, as a full disk or a crash may leave
  } cases[] = {
      {"one byte above the cap", (1u << 20) + 1, false},
      {"a hole of 4 GiB", uint64_t(4) << 30, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.sparse) {
      WriteRaw(head);
      ASSERT_EQ(::truncate(file_.c_str(), static_cast<off_t>(c.size)), 0);
    } else {
      WriteRaw(head + std::string(c.size - head.size(), ';'));
    }
    const kiv::test::ChildRun run = kiv::test::RunInChild(
        [&] {
          std::string report = Get("S", "K", "default");
          report += " " + std::to_string(GetPrivateProfileIntA("S", "N", 5, file_.c_str()));
          report += " " + std::to_string(List(nullptr).size());
          report += " " + std::to_string(WritePrivateProfileStringA("S", "K", "new", file_.c_str()));
          return report;
        },
        std::chrono::milliseconds(120000), size_t(1) << 30);
    ASSERT_TRUE(run.exited) << run.Describe();
    EXPECT_EQ(run.report, "default 5 0 0");
    EXPECT_EQ(fs::file_size(file_), c.size);
    std::ifstream in(file_, std::ios::binary);
    std::string start(head.size(), '\0');
    in.read(&start[0], static_cast<std::streamsize>(start.size()));
    EXPECT_EQ(start, head);
    EXPECT_TRUE(Temporaries().empty());
    ExpectPeakBelow(run, 16 * kiv::test::kMiB, c.what);
  }

  // At the cap the file is read as usual.
  WriteRaw(head + std::string((1u << 20) - head.size(), ';'));
  EXPECT_EQ(Get("S", "K"), "value");
  EXPECT_TRUE(WritePrivateProfileStringA("S", "K", "new", file_.c_str()));
  EXPECT_EQ(Get("S", "K"), "new");
}

}  // namespace
