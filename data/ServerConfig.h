// Where the operator's services are: <cwd>/kivdesk.ini, section [Servers].
//
//   [Servers]
//   MarketPort=6200          market-data servers (hosts from IPConfig.CSV)
//   BlockPort=5150           block data servers (same hosts)
//   ListHost=127.0.0.1       server-list service ...
//   ListPort=916             ... and its port
//   HttpPort=80              port of every HTTP host below named without one
//   WebHost=127.0.0.1        web service: watch list, news, text operations
//   AccountWebHost=...       account service: login, registration page
//   AccountApiHost=...       account service: user report, password change
//   AccountRootHost=...      account service: active-IP query
//   MakerWebHost=...         the maker's site: user manuals
//
// A host may carry its own ":port". Every key is optional; a missing key, or
// a port that is not 1 to 65535, keeps the default. The data servers' own
// addresses come from the server-list service (IPConfig.CSV), not from here.
#pragma once

#include <cstdint>
#include <string>

constexpr const char* kServerConfigFileName = "kivdesk.ini";
constexpr const char* kServerConfigSection = "Servers";

struct ServerConfig {
  uint16_t marketPort = 6200;
  uint16_t blockPort = 5150;
  std::string listHost = "127.0.0.1";
  uint16_t listPort = 916;
  uint16_t httpPort = 80;
  std::string webHost = "127.0.0.1";
  std::string accountWebHost = "127.0.0.1";
  std::string accountApiHost = "127.0.0.1";
  std::string accountRootHost = "127.0.0.1";
  std::string makerWebHost = "127.0.0.1";

  // "host" or "host:port" for a URL: the host as configured, with HttpPort
  // added when it names no port of its own and HttpPort is not 80.
  std::string HttpAuthority(const std::string& host) const;
  // http://<ListHost>:<ListPort>/get&2326&33&
  std::string ServerListUrl() const;
};

// Reads <folder>/kivdesk.ini (GBK path; the current folder when empty).
// A missing file gives the defaults.
ServerConfig ReadServerConfig(const std::string& folder);

// The program's settings: read from the current folder on first use unless
// set before. Tests point every service at a stand-in with SetServerConfig.
ServerConfig GetServerConfig();
void SetServerConfig(const ServerConfig& config);
