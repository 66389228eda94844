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
  explicit Impl(size_t logLimit) : m_paths(logLimit) {}

  // One connection: read the head, answer (or stall), close.
  class Session : public std::enable_shared_from_this<Session> {
   public:
    Session(Impl& owner, tcp::socket socket) : m_owner(owner), m_socket(std::move(socket)) {}

    void Start() {
      auto self = shared_from_this();
      asio::async_read_until(m_socket, m_buffer, "\r\n\r\n",
                             [self](const error_code& ec, size_t) { self->OnHead(ec); });
    }

    void Close() {
      error_code ignored;
      m_socket.shutdown(tcp::socket::shutdown_both, ignored);
      m_socket.close(ignored);
    }

    const std::string& Path() const { return m_request.rawPath; }

   private:
    void OnHead(const error_code& ec) {
      if (ec) return Close();
      const std::string head(static_cast<const char*>(m_buffer.data().data()), m_buffer.size());
      HttpResponse response;
      if (!ParseRequest(head)) {
        response.status = 400;
        response.body = "bad request";
        return Answer(response, "HTTP/1.1");
      }
      if (m_owner.IsStalled(m_request.rawPath)) {
        m_owner.Park(shared_from_this());
        return;
      }
      Answer(m_owner.Handle(m_request), m_request.version == "HTTP/1.0" ? "HTTP/1.0" : "HTTP/1.1");
    }

    bool ParseRequest(const std::string& head) {
      m_request.head = head;
      const size_t lineEnd = head.find("\r\n");
      const std::string line = head.substr(0, lineEnd);
      const size_t a = line.find(' ');
      const size_t b = a == std::string::npos ? a : line.find(' ', a + 1);
      if (b == std::string::npos) return false;
      m_request.method = line.substr(0, a);
      m_request.rawPath = line.substr(a + 1, b - a - 1);
      m_request.version = line.substr(b + 1);
      return !m_request.rawPath.empty() && StartsWith(m_request.version, "HTTP/");
    }

    void Answer(const HttpResponse& response, const char* version) {
      m_reply = std::string(version) + " " + std::to_string(response.status) + " " +
                HttpReason(response.status) + "\r\nContent-Type: " + response.contentType +
                "\r\nContent-Length: " + std::to_string(response.body.size()) +
                "\r\nConnection: close\r\n\r\n" + response.body;
      auto self = shared_from_this();
      asio::async_write(m_socket, asio::buffer(m_reply),
                        [self](const error_code&, size_t) { self->Close(); });
    }

    Impl& m_owner;
    tcp::socket m_socket;
    asio::streambuf m_buffer{kMaxHeadBytes};
    HttpRequest m_request;
    std::string m_reply;
  };

  bool Start(uint16_t port, uint16_t* bound, std::string& error) {
    std::lock_guard<std::mutex> hold(m_lifecycle);
    if (m_io) {
      error = "already running";
      return false;
    }
    m_io = std::make_unique<asio::io_context>(1);
    m_acceptor = std::make_unique<tcp::acceptor>(*m_io);
    error_code ec;
    const tcp::endpoint endpoint(asio::ip::make_address("127.0.0.1"), port);
    m_acceptor->open(endpoint.protocol(), ec);
    if (!ec) m_acceptor->set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec) m_acceptor->bind(endpoint, ec);
    if (!ec) m_acceptor->listen(asio::socket_base::max_listen_connections, ec);
    if (ec) {
      error = "port " + std::to_string(port) + ": " + ec.message();
      m_acceptor.reset();
      m_io.reset();
      return false;
    }
    *bound = m_acceptor->local_endpoint(ec).port();
    {
      std::lock_guard<std::mutex> state(m_mutex);
      m_paths.Clear();
    }
    Accept();
    asio::io_context* io = m_io.get();
    m_thread = std::thread([io] { io->run(); });
    return true;
  }

  void Stop() {
    std::lock_guard<std::mutex> hold(m_lifecycle);
    if (!m_io) return;
    m_io->stop();
    if (m_thread.joinable()) m_thread.join();
    m_parked.clear();
    m_acceptor.reset();
    m_io.reset();  // frees the handlers still pending, and their sessions
  }

  void Accept() {
    m_acceptor->async_accept([this](const error_code& ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted || !m_acceptor->is_open()) return;
      if (!ec) std::make_shared<Session>(*this, std::move(socket))->Start();
      Accept();
    });
  }

  HttpResponse Handle(const HttpRequest& request) {
    HttpHandler handler;
    {
      std::lock_guard<std::mutex> state(m_mutex);
      m_paths.Add(request.rawPath);
      size_t best = 0;
      for (const auto& failure : m_failures) {
        if (StartsWith(request.rawPath, failure.first)) {
          HttpResponse response;
          response.status = failure.second;
          response.body = "failure";
          return response;
        }
      }
      for (const auto& route : m_routes) {
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
    std::lock_guard<std::mutex> state(m_mutex);
    for (const std::string& prefix : m_stalls) {
      if (StartsWith(path, prefix)) {
        m_paths.Add(path);
        return true;
      }
    }
    return false;
  }

  // Server thread only.
  void Park(std::shared_ptr<Session> session) { m_parked.insert(std::move(session)); }

  void Unstall(const std::string& prefix) {
    std::lock_guard<std::mutex> hold(m_lifecycle);
    if (!m_io) return;
    asio::post(*m_io, [this, prefix] {
      for (auto it = m_parked.begin(); it != m_parked.end();) {
        if (StartsWith((*it)->Path(), prefix)) {
          (*it)->Close();
          it = m_parked.erase(it);
        } else {
          ++it;
        }
      }
    });
  }

  std::mutex m_lifecycle;  // Start, Stop and the pointers they replace
  std::unique_ptr<asio::io_context> m_io;
  std::unique_ptr<tcp::acceptor> m_acceptor;
  std::thread m_thread;
  std::set<std::shared_ptr<Session>> m_parked;  // server thread only

  mutable std::mutex m_mutex;  // routes, switches, log
  std::map<std::string, HttpHandler> m_routes;
  std::map<std::string, int> m_failures;
  std::set<std::string> m_stalls;
  BoundedLog<std::string> m_paths;
  std::string m_lastError;
};

HttpServer::HttpServer(size_t logLimit) : m_impl(std::make_unique<Impl>(logLimit)) {}

HttpServer::~HttpServer() { Stop(); }

void HttpServer::Route(const std::string& prefix, HttpHandler handler) {
  std::lock_guard<std::mutex> state(m_impl->m_mutex);
  m_impl->m_routes[prefix] = std::move(handler);
}

bool HttpServer::Start(uint16_t port) {
  std::string error;
  uint16_t bound = 0;
  const bool ok = m_impl->Start(port, &bound, error);
  std::lock_guard<std::mutex> state(m_impl->m_mutex);
  if (ok) {
    m_port = bound;
  } else {
    m_impl->m_lastError = error;
  }
  return ok;
}

void HttpServer::Stop() {
  m_impl->Stop();
}

std::string HttpServer::LastError() const {
  std::lock_guard<std::mutex> state(m_impl->m_mutex);
  return m_impl->m_lastError;
}

void HttpServer::FailEndpoint(const std::string& prefix, int status) {
  std::lock_guard<std::mutex> state(m_impl->m_mutex);
  if (status == 0) {
    m_impl->m_failures.erase(prefix);
  } else {
    m_impl->m_failures[prefix] = status;
  }
}

void HttpServer::StallEndpoint(const std::string& prefix, bool stall) {
  {
    std::lock_guard<std::mutex> state(m_impl->m_mutex);
    if (stall) {
      m_impl->m_stalls.insert(prefix);
    } else {
      m_impl->m_stalls.erase(prefix);
    }
  }
  if (!stall) m_impl->Unstall(prefix);
}

std::vector<std::string> HttpServer::RequestedPaths() const {
  std::lock_guard<std::mutex> state(m_impl->m_mutex);
  return m_impl->m_paths.Copy();
}

size_t HttpServer::RequestCount() const {
  std::lock_guard<std::mutex> state(m_impl->m_mutex);
  return static_cast<size_t>(m_impl->m_paths.Added());
}

}  // namespace kiv::standin
