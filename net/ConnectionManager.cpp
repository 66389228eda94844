#include "net/ConnectionManager.h"

#include <algorithm>
#include <thread>

#include <boost/asio/error.hpp>
#include <boost/asio/ip/address_v4.hpp>

#include "net/DataTypes.h"
#include "net/FieldIds.h"
#include "net/Frame.h"
#include "platform/sys/Trace.h"

namespace asio = boost::asio;

CConnectionManager::CConnectionManager(asio::io_context& io, const NetTimings& timings)
    : io_(io), heartbeatTimer_(io), reconnectTimer_(io), timings_(timings) {
  const uint32_t heartbeatType = MSG_HEARTBEAT;
  // Built once: it takes id 1000, and every heartbeat is sent with it.
  std::unique_ptr<RequestRecord> heartbeat = BuildRequest(PacketHandler(), nullptr, &heartbeatType, 0, false);
  heartbeat_ = heartbeat->wire;
}

CConnectionManager::~CConnectionManager() { Close(); }

uint64_t CConnectionManager::NextRequestId(bool lock) {
  if (!lock) return nextRequestId_++;
  ScopedSpinWriteLock guard(&lock_);
  return nextRequestId_++;
}

std::unique_ptr<RequestRecord> CConnectionManager::BuildRequest(PacketHandler handler, const KivNetPack* payload,
                                                                const uint32_t* type, uint32_t argument,
                                                                bool noResend) {
  auto record = std::make_unique<RequestRecord>();
  record->handler = std::move(handler);
  record->requestId = NextRequestId(true);
  RequestHeader header;
  header.requestId = record->requestId;
  header.flags = RequestHeader::MakeFlags(argument, noResend);
  header.type = type ? *type : 0;
  header.extra = 0;
  const KivNetPack empty;
  const KivNetPack& body = payload ? *payload : empty;
  BuildMessage(header, body, record->wire);
  header.requestId = 0;
  BuildMessage(header, body, record->dedupKey);
  record->noResend = noResend ? 1 : 0;
  return record;
}

bool CConnectionManager::IsRunning() {
  ScopedSpinReadLock guard(&lock_);
  return running_;
}

bool CConnectionManager::SendRequest(PacketHandler handler, const KivNetPack* payload, const uint32_t* type,
                                     uint32_t argument, bool noResend) {
  if (!IsRunning()) return false;
  std::unique_ptr<RequestRecord> record = BuildRequest(std::move(handler), payload, type, argument, noResend);
  // A message no frame can carry would block the queue for good.
  if (record->wire.empty() || record->wire.size() > kMaxFrameLength) return false;

  std::unique_ptr<RequestRecord> refused;  // destroyed after the lock is released
  {
    ScopedSpinWriteLock guard(&lock_);
    if (!running_) {
      refused = std::move(record);
    } else if (record->noResend) {
      auto same = [&](const std::unique_ptr<RequestRecord>& other) {
        return other->noResend && other->dedupKey == record->dedupKey;
      };
      const bool duplicate = std::any_of(sentList_.begin(), sentList_.end(), same) ||
                             std::any_of(pendingList_.begin(), pendingList_.end(), same);
      if (duplicate) refused = std::move(record);
    }
    if (!refused) {
      // Behind a non-empty queue a request waits its turn: the next
      // connect or write completion sends the queue's front, in order.
      if (client_ && pendingList_.empty() &&
          client_->Send(record->wire.data(), static_cast<uint32_t>(record->wire.size())))
        sentList_.push_back(std::move(record));
      else
        pendingList_.push_back(std::move(record));
      return true;
    }
  }
  return false;
}

bool CConnectionManager::SetPushCallback(PacketHandler handler) {
  PacketHandler old;
  {
    ScopedSpinWriteLock guard(&lock_);
    old.swap(pushHandler_);
    pushHandler_ = std::move(handler);
  }
  return true;
}

ServerEntry CConnectionManager::GetCurrentServer() {
  ScopedSpinReadLock guard(&lock_);
  if (servers_.empty()) return ServerEntry();
  return servers_.front();
}

