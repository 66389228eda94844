#include "data/ServerConfig.h"

#include <mutex>
#include <optional>

#include "platform/sys/ProfileFile.h"

namespace {

std::mutex g_mutex;
std::optional<ServerConfig> g_config;

void ReadPort(const std::string& file, const char* key, uint16_t* port) {
  const int value = static_cast<int>(GetPrivateProfileIntA(kServerConfigSection, key, -1, file.c_str()));
  if (value >= 1 && value <= 65535) *port = static_cast<uint16_t>(value);
}

void ReadHost(const std::string& file, const char* key, std::string* host) {
  char buffer[256] = {0};
  GetPrivateProfileStringA(kServerConfigSection, key, "", buffer, sizeof(buffer), file.c_str());
  if (buffer[0]) *host = buffer;
}

}  // namespace

std::string ServerConfig::HttpAuthority(const std::string& host) const {
  // A host of its own port: "name:81"; an IPv6 literal "[::1]" has colons
  // of its own but none after its closing bracket.
  const size_t colon = host.rfind(':');
  const size_t bracket = host.rfind(']');
  const bool hasPort = colon != std::string::npos && (bracket == std::string::npos || colon > bracket);
  if (hasPort || httpPort == 80) return host;
  return host + ":" + std::to_string(httpPort);
}

std::string ServerConfig::ServerListUrl() const {
  return "http://" + listHost + ":" + std::to_string(listPort) + "/get&2326&33&";
}

ServerConfig ReadServerConfig(const std::string& folder) {
  const std::string file = folder.empty() ? kServerConfigFileName : folder + "/" + kServerConfigFileName;
  ServerConfig config;
  ReadPort(file, "MarketPort", &config.marketPort);
  ReadPort(file, "BlockPort", &config.blockPort);
  ReadHost(file, "ListHost", &config.listHost);
  ReadPort(file, "ListPort", &config.listPort);
  ReadPort(file, "HttpPort", &config.httpPort);
  ReadHost(file, "WebHost", &config.webHost);
  ReadHost(file, "AccountWebHost", &config.accountWebHost);
  ReadHost(file, "AccountApiHost", &config.accountApiHost);
  ReadHost(file, "AccountRootHost", &config.accountRootHost);
  ReadHost(file, "MakerWebHost", &config.makerWebHost);
  return config;
}

ServerConfig GetServerConfig() {
  std::lock_guard<std::mutex> hold(g_mutex);
  if (!g_config) g_config = ReadServerConfig("");
  return *g_config;
}

void SetServerConfig(const ServerConfig& config) {
  std::lock_guard<std::mutex> hold(g_mutex);
  g_config = config;
}
