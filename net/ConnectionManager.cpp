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
    : m_io(io), m_HeartbeatTimer(io), m_ReconnectTimer(io), m_timings(timings) {
  const uint32_t heartbeatType = MSG_HEARTBEAT;
  // Built once: it takes id 1000, and every heartbeat is sent with it.
  std::unique_ptr<RequestRecord> heartbeat = BuildRequest(PacketHandler(), nullptr, &heartbeatType, 0, false);
  m_strHeartbeat = heartbeat->wire;
}

CConnectionManager::~CConnectionManager() { Close(); }

uint64_t CConnectionManager::NextRequestId(bool lock) {
  if (!lock) return m_nNextRequestId++;
  ScopedSpinWriteLock guard(&m_Lock);
  return m_nNextRequestId++;
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
  ScopedSpinReadLock guard(&m_Lock);
  return m_bRunning;
}

bool CConnectionManager::SendRequest(PacketHandler handler, const KivNetPack* payload, const uint32_t* type,
                                     uint32_t argument, bool noResend) {
  if (!IsRunning()) return false;
  std::unique_ptr<RequestRecord> record = BuildRequest(std::move(handler), payload, type, argument, noResend);
  // A message no frame can carry would block the queue for good.
  if (record->wire.empty() || record->wire.size() > kMaxFrameLength) return false;

  std::unique_ptr<RequestRecord> refused;  // destroyed after the lock is released
  {
    ScopedSpinWriteLock guard(&m_Lock);
    if (!m_bRunning) {
      refused = std::move(record);
    } else if (record->noResend) {
      auto same = [&](const std::unique_ptr<RequestRecord>& other) {
        return other->noResend && other->dedupKey == record->dedupKey;
      };
      const bool duplicate = std::any_of(m_SentList.begin(), m_SentList.end(), same) ||
                             std::any_of(m_PendingList.begin(), m_PendingList.end(), same);
      if (duplicate) refused = std::move(record);
    }
    if (!refused) {
      // Behind a non-empty queue a request waits its turn: the next
      // connect or write completion sends the queue's front, in order.
      if (m_pClient && m_PendingList.empty() &&
          m_pClient->Send(record->wire.data(), static_cast<uint32_t>(record->wire.size())))
        m_SentList.push_back(std::move(record));
      else
        m_PendingList.push_back(std::move(record));
      return true;
    }
  }
  return false;
}

bool CConnectionManager::SetPushCallback(PacketHandler handler) {
  PacketHandler old;
  {
    ScopedSpinWriteLock guard(&m_Lock);
    old.swap(m_PushHandler);
    m_PushHandler = std::move(handler);
  }
  return true;
}

ServerEntry CConnectionManager::GetCurrentServer() {
  ScopedSpinReadLock guard(&m_Lock);
  if (m_Servers.empty()) return ServerEntry();
  return m_Servers.front();
}

bool CConnectionManager::AddServer(const std::string& host, uint16_t port, const std::string& label) {
  boost::system::error_code error;
  asio::ip::make_address_v4(host, error);
  if (error || port == 0) {
    KivTrace("AddServer refused ip=%s,port=%d\r\n", host.c_str(), port);
    return false;
  }
  ServerEntry entry{host, port, label};
  ScopedSpinWriteLock guard(&m_Lock);
  if (m_Servers.empty()) {
    m_nGeneration = 1;
    ConnectCurrentLocked(entry);
    ArmHeartbeatLocked(m_timings.firstHeartbeat);
  }
  m_Servers.push_back(entry);
  return true;
}

void CConnectionManager::ConnectCurrentLocked(const ServerEntry& server) {
  const asio::ip::tcp::endpoint endpoint(asio::ip::make_address_v4(server.host), server.port);
  const uint32_t generation = m_nGeneration;
  m_pClient = std::make_shared<CClientNet>(
      m_io, endpoint, [this](const char* data, uint32_t length) { return OnData(data, length); },
      [this](bool connectedNow) { OnConnected(connectedNow); },
      [this, generation]() { OnClosed(generation); }, m_timings);
  m_pClient->Connect();
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
        ScopedSpinReadLock guard(&m_Lock);
        push = m_PushHandler;
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
  ScopedSpinWriteLock guard(&m_Lock);
  for (auto it = m_SentList.begin(); it != m_SentList.end(); ++it) {
    if ((*it)->requestId == requestId) {
      std::unique_ptr<RequestRecord> record = std::move(*it);
      m_SentList.erase(it);
      return record;
    }
  }
  return nullptr;
}

void CConnectionManager::CallHandler(const PacketHandler& handler, KivNetPack& payload, uint32_t type,
                                     uint32_t extra) {
  if (!handler) return;
  std::lock_guard<std::mutex> running(m_HandlerMutex);
  if (!IsRunning()) return;  // nothing reaches a window after Stop
  handler(payload, type, extra);
}

void CConnectionManager::OnOrphanReply(KivNetPack& payload) {
  if (payload.GetInt32(FIELD_STATUS, 0) == 1) {
    m_nStatusRetries = 0;
    return;
  }
  if (m_nStatusRetries < kStatusRetries) {
    // Stalls the whole link on purpose: the server asks the client to wait.
    std::this_thread::sleep_for(m_timings.statusPause);
    ++m_nStatusRetries;
    return;
  }
  PacketHandler push;
  {
    ScopedSpinReadLock guard(&m_Lock);
    push = m_PushHandler;
  }
  KivNetPack notice;
  notice.SetInt32(2, FIELD_STATUS, 0);
  CallHandler(push, notice, MSG_PUSH_LOGOUT, 0);
}