bool CConnectionManager::AddServer(const std::string& host, uint16_t port, const std::string& label) {
  boost::system::error_code error;
  asio::ip::make_address_v4(host, error);
  if (error || port == 0) {
    KivTrace("AddServer refused ip=%s,port=%d\r\n", host.c_str(), port);
    return false;
  }
  ServerEntry entry{host, port, label};
  ScopedSpinWriteLock guard(&lock_);
  if (servers_.empty()) {
    generation_ = 1;
    ConnectCurrentLocked(entry);
    ArmHeartbeatLocked(timings_.firstHeartbeat);
  }
  servers_.push_back(entry);
  return true;
}

void CConnectionManager::ConnectCurrentLocked(const ServerEntry& server) {
  const asio::ip::tcp::endpoint endpoint(asio::ip::make_address_v4(server.host), server.port);
  const uint32_t generation = generation_;
  client_ = std::make_shared<CClientNet>(
      io_, endpoint, [this](const char* data, uint32_t length) { return OnData(data, length); },
      [this](bool connectedNow) { OnConnected(connectedNow); },
      [this, generation]() { OnClosed(generation); }, timings_);
  client_->Connect();
}

bool CConnectionManager::OnData(const char* data, uint32_t length) {
  std::vector<NetMessage> messages;
  if (!ParseMessages(data, length, messages)) {
    KivTrace("OnData: not a record set, length=%u\r\n", length);
    return false;
  }
  for (NetMessage& message : messages) Dispatch(message);
  return true;
}

void CConnectionManager::Dispatch(NetMessage& message) {
  const uint32_t type = message.header.type;
  const uint32_t extra = message.header.extra;
  switch (type) {
    case MSG_PUSH_NOTICE:
    case MSG_PUSH_LOGOUT:
    case MSG_PUSH_OTHER: {
      PacketHandler push;
      {
        ScopedSpinReadLock guard(&lock_);
        push = pushHandler_;
      }
      CallHandler(push, message.payload, type, extra);
      return;
    }
    case MSG_HEARTBEAT:
    case MSG_SERVER_IGNORED:
      return;
    default:
      break;
  }
  std::unique_ptr<RequestRecord> record = TakeRequest(message.header.requestId);
  if (record) {
    CallHandler(record->handler, message.payload, type, extra);
  } else if (type == MSG_STATUS) {
    OnOrphanReply(message.payload);
  }
}

std::unique_ptr<RequestRecord> CConnectionManager::TakeRequest(uint64_t requestId) {
  ScopedSpinWriteLock guard(&lock_);
  for (auto it = sentList_.begin(); it != sentList_.end(); ++it) {
    if ((*it)->requestId == requestId) {
      std::unique_ptr<RequestRecord> record = std::move(*it);
      sentList_.erase(it);
      return record;
    }
  }
  return nullptr;
}

void CConnectionManager::CallHandler(const PacketHandler& handler, KivNetPack& payload, uint32_t type,
                                     uint32_t extra) {
  if (!handler) return;
  std::lock_guard<std::mutex> running(handlerMutex_);
  if (!IsRunning()) return;  // nothing reaches a window after Stop
  handler(payload, type, extra);
}

void CConnectionManager::OnOrphanReply(KivNetPack& payload) {
  if (payload.GetInt32(FIELD_STATUS, 0) == 1) {
    statusRetries_ = 0;
    return;
  }
  if (statusRetries_ < kStatusRetries) {
    // Stalls the whole link on purpose: the server asks the client to wait.
    std::this_thread::sleep_for(timings_.statusPause);
    ++statusRetries_;
    return;
  }
  PacketHandler push;
  {
    ScopedSpinReadLock guard(&lock_);
    push = pushHandler_;
  }
  KivNetPack notice;
  notice.SetInt32(2, FIELD_STATUS, 0);
  CallHandler(push, notice, MSG_PUSH_LOGOUT, 0);
}

void CConnectionManager::OnConnected(bool connectedNow) {
  ScopedSpinWriteLock guard(&lock_);
  if (!running_ || !client_) return;
  if (!pendingList_.empty()) {
    // One record per event: each write completion sends the next.
    RequestRecord& front = *pendingList_.front();
    if (client_->Send(front.wire.data(), static_cast<uint32_t>(front.wire.size()))) {
      sentList_.push_back(std::move(pendingList_.front()));
      pendingList_.pop_front();
    }
    return;
  }
  if (connectedNow) {
    if (client_->IsConnected())
      client_->Send(heartbeat_.data(), static_cast<uint32_t>(heartbeat_.size()));
    ArmHeartbeatLocked(timings_.heartbeatInterval);
  }
}

