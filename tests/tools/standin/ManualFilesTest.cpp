// The user manuals on the maker's web host: downloaded the way the terminal
// downloads them, each is a PDF whose cross-reference table a viewer can
// follow.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "data/HttpClient.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/serve/ManualFiles.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::standin {
namespace {

// Checks what a viewer relies on first: the header, the end marker, the
// start of the cross-reference table, and that every entry points at the
// object it names. Empty when sound, else what is wrong.
std::string PdfStructureFault(const std::string& pdf) {
  if (pdf.rfind("%PDF-1.", 0) != 0) return "no PDF header";
  if (pdf.size() < 6 || pdf.compare(pdf.size() - 6, 6, "%%EOF\n") != 0) return "no end marker";
  const size_t startxref = pdf.rfind("startxref\n");
  if (startxref == std::string::npos) return "no startxref";
  const size_t xref = std::strtoul(pdf.c_str() + startxref + 10, nullptr, 10);
  if (pdf.compare(xref, 5, "xref\n") != 0) return "startxref does not point at the table";
  size_t at = pdf.find('\n', xref + 5);  // "0 N"
  const int count = std::atoi(pdf.c_str() + xref + 7);
  if (count < 2) return "empty table";
  at += 1 + 20;  // the free entry
  for (int object = 1; object < count; ++object, at += 20) {
    if (at + 20 > pdf.size()) return "table cut short";
    const size_t offset = std::strtoul(pdf.c_str() + at, nullptr, 10);
    const std::string header = std::to_string(object) + " 0 obj\n";
    if (pdf.compare(offset, header.size(), header) != 0) return "entry " + std::to_string(object) + " is off";
  }
  if (pdf.find("/Type /Catalog") == std::string::npos) return "no catalog";
  return std::string();
}

TEST(StandinManualsTest, BothManualsDownloadAsSoundPdfs) {
  StandinServer server;
  ASSERT_TRUE(server.Start()) << server.LastError();
  test::ScratchFolder folder("manuals");
  const std::string base = "http://127.0.0.1:" + std::to_string(server.HttpPort());
  std::string first;
  for (const char* path : {kManualPath, kJudgeManualPath}) {
    SCOPED_TRACE(path);
    const std::string file = folder.File("manual.pdf");
    ASSERT_TRUE(HttpGetToFile(base + path, file));
    const std::string pdf = test::ReadFileBytes(file);
    EXPECT_EQ(PdfStructureFault(pdf), "");
    EXPECT_NE(pdf, first);  // two different documents
    first = pdf;
  }
  // Another product's file is not there.
  EXPECT_FALSE(HttpGetToFile(base + "/data/products/rymanual1.0.pdf", folder.File("none.pdf")));
}

TEST(StandinManualsTest, PageTextKeepsTheStringDelimitersOut) {
  const std::string pdf = MakeOnePagePdf("a (b) \\c \x01\xB0");
  EXPECT_EQ(PdfStructureFault(pdf), "");
  EXPECT_NE(pdf.find("(a b c ) Tj"), std::string::npos) << pdf;
}

}  // namespace
}  // namespace kiv::standin
