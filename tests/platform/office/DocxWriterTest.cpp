#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/office/DocxWriter.h"
#include "platform/office/ZipWriter.h"
#include "platform/sys/Shell.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using namespace kiv::office;
using kiv::test::ReadFileBytes;
using kiv::test::ScratchFolder;
using nlohmann::json;

const char kPython[] = "/usr/bin/python3";

// Runs a shell command; its exit status, its standard output in *output.
int RunCommand(const std::string& command, std::string* output = nullptr) {
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  std::string text;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
  int status = ::pclose(pipe);
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool HavePythonDocx() {
  return RunCommand(std::string(kPython) + " -c 'import docx' 2>/dev/null") == 0;
}

// The kind of document the advice reports make: headings, formatted body
// text with tabs, and a table with widths, heights, borders, merged cells
// and vertical alignment. GBK text throughout.
Document ReportLikeDocument() {
  Document d;
  d.SetAlignment(Alignment::kCenter);
  d.Font().bold = true;
  d.Font().sizePt = 16;
  d.Font().fontName = "\xBA\xDA\xCC\xE5";          // 黑体
  d.TypeText("\xCD\xB6\xD7\xCA\xBD\xA8\xD2\xE9");  // 投资建议
  d.TypeParagraph();
  d.SetAlignment(Alignment::kLeft);
  d.Font() = RunFormat();
  d.SetTabs({{72, TabKind::kLeft}, {200, TabKind::kRight}});
  d.TypeText("\xB4\xFA\xC2\xEB\t600000\t");  // 代码
  d.Font().underline = true;
  d.TypeText("A&B <x> \"q\" 'a'");
  d.Font().underline = false;
  d.TypeText(std::string("\x01skip\x1F", 7));
  d.TypeParagraph();
  d.TypeText("line one\nline two");
  d.TypeParagraph();

  Table* t = d.AddTable(3, 3);
  t->SetColumnWidth(0, 60);
  t->SetColumnWidth(1, 120);
  t->SetColumnWidth(2, 90);
  t->SetRowHeight(0, 24, HeightRule::kExact);
  t->SetRowHeight(1, 18, HeightRule::kAtLeast);
  t->alignment = Alignment::kCenter;
  t->Borders().widthEighthPt = 8;
  t->At(0, 0)->Font().bold = true;
  t->At(0, 0)->TypeText("\xC3\xFB\xB3\xC6");  // 名称
  t->At(0, 0)->verticalAlignment = VerticalAlignment::kCenter;
  t->At(0, 1)->TypeText("head");
  t->At(1, 0)->TypeText("tall");
  t->At(1, 1)->TypeText("x");
  t->At(2, 2)->TypeText("last");
  t->At(2, 2)->verticalAlignment = VerticalAlignment::kBottom;
  EXPECT_TRUE(t->Merge(0, 1, 0, 2));  // across
  EXPECT_TRUE(t->Merge(1, 0, 2, 0));  // down
  d.TypeText("end");
  return d;
}

class DocxWriterTest : public ::testing::Test {
 protected:
  std::string Save(const Document& document, const std::string& name = "report") {
    std::string path;
    EXPECT_TRUE(SaveDocxAsNewFile(document, folder_.path().string(), name, &path));
    return path;
  }
  ScratchFolder folder_;
};

TEST_F(DocxWriterTest, TextIsUtf8EscapedAndFreeOfWhatXmlCannotHold) {
  const std::string xml = DocumentXml(ReportLikeDocument());
  EXPECT_NE(xml.find(u8"投资建议"), std::string::npos);
  EXPECT_NE(xml.find("A&amp;B &lt;x&gt; &quot;q&quot; &apos;a&apos;"), std::string::npos);
  EXPECT_NE(xml.find(">skip<"), std::string::npos);
  EXPECT_EQ(xml.find('\x01'), std::string::npos);
  EXPECT_EQ(xml.find('\x1F'), std::string::npos);
  EXPECT_NE(xml.find("w:eastAsia=\"" + std::string(u8"黑体") + "\""), std::string::npos);
}

TEST_F(DocxWriterTest, TheArchivePassesZipIntegrityChecks) {
  const std::string path = Save(ReportLikeDocument());
  EXPECT_EQ(RunCommand(std::string(kPython) + " -m zipfile -t '" + path + "' >/dev/null 2>&1"), 0);
  if (RunCommand("command -v unzip >/dev/null") == 0) {
    std::string listing;
    EXPECT_EQ(RunCommand("unzip -t '" + path + "'", &listing), 0) << listing;
    EXPECT_NE(listing.find("No errors detected"), std::string::npos) << listing;
  }
  EXPECT_EQ(DocxBytes(ReportLikeDocument()), ReadFileBytes(path))
      << "the same document gives the same bytes";
}

TEST_F(DocxWriterTest, PythonDocxReadsBackParagraphsRunsAndTables) {
  if (!HavePythonDocx()) GTEST_SKIP() << "python3-docx is not installed";
  const std::string path = Save(ReportLikeDocument());
  std::string out;
  ASSERT_EQ(RunCommand(
                std::string(kPython) + " '" KIV_OFFICE_TEST_SCRIPTS "/read_docx.py' '" + path + "'",
                &out),
            0)
      << out;
  const json body = json::parse(out);
  ASSERT_EQ(body.size(), 5u) << body.dump(1);

  const json& title = body[0];
  EXPECT_EQ(title["text"], u8"投资建议");
  EXPECT_EQ(title["alignment"], 1);  // centred
  EXPECT_EQ(title["runs"][0]["bold"], true);
  EXPECT_EQ(title["runs"][0]["size"], 16.0);
  EXPECT_EQ(title["runs"][0]["font"], u8"黑体");

  const json& line = body[1];
  EXPECT_EQ(line["text"], std::string(u8"代码\t600000\tA&B <x> \"q\" 'a'skip"));
  EXPECT_EQ(line["alignment"], 0);
  EXPECT_EQ(line["tabs"], json::parse("[[72.0, 0], [200.0, 2]]"));
  ASSERT_EQ(line["runs"].size(), 3u);
  EXPECT_EQ(line["runs"][0]["underline"], false);
  EXPECT_EQ(line["runs"][0]["size"], 10.5);
  EXPECT_EQ(line["runs"][1]["underline"], true);
  EXPECT_EQ(line["runs"][1]["bold"], false);
  EXPECT_EQ(body[2]["text"], "line one\nline two");

  const json& table = body[3];
  ASSERT_EQ(table["kind"], "table");
  EXPECT_EQ(table["widths"], json::parse("[60.0, 120.0, 90.0]"));
  EXPECT_EQ(table["heights"][0], json::parse("[24.0, 2]"));  // exactly
  EXPECT_EQ(table["heights"][1], json::parse("[18.0, 1]"));  // at least
  EXPECT_EQ(table["heights"][2][1], nullptr);
  const json& cells = table["cells"];
  EXPECT_EQ(cells[0][0]["text"], u8"名称");
  EXPECT_EQ(cells[0][0]["bold"], json::parse("[true]"));
  EXPECT_EQ(cells[0][0]["valign"], 1);  // centre
  EXPECT_EQ(cells[0][1]["text"], "head");
  EXPECT_EQ(cells[0][2]["anchor"], json::parse("[0, 1]")) << "merged across";
  EXPECT_EQ(cells[1][0]["text"], "tall");
  EXPECT_EQ(cells[2][0]["anchor"], json::parse("[1, 0]")) << "merged down";
  EXPECT_EQ(cells[1][1]["anchor"], json::parse("[1, 1]"));
  EXPECT_EQ(cells[2][2]["text"], "last");
  EXPECT_EQ(cells[2][2]["valign"], 3);  // bottom

  EXPECT_EQ(body[4]["text"], "end");
}

TEST_F(DocxWriterTest, LibreOfficeConvertsTheDocumentToPdf) {
  if (RunCommand("command -v soffice >/dev/null") != 0)
    GTEST_SKIP() << "LibreOffice is not installed";
  const std::string path = Save(ReportLikeDocument());
  const std::string profile = folder_.File("profile");
  const std::string out = folder_.File("pdf");
  std::string log;
  // A private profile, so that no user's or other test's LibreOffice
  // interferes; a generous bound, a first start is slow.
  int status = RunCommand("HOME='" + folder_.path().string() +
                              "' timeout 600 soffice --headless --norestore " +
                              "-env:UserInstallation=file://" + profile +
                              " --convert-to pdf --outdir '" + out + "' '" + path + "' 2>&1",
                          &log);
  ASSERT_EQ(status, 0) << log;
  const std::string pdf = ReadFileBytes(out + "/report.pdf");
  ASSERT_GT(pdf.size(), 1000u) << log;
  EXPECT_EQ(pdf.substr(0, 5), "%PDF-");

  // And it read the content, not just an empty page: as plain text.
  status = RunCommand(
      "HOME='" + folder_.path().string() + "' timeout 600 soffice --headless --norestore " +
          "-env:UserInstallation=file://" + profile +
          " --convert-to 'txt:Text (encoded):UTF8' --outdir '" + out + "' '" + path + "' 2>&1",
      &log);
  ASSERT_EQ(status, 0) << log;
  const std::string text = ReadFileBytes(out + "/report.txt");
  for (const std::string& expected :
       {std::string(u8"投资建议"), std::string(u8"代码\t600000"), std::string(u8"名称"),
        std::string("tall"), std::string("end")}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected << " in:\n" << text;
  }
}

TEST_F(DocxWriterTest, SavingNeverReplacesAnEarlierReport) {
  Document first;
  first.TypeText("first");
  Document second;
  second.TypeText("second");
  const std::string a = Save(first);
  const std::string b = Save(second);
  const std::string c = Save(second);
  EXPECT_EQ(fs::path(a).filename(), "report.docx");
  EXPECT_EQ(fs::path(b).filename(), "report(2).docx");
  EXPECT_EQ(fs::path(c).filename(), "report(3).docx");
  EXPECT_EQ(ReadFileBytes(a), DocxBytes(first));
  EXPECT_EQ(ReadFileBytes(b), DocxBytes(second));
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(folder_.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 3u) << "no temporary file left";
}

TEST_F(DocxWriterTest, FileNamesStayInTheFolderAndBecomeUtf8OnDisk) {
  Document document;
  const std::string sub = folder_.File("Data/Reports");
  std::string path;
  ASSERT_TRUE(SaveDocxAsNewFile(document, sub, "../a/b\\c", &path));
  EXPECT_EQ(path, sub + "/.._a_b_c.docx");
  EXPECT_TRUE(fs::exists(path));
  ASSERT_TRUE(SaveDocxAsNewFile(document, sub, "\xB1\xA8\xB8\xE6", &path));  // 报告
  EXPECT_TRUE(fs::exists(sub + u8"/报告.docx"));
  // The second byte of a GBK character may equal '\' and stays with it.
  ASSERT_TRUE(SaveDocxAsNewFile(document, sub, "\xD5\x5C", &path));
  EXPECT_EQ(path, sub + "/\xD5\x5C.docx");
}

TEST_F(DocxWriterTest, OpeningReportsWhetherAnApplicationTookTheFile) {
  const std::string path = Save(Document());
  kiv::SetShellWaitMsForTesting(10000);
  kiv::SetShellOpenerForTesting({"/bin/true"});
  EXPECT_TRUE(OpenWithDefaultApplication(path));
  kiv::SetShellOpenerForTesting({"/bin/false"});
  EXPECT_FALSE(OpenWithDefaultApplication(path));
  EXPECT_TRUE(fs::exists(path)) << "the file stays for the user";
  kiv::SetShellOpenerForTesting({});
  kiv::SetShellWaitMsForTesting(2000);
}

TEST(ZipWriterTest, RefusesMembersItCannotStore) {
  ZipWriter zip;
  EXPECT_FALSE(zip.Add("", "x"));
  EXPECT_FALSE(zip.Add("a", "x")) << "a failed writer stays failed";
  EXPECT_EQ(zip.Finish(), "");
  ZipWriter empty;
  EXPECT_EQ(empty.Finish().size(), 22u) << "an empty archive is its end record";
}

}  // namespace