void CConnectionManager::ArmHeartbeatLocked(std::chrono::milliseconds after) {
  heartbeatTimer_.expires_after(after);
  heartbeatTimer_.async_wait([this](const boost::system::error_code& error) { OnHeartbeatTimer(error); });
}

void CConnectionManager::OnHeartbeatTimer(const boost::system::error_code& error) {
  if (error) return;
  ScopedSpinReadLock guard(&lock_);
  if (!running_) return;
  if (pendingList_.empty() && sentList_.size() < kBusySentCount && client_ && client_->IsConnected())
    client_->Send(heartbeat_.data(), static_cast<uint32_t>(heartbeat_.size()));
  ArmHeartbeatLocked(timings_.heartbeatInterval);
}

void CConnectionManager::OnClosed(uint32_t generation) {
  KivTrace("NetClose srver\r\n");
  ScopedSpinReadLock guard(&lock_);
  if (!running_ || servers_.empty() || generation != generation_) return;
  KivTrace("restart srver\r\n");
  reconnectTimer_.expires_after(timings_.reconnectDelay);
  reconnectTimer_.async_wait([this](const boost::system::error_code& error) { Reconnect(error); });
}

void CConnectionManager::Reconnect(const boost::system::error_code& error) {
  if (error) return;
  KivTrace("restart on\r\n");
  std::shared_ptr<CClientNet> old;
  std::vector<std::unique_ptr<RequestRecord>> dropped;  // destroyed after the lock
  {
    ScopedSpinWriteLock guard(&lock_);
    if (!running_ || servers_.empty()) return;
    old = client_;
    if (old) old->CloseSilently();
    ArmHeartbeatLocked(timings_.heartbeatInterval);
    ++generation_;
    reconnectTimer_.cancel();

    // Rotation: the last entry moves to the front and is used. Entries
    // without a host are passed over, a few at most.
    ServerEntry next;
    for (int tries = 0; tries < 5; ++tries) {
      next = servers_.back();
      servers_.pop_back();
      servers_.push_front(next);
      if (!next.host.empty()) break;
    }
    ConnectCurrentLocked(next);

    // Requests in flight on the lost link: those that may be sent again go
    // first in the queue (in reverse order of sending, keeping their ids);
    // the others are dropped and their handlers never run.
    for (auto& record : sentList_) {
      if (record->noResend)
        dropped.push_back(std::move(record));
      else
        pendingList_.push_front(std::move(record));
    }
    sentList_.clear();
  }
}

void CConnectionManager::Stop() {
  std::shared_ptr<CClientNet> client;
  {
    ScopedSpinWriteLock guard(&lock_);
    running_ = false;
    client = client_;
  }
  if (client) client->close();
  // A handler already started on the I/O thread finishes before Stop
  // returns; on the I/O thread itself (a handler stopping the link) there is
  // nothing to wait for.
  if (!OnIoThread()) {
    std::lock_guard<std::mutex> wait(handlerMutex_);
  }
}

void CConnectionManager::Close() {
  PacketHandler push;
  std::deque<std::unique_ptr<RequestRecord>> sent;
  std::deque<std::unique_ptr<RequestRecord>> pending;
  std::shared_ptr<CClientNet> client;
  {
    ScopedSpinWriteLock guard(&lock_);
    push.swap(pushHandler_);
    if (client_) client_->CloseSilently();
    client.swap(client_);
    sent.swap(sentList_);
    pending.swap(pendingList_);
    heartbeatTimer_.cancel();
    reconnectTimer_.cancel();
    servers_.clear();
  }
}

bool CConnectionManager::OnIoThread() const { return io_.get_executor().running_in_this_thread(); }

size_t CConnectionManager::SentCount() {
  ScopedSpinReadLock guard(&lock_);
  return sentList_.size();
}

size_t CConnectionManager::PendingCount() {
  ScopedSpinReadLock guard(&lock_);
  return pendingList_.size();
}

uint32_t CConnectionManager::Generation() {
  ScopedSpinReadLock guard(&lock_);
  return generation_;
}

bool CConnectionManager::IsConnected() {
  ScopedSpinReadLock guard(&lock_);
  return client_ && client_->IsConnected();
}
