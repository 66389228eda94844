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
    : socket_(io),
      timer_(io),
      endpoint_(endpoint),
      timings_(timings),
      onData_(std::move(onData)),
      onConnected_(std::move(onConnected)),
      onClose_(std::move(onClose)),
      address_(endpoint.address().to_string()),
      port_(endpoint.port()) {}

void CClientNet::Connect() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return;  // a closed connection is never reopened
  m_bwrite = false;
  auto self = shared_from_this();
  socket_.async_connect(endpoint_,
                         [self](const boost::system::error_code& error) { self->handle_connect(error); });
  ArmTimerLocked(timings_.connectTimeout);
}

void CClientNet::handle_connect(const boost::system::error_code& error) {
  if (error) {
    KivTrace("CClientNet::handle_connect error\r\n");
    close();
    return;
  }
  KivTrace("CClientNet::handle_connect\r\n");
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // The time-out may have closed the socket just as the connect completed.
    if (closed_) return;
    m_bconnect = true;
    StartReadHeaderLocked();
    ArmTimerLocked(timings_.inactivityTimeout);
  }
  if (onConnected_) onConnected_(true);
}

bool CClientNet::Send(const char* data, const uint32_t& length) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!m_bconnect) {
    KivTrace("m_bconnect buflenth=%d,port=%d\r\n", static_cast<int>(length), port_);
    return false;
  }
  if (m_bwrite) {
    KivTrace("m_bwrite  buflenth=%d,port=%d\r\n", static_cast<int>(length), port_);
    return false;
  }
  if (data == nullptr || length < 1 || !socket_.is_open()) {
    KivTrace("isRun \r\n");
    return false;
  }
  FrameHeader header;
  if (!EncodeFrame(data, length, header, sendBody_)) {
    KivTrace("frame refused buflenth=%u,port=%d\r\n", length, port_);
    return false;
  }
  header.Encode(sendHeader_.data());
  m_bwrite = true;
  std::array<asio::const_buffer, 2> buffers = {asio::buffer(sendHeader_), asio::buffer(sendBody_)};
  auto self = shared_from_this();
  asio::async_write(socket_, buffers,
                    [self](const boost::system::error_code& error, size_t bytes) {
                      self->HandleWrite(error, bytes);
                    });
  return true;
}

void CClientNet::HandleWrite(const boost::system::error_code& error, size_t /*bytes*/) {
  if (error) {
    close();
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    m_bwrite = false;
    if (closed_) return;
  }
  if (onConnected_) onConnected_(false);
}

void CClientNet::StartReadHeaderLocked() {
  auto self = shared_from_this();
  asio::async_read(socket_, asio::buffer(recvHeader_),
                   [self](const boost::system::error_code& error, size_t bytes) {
                     self->HandleReadHeader(error, bytes);
                   });
}

void CClientNet::HandleReadHeader(const boost::system::error_code& error, size_t bytes) {
  if (error || bytes < FrameHeader::kSize) {
    close();
    return;
  }
  recvFrame_ = FrameHeader::Decode(recvHeader_.data());
  const FrameHeaderCheck check = CheckFrameHeader(recvFrame_);
  if (check != FrameHeaderCheck::kOk) {
    KivTrace("CClientNet bad frame header: %s, port=%d\r\n", FrameHeaderCheckText(check), port_);
    close();
    return;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return;
  // Bounded by the header check: at most kMaxFrameLength bytes.
  recvBody_.resize(recvFrame_.bodyLength);
  auto self = shared_from_this();
  asio::async_read(socket_, asio::buffer(&recvBody_[0], recvBody_.size()),
                   [self](const boost::system::error_code& error, size_t bytes) {
                     self->HandleReadBody(error, bytes);
                   });
  ArmTimerLocked(timings_.inactivityTimeout);
}

void CClientNet::HandleReadBody(const boost::system::error_code& error, size_t bytes) {
  if (error || bytes != recvFrame_.bodyLength) {
    close();
    return;
  }
  if (onData_) {
    std::string message;
    const FrameBodyResult result = DecodeFrameBody(recvFrame_, recvBody_.data(), recvBody_.size(), message);
    if (result == FrameBodyResult::kOk) {
      if (!onData_(message.data(), static_cast<uint32_t>(message.size()))) {
        close();
        return;
      }
    } else {
      // Skipped: the next frame still lines up, so the link goes on.
      KivTrace("CClientNet skipped frame method=%u,port=%d\r\n", recvFrame_.Method(), port_);
    }
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_) return;  // the data callback may have stopped the link
  StartReadHeaderLocked();
  ArmTimerLocked(timings_.inactivityTimeout);
}

void CClientNet::ArmTimerLocked(std::chrono::milliseconds after) {
  timer_.expires_after(after);
  auto self = shared_from_this();
  timer_.async_wait([self](const boost::system::error_code& error) { self->OnTimeout(error); });
}

void CClientNet::OnTimeout(const boost::system::error_code& error) {
  if (error == asio::error::operation_aborted) return;
  if (error) {
    KivTrace("TimeOut errorid=%d\r\n", error.value());
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // A wait that expired while the timer was being re-armed reports success
    // although the new deadline lies ahead: only a deadline that has really
    // passed closes the link.
    if (closed_ || timer_.expiry() > asio::steady_timer::clock_type::now()) return;
  }
  KivTrace("CClientNet::TimeOut(boost::system::error_code const &error) \r\n");
  close();
}

bool CClientNet::CloseLocked() {
  m_bwrite = false;
  if (closed_) {
    timer_.cancel();
    return false;
  }
  timer_.cancel();
  m_bconnect = false;
  closed_ = true;
  KivTrace("CClientNet::close() ip=%s,port=%d\r\n", address_.c_str(), port_);
  boost::system::error_code ignored;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
  return true;
}

void CClientNet::close() {
  KivTrace("hand CClientNet::close()\r\n");
  bool report = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    report = CloseLocked();
  }
  if (report && onClose_) onClose_();
}

void CClientNet::CloseSilently() {
  std::lock_guard<std::mutex> lock(mutex_);
  CloseLocked();
}

bool CClientNet::IsConnected() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return m_bconnect;
}

bool CClientNet::IsClosed() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}
