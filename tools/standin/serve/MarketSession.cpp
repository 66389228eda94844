#include "tools/standin/serve/MarketSession.h"

#include <exception>
#include <utility>

#include <boost/asio/read.hpp>
#include <boost/asio/write.hpp>

#include "platform/sys/Clock.h"
#include "platform/sys/Trace.h"
#include "tools/standin/serve/ReplyIds.h"

namespace kiv::standin {

namespace asio = boost::asio;
using boost::system::error_code;

int64_t MarketPortState::NowUtc() const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (fixedNow_) return *fixedNow_;
  }
  const int64_t ms = kiv::CurrentClock().UnixTimeMs();
  return ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
}

void MarketPortState::SetFixedNow(std::optional<int64_t> nowUtc) {
  std::lock_guard<std::mutex> lock(mutex_);
  fixedNow_ = nowUtc;
}

ReplyOverride MarketPortState::OverrideOf(uint32_t type) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto found = overrides_.find(type);
  return found == overrides_.end() ? ReplyOverride() : found->second;
}

void MarketPortState::SetOverride(uint32_t type, ReplyOverride build) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (build) {
    overrides_[type] = std::move(build);
  } else {
    overrides_.erase(type);
  }
}

MarketSession::MarketSession(asio::ip::tcp::socket socket, uint64_t connection,
                             std::shared_ptr<MarketPortState> state, ClosedCallback onClosed)
    : socket_(std::move(socket)),
      connection_(connection),
      state_(std::move(state)),
      onClosed_(std::move(onClosed)),
      keepAliveTimer_(socket_.get_executor()) {}

void MarketSession::Start() {
  error_code ignored;
  socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
  ReadHeader();
  ArmKeepAlive();
}

void MarketSession::Close() {
  if (closed_) return;
  closed_ = true;
  keepAliveTimer_.cancel();
  for (const auto& timer : delayTimers_) timer->cancel();
  delayTimers_.clear();
  outgoing_.clear();
  batch_.clear();
  error_code ignored;
  socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
  socket_.close(ignored);
  if (onClosed_) onClosed_(connection_);
}

void MarketSession::ReadHeader() {
  auto self = shared_from_this();
  asio::async_read(socket_, asio::buffer(header_, sizeof(header_)),
                   [self](const error_code& error, size_t length) { self->OnHeader(error, length); });
}

void MarketSession::OnHeader(const error_code& error, size_t length) {
  if (closed_) return;
  if (error || length != sizeof(header_)) {
    Close();
    return;
  }
  frame_ = FrameHeader::Decode(header_);
  const FrameHeaderCheck check = CheckFrameHeader(frame_);
  if (check != FrameHeaderCheck::kOk) {
    // The stream is out of step: nothing after this header can be trusted.
    KivTrace("standin: connection %llu closed: %s\r\n", static_cast<unsigned long long>(connection_),
             FrameHeaderCheckText(check));
    Close();
    return;
  }
  body_.resize(frame_.bodyLength);
  auto self = shared_from_this();
  asio::async_read(socket_, asio::buffer(&body_[0], body_.size()),
                   [self](const error_code& error, size_t length) { self->OnBody(error, length); });
}

void MarketSession::OnBody(const error_code& error, size_t length) {
  if (closed_) return;
  if (error || length != body_.size()) {
    Close();
    return;
  }
  std::string data;
  if (DecodeFrameBody(frame_, body_.data(), body_.size(), data) != FrameBodyResult::kOk) {
    // A body that cannot be decoded is skipped; the frame boundary is sound.
    KivTrace("standin: connection %llu skipped an undecodable frame\r\n",
             static_cast<unsigned long long>(connection_));
    ReadHeader();
    return;
  }
  std::vector<NetMessage> messages;
  if (!ParseMessages(std::move(data), messages)) {
    KivTrace("standin: connection %llu closed: body is not a record set\r\n",
             static_cast<unsigned long long>(connection_));
    Close();
    return;
  }
  for (NetMessage& message : messages) {
    HandleMessage(message);
    if (closed_) return;
  }
  ReadHeader();
}

void MarketSession::HandleMessage(NetMessage& message) {
  if (message.header.type == kTypeHeartbeat) {
    state_->log.AddHeartbeat();
    if (state_->silent) return;
    RequestHeader echo;
    echo.requestId = kHeartbeatRequestId;
    echo.type = kTypeHeartbeat;
    std::string bytes;
    if (BuildMessage(echo, KivNetPack(), bytes)) SendMessage(bytes);
    return;
  }
  LoggedRequest request;
  request.connection = connection_;
  request.header = message.header;
  request.payload = message.payload;
  state_->log.Add(request);
  Answer(request);
  if (request.header.type == DT_USER_ID && state_->onUserAnnounced) {
    state_->onUserAnnounced(connection_, request.payload.GetInt32(FIELD_USER_ID, 0));
  }
}

