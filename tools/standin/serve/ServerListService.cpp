#include "tools/standin/serve/ServerListService.h"

#include <nlohmann/json.hpp>

#include "data/IpConfigTable.h"

namespace kiv::standin {

ServerListValues DefaultServerListValues(uint16_t httpPort) {
  const std::string http = "127.0.0.1:" + std::to_string(httpPort);
  // Labels are UTF-8 on the wire whatever the program's own code page.
  return {
      {"Data1Ip", std::string("127.0.0.1&") + reinterpret_cast<const char*>(u8"上海电信一")},
      {"Data2Ip", std::string("127.0.0.1&") + reinterpret_cast<const char*>(u8"上海联通二")},
      {"DJGIp", http + "&" + reinterpret_cast<const char*>(u8"董监高")},
      {"HourBSIp", http + "&" + reinterpret_cast<const char*>(u8"小时")},
      {"F10Ip", http + "&F10"},
      {"Minute1BSIp", http + "&" + reinterpret_cast<const char*>(u8"分钟")},
      {"OptionIp", http + "&" + reinterpret_cast<const char*>(u8"期权")},
  };
}

std::string BuildServerListReply(const ServerListValues& values) {
  // An ordered JSON text: the terminal's keys first, in its order.
  std::string body = "{";
  bool first = true;
  const auto add = [&](const std::string& key, const std::string& value) {
    if (!first) body += ",";
    first = false;
    body += nlohmann::json(key).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    body += ":";
    body += nlohmann::json(value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  };
  for (const char* key : kIpConfigKeys) {
    const auto it = values.find(key);
    if (it != values.end()) add(it->first, it->second);
  }
  for (const auto& entry : values) {
    bool known = false;
    for (const char* key : kIpConfigKeys) known = known || entry.first == key;
    if (!known) add(entry.first, entry.second);
  }
  return body + "}";
}

ServerListService::ServerListService(ServerListValues values) : values_(std::move(values)) {
  server_.Route(kServerListPath, [this](const HttpRequest& request) {
    HttpResponse response;
    if (request.rawPath != kServerListPath) {
      response.status = 404;
      response.body = "not found";
      return response;
    }
    std::lock_guard<std::mutex> hold(mutex_);
    response.contentType = "application/json; charset=utf-8";
    response.body = BuildServerListReply(values_);
    return response;
  });
}

ServerListService::~ServerListService() { Stop(); }

bool ServerListService::Start(uint16_t port) { return server_.Start(port); }

void ServerListService::Stop() { server_.Stop(); }

void ServerListService::SetValues(const ServerListValues& values) {
  std::lock_guard<std::mutex> hold(mutex_);
  values_ = values;
}

}  // namespace kiv::standin
