// ManualFiles: the two user manuals the maker's web host offers for
// download, "/data/products/rymanual1.1.pdf" and
// "/data/products/ryjudge1.1.pdf". Each is a small, valid one-page PDF
// (header, four objects, a cross-reference table whose offsets are the
// objects' real byte offsets, trailer), so that a viewer the terminal hands
// it to opens it. The bytes are fixed: the same request always gets the same
// file.
//
// Threads: pure functions; the routes run on the HTTP server's thread.
#pragma once

#include <string>

namespace kiv::standin {

class HttpServer;

constexpr const char* kManualPath = "/data/products/rymanual1.1.pdf";
constexpr const char* kJudgeManualPath = "/data/products/ryjudge1.1.pdf";

// A one-page PDF whose page shows `line` (printable ASCII; other bytes and
// the string delimiters are left out).
std::string MakeOnePagePdf(const std::string& line);

// Serves both manuals as application/pdf.
void RegisterManualRoutes(HttpServer& server);

}  // namespace kiv::standin
