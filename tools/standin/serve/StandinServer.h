// StandinServer: the stand-in for the operator's servers, embedded in a test
// or wrapped by the kivstandin program. It serves the market-data protocol
// on loopback with deterministic synthetic data, and offers the switches
// that let a test script what a real server does badly.
//
// Use from a test:
//
//   kiv::standin::StandinOptions options;     // every port 0: any free port
//   options.seed = 7;
//   options.fixedNowUtc = kiv::standin::BeijingTime(2026, 3, 16, 10, 30, 0);
//   kiv::standin::StandinServer server(options);
//   ASSERT_TRUE(server.Start()) << server.LastError();
//   uint16_t port = server.MarketPort();      // connect the client here
//   ...
//   ASSERT_TRUE(server.WaitForRequests(3));   // bounded wait, see below
//   std::vector<kiv::standin::LoggedRequest> log = server.Requests();
//   server.Stop();                            // joins the thread; Start again is allowed
//
// Threads: one Asio I/O context run by one thread that Start creates and Stop
// joins. Every public method may be called from any thread, and the switches
// also from a reply override on the I/O thread. Switches that act on
// connections (close, malformed frame, pushes, flush, drop) and silence are
// handed to the I/O thread and run in the order they were called, after
// whatever that thread had already queued; settings (delay, batching,
// overrides, clock) apply to every reply built after the call.
//
// Market-data port behaviour:
//   - a heartbeat (type 102) is echoed with a type-102 message, id 1000, empty
//     payload, and counted (HeartbeatsReceived), not logged;
//   - every other message is a request: it is logged (see LoggedRequest) and
//     answered by its id with its type and extra 0: with the served reply for
//     the types the stand-in knows, with an empty payload for every other
//     type (the client never resends and never times out a request, so no
//     request may stay unanswered);
//   - every keepAlive interval each session sends an unsolicited type-102
//     message (id 1000), so an idle link is never closed by the client's
//     inactivity guard, even while the client holds back its own heartbeat.
// Switches, all off by default: silence, closing, malformed frames, delayed
// and batched replies, pushes (forced logout 101, status 5000001 and any
// other), replacement replies per type, dropping all connections and
// refusing new ones for a while.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/KivNetPack.h"
#include "net/RequestHeader.h"
#include "tools/standin/market/MarketTime.h"  // BeijingTime, ParseBeijingTime
#include "tools/standin/market/IndexLevels.h"
#include "tools/standin/market/PriceHistory.h"
#include "tools/standin/serve/BarReplies.h"
#include "tools/standin/serve/BoundedLog.h"

namespace kiv::standin {

class Accounts;
class BlockServer;
class HttpServer;
class UpdateFolder;


class MarketService;

// Seed of the synthetic market unless one is given.
constexpr uint64_t kDefaultSeed = 20050104;

// Message types of the link that are not data types.
constexpr uint32_t kTypePush = 100;           // server push, ignored by the client
constexpr uint32_t kTypeForcedLogout = 101;   // row 0: 300001 int32, 200001 text (other IP)
constexpr uint32_t kTypeHeartbeat = 102;      // both ways, empty payload
constexpr uint32_t kTypeStatus = 5000001;     // row 0: 300001 int32 (1 = all is well)
constexpr uint64_t kHeartbeatRequestId = 1000;

// Status value of a forced logout that ends the client (the account was
// logged in from another address).
constexpr int32_t kLogoutLoggedInElsewhere = 6;

struct StandinOptions {
  // 0 = any free port.
  uint16_t marketPort = 0;
  uint16_t blockPort = 0;
  uint16_t listPort = 0;
  uint16_t httpPort = 0;
  // Everything synthetic is a pure function of the seed and the clock.
  uint64_t seed = kDefaultSeed;
  // The market clock: a fixed instant (seconds since 1970 UTC) or, when
  // unset, kiv::CurrentClock()'s wall time read at each request.
  std::optional<int64_t> fixedNowUtc;
  // Unsolicited keep-alive interval of every session. Tests shorten it.
  std::chrono::milliseconds keepAlive{8000};
  // Address to listen on; loopback unless the program is told otherwise.
  std::string bindAddress = "127.0.0.1";
  // The request logs of the market-data, block and HTTP ports keep the last
  // this many requests each (0: none) and count them all, so that a stand-in
  // serving for days holds logs of fixed size.
  size_t requestLogLimit = kDefaultLogLimit;
  // The update server's folder (UpdateFolder.h), native; empty: none.
  std::string updateRoot;
};

// One message received on the market-data port, as decoded.
struct LoggedRequest {
  uint64_t connection = 0;   // 1, 2, ... in accept order since Start
  RequestHeader header;      // id, flags, type (the DataType), extra
  KivNetPack payload;        // the request's payload pack, as loaded
};

// Ways a deliberately broken frame is broken.
enum class MalformedFrame {
  BadSignature,     // first byte of "qwt48306" changed; header otherwise sound
  ZeroLength,       // body length 0
  OversizedLength,  // body length above the client's 64 MiB bound; no body follows
  UnknownMethod,    // compression method 2 with an otherwise valid message body
  BadDeflate,       // method 1 whose body does not inflate
  ShortBody,        // header promises more bytes than follow; the session then closes
  NotAPack,         // a sound frame whose body is not a record set
};

// Builds the payload of a reply to one request; replaces the served reply
// of its type while installed. Runs on the I/O thread.
using ReplyOverride = std::function<KivNetPack(const LoggedRequest& request)>;

class StandinServer {
 public:
  explicit StandinServer(StandinOptions options = StandinOptions());
  ~StandinServer();  // Stop()
  StandinServer(const StandinServer&) = delete;
  StandinServer& operator=(const StandinServer&) = delete;

