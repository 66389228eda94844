#include "data/HttpClient.h"

#include <boost/asio.hpp>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <strings.h>
#include <unistd.h>

#include "platform/net/HttpTransport.h"
#include "platform/sys/Files.h"
#include "platform/sys/Trace.h"

namespace {

constexpr size_t kMaxHostLength = 127;

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

// Port text of 1 to 65535.
bool ParsePort(std::string_view text, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

bool CrackUrl(const std::string& url, CrackedUrl& parts) {
  parts = CrackedUrl();
  size_t rest = 0;
  if (StartsWithNoCase(url, "http://")) {
    parts.scheme = "http";
    parts.port = 80;
    rest = 7;
  } else if (StartsWithNoCase(url, "https://")) {
    parts.scheme = "https";
    parts.port = 443;
    rest = 8;
  } else {
    return false;
  }
  size_t end = url.find_first_of("/?#", rest);
  if (end == std::string::npos) end = url.size();
  std::string authority = url.substr(rest, end - rest);
  const size_t at = authority.rfind('@');
  if (at != std::string::npos) authority.erase(0, at + 1);  // user name and password
  const size_t colon = authority.rfind(':');
  if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
    if (!ParsePort(std::string_view(authority).substr(colon + 1), &parts.port)) return false;
    authority.erase(colon);
  }
  if (authority.empty()) return false;
  parts.host = authority;
  parts.pathAndQuery = url.substr(end);
  const size_t hash = parts.pathAndQuery.find('#');
  if (hash != std::string::npos) parts.pathAndQuery.erase(hash);
  return true;
}

bool HttpGet(const std::string& url, std::string& body, DWORD& error) {
  CrackedUrl parts;
  if (!CrackUrl(url, parts)) {
    error = StartsWithNoCase(url, "http") && url.find("://") != std::string::npos
                ? kiv::kHttpErrorInvalidUrl
                : kiv::kHttpErrorBadScheme;
    return false;
  }
  if (parts.host.size() > kMaxHostLength) {
    error = kiv::kHttpErrorInvalidUrl;
    return false;
  }
  const kiv::HttpTransportResult r = kiv::HttpTransportGet(url, &body);
  if (!r.received || !r.complete) {
    error = r.error;
    KivTrace("HttpGet %s: %s\n", url.c_str(), r.errorText.c_str());
    return false;
  }
  if (r.status >= 400) {
    error = static_cast<DWORD>(r.status);
    return false;
  }
  return true;
}

bool HttpGetToFile(const std::string& url, const std::string& gbkPath) {
  CrackedUrl parts;
  if (!CrackUrl(url, parts) || parts.host.size() > kMaxHostLength) return false;
  static std::atomic<unsigned> counter{0};
  const std::string target = kiv::NativePath(gbkPath);
  const std::string temp =
      target + ".part" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  const kiv::HttpTransportResult r = kiv::HttpTransportGetToFile(url, temp);
  const bool keep = r.received && r.complete && r.status == 200;
  if (!keep || std::rename(temp.c_str(), target.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

int SplitAsioUrl(const std::string& url, std::string& host, std::string& port, std::string& path) {
  host.clear();
  port.clear();
  path.clear();
  size_t start;
  if (url.compare(0, 7, "http://") == 0) {
    start = 7;
  } else if (url.compare(0, 8, "https://") == 0) {
    start = 8;
  } else {
    return kAsioHttpBadScheme;
  }
  const size_t slash = url.find('/', start);
  if (slash == std::string::npos) {
    host = url.substr(start);
    path = "/";
  } else {
    host = url.substr(start, slash - start);
    path = url.substr(slash);
  }
  const size_t colon = host.find(':');
  if (colon != std::string::npos) {
    port = host.substr(colon + 1);
    host.erase(colon);
  } else {
    port = "80";
  }
  return 1;
}

std::string BuildAsioHttpRequest(const std::string& host, const std::string& path) {
  return "GET " + path + " HTTP/1.0\r\n" + "Host: " + host + "\r\n" + "Accept: */*\r\n" +
         "Connection: close\r\n\r\n";
}

bool ParseHttpStatusLine(std::string_view line, HttpStatusLine& out) {
  out = HttpStatusLine();
  size_t i = 0;
  while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
  const size_t versionStart = i;
  while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
  const std::string_view version = line.substr(versionStart, i - versionStart);
  if (version.size() <= 5 || version.substr(0, 5) != "HTTP/") return false;
  while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
  int code = 0;
  size_t digits = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
    if (++digits > 9) return false;
    code = code * 10 + (line[i] - '0');
    ++i;
  }
  if (digits == 0) return false;
  if (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) return false;
  if (i < line.size()) ++i;
  out.version = std::string(version);
  out.code = code;
  out.message = std::string(line.substr(i));
  if (!out.message.empty() && out.message.back() == '\r') out.message.pop_back();
  return true;
}

int ParseHttpReply(std::string_view reply, int* statusCode, std::string* body) {
  *statusCode = 0;
  body->clear();
  const size_t lineEnd = reply.find("\r\n");
  if (lineEnd == std::string_view::npos) return kAsioHttpFailed;
  HttpStatusLine status;
  if (!ParseHttpStatusLine(reply.substr(0, lineEnd), status)) return kAsioHttpFailed;
  *statusCode = status.code;
  if (status.code != 200) return kAsioHttpBadStatus;
  // The header block ends at the first empty line; with no header at all the
  // status line's own line end starts it.
  const size_t headEnd = reply.find("\r\n\r\n", lineEnd);
  if (headEnd == std::string_view::npos) return kAsioHttpFailed;
  body->assign(reply.substr(headEnd + 4));
  return kAsioHttpDone;
}

bool AnnouncedContentLength(std::string_view head, uint64_t* length) {
  static const char kName[] = "content-length:";
  constexpr size_t kNameLength = sizeof kName - 1;
  size_t start = head.find("\r\n");
  while (start != std::string_view::npos && start + 2 < head.size()) {
    start += 2;
    const size_t end = head.find("\r\n", start);
    const std::string_view line = head.substr(start, end == std::string_view::npos ? end : end - start);
    if (line.size() > kNameLength && strncasecmp(line.data(), kName, kNameLength) == 0) {
      size_t i = kNameLength;
      while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
      uint64_t value = 0;
      bool digits = false;
      for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
        digits = true;
        // Far beyond any limit, a length stops growing rather than wrap.
        if (value < (uint64_t(1) << 60)) value = value * 10 + uint64_t(line[i] - '0');
      }
      if (digits) {
        *length = value;
        return true;
      }
    }
    start = end;
  }
  return false;
}

namespace {

namespace asio = boost::asio;
using boost::system::error_code;
using asio::ip::tcp;

// One exchange of AsioHttpGet, step by step on its own io_context; each
// completion handler does one step and starts the next. Two timers bound it:
// one every wait (the connect time-out for resolving and connecting, the
// receive time-out for each read), one the whole exchange. The head is read
// into a buffer of kHttpMaxHeadBytes, the body kept up to the body limit.
class AsioExchange {
 public:
  AsioExchange(std::string host, std::string port, std::string path, std::string& body,
               int& status)
      : resolver_(io_),
        socket_(io_),
        timer_(io_),
        deadline_(io_),
        host_(std::move(host)),
        port_(std::move(port)),
        request_(BuildAsioHttpRequest(host_, path)),
        body_(body),
        status_(status) {}

  void Run() {
    const kiv::HttpTimeouts t = kiv::GetHttpTimeouts();
    connectMs_ = t.connectMs;
    receiveMs_ = t.receiveMs;
    maxBodyBytes_ = kiv::GetHttpLimits().maxBodyBytes;
    deadline_.expires_after(std::chrono::milliseconds(t.totalMs));
    deadline_.async_wait([this](const error_code& ec) {
      if (!ec) Abandon();
    });
    Arm(connectMs_);
    resolver_.async_resolve(host_, port_, tcp::resolver::address_configured,
                             [this](const error_code& ec, tcp::resolver::results_type results) {
                               OnResolved(ec, results);
                             });
    io_.run();
  }

 private:
  void Arm(long ms) {
    timer_.expires_after(std::chrono::milliseconds(ms));
    timer_.async_wait([this](const error_code& ec) {
      if (!ec) Abandon();  // not cancelled: the step took too long
    });
  }

  // A time-out: whatever step is waiting ends with an error.
  void Abandon() {
    timedOut_ = true;
    resolver_.cancel();
    error_code ignored;
    socket_.close(ignored);
  }

  // The exchange is over: no timer may keep the io_context running.
  void Finish(int status) {
    timer_.cancel();
    deadline_.cancel();
    status_ = status;
  }

  void Fail(const error_code& ec) {
    const error_code shown = timedOut_ ? error_code(asio::error::timed_out) : ec;
    std::cout << "Error: " << shown.category().name() << ":" << shown.value() << "\n";
    Finish(kAsioHttpFailed);
  }

  void OnResolved(const error_code& ec, const tcp::resolver::results_type& results) {
    if (ec) return Fail(ec);
    asio::async_connect(socket_, results,
                        [this](const error_code& e, const tcp::endpoint&) { OnConnected(e); });
  }

  void OnConnected(const error_code& ec) {
    if (ec || timedOut_) return Fail(ec ? ec : asio::error::timed_out);
    timer_.cancel();
    Arm(receiveMs_);
    asio::async_write(socket_, asio::buffer(request_),
                      [this](const error_code& e, size_t) { OnWritten(e); });
  }

  void OnWritten(const error_code& ec) {
    if (ec) return Fail(ec);
    ReadHead();
  }

  void ReadHead() {
    Arm(receiveMs_);
    asio::async_read_until(socket_, buffer_, "\r\n\r\n",
                           [this](const error_code& e, size_t) { OnHead(e); });
  }

  void OnHead(const error_code& ec) {
    timer_.cancel();
    std::string_view received(static_cast<const char*>(buffer_.data().data()),
                              buffer_.size());
    const size_t lineEnd = received.find("\r\n");
    HttpStatusLine status;
    if (lineEnd == std::string_view::npos) {
      // Not even a status line: a stream failure.
      if (ec && !timedOut_ && ec != asio::error::eof) return Fail(ec);
      if (timedOut_) return Fail(ec);
      std::cout << "错误的响应数据\n";
      return Finish(kAsioHttpFailed);
    }
    if (!ParseHttpStatusLine(received.substr(0, lineEnd), status)) {
      std::cout << "错误的响应数据\n";
      return Finish(kAsioHttpFailed);
    }
    if (status.code != 200) {
      std::cout << "服务器响应的状态码: " << status.code << "\n";
      return Finish(kAsioHttpBadStatus);
    }
    // The head never ended: cut, timed out, or beyond kHttpMaxHeadBytes.
    if (ec) return Fail(ec);
    const size_t headEnd = received.find("\r\n\r\n");
    // A length beyond the limit is refused before the body is read.
    uint64_t announced = 0;
    if (AnnouncedContentLength(received.substr(0, headEnd + 2), &announced) && announced > maxBodyBytes_) {
      return Fail(asio::error::message_size);
    }
    const std::string_view rest = received.substr(headEnd + 4);
    if (!kiv::AppendWithinLimit(body_, rest.data(), rest.size(), maxBodyBytes_)) {
      return Fail(asio::error::message_size);
    }
    buffer_.consume(buffer_.size());
    ReadBody();
  }

  void ReadBody() {
    Arm(receiveMs_);
    asio::async_read(socket_, buffer_, asio::transfer_at_least(1),
                     [this](const error_code& e, size_t) { OnBody(e); });
  }

  void OnBody(const error_code& ec) {
    timer_.cancel();
    const size_t n = buffer_.size();
    if (!kiv::AppendWithinLimit(body_, static_cast<const char*>(buffer_.data().data()), n,
                                maxBodyBytes_)) {
      return Fail(asio::error::message_size);
    }
    buffer_.consume(n);
    if (ec == asio::error::eof && !timedOut_) {
      error_code ignored;
      socket_.shutdown(tcp::socket::shutdown_both, ignored);
      socket_.close(ignored);
      Finish(kAsioHttpDone);
      std::cout << "读取响应数据完毕." << "\n";
      return;
    }
    if (ec) return Fail(ec);
    ReadBody();
  }

  asio::io_context io_;
  tcp::resolver resolver_;
  tcp::socket socket_;
  asio::steady_timer timer_;
  asio::steady_timer deadline_;
  // The head must fit whole; body bytes pass through it in pieces.
  asio::streambuf buffer_{kiv::kHttpMaxHeadBytes};
  std::string host_;
  std::string port_;
  std::string request_;
  std::string& body_;
  int& status_;
  long connectMs_ = 60000;
  long receiveMs_ = 30000;
  size_t maxBodyBytes_ = 0;
  bool timedOut_ = false;
};

}  // namespace

void AsioHttpGet(std::string& urlInBodyOut, int& status) {
  std::string host, port, path;
  SplitAsioUrl(urlInBodyOut, host, port, path);
  urlInBodyOut.clear();
  status = kAsioHttpFailed;
  try {
    if (host.empty()) {
      // Nothing to resolve: the exchange ends at its first step.
      std::cout << "Error: "
                << boost::system::error_code(asio::error::host_not_found).category().name()
                << ":" << static_cast<int>(asio::error::host_not_found) << "\n";
      return;
    }
    AsioExchange exchange(host, port, path, urlInBodyOut, status);
    exchange.Run();
  } catch (const std::exception& e) {
    std::cout << "Exception: " << e.what() << "\n";
    status = kAsioHttpFailed;
  }
}

int HttpGetText(const std::string& url, const char* required, std::string& out, DWORD& error) {
  const auto holds = [required](const std::string& text) {
    return required == nullptr || text.find(required) != std::string::npos;
  };
  {
    std::string body;
    if (HttpGet(url, body, error)) {
      if (!holds(body)) {
        error = kHttpTextMissingSubstring;
        return 0;
      }
      out = std::move(body);
      return 1;
    }
  }  // a failed body (up to the body limit) is gone before the next try
  {
    std::string asio = url;
    int status = kAsioHttpFailed;
    AsioHttpGet(asio, status);
    if (status == kAsioHttpDone) {
      if (!holds(asio)) {
        error = kHttpTextMissingSubstring;
        return 0;
      }
      out = std::move(asio);
      return 1;
    }
  }
  std::string line;
  const kiv::HttpTransportResult r = kiv::HttpTransportGetFirstLine(url, &line);
  if (!r.received) {
    error = kHttpTextOpenFailed;
    return 0;
  }
  if (r.status >= 400) {
    error = static_cast<DWORD>(r.status);
    return 0;
  }
  if (!r.complete) {
    error = kHttpTextException;
    return 0;
  }
  if (line.empty() && !r.lineEnded) {
    error = kHttpTextEmptyBody;
    return 0;
  }
  if (!holds(line)) {
    error = kHttpTextMissingSubstring;
    return 0;
  }
  out = line;
  return 1;
}
