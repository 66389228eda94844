#include "tools/standin/serve/ManualFiles.h"

#include <cstdio>
#include <vector>

#include "tools/standin/serve/HttpServer.h"

namespace kiv::standin {

namespace {

// Keeps the text inside a PDF literal string: printable ASCII only, without
// the delimiters and the escape character.
std::string PdfLiteralText(const std::string& line) {
  std::string out;
  for (char c : line) {
    if (c >= 0x20 && c < 0x7F && c != '(' && c != ')' && c != '\\') out += c;
  }
  return out;
}

HttpResponse PdfResponse(const std::string& body) {
  HttpResponse out;
  out.contentType = "application/pdf";
  out.body = body;
  return out;
}

}  // namespace

std::string MakeOnePagePdf(const std::string& line) {
  const std::string content = "BT /F1 18 Tf 72 720 Td (" + PdfLiteralText(line) + ") Tj ET";
  const std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Contents 4 0 R "
      "/Resources << /Font << /F1 5 0 R >> >> >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
  };
  std::string pdf = "%PDF-1.4\n";
  std::vector<size_t> offsets;
  for (size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t offset : offsets) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    pdf += entry;
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

void RegisterManualRoutes(HttpServer& server) {
  const std::string manual = MakeOnePagePdf("KivDesk 1.1 user manual (stand-in)");
  const std::string judge = MakeOnePagePdf("KivDesk 1.1 strengths and limits (stand-in)");
  server.Route(kManualPath, [manual](const HttpRequest&) { return PdfResponse(manual); });
  server.Route(kJudgeManualPath, [judge](const HttpRequest&) { return PdfResponse(judge); });
}

}  // namespace kiv::standin