  // Binds the ports and starts the I/O thread. False, with LastError() set,
  // when a port cannot be bound or the server is already running.
  bool Start();
  // Closes every connection and listener and joins the I/O thread. Safe to
  // call twice or without Start. The request log is kept.
  void Stop();
  bool IsRunning() const;
  std::string LastError() const;

  // Ports actually bound (0 while stopped or not served).
  uint16_t MarketPort() const;
  uint16_t BlockPort() const;
  uint16_t ListPort() const;
  uint16_t HttpPort() const;
  // "ports market=N block=N list=N http=N"
  std::string PortsLine() const;

  // Connections to the market-data port.
  size_t OpenConnectionCount() const;
  uint64_t AcceptedConnectionCount() const;  // since Start, closed ones included
  bool WaitForConnections(uint64_t accepted,
                          std::chrono::milliseconds bound = std::chrono::seconds(10)) const;
  // True once exactly `open` connections are open (say 0, after a close).
  bool WaitForOpenConnections(size_t open,
                              std::chrono::milliseconds bound = std::chrono::seconds(10)) const;

  // ---- request log (heartbeats are counted, not logged) ----
  // The kept requests (the last options.requestLogLimit), oldest first.
  std::vector<LoggedRequest> Requests() const;
  std::vector<LoggedRequest> RequestsOfType(uint32_t type) const;
  // Requests received since the last ClearRequests, kept or not.
  size_t RequestCount() const;
  uint64_t HeartbeatsReceived() const;
  void ClearRequests();
  // True as soon as RequestCount() reaches count; false after the bound
  // (generous: a loaded test machine is slow, never wrong).
  bool WaitForRequests(size_t count,
                       std::chrono::milliseconds bound = std::chrono::seconds(10)) const;
  bool WaitForHeartbeats(uint64_t count,
                         std::chrono::milliseconds bound = std::chrono::seconds(10)) const;

  // ---- switches (connection 0 = every open connection) ----
  // Silent: requests are read and logged, nothing at all is written (no
  // replies, no heartbeat echoes, no keep-alive). Holds for new connections
  // too until switched off; replies withheld meanwhile are dropped.
  void SetSilent(bool silent);
  // Closes connections now (the client sees the link drop).
  void CloseConnections(uint64_t connection = 0);
  // Writes one broken frame on the connections (after anything queued).
  void SendMalformedFrame(MalformedFrame kind, uint64_t connection = 0);
  // Every later reply is written this long after its request arrived
  // (0 = at once). Heartbeat echoes and pushes are not delayed. Replies
  // under one delay keep their order; changing the delay may let a later
  // reply overtake an earlier one, as the protocol allows.
  void SetReplyDelay(std::chrono::milliseconds delay);
  // Replies are held until `count` are waiting on a connection, then written
  // as one batch frame (fields 100000001.. in arrival order). 0 or 1 = off;
  // switching off flushes what is held. FlushBatches writes held replies now.
  void SetBatchSize(size_t count);
  void FlushBatches();
  // Any message the server may send unasked: type, id and payload as given,
  // extra 0.
  void Push(uint32_t type, uint64_t requestId, const KivNetPack& payload, uint64_t connection = 0);
  // Type 101: 300001 = status, 200001 = the other login's IP text (16 bytes).
  void PushForcedLogout(int32_t status = kLogoutLoggedInElsewhere,
                        const std::string& otherIp = "127.0.0.1", uint64_t connection = 0);
  // Type 5000001 with 300001 = value, under an id the client has not used.
  void PushStatus(int32_t value = 1, uint64_t connection = 0);
  // When on, a user id announced (20000051) on a second connection while an
  // older one that announced it is still open pushes a forced logout
  // (status 6, the new link's address) to the older one, as the operator
  // does when an account logs in twice.
  void SetLogoutOnDuplicateUser(bool on);
  // Replaces the reply of one type while installed; an empty function removes it.
  void SetReplyOverride(uint32_t type, ReplyOverride build);
  // Drops every connection and stops accepting for refuseFor, then listens
  // again on the same port (connections attempted meanwhile are refused).
  void DropAndReopen(std::chrono::milliseconds refuseFor = std::chrono::milliseconds(0));

  // Bar replies: broken in the given way until kNone (BarReplies.h); the
  // HTTP hour and minute bar texts hold "error" while `on`.
  void SetBarFault(BarFault fault);
  void SetHttpBarErrorText(bool on);
  // The market's bars and index levels, for tests that predict replies.
  PriceHistory& Prices();
  IndexLevels& Indices();

  // Market clock, for tests that move time between requests.
  void SetFixedNow(std::optional<int64_t> nowUtc);
  uint64_t Seed() const;
  // The market behind the port (universe, reply cache counters).
  const MarketService& Service() const;

  // The HTTP services (data URLs, web services, accounts) and the accounts
  // behind them, for tests that fail or stall an endpoint or look at what a
  // user's watch list holds.
  HttpServer& Http();
  Accounts& AccountService();
  // The block data port (switches, request log).
  BlockServer& Block();
  // The update server under /update (root, switches, request counts).
  UpdateFolder& Updates();

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace kiv::standin
