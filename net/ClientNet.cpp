#include "net/ClientNet.h"

#include <boost/asio/buffer.hpp>
#include <boost/asio/error.hpp>
#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

#include "platform/sys/Trace.h"

namespace asio = boost::asio;

CClientNet::CClientNet(asio::io_context& io, const asio::ip::tcp::endpoint& endpoint,
                       DataCallback onData, ConnectedCallback onConnected, CloseCallback onClose,
                       const NetTimings& timings)
    : m_socket(io),
      m_timer(io),
      m_endpoint(endpoint),
      m_timings(timings),
      m_onData(std::move(onData)),
      m_onConnected(std::move(onConnected)),
      m_onClose(std::move(onClose)),
      m_strAddress(endpoint.address().to_string()),
      m_nPort(endpoint.port()) {}

void CClientNet::Connect() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_bclosed) return;  // a closed connection is never reopened
  m_bwrite = false;
  auto self = shared_from_this();
  m_socket.async_connect(m_endpoint,
                         [self](const boost::system::error_code& error) { self->handle_connect(error); });
  ArmTimerLocked(m_timings.connectTimeout);
}

void CClientNet::handle_connect(const boost::system::error_code& error) {
  if (error) {
    KivTrace("CClientNet::handle_connect error\r\n");
    close();
    return;
  }
  KivTrace("CClientNet::handle_connect\r\n");
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    // The time-out may have closed the socket just as the connect completed.
    if (m_bclosed) return;
    m_bconnect = true;
    StartReadHeaderLocked();
    ArmTimerLocked(m_timings.inactivityTimeout);
  }
  if (m_onConnected) m_onConnected(true);
}

bool CClientNet::Send(const char* data, const uint32_t& length) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_bconnect) {
    KivTrace("m_bconnect buflenth=%d,port=%d\r\n", static_cast<int>(length), m_nPort);
    return false;
  }
  if (m_bwrite) {
    KivTrace("m_bwrite  buflenth=%d,port=%d\r\n", static_cast<int>(length), m_nPort);
    return false;
  }
  if (data == nullptr || length < 1 || !m_socket.is_open()) {
    KivTrace("isRun \r\n");
    return false;
  }
  FrameHeader header;
  if (!EncodeFrame(data, length, header, m_sendBody)) {
    KivTrace("frame refused buflenth=%u,port=%d\r\n", length, m_nPort);
    return false;
  }
  header.Encode(m_sendHeader.data());
  m_bwrite = true;
  std::array<asio::const_buffer, 2> buffers = {asio::buffer(m_sendHeader), asio::buffer(m_sendBody)};
  auto self = shared_from_this();
  asio::async_write(m_socket, buffers,
                    [self](const boost::system::error_code& error, size_t bytes) {
                      self->handle_write(error, bytes);
                    });
  return true;
}

void CClientNet::handle_write(const boost::system::error_code& error, size_t /*bytes*/) {
  if (error) {
    close();
    return;
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bwrite = false;
    if (m_bclosed) return;
  }
  if (m_onConnected) m_onConnected(false);
}

void CClientNet::StartReadHeaderLocked() {
  auto self = shared_from_this();
  asio::async_read(m_socket, asio::buffer(m_recvHeader),
                   [self](const boost::system::error_code& error, size_t bytes) {
                     self->handle_read_header(error, bytes);
                   });
}

void CClientNet::handle_read_header(const boost::system::error_code& error, size_t bytes) {
  if (error || bytes < FrameHeader::kSize) {
    close();
    return;
  }
  m_recvFrame = FrameHeader::Decode(m_recvHeader.data());
  const FrameHeaderCheck check = CheckFrameHeader(m_recvFrame);
  if (check != FrameHeaderCheck::kOk) {
    KivTrace("CClientNet bad frame header: %s, port=%d\r\n", FrameHeaderCheckText(check), m_nPort);
    close();
    return;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_bclosed) return;
  // Bounded by the header check: at most kMaxFrameLength bytes.
  m_recvBody.resize(m_recvFrame.bodyLength);
  auto self = shared_from_this();
  asio::async_read(m_socket, asio::buffer(&m_recvBody[0], m_recvBody.size()),
                   [self](const boost::system::error_code& error, size_t bytes) {
                     self->handle_read_body(error, bytes);
                   });
  ArmTimerLocked(m_timings.inactivityTimeout);
}

void CClientNet::handle_read_body(const boost::system::error_code& error, size_t bytes) {
  if (error || bytes != m_recvFrame.bodyLength) {
    close();
    return;
  }
  if (m_onData) {
    std::string message;
    const FrameBodyResult result = DecodeFrameBody(m_recvFrame, m_recvBody.data(), m_recvBody.size(), message);
    if (result == FrameBodyResult::kOk) {
      if (!m_onData(message.data(), static_cast<uint32_t>(message.size()))) {
        close();
        return;
      }
    } else {
      // Skipped: the next frame still lines up, so the link goes on.
      KivTrace("CClientNet skipped frame method=%u,port=%d\r\n", m_recvFrame.Method(), m_nPort);
    }
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_bclosed) return;  // the data callback may have stopped the link
  StartReadHeaderLocked();
  ArmTimerLocked(m_timings.inactivityTimeout);
}

void CClientNet::ArmTimerLocked(std::chrono::milliseconds after) {
  m_timer.expires_after(after);
  auto self = shared_from_this();
  m_timer.async_wait([self](const boost::system::error_code& error) { self->OnTimeout(error); });
}

void CClientNet::OnTimeout(const boost::system::error_code& error) {
  if (error == asio::error::operation_aborted) return;
  if (error) {
    KivTrace("TimeOut errorid=%d\r\n", error.value());
    return;
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    // A wait that expired while the timer was being re-armed reports success
    // although the new deadline lies ahead: only a deadline that has really
    // passed closes the link.
    if (m_bclosed || m_timer.expiry() > asio::steady_timer::clock_type::now()) return;
  }
  KivTrace("CClientNet::TimeOut(boost::system::error_code const &error) \r\n");
  close();
}

bool CClientNet::CloseLocked() {
  m_bwrite = false;
  if (m_bclosed) {
    m_timer.cancel();
    return false;
  }
  m_timer.cancel();
  m_bconnect = false;
  m_bclosed = true;
  KivTrace("CClientNet::close() ip=%s,port=%d\r\n", m_strAddress.c_str(), m_nPort);
  boost::system::error_code ignored;
  m_socket.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  m_socket.close(ignored);
  return true;
}

void CClientNet::close() {
  KivTrace("hand CClientNet::close()\r\n");
  bool report = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    report = CloseLocked();
  }
  if (report && m_onClose) m_onClose();
}

void CClientNet::CloseSilently() {
  std::lock_guard<std::mutex> lock(m_mutex);
  CloseLocked();
}

bool CClientNet::IsConnected() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bconnect;
}

bool CClientNet::IsClosed() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bclosed;
}
