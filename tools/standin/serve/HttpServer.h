// HttpServer: the stand-in's one HTTP server for every HTTP host the
// terminal calls (data URLs, web services, account service, files).
//
// Behaviour the terminal's clients rely on:
//   - routes on the raw path as sent (query included; paths like
//     "/data&8193&2&7&" carry "&" and no "?");
//   - answers HTTP/1.0 and HTTP/1.1 GET requests with `Connection: close`
//     and closes after every response, so a client that reads until the
//     server closes (the Asio HTTP/1.0 client) ends;
//   - a route's handler decides the status; the stand-in's own services
//     answer 200. A path without a route gets 404.
//
// Switches per endpoint (a path prefix), for tests: fail with a status, or
// stall (read the request and never answer, holding the connection open
// until the switch is cleared or the server stops).
//
// Threads: one io_context run by one thread that Start creates and Stop
// joins. Routes and switches may be changed from any thread at any time;
// handlers run on the server's thread, one at a time.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/standin/serve/BoundedLog.h"

namespace kiv::standin {

struct HttpRequest {
  std::string method;   // "GET"
  std::string rawPath;  // as sent: "/api/istock/jdata?uid=1&hash=..."
  std::string version;  // "HTTP/1.0" or "HTTP/1.1"
  std::string head;     // the whole request head as received
};

struct HttpResponse {
  int status = 200;
  std::string contentType = "text/plain; charset=utf-8";
  std::string body;
  // Broken transfers, for tests of clients that must notice them: the length
  // announced instead of the body's, a reset (RST) instead of a close after
  // the body, and a wait before anything is written.
  std::optional<uint64_t> contentLength;
  bool resetAfterBody = false;
  std::chrono::milliseconds delay{0};
};

typedef std::function<HttpResponse(const HttpRequest&)> HttpHandler;

// The reason phrase of the statuses the stand-in sends.
const char* HttpReason(int status);

// Decodes %XX escapes (and, with plusIsBlank, "+" as a blank); a "%" not
// followed by two hex digits stays as it is.
std::string PercentDecode(const std::string& text, bool plusIsBlank);

// The value of `key` in the query of a raw path ("/p?a=1&b=2"), decoded
// (with plusIsBlank, "+" as a blank, as form values are escaped); empty when
// absent.
std::string QueryValue(const std::string& rawPath, const std::string& key, bool plusIsBlank = false);

class HttpServer {
 public:
  // The path log keeps the last logLimit paths (see BoundedLog).
  explicit HttpServer(size_t logLimit = kDefaultLogLimit);
  ~HttpServer();  // Stop()
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  // The handler for every raw path that begins with `prefix`; the longest
  // matching prefix wins. A later route of the same prefix replaces it.
  void Route(const std::string& prefix, HttpHandler handler);

  // Listens on 127.0.0.1:port (0: any free port) and starts the thread.
  // False, with LastError() set ("port N: why"), when the port cannot be
  // bound.
  bool Start(uint16_t port = 0);
  // Closes the listener and every connection (stalled ones included) and
  // joins the thread. Safe to call twice or without Start.
  void Stop();
  uint16_t Port() const { return port_; }
  std::string LastError() const;

  // Requests to paths beginning with `prefix` get `status` with a short
  // text body instead of their handler's answer; status 0 clears it.
  void FailEndpoint(const std::string& prefix, int status);
  // Requests to paths beginning with `prefix` are read and never answered
  // while the switch is on. Turning it off closes the stalled connections.
  void StallEndpoint(const std::string& prefix, bool stall);

  // Raw paths of the requests received since Start, in order: the last
  // logLimit of them.
  std::vector<std::string> RequestedPaths() const;
  // Requests received since Start, kept in the log or not.
  size_t RequestCount() const;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
  uint16_t port_ = 0;
};

}  // namespace kiv::standin
