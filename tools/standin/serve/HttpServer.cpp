#include "tools/standin/serve/HttpServer.h"

#include <boost/asio.hpp>

#include <thread>

namespace kiv::standin {

namespace asio = boost::asio;
using asio::ip::tcp;
using boost::system::error_code;

namespace {

// A request head longer than this is refused: the terminal's are short.
constexpr size_t kMaxHeadBytes = 16 * 1024;

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

const char* HttpReason(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 502: return "Bad Gateway";
    case 503: return "Service Unavailable";
    default: return "Status";
  }
}

std::string PercentDecode(const std::string& text, bool plusIsBlank) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
    } else if (c == '+' && plusIsBlank) {
      out.push_back(' ');
    } else {
      out.push_back(c);
    }
  }
  return out;
}

std::string QueryValue(const std::string& rawPath, const std::string& key, bool plusIsBlank) {
  const size_t q = rawPath.find('?');
  if (q == std::string::npos) return std::string();
  size_t pos = q + 1;
  while (pos <= rawPath.size()) {
    size_t end = rawPath.find('&', pos);
    if (end == std::string::npos) end = rawPath.size();
    const std::string pair = rawPath.substr(pos, end - pos);
    const size_t eq = pair.find('=');
    const std::string name = PercentDecode(pair.substr(0, eq), false);
    if (name == key) return eq == std::string::npos ? std::string() : PercentDecode(pair.substr(eq + 1), plusIsBlank);
    pos = end + 1;
  }
  return std::string();
}

class HttpServer::Impl {
 public:
  explicit Impl(size_t logLimit) : paths_(logLimit) {}

  // One connection: read the head, answer (or stall), close.
  class Session : public std::enable_shared_from_this<Session> {
   public:
    Session(Impl& owner, tcp::socket socket)
        : owner_(owner), socket_(std::move(socket)), timer_(socket_.get_executor()) {}

    void Start() {
      auto self = shared_from_this();
      asio::async_read_until(socket_, buffer_, "\r\n\r\n",
                             [self](const error_code& ec, size_t) { self->OnHead(ec); });
    }

    void Close() {
      error_code ignored;
      socket_.shutdown(tcp::socket::shutdown_both, ignored);
      socket_.close(ignored);
    }

    const std::string& Path() const { return request_.rawPath; }

   private:
    void OnHead(const error_code& ec) {
      if (ec) return Close();
      const std::string head(static_cast<const char*>(buffer_.data().data()), buffer_.size());
      HttpResponse response;
      if (!ParseRequest(head)) {
        response.status = 400;
        response.body = "bad request";
        return Answer(response, "HTTP/1.1");
      }
      if (owner_.IsStalled(request_.rawPath)) {
        owner_.Park(shared_from_this());
        return;
      }
      Answer(owner_.Handle(request_), request_.version == "HTTP/1.0" ? "HTTP/1.0" : "HTTP/1.1");
    }

    bool ParseRequest(const std::string& head) {
      request_.head = head;
      const size_t lineEnd = head.find("\r\n");
      const std::string line = head.substr(0, lineEnd);
      const size_t a = line.find(' ');
      const size_t b = a == std::string::npos ? a : line.find(' ', a + 1);
      if (b == std::string::npos) return false;
      request_.method = line.substr(0, a);
      request_.rawPath = line.substr(a + 1, b - a - 1);
      request_.version = line.substr(b + 1);
      return !request_.rawPath.empty() && StartsWith(request_.version, "HTTP/");
    }

    void Answer(const HttpResponse& response, const char* version) {
      const uint64_t length = response.contentLength.value_or(response.body.size());
      reply_ = std::string(version) + " " + std::to_string(response.status) + " " +
                HttpReason(response.status) + "\r\nContent-Type: " + response.contentType +
                "\r\nContent-Length: " + std::to_string(length) +
                "\r\nConnection: close\r\n\r\n" + response.body;
      auto self = shared_from_this();
      const bool reset = response.resetAfterBody;
      auto write = [self, reset] {
        asio::async_write(self->socket_, asio::buffer(self->reply_), [self, reset](const error_code&, size_t) {
          if (reset) {
            // Linger with a zero time-out: the close sends RST, not FIN.
            error_code ignored;
            self->socket_.set_option(asio::socket_base::linger(true, 0), ignored);
            self->socket_.close(ignored);
            return;
          }
          self->Close();
        });
      };
      if (response.delay.count() <= 0) return write();
      timer_.expires_after(response.delay);
      timer_.async_wait([write](const error_code& ec) {
        if (!ec) write();
      });
    }

    Impl& owner_;
    tcp::socket socket_;
    asio::steady_timer timer_;  // a delayed answer
    asio::streambuf buffer_{kMaxHeadBytes};
    HttpRequest request_;
    std::string reply_;
  };

