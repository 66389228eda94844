// The terminal's HTTP clients: how data URLs, web-service operations and
// files are fetched.
//
//   HttpGet / HttpGetToFile  the main client (the layer's WinHTTP-style
//                            transport), used directly by the chart loaders,
//                            the server-list thread and the document download
//   AsioHttpGet              the program's own HTTP/1.0 client on Asio
//   HttpGetText              tries HttpGet, then AsioHttpGet, then the
//                            first-line fallback transport
//
// Every client is synchronous and keeps no shared state; any number of
// threads may call them at once. None converts the character set: callers
// convert UTF-8 replies to GBK where they need to.
//
// What counts as success is the same everywhere: a reply with a status of
// 400 or above is a failure, and so is a body cut short by a broken
// connection or by a time-out. The time-outs and size limits are the
// layer's process-wide ones, for the Asio client too: kiv::SetHttpTimeouts
// (60 s to connect, 30 s of silence, 120 s for the whole call by default)
// and kiv::SetHttpLimits (a head of 64 KiB, a body of 256 MiB in memory, a
// file of 512 MiB). A reply beyond a limit fails at the limit, or at once
// when its head announces a length beyond it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/sys/WinTypes.h"

// The parts of an http:// or https:// URL (scheme compared without regard to
// case). The port is the URL's own or the scheme's default (80, 443); the
// path keeps its query and is empty when the URL has none.
struct CrackedUrl {
  std::string scheme;  // "http" or "https", lower case
  std::string host;
  uint16_t port = 0;
  std::string pathAndQuery;
};

// False for another scheme, an empty host, or a port that is not a number
// from 1 to 65535.
bool CrackUrl(const std::string& url, CrackedUrl& parts);

// GET url and append the body to `body`. True when a whole reply with a
// status below 400 came. On failure `error` receives a WinHTTP-style error
// number (kiv::kHttpError...), or the HTTP status when that was 400 or more;
// `body` then holds whatever arrived (an error page, a cut body).
bool HttpGet(const std::string& url, std::string& body, DWORD& error);

// GET url into the file at the GBK path `gbkPath`. The reply goes to a
// temporary file beside it, which replaces the file only when the whole
// body of a status-200 reply arrived within the file limit; otherwise the
// old file stays as it was
// and the temporary file is removed.
bool HttpGetToFile(const std::string& url, const std::string& gbkPath);

// AsioHttpGet statuses.
constexpr int kAsioHttpDone = 1;         // the body was read to the end
constexpr int kAsioHttpFailed = -1;      // transport error, time-out or malformed status line
constexpr int kAsioHttpBadStatus = -2;   // an HTTP status other than 200
constexpr int kAsioHttpBadScheme = -3;   // result of the URL split only

// The URL split of the Asio client: the URL must begin with "http://" or
// "https://" (both go over plain TCP); the path is everything from the first
// "/" after the scheme ("/" when there is none), the host what precedes it,
// and a ":" in the host splits off the port text ("80" when there is none).
// Returns 1, or kAsioHttpBadScheme with every part empty.
int SplitAsioUrl(const std::string& url, std::string& host, std::string& port, std::string& path);

// The request text the Asio client sends.
std::string BuildAsioHttpRequest(const std::string& host, const std::string& path);

// One HTTP/1.0 status line (without its line end): "HTTP/1.0 200 OK".
struct HttpStatusLine {
  std::string version;
  int code = 0;
  std::string message;
};
// False unless the line is a version text of "HTTP/" and more, blanks and a
// status code of one to nine digits; the message is the rest after one blank.
bool ParseHttpStatusLine(std::string_view line, HttpStatusLine& out);

// Reads a whole reply as the Asio client reads its stream: status line up
// to "\r\n", headers up to "\r\n\r\n", the rest is the body. Returns
// kAsioHttpDone with the body, kAsioHttpFailed for a malformed or cut head,
// kAsioHttpBadStatus (with *statusCode set) for a status other than 200.
int ParseHttpReply(std::string_view reply, int* statusCode, std::string* body);

// The length a reply head (status line, then header lines ending in
// "\r\n") announces in its first Content-Length header that holds digits
// (name without regard to case, blanks before the digits). False when it
// announces none. A length far beyond any limit stops growing once past
// 2^60 instead of wrapping.
bool AnnouncedContentLength(std::string_view head, uint64_t* length);

// One HTTP/1.0 exchange with "Connection: close", reading until the server
// closes. `urlInBodyOut` holds the URL on entry and the body read so far on
// return; `status` receives one of the statuses above. Progress and errors
// are printed to standard output, as the program always did.
void AsioHttpGet(std::string& urlInBodyOut, int& status);

// HttpGetText error words.
constexpr DWORD kHttpTextEmptyBody = 100;        // the fallback read no line
constexpr DWORD kHttpTextMissingSubstring = 200;
constexpr DWORD kHttpTextOpenFailed = 1520;      // the fallback got no reply
constexpr DWORD kHttpTextException = 1521;       // the fallback failed while reading

// GET url as text through the three transports in turn; each next one is
// tried only when the one before failed, and only after what the failed
// one read has been let go. 1 with the text in `out`, or 0 with
// `error` set: by HttpGet (its error), or by the fallback (an HTTP status of
// 400 or more, or one of the codes above). The fallback yields the first
// line of the body only. With `required` given, a text that does not hold it
// fails with kHttpTextMissingSubstring on every path.
int HttpGetText(const std::string& url, const char* required, std::string& out, DWORD& error);
