#include "platform/net/HttpTransport.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <strings.h>

namespace kiv {
namespace {

std::atomic<long> g_connectMs{60000};
std::atomic<long> g_receiveMs{30000};
std::atomic<long> g_totalMs{120000};
std::atomic<size_t> g_maxBodyBytes{HttpLimits().maxBodyBytes};
std::atomic<uint64_t> g_maxFileBytes{HttpLimits().maxFileBytes};

// The first-line fallback keeps one line; a line without end is cut here.
constexpr size_t kMaxLineBytes = size_t(16) << 20;

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

using Clock = std::chrono::steady_clock;

enum class Sink { kMemory, kFile, kFirstLine };

// State of one exchange, shared by the callbacks on the calling thread.
struct Exchange {
  CURL* curl = nullptr;
  Sink sink = Sink::kMemory;
  std::string* body = nullptr;
  const std::string* filePath = nullptr;
  std::FILE* file = nullptr;
  bool fileFailed = false;
  bool tooLarge = false;
  bool lineDone = false;
  bool timedOut = false;
  long receiveMs = 30000;
  size_t maxBodyBytes = 0;
  uint64_t maxFileBytes = 0;
  size_t headBytes = 0;
  uint64_t fileBytes = 0;
  Clock::time_point lastActivity = Clock::now();

  void Touch() { lastActivity = Clock::now(); }

  bool OpenFile() {
    if (file || fileFailed) return file != nullptr;
    file = std::fopen(filePath->c_str(), "w+b");
    if (!file) fileFailed = true;
    return file != nullptr;
  }
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* ex = static_cast<Exchange*>(user);
  const size_t n = size * count;
  ex->Touch();
  // A head without end would otherwise be kept by libcurl line by line.
  ex->headBytes += n;
  if (ex->headBytes > kHttpMaxHeadBytes) {
    ex->tooLarge = true;
    return 0;
  }
  return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* ex = static_cast<Exchange*>(user);
  const size_t n = size * count;
  ex->Touch();
  switch (ex->sink) {
    case Sink::kMemory:
      if (!AppendWithinLimit(*ex->body, data, n, ex->maxBodyBytes)) {
        ex->tooLarge = true;
        return 0;
      }
      return n;
    case Sink::kFile:
      if (n > ex->maxFileBytes - ex->fileBytes) {
        ex->tooLarge = true;
        return 0;
      }
      ex->fileBytes += n;
      if (!ex->OpenFile()) return 0;
      if (std::fwrite(data, 1, n, ex->file) != n) {
        ex->fileFailed = true;
        return 0;
      }
      return n;
    case Sink::kFirstLine: {
      for (size_t i = 0; i < n; ++i) {
        if (data[i] == '\n') {
          ex->body->append(data, i);
          ex->lineDone = true;
          return 0;  // ends the transfer: the rest of the body is not wanted
        }
      }
      if (ex->body->size() + n > kMaxLineBytes) {
        ex->tooLarge = true;
        return 0;
      }
      ex->body->append(data, n);
      return n;
    }
  }
  return 0;
}

// The receive time-out: once connected, a silence longer than receiveMs ends
// the exchange. libcurl calls this at least about once a second.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* ex = static_cast<Exchange*>(user);
  curl_off_t connectUs = 0;
  curl_easy_getinfo(ex->curl, CURLINFO_CONNECT_TIME_T, &connectUs);
  if (connectUs <= 0) {
    ex->Touch();  // still connecting: the connect time-out applies
    return 0;
  }
  const auto silent =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - ex->lastActivity);
  if (silent.count() > ex->receiveMs) {
    ex->timedOut = true;
    return 1;
  }
  return 0;
}

uint32_t MapError(CURLcode code, const Exchange& ex, bool httpScheme) {
  if (ex.timedOut) return kHttpErrorTimeout;
  if (ex.fileFailed) return kHttpErrorFile;
  if (ex.tooLarge) return kHttpErrorReplyTooLarge;
  // A single header line beyond libcurl's own limit ends the transfer
  // before our header callback sees it; libcurl reports that as running out
  // of memory (or, from 8.6 on, as too large).
  if (code == CURLE_OUT_OF_MEMORY) return kHttpErrorReplyTooLarge;
#if LIBCURL_VERSION_NUM >= 0x080600
  if (code == CURLE_TOO_LARGE) return kHttpErrorReplyTooLarge;
#endif
  switch (code) {
    case CURLE_OK: return kHttpErrorNone;
    case CURLE_OPERATION_TIMEDOUT: return kHttpErrorTimeout;
    // The announced length is beyond the limit: refused before the body.
    case CURLE_FILESIZE_EXCEEDED: return kHttpErrorReplyTooLarge;
    case CURLE_COULDNT_RESOLVE_HOST: return kHttpErrorNameNotResolved;
    case CURLE_COULDNT_CONNECT: return kHttpErrorCannotConnect;
    case CURLE_URL_MALFORMAT: return kHttpErrorInvalidUrl;
    // libcurl also reports a reply without a status line (HTTP/0.9) this way.
    case CURLE_UNSUPPORTED_PROTOCOL: return httpScheme ? kHttpErrorInvalidReply : kHttpErrorBadScheme;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_GOT_NOTHING: return kHttpErrorInvalidReply;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE: return kHttpErrorConnectionError;
    default: return kHttpErrorInternal;
  }
}