  bool Start(uint16_t port, uint16_t* bound, std::string& error) {
    std::lock_guard<std::mutex> hold(lifecycleMutex_);
    if (io_) {
      error = "already running";
      return false;
    }
    io_ = std::make_unique<asio::io_context>(1);
    acceptor_ = std::make_unique<tcp::acceptor>(*io_);
    error_code ec;
    const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), port);
    acceptor_->open(endpoint.protocol(), ec);
    if (!ec) acceptor_->set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec) acceptor_->bind(endpoint, ec);
    if (!ec) acceptor_->listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
      error = "port " + std::to_string(port) + ": " + ec.message();
      acceptor_.reset();
      io_.reset();
      return false;
    }
    *bound = acceptor_->local_endpoint(ec).port();
    {
      std::lock_guard<std::mutex> state(mutex_);
      paths_.Clear();
    }
    Accept();
    asio::io_context* io = io_.get();
    thread_ = std::thread([io] { io->run(); });
    return true;
  }

  void Stop() {
    std::lock_guard<std::mutex> hold(lifecycleMutex_);
    if (!io_) return;
    io_->stop();
    if (thread_.joinable()) thread_.join();
    parked_.clear();
    acceptor_.reset();
    io_.reset();  // frees the handlers still pending, and their sessions
  }

  void Accept() {
    acceptor_->async_accept([this](const error_code& ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted || !acceptor_->is_open()) return;
      if (!ec) std::make_shared<Session>(*this, std::move(socket))->Start();
      Accept();
    });
  }

  HttpResponse Handle(const HttpRequest& request) {
    HttpHandler handler;
    {
      std::lock_guard<std::mutex> state(mutex_);
      paths_.Add(request.rawPath);
      size_t best = 0;
      for (const auto& failure : failures_) {
        if (StartsWith(request.rawPath, failure.first)) {
          HttpResponse response;
          response.status = failure.second;
          response.body = "failure";
          return response;
        }
      }
      for (const auto& route : routes_) {
        if (StartsWith(request.rawPath, route.first) && route.first.size() >= best) {
          best = route.first.size();
          handler = route.second;
        }
      }
    }
    if (!handler) {
      HttpResponse response;
      response.status = 404;
      response.body = "not found";
      return response;
    }
    return handler(request);
  }

  bool IsStalled(const std::string& path) {
    std::lock_guard<std::mutex> state(mutex_);
    for (const std::string& prefix : stalls_) {
      if (StartsWith(path, prefix)) {
        paths_.Add(path);
        return true;
      }
    }
    return false;
  }

  // Server thread only.
  void Park(std::shared_ptr<Session> session) { parked_.insert(std::move(session)); }

  void Unstall(const std::string& prefix) {
    std::lock_guard<std::mutex> hold(lifecycleMutex_);
    if (!io_) return;
    asio::post(*io_, [this, prefix] {
      for (auto it = parked_.begin(); it != parked_.end();) {
        if (StartsWith((*it)->Path(), prefix)) {
          (*it)->Close();
          it = parked_.erase(it);
        } else {
          ++it;
        }
      }
    });
  }

  std::mutex lifecycleMutex_;  // Start, Stop and the pointers they replace
  std::unique_ptr<asio::io_context> io_;
  std::unique_ptr<tcp::acceptor> acceptor_;
  std::thread thread_;
  std::set<std::shared_ptr<Session>> parked_;  // server thread only

  mutable std::mutex mutex_;  // routes, switches, log
  std::map<std::string, HttpHandler> routes_;
  std::map<std::string, int> failures_;
  std::set<std::string> stalls_;
  BoundedLog<std::string> paths_;
  std::string lastError_;
};

HttpServer::HttpServer(size_t logLimit) : impl_(std::make_unique<Impl>(logLimit)) {}

HttpServer::~HttpServer() { Stop(); }

void HttpServer::Route(const std::string& prefix, HttpHandler handler) {
  std::lock_guard<std::mutex> state(impl_->mutex_);
  impl_->routes_[prefix] = std::move(handler);
}

bool HttpServer::Start(uint16_t port) {
  std::string error;
  uint16_t bound = 0;
  const bool ok = impl_->Start(port, &bound, error);
  std::lock_guard<std::mutex> state(impl_->mutex_);
  if (ok) {
    port_ = bound;
  } else {
    impl_->lastError_ = error;
  }
  return ok;
}

void HttpServer::Stop() {
  impl_->Stop();
}

std::string HttpServer::LastError() const {
  std::lock_guard<std::mutex> state(impl_->mutex_);
  return impl_->lastError_;
}

void HttpServer::FailEndpoint(const std::string& prefix, int status) {
  std::lock_guard<std::mutex> state(impl_->mutex_);
  if (status == 0) {
    impl_->failures_.erase(prefix);
  } else {
    impl_->failures_[prefix] = status;
  }
}

void HttpServer::StallEndpoint(const std::string& prefix, bool stall) {
  {
    std::lock_guard<std::mutex> state(impl_->mutex_);
    if (stall) {
      impl_->stalls_.insert(prefix);
    } else {
      impl_->stalls_.erase(prefix);
    }
  }
  if (!stall) impl_->Unstall(prefix);
}

std::vector<std::string> HttpServer::RequestedPaths() const {
  std::lock_guard<std::mutex> state(impl_->mutex_);
  return impl_->paths_.Copy();
}

size_t HttpServer::RequestCount() const {
  std::lock_guard<std::mutex> state(impl_->mutex_);
  return static_cast<size_t>(impl_->paths_.Added());
}

}  // namespace kiv::standin
