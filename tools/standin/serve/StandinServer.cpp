#include "tools/standin/serve/StandinServer.h"

#include <atomic>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>

#include "net/FieldIds.h"
#include "platform/sys/Trace.h"
#include "tools/standin/market/Accounts.h"
#include "tools/standin/serve/BlockServer.h"
#include "tools/standin/serve/DataRoutes.h"
#include "tools/standin/serve/HttpServer.h"
#include "tools/standin/serve/ManualFiles.h"
#include "tools/standin/serve/MarketSession.h"
#include "tools/standin/serve/ReplyBuilder.h"
#include "tools/standin/serve/ReplyIds.h"
#include "tools/standin/serve/ServerListService.h"
#include "tools/standin/serve/UpdateFolder.h"

namespace kiv::standin {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;

class StandinServer::Impl {
 public:
  explicit Impl(StandinOptions options)
      : options_(std::move(options)),
        state_(std::make_shared<MarketPortState>(options_.seed, options_.fixedNowUtc, options_.keepAlive,
                                                 options_.requestLogLimit)),
        http_(options_.requestLogLimit),
        block_(&state_->service.GetUniverse(), options_.requestLogLimit) {
    state_->onUserAnnounced = [this](uint64_t connection, int32_t userId) {
      OnUserAnnounced(connection, userId);
    };
    accounts_.Register(http_);
    updates_.Register(http_);
    std::shared_ptr<MarketPortState> state = state_;
    RegisterDataRoutes(http_, state_->service.GetUniverse(), &state_->service.Prices(),
                       [state] { return state->NowUtc(); });
    RegisterBarRoutes(http_, state_->service.Prices(), [state] { return state->NowUtc(); }, &barErrorText_);
    RegisterManualRoutes(http_);
  }

  ~Impl() { Stop(); }

  bool Start();
  void Stop();

  // Runs fn on the I/O thread; nothing when the server is not running.
  void Post(std::function<void()> fn) {
    // Not under the lifecycle lock: a reply override running on the I/O
    // thread may push while Stop waits for that thread.
    std::lock_guard<std::mutex> lock(postMutex_);
    if (postTarget_) asio::post(*postTarget_, std::move(fn));
  }
  // Runs fn for the open sessions the switch targets (I/O thread only).
  void ForEachSession(uint64_t connection, const std::function<void(MarketSession&)>& fn) {
    // Copy first: fn may close a session, which edits the registry.
    std::vector<std::shared_ptr<MarketSession>> targets;
    for (const auto& entry : sessions_) {
      if (connection != 0 && entry.first != connection) continue;
      if (auto session = entry.second.lock()) targets.push_back(std::move(session));
    }
    for (const auto& session : targets) fn(*session);
  }

  void OnUserAnnounced(uint64_t connection, int32_t userId);
  bool OpenAcceptor(uint16_t port, std::string& error);
  void SetLastError(std::string error) {
    std::lock_guard<std::mutex> lock(postMutex_);
    lastError_ = std::move(error);
  }
  void Accept();
  void OnSessionClosed(uint64_t connection);
  void DropAndReopen(std::chrono::milliseconds refuseFor);

  const StandinOptions options_;
  std::shared_ptr<MarketPortState> state_;
  // The HTTP side: accounts outlive the server whose handlers use them.
  Accounts accounts_{options_.fixedNowUtc.value_or(0)};
  HttpServer http_;
  UpdateFolder updates_{options_.updateRoot};
  std::unique_ptr<ServerListService> list_;
  BlockServer block_;

  // Start and Stop, and the pointers they replace, are serialised here.
  mutable std::mutex lifecycleMutex_;
  // Where switches are posted while running; guards lastError_ too.
  mutable std::mutex postMutex_;
  asio::io_context* postTarget_ = nullptr;
  std::atomic<bool> running_{false};
  std::unique_ptr<asio::io_context> io_;
  std::unique_ptr<asio::executor_work_guard<asio::io_context::executor_type>> work_;
  std::shared_ptr<tcp::acceptor> acceptor_;  // shared with its pending accept
  std::unique_ptr<asio::steady_timer> reopenTimer_;
  std::thread thread_;
  std::string lastError_;

  std::atomic<uint16_t> marketPort_{0};
  std::map<uint64_t, std::weak_ptr<MarketSession>> sessions_;  // I/O thread only
  std::map<uint64_t, std::string> peers_;                       // address text; I/O thread only
  std::map<int32_t, uint64_t> userConnections_;                 // last announcer; I/O thread only
  std::atomic<bool> logoutOnDuplicateUser_{false};
  std::atomic<bool> barErrorText_{false};

