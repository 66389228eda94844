// The HTTP transports of the layer, on libcurl: what the program's WinHTTP
// client and its WinINet fallback stand on.
//
// Every call is one synchronous GET that blocks its thread until the
// exchange ends. Redirects are never followed: a 3xx reply is returned as it
// came. Every call is bounded by three time-outs, shared by the whole
// process: the connect time-out (name resolution and TCP connect), the
// receive time-out (the longest silence allowed while waiting for or reading
// the reply) and the deadline of the whole call, which stops a server that
// sends just often enough never to fall silent. A call that runs into any of
// them fails with kHttpErrorTimeout.
//
// What a reply may cost is bounded too: its head (status line and headers)
// by kHttpMaxHeadBytes, a body kept in memory or written to a file by the
// process-wide limits. A reply beyond a limit, or announcing a length beyond
// it, fails with kHttpErrorReplyTooLarge as soon as that is known; nothing
// is set aside for an announced length.
//
// The transports report the HTTP status they got and never judge it: the
// clients above decide what a status means.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kiv {

struct HttpTimeouts {
  long connectMs = 60000;
  long receiveMs = 30000;
  // The whole call, from its start to the last byte: four receive time-outs.
  long totalMs = 120000;
};

// The process-wide time-outs every transport uses from its next call on.
// Values below 1 ms are raised to 1 ms.
void SetHttpTimeouts(const HttpTimeouts& timeouts);
HttpTimeouts GetHttpTimeouts();

struct HttpLimits {
  size_t maxBodyBytes = size_t(256) << 20;    // a body kept in memory
  uint64_t maxFileBytes = uint64_t(512) << 20;  // a body written to a file
};

// The process-wide limits every transport uses from its next call on.
void SetHttpLimits(const HttpLimits& limits);
HttpLimits GetHttpLimits();

// The status line and headers of one reply, together.
constexpr size_t kHttpMaxHeadBytes = size_t(64) << 10;

// Appends n bytes to body unless body would then hold more than limit
// bytes (false, body unchanged). Room grows in powers of two but never
// beyond the limit, so a body that reaches its limit has cost about the
// limit, not twice it.
bool AppendWithinLimit(std::string& body, const char* data, size_t n, size_t limit);

// Error numbers in the style of WinHTTP, so that callers that keep a
// Windows error word keep meaningful values.
constexpr uint32_t kHttpErrorNone = 0;
constexpr uint32_t kHttpErrorTimeout = 12002;          // ERROR_WINHTTP_TIMEOUT
constexpr uint32_t kHttpErrorInternal = 12004;         // ERROR_WINHTTP_INTERNAL_ERROR
constexpr uint32_t kHttpErrorInvalidUrl = 12005;       // ERROR_WINHTTP_INVALID_URL
constexpr uint32_t kHttpErrorBadScheme = 12006;        // ERROR_WINHTTP_UNRECOGNIZED_SCHEME
constexpr uint32_t kHttpErrorNameNotResolved = 12007;  // ERROR_WINHTTP_NAME_NOT_RESOLVED
constexpr uint32_t kHttpErrorConnectionError = 12030;  // ERROR_WINHTTP_CONNECTION_ERROR
constexpr uint32_t kHttpErrorCannotConnect = 12029;    // ERROR_WINHTTP_CANNOT_CONNECT
constexpr uint32_t kHttpErrorInvalidReply = 12152;     // ERROR_WINHTTP_INVALID_SERVER_RESPONSE
constexpr uint32_t kHttpErrorReplyTooLarge = 12184;    // ERROR_WINHTTP_RESPONSE_DRAIN_OVERFLOW: beyond a limit
constexpr uint32_t kHttpErrorFile = 29;                // ERROR_WRITE_FAULT: the local file failed

struct HttpTransportResult {
  // True when a reply status line and headers were received, whatever the
  // status; the body may still have been cut by a later failure (then
  // `complete` is false and `error` says why).
  bool received = false;
  bool complete = false;
  long status = 0;        // the HTTP status, 0 when nothing was received
  // First-line variant only: the line ended in "\n" (as opposed to the body
  // ending, or the transfer failing, before any line end).
  bool lineEnded = false;
  uint32_t error = kHttpErrorNone;
  std::string errorText;  // libcurl's description, for trace lines
};

// GET url; the body is appended to *body.
HttpTransportResult HttpTransportGet(const std::string& url, std::string* body);

// GET url; the body is written to the file at nativePath, which is created
// (or emptied) once the reply headers have arrived. Nothing is created when
// no reply came. The caller decides whether to keep the file.
HttpTransportResult HttpTransportGetToFile(const std::string& url, const std::string& nativePath);

// GET url in the manner of the WinINet fallback: only the first line of the
// body is kept, without its line end ("\n" or "\r\n"), and the transfer is
// ended once that line is complete. `complete` is true when the line ended
// or the body ended; *line holds the line read (empty for an empty body).
HttpTransportResult HttpTransportGetFirstLine(const std::string& url, std::string* line);

}  // namespace kiv
