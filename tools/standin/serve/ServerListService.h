// ServerListService: the stand-in for the operator's server-list service,
// which the terminal's configuration store asks once at start-up on its own
// port (916 in production):
//
//   GET /get&2326&33&   ->   {"Data1Ip":"127.0.0.1&上海电信一", ...}
//
// The reply is one line of JSON, UTF-8, with the seven keys as strings, each
// value "address&label" of at most 63 characters. Tests may drop keys or
// change values, and use the server's switches to fail or stall it.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "tools/standin/serve/HttpServer.h"

namespace kiv::standin {

constexpr const char* kServerListPath = "/get&2326&33&";

// Key -> value (UTF-8), in no particular order; the reply lists them in the
// terminal's key order, then any others.
typedef std::map<std::string, std::string> ServerListValues;

// The values that point the terminal at a stand-in on loopback: the TCP
// servers at 127.0.0.1 (labels 上海电信一 and 上海联通二, which the terminal
// gives a meaning), every HTTP data host at 127.0.0.1:httpPort.
ServerListValues DefaultServerListValues(uint16_t httpPort);

// The reply body for the values.
std::string BuildServerListReply(const ServerListValues& values);

class ServerListService {
 public:
  explicit ServerListService(ServerListValues values);
  ~ServerListService();  // Stop()

  bool Start(uint16_t port = 0);
  void Stop();
  uint16_t Port() const { return server_.Port(); }
  std::string LastError() const { return server_.LastError(); }

  void SetValues(const ServerListValues& values);
  // The underlying server: switches (FailEndpoint, StallEndpoint) and the
  // request log.
  HttpServer& Server() { return server_; }

 private:
  mutable std::mutex mutex_;
  ServerListValues values_;
  HttpServer server_;
};

}  // namespace kiv::standin
