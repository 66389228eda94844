#include "net/NetService.h"

CNetService::CNetService(const NetTimings& timings) : m_Manager(m_io, timings) {
  // Two keep-alive guards, as the I/O service has always had: run() must not
  // return while no connection exists.
  m_WorkGuards.push_back(boost::asio::make_work_guard(m_io));
  m_WorkGuards.push_back(boost::asio::make_work_guard(m_io));
  if (!m_IoThread.joinable()) m_IoThread = std::thread([this]() { m_io.run(); });
}

CNetService::~CNetService() {
  Shutdown();
  StopConnection();
  m_Manager.Close();
}

bool CNetService::AddServer(const std::string& host, int32_t port, const std::string& label) {
  if (host.empty() || port < 1 || port > 65535) return false;
  return m_Manager.AddServer(host, static_cast<uint16_t>(port), label);
}

void CNetService::StopConnection() { m_Manager.Stop(); }

void CNetService::Shutdown() {
  if (!m_WorkGuards.empty()) {
    m_WorkGuards.clear();
    m_io.stop();
  }
  // Joined whatever the guards said: a second call, or a call from a
  // destructor after an earlier Shutdown, finds nothing left to join.
  if (m_IoThread.joinable() && m_IoThread.get_id() != std::this_thread::get_id()) m_IoThread.join();
}
