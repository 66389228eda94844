// docs/writing-a-window.md teaches by quoting the reference window: every
// fenced block that opens with a comment naming a file ("// tests/guide/..."
// or "# tests/guide/CMakeLists.txt") must still be found, line for line and
// in one piece, in that file, so that the page cannot drift from the code.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TestSupport.h"

namespace kiv {
namespace test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

struct QuotedBlock {
  int line = 0;  // of the opening fence, 1-based
  std::string file;
  std::vector<std::string> body;
};

// The fenced blocks whose first line is "// <path>" or "# <path>".
std::vector<QuotedBlock> QuotedBlocks(const std::vector<std::string>& page) {
  std::vector<QuotedBlock> blocks;
  for (size_t i = 0; i < page.size(); ++i) {
    if (page[i].rfind("```", 0) != 0) continue;
    size_t end = i + 1;
    while (end < page.size() && page[end].rfind("```", 0) != 0) ++end;
    if (end > i + 1) {
      const std::string& first = page[i + 1];
      const size_t space = first.find(' ');
      const std::string marker = first.substr(0, space);
      const std::string path = space == std::string::npos ? "" : first.substr(space + 1);
      if ((marker == "//" || marker == "#") && path.find('/') != std::string::npos &&
          path.find(' ') == std::string::npos) {
        QuotedBlock block;
        block.line = static_cast<int>(i + 1);
        block.file = path;
        block.body.assign(page.begin() + static_cast<long>(i) + 2, page.begin() + static_cast<long>(end));
        blocks.push_back(block);
      }
    }
    i = end;
  }
  return blocks;
}

bool ContainsRun(const std::vector<std::string>& file, const std::vector<std::string>& run) {
  if (run.empty() || run.size() > file.size()) return false;
  for (size_t start = 0; start + run.size() <= file.size(); ++start) {
    if (std::equal(run.begin(), run.end(), file.begin() + static_cast<long>(start))) return true;
  }
  return false;
}

TEST(WritingAWindowPageTest, EveryQuotedBlockIsStillInItsFile) {
  const std::filesystem::path root = KIV_SOURCE_DIR;
  const std::vector<std::string> page = Lines(ReadFileBytes((root / "docs/writing-a-window.md").string()));
  ASSERT_FALSE(page.empty());
  const std::vector<QuotedBlock> blocks = QuotedBlocks(page);
  EXPECT_GE(blocks.size(), 10u) << "the page quotes the reference window throughout";
  for (const QuotedBlock& block : blocks) {
    SCOPED_TRACE("block at docs/writing-a-window.md:" + std::to_string(block.line) + ", quoting " + block.file);
    const std::filesystem::path file = root / block.file;
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(ContainsRun(Lines(ReadFileBytes(file.string())), block.body));
  }
}

}  // namespace
}  // namespace test
}  // namespace kiv
