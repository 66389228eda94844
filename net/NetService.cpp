#include "net/NetService.h"

CNetService::CNetService(const NetTimings& timings) : manager_(io_, timings) {
  // Two keep-alive guards, as the I/O service has always had: run() must not
  // return while no connection exists.
  workGuards_.push_back(boost::asio::make_work_guard(io_));
  workGuards_.push_back(boost::asio::make_work_guard(io_));
  if (!ioThread_.joinable()) ioThread_ = std::thread([this]() { io_.run(); });
}

CNetService::~CNetService() {
  Shutdown();
  StopConnection();
  manager_.Close();
}

bool CNetService::AddServer(const std::string& host, int32_t port, const std::string& label) {
  if (host.empty() || port < 1 || port > 65535) return false;
  return manager_.AddServer(host, static_cast<uint16_t>(port), label);
}

void CNetService::StopConnection() { manager_.Stop(); }

void CNetService::Shutdown() {
  if (!workGuards_.empty()) {
    workGuards_.clear();
    io_.stop();
  }
  // Joined whatever the guards said: a second call, or a call from a
  // destructor after an earlier Shutdown, finds nothing left to join.
  if (ioThread_.joinable() && ioThread_.get_id() != std::this_thread::get_id()) ioThread_.join();
}
