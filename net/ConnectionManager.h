// CConnectionManager: the request layer of the market-data link. It keeps
// one CClientNet to the current server, turns each typed request into a
// message with a 64-bit request id (Message.h), keeps a record of it until
// its reply comes, queues requests while the link is busy or down, routes
// each reply to the handler the request was bound to and server pushes to
// one push handler, sends a heartbeat when the link is idle, and after a
// lost link tries the next server a few seconds later.
//
// Request ids: the heartbeat takes 1000 once and always travels with it;
// requests count from 1001 for the life of the manager (not reset on
// reconnection).
//
// Lists: the sent list holds records written and awaiting replies, the
// pending list records waiting to be written, both in order. A reply is
// matched against the sent list only. Replies never time out: a record
// stays until its reply comes or the link is lost. On a lost link, records
// with the no-resend flag are dropped (their handlers never run); the others
// go to the front of the pending list and keep their ids.
//
// Duplicates: a no-resend request whose message, ignoring its id, equals a
// no-resend record already queued or in flight is refused.
//
// Threads: SendRequest may be called from any thread. Every callback, timer
// and handler runs on the thread that runs the io_context. A spin lock
// guards the lists, counters, running flag and current connection; handlers
// are called without it, so they may issue new requests. After Stop returns
// no handler is started any more, and, when Stop is called from another
// thread, none is still running (so Stop must not be called while holding a
// lock that a handler takes). Timers and connections call back into the
// manager, so the io_context must have stopped running before the manager
// is destroyed (the network service joins its I/O thread first).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <boost/asio/io_context.hpp>
#include <boost/asio/steady_timer.hpp>

#include "net/ClientNet.h"
#include "net/KivNetPack.h"
#include "net/Message.h"
#include "net/NetTimings.h"
#include "net/RWSpinLock.h"

// A reply handler: (payload, type, extra). Windows bind a member function
// together with a liveness token of the window, so that a reply arriving
// after the window is gone is dropped by the handler itself. The result is
// not used by the manager. Runs on the I/O thread.
using PacketHandler = std::function<bool(KivNetPack& payload, const uint32_t& type, const uint32_t& extra)>;

struct ServerEntry {
  std::string host;   // numeric IPv4 address
  uint16_t port = 0;
  std::string label;  // display label of the configured server
};

struct RequestRecord {
  uint64_t requestId = 0;
  std::string wire;      // the message as sent
  std::string dedupKey;  // the same message with request id 0
  PacketHandler handler;
  uint8_t noResend = 0;
};

class CConnectionManager {
 public:
  static constexpr uint64_t kHeartbeatRequestId = 1000;
  // Status messages without a waiting request pause the link this many
  // times; every further one is pushed to the push handler.
  static constexpr unsigned kStatusRetries = 6;
  // The idle heartbeat is suppressed while this many requests are in flight.
  static constexpr size_t kBusySentCount = 3;

  explicit CConnectionManager(boost::asio::io_context& io, const NetTimings& timings = NetTimings());
  ~CConnectionManager();
  CConnectionManager(const CConnectionManager&) = delete;
  CConnectionManager& operator=(const CConnectionManager&) = delete;

  // Adds a server; the first one added is connected at once. False, and
  // nothing added, when host is not a numeric IPv4 address or port is 0.
  bool AddServer(const std::string& host, uint16_t port, const std::string& label);

  // True when the request was sent or queued; false when the manager is
  // stopped, the request is a duplicate, or its message is too large for a
  // frame. On false the handler is never called.
  bool SendRequest(PacketHandler handler, const KivNetPack* payload, const uint32_t* type,
                   uint32_t argument, bool noResend);

  std::unique_ptr<RequestRecord> BuildRequest(PacketHandler handler, const KivNetPack* payload,
                                              const uint32_t* type, uint32_t argument, bool noResend);
  uint64_t NextRequestId(bool lock);

  bool SetPushCallback(PacketHandler handler);
  ServerEntry GetCurrentServer();

  // No more sends, timers or reconnections; closes the current connection.
  void Stop();
  // Final clean-up: drops every record without calling its handler, closes
  // the link silently, cancels the timers and forgets the servers.
  void Close();

  // For tests and diagnostics.
  bool IsRunning();
  size_t SentCount();
  size_t PendingCount();
  uint32_t Generation();
  bool IsConnected();

 private:
  void ConnectCurrentLocked(const ServerEntry& server);
  bool OnData(const char* data, uint32_t length);
  void OnConnected(bool connectedNow);
  void OnClosed(uint32_t generation);
  void Dispatch(NetMessage& message);
  void OnOrphanReply(KivNetPack& payload);
  std::unique_ptr<RequestRecord> TakeRequest(uint64_t requestId);
  void CallHandler(const PacketHandler& handler, KivNetPack& payload, uint32_t type, uint32_t extra);
  void ArmHeartbeatLocked(std::chrono::milliseconds after);
  void OnHeartbeatTimer(const boost::system::error_code& error);
  void Reconnect(const boost::system::error_code& error);
  bool OnIoThread() const;

  std::shared_ptr<CClientNet> client_;
  std::deque<ServerEntry> servers_;  // front: the server in use
  boost::asio::io_context& io_;
  boost::asio::steady_timer heartbeatTimer_;
  boost::asio::steady_timer reconnectTimer_;
  std::string heartbeat_;
  CRWSpinLock lock_;
  PacketHandler pushHandler_;
  uint32_t generation_ = 0;
  uint64_t nextRequestId_ = kHeartbeatRequestId;
  std::deque<std::unique_ptr<RequestRecord>> sentList_;
  std::deque<std::unique_ptr<RequestRecord>> pendingList_;
  bool running_ = true;
  unsigned statusRetries_ = 0;
  NetTimings timings_;
  // Held while a handler runs, so that Stop from another thread can wait for it.
  std::mutex handlerMutex_;
};