HttpTransportResult Run(const std::string& url, Exchange& ex, const char* agent) {
  GlobalInit();
  HttpTransportResult result;
  CURL* curl = curl_easy_init();
  if (!curl) {
    result.error = kHttpErrorInternal;
    result.errorText = "curl_easy_init failed";
    return result;
  }
  ex.curl = curl;
  ex.receiveMs = g_receiveMs.load();
  ex.maxBodyBytes = g_maxBodyBytes.load();
  ex.maxFileBytes = g_maxFileBytes.load();
  char errorBuffer[CURL_ERROR_SIZE] = {0};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_USERAGENT, agent);
  // The operator's servers and the stand-in are reached directly when on
  // this machine, whatever proxy the environment names.
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, g_connectMs.load());
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, g_totalMs.load());
  // An announced length beyond what the sink may hold fails the call before
  // any body is read; the sinks also count what actually comes.
  const auto asLength = [](uint64_t bytes) {
    return static_cast<curl_off_t>(bytes < uint64_t(INT64_MAX) ? bytes : uint64_t(INT64_MAX));
  };
  if (ex.sink == Sink::kMemory) {
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, asLength(ex.maxBodyBytes));
  } else if (ex.sink == Sink::kFile) {
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, asLength(ex.maxFileBytes));
  }
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &ex);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &ex);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &ex);
  // Replies are taken as the server sends them: no content decoding.
  curl_easy_setopt(curl, CURLOPT_HTTP_CONTENT_DECODING, 0L);

  ex.Touch();
  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  result.status = status;
  result.received = status > 0;
  const bool lineEnded = ex.sink == Sink::kFirstLine && ex.lineDone;
  result.complete = code == CURLE_OK || lineEnded;
  result.lineEnded = lineEnded;
  if (!result.complete) {
    const bool httpScheme = strncasecmp(url.c_str(), "http://", 7) == 0 ||
                            strncasecmp(url.c_str(), "https://", 8) == 0;
    result.error = MapError(code, ex, httpScheme);
    if (result.error == kHttpErrorReplyTooLarge) {
      result.errorText = "reply too large";
    } else if (ex.timedOut) {
      result.errorText = "receive time-out";
    } else {
      result.errorText = errorBuffer[0] ? errorBuffer : curl_easy_strerror(code);
    }
  }
  curl_easy_cleanup(curl);
  return result;
}

}  // namespace

void SetHttpTimeouts(const HttpTimeouts& timeouts) {
  g_connectMs = timeouts.connectMs < 1 ? 1 : timeouts.connectMs;
  g_receiveMs = timeouts.receiveMs < 1 ? 1 : timeouts.receiveMs;
  g_totalMs = timeouts.totalMs < 1 ? 1 : timeouts.totalMs;
}

HttpTimeouts GetHttpTimeouts() {
  HttpTimeouts t;
  t.connectMs = g_connectMs.load();
  t.receiveMs = g_receiveMs.load();
  t.totalMs = g_totalMs.load();
  return t;
}

void SetHttpLimits(const HttpLimits& limits) {
  g_maxBodyBytes = limits.maxBodyBytes;
  g_maxFileBytes = limits.maxFileBytes;
}

HttpLimits GetHttpLimits() {
  HttpLimits l;
  l.maxBodyBytes = g_maxBodyBytes.load();
  l.maxFileBytes = g_maxFileBytes.load();
  return l;
}

bool AppendWithinLimit(std::string& body, const char* data, size_t n, size_t limit) {
  if (body.size() > limit || n > limit - body.size()) return false;
  const size_t needed = body.size() + n;
  if (needed > body.capacity()) {
    size_t room = 4096;
    while (room < needed && room < limit) room *= 2;
    body.reserve(room < limit ? room : limit);
  }
  body.append(data, n);
  return true;
}

HttpTransportResult HttpTransportGet(const std::string& url, std::string* body) {
  Exchange ex;
  ex.sink = Sink::kMemory;
  ex.body = body;
  return Run(url, ex, "HTTP");
}

HttpTransportResult HttpTransportGetToFile(const std::string& url, const std::string& nativePath) {
  Exchange ex;
  ex.sink = Sink::kFile;
  ex.filePath = &nativePath;
  HttpTransportResult result = Run(url, ex, "HTTP");
  // An empty body still makes its (empty) file.
  if (result.received && result.complete && !ex.file) ex.OpenFile();
  if (ex.file && std::fclose(ex.file) != 0) ex.fileFailed = true;
  if (ex.fileFailed) {
    result.complete = false;
    result.error = kHttpErrorFile;
    if (result.errorText.empty()) result.errorText = "cannot write " + nativePath;
  }
  return result;
}

HttpTransportResult HttpTransportGetFirstLine(const std::string& url, std::string* line) {
  Exchange ex;
  ex.sink = Sink::kFirstLine;
  ex.body = line;
  line->clear();
  HttpTransportResult result = Run(url, ex, "Microsoft Internet Explorer");
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return result;
}

}  // namespace kiv
