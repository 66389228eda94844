// The blocking data socket and the block data protocol.
//
// CKivBlockingSocket is a plain blocking TCP socket with time-outs that
// throws CKivBlockingSocketException, naming the failed step and a
// Winsock-style error number (10060 time-out, 10061 refused, ...), for every
// failed step. Data windows keep one as a member.
//
// BlockingRequest runs one exchange of the block data protocol on the
// caller's thread: a 12-byte little-endian request, then a reply of two
// big-endian words (total length including those 8 bytes, inflated length)
// and a zlib body that inflates to 16 leading bytes, a big-endian record
// count and 20-byte records (big-endian key, 16 bytes of UTF-16 name). The
// decoded body goes to the window as WM_KIV_FORMULA_RESULT; every failure is
// a WM_KIV_REQUEST_FAILED, a closed link or empty body a
// WM_KIV_REQUEST_ENDED. Nothing here throws to its caller.
//
// Threads: one socket is used by one thread at a time; DataServerLabel is
// shared with the UI thread's painting and locked inside.
#pragma once

#include <netinet/in.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "net/KivRWLock.h"
#include "platform/post/Posting.h"
#include "platform/sys/WinTypes.h"

namespace kiv {

constexpr uint16_t kBlockDataPort = 5150;

// Winsock error numbers used in exception messages.
constexpr int kWsaTimedOut = 10060;
constexpr int kWsaConnRefused = 10061;

class CKivBlockingSocketException {
 public:
  // step: "Create", "Connect", "Send", "Send timeout", "Receive",
  // "Receive timeout" or "GetHostByName".
  CKivBlockingSocketException(std::string step, int errorCode) : step_(std::move(step)), error_(errorCode) {}
  const std::string& Step() const { return step_; }
  int ErrorCode() const { return error_; }
  // "<step> error #<code>", or "<step> error" for code 0; at most size - 1
  // characters and a terminating zero. TRUE.
  BOOL GetErrorMessage(char* text, UINT size, UINT* helpContext = nullptr) const;

 private:
  std::string step_;
  int error_;
};

class CKivBlockingSocket {
 public:
  CKivBlockingSocket() = default;
  ~CKivBlockingSocket() { Close(); }
  CKivBlockingSocket(const CKivBlockingSocket&) = delete;
  CKivBlockingSocket& operator=(const CKivBlockingSocket&) = delete;

  // Opens a new TCP socket (closing a held one first).
  void Create();
  // Resolves an IPv4 host name or dotted address.
  static sockaddr_in GetHostByName(const std::string& host, uint16_t port);
  // Connects within connectTimeoutMs (the socket stays blocking afterwards).
  // A socket that is not open does nothing.
  void Connect(const sockaddr_in& address, int connectTimeoutMs);
  // Waits for writability (up to 10 waits of timeoutMs), then one send.
  // Not open: 0.
  int Send(const void* data, int length, int timeoutMs);
  // One wait for readability, then one receive; 0 when the peer closed.
  // Not open: 0.
  int Receive(void* data, int length, int timeoutMs);
  // Sends the whole buffer; stops early only when the socket is not open.
  int SendAll(const void* data, int length, int timeoutMs);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// Waits of the exchange; tests shorten them.
struct BlockTimings {
  int connectMs = 10000;
  int sendMs = 5000;
  int firstReadMs = 50000;
  int nextReadMs = 5000;
  // The whole request, from sending it to the reply's last byte, whatever
  // each read waits: a server that trickles its reply cannot hold the
  // caller (the UI thread) for longer than this.
  int requestMs = 100000;
};

// A data server to connect to: address text, label text, port.
struct DataServerRecord {
  std::string address;
  std::string label;
  uint16_t port = kBlockDataPort;
};

// Where the servers come from (the configuration store in the program).
class DataServerSource {
 public:
  virtual ~DataServerSource() = default;
  // The current record; false when there is none.
  virtual bool Current(DataServerRecord& out) = 0;
  // Advances to the next record round-robin and gives it; false for none.
  virtual bool Next(DataServerRecord& out) = 0;
};

// The label of the data server last connected, shown by the server strip.
class DataServerLabel {
 public:
  void Set(const std::string& label);
  std::string Get() const;

 private:
  mutable CKivRWLock lock_;
  std::string label_;
};

// Label after a failed connect.
extern const char* const kServerUnreachableLabel;

// Converts a record's 16-byte UTF-16 name in place to zero-filled ANSI text.
using NameConverter = void (*)(WCHAR* buffer, int bytes);

struct BlockContext {
  DataServerSource* servers = nullptr;
  DataServerLabel* label = nullptr;  // may be null
  NameConverter convertName = nullptr;  // null: names stay UTF-16
  BlockTimings timings;
};

int ConnectDataServer(CKivBlockingSocket& socket, HWND hwnd, const BlockContext& context);
int ConnectNextDataServer(CKivBlockingSocket& socket, HWND hwnd, const BlockContext& context);
int CloseBlockingSocket(CKivBlockingSocket& socket);

// What the requesting window provides.
struct BlockRequestFields {
  uint16_t kind = 0;
  uint16_t subKind = 0;
  uint8_t selector = 0;
  uint32_t value = 0;  // low 24 bits sent
};

std::array<uint8_t, 12> EncodeBlockRequest(const BlockRequestFields& fields);

// 0 when the result was posted or the link ended, -1 on failure. Each wait
// has its own bound and the whole request context.timings.requestMs: a
// reply still coming then fails the request as a read that timed out.
int BlockingRequest(HWND hwnd, CKivBlockingSocket& socket, const BlockRequestFields& fields,
                    const BlockContext& context);

// ---- the reply codec (untrusted bytes) ----

constexpr uint32_t kBlockMaxTotal = 9999999;
constexpr uint32_t kBlockMaxInflated = 64u << 20;
constexpr size_t kBlockLeadingBytes = 16;
constexpr size_t kBlockRecordSize = 20;

enum class BlockReplyStatus { kOk, kEnded, kFailed };

struct BlockReplyHeader {
  uint32_t total = 0;
  uint32_t inflated = 0;
};

// Reads the 8 header bytes; kFailed when fewer are given or a length is out
// of bounds, kEnded for an inflated length of 0.
BlockReplyStatus ReadBlockReplyHeader(const uint8_t* data, size_t size, BlockReplyHeader& header);

// Inflates the body and rewrites count, keys and names in place. On kOk,
// out holds header.inflated + 10 bytes (new[]) and outCount the records.
BlockReplyStatus DecodeBlockReplyBody(const uint8_t* body, size_t size, const BlockReplyHeader& header,
                                      NameConverter convertName, std::unique_ptr<char[]>& out,
                                      uint32_t& outCount);

// The second half of DecodeBlockReplyBody, on bytes already inflated: the
// first `produced` bytes of `bytes` are what zlib gave. The count and every
// record must lie inside them; count and keys are rewritten to host order
// and the names through convertName, in place. kOk with outCount.
BlockReplyStatus DecodeInflatedBlockBody(uint8_t* bytes, size_t produced, NameConverter convertName,
                                         uint32_t& outCount);

// A whole reply held in memory: header then exactly total - 8 body bytes.
BlockReplyStatus DecodeBlockReply(const uint8_t* data, size_t size, NameConverter convertName,
                                  std::unique_ptr<char[]>& out, uint32_t& outCount);

}  // namespace kiv