  mutable std::mutex connectionsMutex_;
  mutable std::condition_variable connectionsChanged_;
  uint64_t accepted_ = 0;
  size_t open_ = 0;
};

bool StandinServer::Impl::OpenAcceptor(uint16_t port, std::string& error) {
  error_code ec;
  const asio::ip::address address = asio::ip::make_address(options_.bindAddress, ec);
  if (ec) {
    error = "bad bind address " + options_.bindAddress;
    return false;
  }
  auto acceptor = std::make_shared<tcp::acceptor>(*io_);
  const tcp::endpoint endpoint(address, port);
  acceptor->open(endpoint.protocol(), ec);
  if (!ec) acceptor->set_option(tcp::acceptor::reuse_address(true), ec);
  if (!ec) acceptor->bind(endpoint, ec);
  if (!ec) acceptor->listen(asio::socket_base::max_listen_connections, ec);
  if (ec) {
    error = "cannot listen on the market port " + std::to_string(port) + ": " + ec.message();
    return false;
  }
  marketPort_ = acceptor->local_endpoint(ec).port();
  acceptor_ = std::move(acceptor);
  return true;
}

bool StandinServer::Impl::Start() {
  std::lock_guard<std::mutex> lock(lifecycleMutex_);
  if (io_) {
    SetLastError("already running");
    return false;
  }
  io_ = std::make_unique<asio::io_context>(1);
  std::string error;
  if (!OpenAcceptor(options_.marketPort, error)) {
    SetLastError(error);
    io_.reset();
    return false;
  }
  // The HTTP port first: the server list names it.
  if (!http_.Start(options_.httpPort)) {
    SetLastError("cannot listen on the HTTP " + http_.LastError());
    acceptor_.reset();
    io_.reset();
    return false;
  }
  list_ = std::make_unique<ServerListService>(DefaultServerListValues(http_.Port()));
  if (!list_->Start(options_.listPort)) {
    SetLastError("cannot listen on the server-list " + list_->LastError());
    list_.reset();
    http_.Stop();
    acceptor_.reset();
    io_.reset();
    return false;
  }
  if (!block_.Start(options_.bindAddress, options_.blockPort, error)) {
    SetLastError("cannot listen on the " + error);
    list_->Stop();
    list_.reset();
    http_.Stop();
    acceptor_.reset();
    io_.reset();
    return false;
  }
  work_ = std::make_unique<asio::executor_work_guard<asio::io_context::executor_type>>(io_->get_executor());
  reopenTimer_ = std::make_unique<asio::steady_timer>(*io_);
  Accept();
  asio::io_context* io = io_.get();
  thread_ = std::thread([io] { io->run(); });
  {
    std::lock_guard<std::mutex> guard(postMutex_);
    postTarget_ = io;
  }
  running_ = true;
  return true;
}

void StandinServer::Impl::Accept() {
  if (!acceptor_ || !acceptor_->is_open()) return;
  std::shared_ptr<tcp::acceptor> acceptor = acceptor_;
  acceptor->async_accept([this, acceptor](const error_code& error, tcp::socket socket) {
    if (acceptor != acceptor_ || !acceptor->is_open()) return;  // closed or replaced meanwhile
    if (error) {
      // A failed accept (say, too many open files) is retried, not fatal.
      Accept();
      return;
    }
    uint64_t connection;
    {
      std::lock_guard<std::mutex> lock(connectionsMutex_);
      connection = ++accepted_;
      ++open_;
    }
    connectionsChanged_.notify_all();
    auto session = std::make_shared<MarketSession>(std::move(socket), connection, state_,
                                                   [this](uint64_t closed) { OnSessionClosed(closed); });
    sessions_[connection] = session;
    error_code peerError;
    const tcp::endpoint peer = session->RemoteEndpoint(peerError);
    peers_[connection] = peerError ? std::string("127.0.0.1") : peer.address().to_string();
    session->Start();
    Accept();
  });
}

void StandinServer::Impl::OnUserAnnounced(uint64_t connection, int32_t userId) {
  auto previous = userConnections_.find(userId);
  if (logoutOnDuplicateUser_ && previous != userConnections_.end() && previous->second != connection) {
    auto older = sessions_.find(previous->second);
    std::shared_ptr<MarketSession> session = older == sessions_.end() ? nullptr : older->second.lock();
    if (session) {
      KivNetPack payload;
      payload.SetInt32(kLogoutLoggedInElsewhere, FIELD_STATUS, 0);
      SetFixedText(payload, peers_[connection], kIpTextFieldSize, FIELD_OTHER_LOGIN_IP, 0);
      RequestHeader header;
      header.type = kTypeForcedLogout;
      session->Push(header, payload);
    }
  }
  userConnections_[userId] = connection;
}

void StandinServer::Impl::OnSessionClosed(uint64_t connection) {
  sessions_.erase(connection);
  peers_.erase(connection);
  for (auto it = userConnections_.begin(); it != userConnections_.end();) {
    it = it->second == connection ? userConnections_.erase(it) : std::next(it);
  }
  {
    std::lock_guard<std::mutex> lock(connectionsMutex_);
    if (open_ > 0) --open_;
  }
  connectionsChanged_.notify_all();
}

void StandinServer::Impl::DropAndReopen(std::chrono::milliseconds refuseFor) {
  if (!acceptor_) return;
  // The latest call decides: a reopening still pending from an earlier one
  // is cancelled.
  reopenTimer_->cancel();
  error_code ignored;
  acceptor_->close(ignored);
  ForEachSession(0, [](MarketSession& session) { session.Close(); });
  const uint16_t port = marketPort_;
  auto reopen = [this, port] {
    std::string error;
    if (OpenAcceptor(port, error)) {
      Accept();
    } else {
      KivTrace("standin: cannot listen again: %s\r\n", error.c_str());
    }
  };
  if (refuseFor.count() <= 0) {
    reopen();
    return;
  }
  reopenTimer_->expires_after(refuseFor);
  reopenTimer_->async_wait([reopen](const error_code& error) {
    if (!error) reopen();
  });
}

void StandinServer::Impl::Stop() {
  std::lock_guard<std::mutex> lock(lifecycleMutex_);
  if (!io_) return;
  if (list_) list_->Stop();
  list_.reset();
  http_.Stop();
  block_.Stop();
  // Close everything on the I/O thread, where the sessions live, then let
  // the thread finish; a wedged loop is stopped after a bound.
  std::promise<void> closed;
  asio::post(*io_, [this, &closed] {
    error_code ignored;
    reopenTimer_->cancel();
    if (acceptor_) acceptor_->close(ignored);
    ForEachSession(0, [](MarketSession& session) { session.Close(); });
    closed.set_value();
  });
  closed.get_future().wait_for(std::chrono::seconds(10));
  work_.reset();
  io_->stop();
  if (thread_.joinable()) thread_.join();
  {
    std::lock_guard<std::mutex> guard(postMutex_);
    postTarget_ = nullptr;
  }
  running_ = false;
  sessions_.clear();
  peers_.clear();
  userConnections_.clear();
  acceptor_.reset();
  reopenTimer_.reset();
  io_.reset();  // destroys whatever handlers were still queued, and their sessions
  marketPort_ = 0;
  {
    std::lock_guard<std::mutex> guard(connectionsMutex_);
    open_ = 0;
  }
  connectionsChanged_.notify_all();
}

StandinServer::StandinServer(StandinOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

StandinServer::~StandinServer() { Stop(); }

bool StandinServer::Start() { return impl_->Start(); }

void StandinServer::Stop() { impl_->Stop(); }

bool StandinServer::IsRunning() const { return impl_->running_; }

std::string StandinServer::LastError() const {
  std::lock_guard<std::mutex> lock(impl_->postMutex_);
  return impl_->lastError_;
}

uint16_t StandinServer::MarketPort() const { return impl_->marketPort_; }
uint16_t StandinServer::BlockPort() const { return impl_->running_ ? impl_->block_.Port() : 0; }

BlockServer& StandinServer::Block() { return impl_->block_; }
uint16_t StandinServer::ListPort() const { return impl_->running_ && impl_->list_ ? impl_->list_->Port() : 0; }
uint16_t StandinServer::HttpPort() const { return impl_->running_ ? impl_->http_.Port() : 0; }

HttpServer& StandinServer::Http() { return impl_->http_; }
UpdateFolder& StandinServer::Updates() { return impl_->updates_; }
Accounts& StandinServer::AccountService() { return impl_->accounts_; }

std::string StandinServer::PortsLine() const {
  return "ports market=" + std::to_string(MarketPort()) + " block=" + std::to_string(BlockPort()) +
         " list=" + std::to_string(ListPort()) + " http=" + std::to_string(HttpPort());
}

size_t StandinServer::OpenConnectionCount() const {
  std::lock_guard<std::mutex> lock(impl_->connectionsMutex_);
  return impl_->open_;
}

uint64_t StandinServer::AcceptedConnectionCount() const {
  std::lock_guard<std::mutex> lock(impl_->connectionsMutex_);
  return impl_->accepted_;
}

bool StandinServer::WaitForConnections(uint64_t accepted, std::chrono::milliseconds bound) const {
  std::unique_lock<std::mutex> lock(impl_->connectionsMutex_);
  return impl_->connectionsChanged_.wait_for(lock, bound, [&] { return impl_->accepted_ >= accepted; });
}

bool StandinServer::WaitForOpenConnections(size_t open, std::chrono::milliseconds bound) const {
  std::unique_lock<std::mutex> lock(impl_->connectionsMutex_);
  return impl_->connectionsChanged_.wait_for(lock, bound, [&] { return impl_->open_ == open; });
}

std::vector<LoggedRequest> StandinServer::Requests() const { return impl_->state_->log.All(); }

std::vector<LoggedRequest> StandinServer::RequestsOfType(uint32_t type) const {
  return impl_->state_->log.OfType(type);
}

size_t StandinServer::RequestCount() const { return impl_->state_->log.Count(); }

uint64_t StandinServer::HeartbeatsReceived() const { return impl_->state_->log.Heartbeats(); }

void StandinServer::ClearRequests() { impl_->state_->log.Clear(); }

bool StandinServer::WaitForRequests(size_t count, std::chrono::milliseconds bound) const {
  return impl_->state_->log.WaitForCount(count, bound);
}

bool StandinServer::WaitForHeartbeats(uint64_t count, std::chrono::milliseconds bound) const {
  return impl_->state_->log.WaitForHeartbeats(count, bound);
}

void StandinServer::SetSilent(bool silent) {
  // Through the I/O thread, so that replies queued before the call still go.
  Impl* impl = impl_.get();
  std::lock_guard<std::mutex> lock(impl->postMutex_);
  if (impl->postTarget_) {
    asio::post(*impl->postTarget_, [impl, silent] { impl->state_->silent = silent; });
  } else {
    impl->state_->silent = silent;
  }
}

void StandinServer::CloseConnections(uint64_t connection) {
  Impl* impl = impl_.get();
  impl->Post([impl, connection] { impl->ForEachSession(connection, [](MarketSession& s) { s.Close(); }); });
}

void StandinServer::SendMalformedFrame(MalformedFrame kind, uint64_t connection) {
  Impl* impl = impl_.get();
  impl->Post([impl, kind, connection] {
    impl->ForEachSession(connection, [kind](MarketSession& s) { s.SendMalformedFrame(kind); });
  });
}

void StandinServer::SetReplyDelay(std::chrono::milliseconds delay) {
  impl_->state_->replyDelayMs = delay.count();
}

void StandinServer::SetBatchSize(size_t count) {
  impl_->state_->batchSize = count;
  if (count <= 1) FlushBatches();
}

void StandinServer::FlushBatches() {
  Impl* impl = impl_.get();
  impl->Post([impl] { impl->ForEachSession(0, [](MarketSession& s) { s.FlushBatch(); }); });
}

void StandinServer::Push(uint32_t type, uint64_t requestId, const KivNetPack& payload, uint64_t connection) {
  RequestHeader header;
  header.requestId = requestId;
  header.type = type;
  Impl* impl = impl_.get();
  impl->Post([impl, header, payload, connection] {
    impl->ForEachSession(connection, [&](MarketSession& s) { s.Push(header, payload); });
  });
}

void StandinServer::PushForcedLogout(int32_t status, const std::string& otherIp, uint64_t connection) {
  KivNetPack payload;
  payload.SetInt32(status, FIELD_STATUS, 0);
  SetFixedText(payload, otherIp, kIpTextFieldSize, FIELD_OTHER_LOGIN_IP, 0);
  Push(kTypeForcedLogout, 0, payload, connection);
}

void StandinServer::PushStatus(int32_t value, uint64_t connection) {
  KivNetPack payload;
  payload.SetInt32(value, FIELD_STATUS, 0);
  // Id 0 is never one of the client's: the status word arrives unasked.
  Push(kTypeStatus, 0, payload, connection);
}

void StandinServer::SetLogoutOnDuplicateUser(bool on) { impl_->logoutOnDuplicateUser_ = on; }

void StandinServer::SetReplyOverride(uint32_t type, ReplyOverride build) {
  impl_->state_->SetOverride(type, std::move(build));
}

void StandinServer::DropAndReopen(std::chrono::milliseconds refuseFor) {
  Impl* impl = impl_.get();
  impl->Post([impl, refuseFor] { impl->DropAndReopen(refuseFor); });
}

void StandinServer::SetBarFault(BarFault fault) { impl_->state_->service.SetBarFault(fault); }

void StandinServer::SetHttpBarErrorText(bool on) { impl_->barErrorText_ = on; }

PriceHistory& StandinServer::Prices() { return impl_->state_->service.Prices(); }

IndexLevels& StandinServer::Indices() { return impl_->state_->service.Indices(); }

void StandinServer::SetFixedNow(std::optional<int64_t> nowUtc) { impl_->state_->SetFixedNow(nowUtc); }

uint64_t StandinServer::Seed() const { return impl_->options_.seed; }

const MarketService& StandinServer::Service() const { return impl_->state_->service; }

}  // namespace kiv::standin