void MarketSession::Answer(const LoggedRequest& request) {
  KivNetPack payload;
  if (ReplyOverride build = state_->OverrideOf(request.header.type)) {
    // A test's replacement must not take the server down with it.
    try {
      payload = build(request);
    } catch (const std::exception& error) {
      KivTrace("standin: reply override of type %u failed: %s\r\n", request.header.type, error.what());
      payload = KivNetPack();
    }
  } else {
    payload = state_->service.Reply(request.header.type, request.payload, state_->NowUtc());
  }

  RequestHeader header;
  header.requestId = request.header.requestId;
  header.type = request.header.type;
  std::string message;
  if (!BuildMessage(header, payload, message)) {
    // Never leave a request unanswered: the client would wait for ever.
    KivTrace("standin: reply of type %u could not be built, sent empty\r\n", header.type);
    BuildMessage(header, KivNetPack(), message);
  }

  const int64_t delayMs = state_->replyDelayMs;
  if (delayMs <= 0) {
    SendReply(std::move(message));
    return;
  }
  auto timer = std::make_shared<asio::steady_timer>(socket_.get_executor(), std::chrono::milliseconds(delayMs));
  delayTimers_.insert(timer);
  auto self = shared_from_this();
  timer->async_wait([self, timer, message = std::move(message)](const error_code& error) mutable {
    self->delayTimers_.erase(timer);
    if (error || self->closed_) return;
    self->SendReply(std::move(message));
  });
}

void MarketSession::SendReply(std::string message) {
  if (state_->silent) return;
  const size_t batchSize = state_->batchSize;
  if (batchSize <= 1 && batch_.empty()) {
    SendMessage(message);
    return;
  }
  batch_.push_back(std::move(message));
  if (batch_.size() >= batchSize) FlushBatch();
}

void MarketSession::FlushBatch() {
  if (batch_.empty() || closed_) return;
  std::string body;
  if (BuildBatch(batch_, body)) {
    SendMessage(body);
  } else {
    for (const std::string& message : batch_) SendMessage(message);
  }
  batch_.clear();
}

void MarketSession::Push(const RequestHeader& header, const KivNetPack& payload) {
  std::string message;
  if (BuildMessage(header, payload, message)) SendMessage(message);
}

void MarketSession::SendMessage(const std::string& message) {
  FrameHeader header;
  std::string body;
  if (!EncodeFrame(message.data(), message.size(), header, body)) {
    KivTrace("standin: message of %zu bytes cannot be framed\r\n", message.size());
    return;
  }
  SendBytes(FrameBytes(header, body));
}

void MarketSession::SendMalformedFrame(MalformedFrame kind) {
  auto headerBytes = [](const FrameHeader& header) {
    return FrameBytes(header, std::string());
  };
  // A sound message to wrap where the fault is elsewhere.
  RequestHeader keepAlive;
  keepAlive.requestId = kHeartbeatRequestId;
  keepAlive.type = kTypeHeartbeat;
  std::string message;
  BuildMessage(keepAlive, KivNetPack(), message);
  const uint32_t messageLength = static_cast<uint32_t>(message.size());

  switch (kind) {
    case MalformedFrame::BadSignature: {
      std::string bytes = FrameBytes(FrameHeader::Make(kFrameMethodNone, messageLength, 0), message);
      bytes[0] = static_cast<char>(bytes[0] ^ 0x20);
      SendBytes(std::move(bytes));
      break;
    }
    case MalformedFrame::ZeroLength:
      SendBytes(headerBytes(FrameHeader::Make(kFrameMethodNone, 0, 0)));
      break;
    case MalformedFrame::OversizedLength:
      SendBytes(headerBytes(FrameHeader::Make(kFrameMethodNone, kMaxFrameLength + 1, 0)));
      break;
    case MalformedFrame::UnknownMethod:
      SendBytes(FrameBytes(FrameHeader::Make(2, messageLength, 0), message));
      break;
    case MalformedFrame::BadDeflate: {
      const std::string garbage(32, '\xFF');
      SendBytes(FrameBytes(FrameHeader::Make(kFrameMethodZlib, static_cast<uint32_t>(garbage.size()), 200),
                           garbage));
      break;
    }
    case MalformedFrame::ShortBody: {
      // The header promises the whole message; only half of it follows
      // before the link closes.
      SendBytes(FrameBytes(FrameHeader::Make(kFrameMethodNone, messageLength, 0),
                           message.substr(0, message.size() / 2)),
                true);
      break;
    }
    case MalformedFrame::NotAPack: {
      const std::string junk = "not a record set";
      SendBytes(FrameBytes(FrameHeader::Make(kFrameMethodNone, static_cast<uint32_t>(junk.size()), 0), junk));
      break;
    }
  }
}

void MarketSession::SendBytes(std::string bytes, bool closeAfter) {
  if (closed_) return;
  outgoing_.push_back(Outgoing{std::move(bytes), closeAfter});
  if (!writing_) WriteNext();
}

void MarketSession::WriteNext() {
  if (closed_ || outgoing_.empty()) {
    writing_ = false;
    return;
  }
  writing_ = true;
  auto self = shared_from_this();
  asio::async_write(socket_, asio::buffer(outgoing_.front().bytes),
                    [self](const error_code& error, size_t) {
                      if (self->closed_) return;
                      if (error) {
                        self->Close();
                        return;
                      }
                      const bool closeAfter = self->outgoing_.front().closeAfter;
                      self->outgoing_.pop_front();
                      if (closeAfter) {
                        self->Close();
                        return;
                      }
                      self->WriteNext();
                    });
}

void MarketSession::ArmKeepAlive() {
  keepAliveTimer_.expires_after(state_->keepAlive);
  auto self = shared_from_this();
  keepAliveTimer_.async_wait([self](const error_code& error) {
    if (error || self->closed_) return;
    if (!self->state_->silent) {
      RequestHeader keepAlive;
      keepAlive.requestId = kHeartbeatRequestId;
      keepAlive.type = kTypeHeartbeat;
      self->Push(keepAlive, KivNetPack());
    }
    self->ArmKeepAlive();
  });
}

}  // namespace kiv::standin