void CConnectionManager::OnConnected(bool connectedNow) {
  ScopedSpinWriteLock guard(&m_Lock);
  if (!m_bRunning || !m_pClient) return;
  if (!m_PendingList.empty()) {
    // One record per event: each write completion sends the next.
    RequestRecord& front = *m_PendingList.front();
    if (m_pClient->Send(front.wire.data(), static_cast<uint32_t>(front.wire.size()))) {
      m_SentList.push_back(std::move(m_PendingList.front()));
      m_PendingList.pop_front();
    }
    return;
  }
  if (connectedNow) {
    if (m_pClient->IsConnected())
      m_pClient->Send(m_strHeartbeat.data(), static_cast<uint32_t>(m_strHeartbeat.size()));
    ArmHeartbeatLocked(m_timings.heartbeatInterval);
  }
}

void CConnectionManager::ArmHeartbeatLocked(std::chrono::milliseconds after) {
  m_HeartbeatTimer.expires_after(after);
  m_HeartbeatTimer.async_wait([this](const boost::system::error_code& error) { OnHeartbeatTimer(error); });
}

void CConnectionManager::OnHeartbeatTimer(const boost::system::error_code& error) {
  if (error) return;
  ScopedSpinReadLock guard(&m_Lock);
  if (!m_bRunning) return;
  if (m_PendingList.empty() && m_SentList.size() < kBusySentCount && m_pClient && m_pClient->IsConnected())
    m_pClient->Send(m_strHeartbeat.data(), static_cast<uint32_t>(m_strHeartbeat.size()));
  ArmHeartbeatLocked(m_timings.heartbeatInterval);
}

void CConnectionManager::OnClosed(uint32_t generation) {
  KivTrace("NetClose srver\r\n");
  ScopedSpinReadLock guard(&m_Lock);
  if (!m_bRunning || m_Servers.empty() || generation != m_nGeneration) return;
  KivTrace("restart srver\r\n");
  m_ReconnectTimer.expires_after(m_timings.reconnectDelay);
  m_ReconnectTimer.async_wait([this](const boost::system::error_code& error) { Reconnect(error); });
}

void CConnectionManager::Reconnect(const boost::system::error_code& error) {
  if (error) return;
  KivTrace("restart on\r\n");
  std::shared_ptr<CClientNet> old;
  std::vector<std::unique_ptr<RequestRecord>> dropped;  // destroyed after the lock
  {
    ScopedSpinWriteLock guard(&m_Lock);
    if (!m_bRunning || m_Servers.empty()) return;
    old = m_pClient;
    if (old) old->CloseSilently();
    ArmHeartbeatLocked(m_timings.heartbeatInterval);
    ++m_nGeneration;
    m_ReconnectTimer.cancel();

    // Rotation: the last entry moves to the front and is used. Entries
    // without a host are passed over, a few at most.
    ServerEntry next;
    for (int tries = 0; tries < 5; ++tries) {
      next = m_Servers.back();
      m_Servers.pop_back();
      m_Servers.push_front(next);
      if (!next.host.empty()) break;
    }
    ConnectCurrentLocked(next);

    // Requests in flight on the lost link: those that may be sent again go
    // first in the queue (in reverse order of sending, keeping their ids);
    // the others are dropped and their handlers never run.
    for (auto& record : m_SentList) {
      if (record->noResend)
        dropped.push_back(std::move(record));
      else
        m_PendingList.push_front(std::move(record));
    }
    m_SentList.clear();
  }
}

void CConnectionManager::Stop() {
  std::shared_ptr<CClientNet> client;
  {
    ScopedSpinWriteLock guard(&m_Lock);
    m_bRunning = false;
    client = m_pClient;
  }
  if (client) client->close();
  // A handler already started on the I/O thread finishes before Stop
  // returns; on the I/O thread itself (a handler stopping the link) there is
  // nothing to wait for.
  if (!OnIoThread()) {
    std::lock_guard<std::mutex> wait(m_HandlerMutex);
  }
}

void CConnectionManager::Close() {
  PacketHandler push;
  std::deque<std::unique_ptr<RequestRecord>> sent;
  std::deque<std::unique_ptr<RequestRecord>> pending;
  std::shared_ptr<CClientNet> client;
  {
    ScopedSpinWriteLock guard(&m_Lock);
    push.swap(m_PushHandler);
    if (m_pClient) m_pClient->CloseSilently();
    client.swap(m_pClient);
    sent.swap(m_SentList);
    pending.swap(m_PendingList);
    m_HeartbeatTimer.cancel();
    m_ReconnectTimer.cancel();
    m_Servers.clear();
  }
}

bool CConnectionManager::OnIoThread() const { return m_io.get_executor().running_in_this_thread(); }

size_t CConnectionManager::SentCount() {
  ScopedSpinReadLock guard(&m_Lock);
  return m_SentList.size();
}

size_t CConnectionManager::PendingCount() {
  ScopedSpinReadLock guard(&m_Lock);
  return m_PendingList.size();
}

uint32_t CConnectionManager::Generation() {
  ScopedSpinReadLock guard(&m_Lock);
  return m_nGeneration;
}

bool CConnectionManager::IsConnected() {
  ScopedSpinReadLock guard(&m_Lock);
  return m_pClient && m_pClient->IsConnected();
}
