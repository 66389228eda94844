#include "tools/standin/market/Accounts.h"

#include <strings.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "data/Md5Digest.h"
#include "net/StockId.h"

namespace kiv::standin {

namespace {

// A decimal text that is entirely a number in [lo, hi].
bool ParseDecimal(const std::string& text, long long lo, long long hi, long long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  errno = 0;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
  *value = v;
  return true;
}

}  // namespace

std::string WatchListHash(int32_t uid) {
  const std::string text = "uid=" + std::to_string(uid) + "&key=" + kWatchListKey;
  CMd5Digest digest;
  digest.Compute(text.data(), text.size());
  return digest.ToHex();
}

std::string LoginPasswordHash(const std::string& password, const std::string& salt) {
  CMd5Digest inner;
  inner.Compute(password.data(), password.size());
  const std::string text = inner.ToHex() + salt;
  CMd5Digest outer;
  outer.Compute(text.data(), text.size());
  return outer.ToHex();
}

Accounts::Accounts(int64_t nowEpoch) : fixedNow_(nowEpoch), activeIps_{"127.0.0.1", "127.0.0.1", "127.0.0.1"} {
  users_ = {
      {"ry0001", "123456", 10001, 12, "k3j9", true, false},
      {"ry0002", "123456", 10002, 10, "p7q2", true, false},
      {"ry0003", "123456", 10003, 12, "x5m1", false, false},
      {"ry0004", "123456", 10004, 12, "z0z0", true, true},
  };
  const int64_t now = Now();
  for (const AccountUser& user : users_) {
    lists_[user.uid] = {{MakeStockId(600000, 1), now}, {MakeStockId(2, 2), now}, {MakeStockId(300750, 2), now}};
  }
}

int64_t Accounts::Now() const { return fixedNow_ != 0 ? fixedNow_ : static_cast<int64_t>(std::time(nullptr)); }

AccountUser* Accounts::FindLocked(const std::string& name) {
  for (AccountUser& user : users_) {
    if (strcasecmp(user.name.c_str(), name.c_str()) == 0) return &user;
  }
  return nullptr;
}

std::optional<AccountUser> Accounts::FindUser(const std::string& name) const {
  std::lock_guard<std::mutex> hold(mutex_);
  AccountUser* user = const_cast<Accounts*>(this)->FindLocked(name);
  if (!user) return std::nullopt;
  return *user;
}

void Accounts::SetActiveIps(const std::vector<std::string>& ips) {
  std::lock_guard<std::mutex> hold(mutex_);
  activeIps_ = ips;
}

HttpResponse Accounts::HandleLogin(const HttpRequest& request) {
  HttpResponse response;
  response.contentType = "application/json; charset=utf-8";
  const std::string name = QueryValue(request.rawPath, "username", true);
  std::lock_guard<std::mutex> hold(mutex_);
  const AccountUser* user = FindLocked(name);
  if (!user) {
    response.body = "{\"uid\":null}";
    return response;
  }
  if (user->refused) {
    response.body = "0";
    return response;
  }
  // The keys the terminal searches for come first, so that no other key
  // ending in "password" or "uid" stands before them.
  response.body = "{\"uid\":\"" + std::to_string(user->uid) + "\",\"pclogged\":\"" +
                  std::to_string(user->pclogged) + "\",\"salt\":\"" + user->salt +
                  "\",\"password\":\"" + LoginPasswordHash(user->password, user->salt) +
                  "\",\"cellsure\":\"" + (user->phoneBound ? "1" : "0") +
                  "\",\"timenow\":" + std::to_string(Now()) + ",\"username\":\"" + user->name + "\"}";
  return response;
}

HttpResponse Accounts::HandleActiveIp(const HttpRequest&) {
  HttpResponse response;
  response.contentType = "application/json; charset=utf-8";
  std::lock_guard<std::mutex> hold(mutex_);
  std::string body = "[";
  for (size_t i = 0; i < activeIps_.size(); ++i) {
    if (i > 0) body += ",";
    // "ip" is never the last key: the terminal reads up to the quote-comma.
    body += "{\"ip\":\"" + activeIps_[i] + "\",\"n\":" + std::to_string(i + 1) + "}";
  }
  response.body = body + "]";
  return response;
}

HttpResponse Accounts::HandleUserModify(const HttpRequest& request) {
  HttpResponse response;
  long long pclogged = 0;
  std::lock_guard<std::mutex> hold(mutex_);
  AccountUser* user = FindLocked(QueryValue(request.rawPath, "username"));
  if (QueryValue(request.rawPath, "ac") == "user_modify" && user &&
      ParseDecimal(QueryValue(request.rawPath, "pclogged"), 0, INT32_MAX, &pclogged)) {
    user->pclogged = static_cast<int32_t>(pclogged);
    response.body = "1";
  } else {
    response.body = "0";
  }
  return response;
}

HttpResponse Accounts::HandlePasswordChange(const HttpRequest& request) {
  HttpResponse response;
  response.contentType = "application/json; charset=utf-8";
  // Passwords come escaped with "+" for a blank.
  const auto value = [&](const char* key) { return QueryValue(request.rawPath, key, true); };
  std::lock_guard<std::mutex> hold(mutex_);
  AccountUser* user = FindLocked(QueryValue(request.rawPath, "username"));
  const std::string newPassword = value("newpassword");
  if (QueryValue(request.rawPath, "ac") != "password" || !user || newPassword.empty()) {
    response.body = "{\"result\":false}";
  } else if (value("password") != user->password) {
    response.body = "{\"wrong_password\":true}";
  } else {
    user->password = newPassword;
    response.body = "{\"result\":true}";
  }
  return response;
}

HttpResponse Accounts::HandleRegisterPage(const HttpRequest&) {
  HttpResponse response;
  response.contentType = "text/html; charset=gbk";
  response.body =
      "<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>注册新用户</title></head><body>"
      "<h1>注册新用户</h1><form method=\"get\" action=\"/account/register\">"
      "<p>用户名: <input name=\"username\"></p><p>密码: <input name=\"password\" type=\"password\"></p>"
      "<p>手机号码: <input name=\"phone\"></p><p><input type=\"submit\" value=\"注册\"></p>"
      "</form></body></html>";
  return response;
}

std::vector<WatchItem> Accounts::WatchList(int32_t uid) const {
  std::lock_guard<std::mutex> hold(mutex_);
  const auto it = lists_.find(uid);
  return it == lists_.end() ? std::vector<WatchItem>() : it->second;
}

bool Accounts::AddStock(int32_t uid, uint32_t stockId) {
  std::lock_guard<std::mutex> hold(mutex_);
  const auto it = lists_.find(uid);
  if (it == lists_.end() || stockId == 0) return false;
  for (const WatchItem& item : it->second) {
    if (item.stockId == stockId) return false;
  }
  it->second.push_back({stockId, Now()});
  return true;
}

bool Accounts::RemoveStock(int32_t uid, uint32_t stockId) {
  std::lock_guard<std::mutex> hold(mutex_);
  const auto it = lists_.find(uid);
  if (it == lists_.end()) return false;
  for (auto item = it->second.begin(); item != it->second.end(); ++item) {
    if (item->stockId == stockId) {
      it->second.erase(item);
      return true;
    }
  }
  return false;
}

HttpResponse Accounts::HandleWatchList(const HttpRequest& request) {
  HttpResponse response;
  response.contentType = "application/json; charset=utf-8";
  long long uid = 0;
  const bool knownUid = ParseDecimal(QueryValue(request.rawPath, "uid"), INT32_MIN, INT32_MAX, &uid);
  const std::string action = QueryValue(request.rawPath, "ac");
  if (action == "create" || action == "delete") {
    long long sn = 0;
    // The terminal sends the StockId word as a signed decimal.
    bool done = knownUid && ParseDecimal(QueryValue(request.rawPath, "sn"), INT32_MIN, UINT32_MAX, &sn);
    if (done) {
      const uint32_t id = static_cast<uint32_t>(sn);
      done = action == "create" ? AddStock(static_cast<int32_t>(uid), id) : RemoveStock(static_cast<int32_t>(uid), id);
    }
    response.body = done ? "{\"result\":true}" : "{\"result\":false}";
    return response;
  }
  if (!knownUid || QueryValue(request.rawPath, "hash") != WatchListHash(static_cast<int32_t>(uid))) {
    response.body = "[]";
    return response;
  }
  std::string body = "[";
  for (const WatchItem& item : WatchList(static_cast<int32_t>(uid))) {
    if (body.size() > 1) body += ",";
    body += "{\"stockid\":\"" + std::to_string(item.stockId) + "\",\"timeline\":\"" +
            std::to_string(item.timeline) + "\"}";
  }
  response.body = body + "]";
  return response;
}

void Accounts::Register(HttpServer& server) {
  server.Route(kWatchListPath, [this](const HttpRequest& request) { return HandleWatchList(request); });
  server.Route("/api/login.html", [this](const HttpRequest& request) { return HandleLogin(request); });
  server.Route("/api/activeip", [this](const HttpRequest& request) { return HandleActiveIp(request); });
  server.Route("/post.html", [this](const HttpRequest& request) { return HandleUserModify(request); });
  server.Route("/account.html", [this](const HttpRequest& request) { return HandlePasswordChange(request); });
  server.Route("/account/register", [this](const HttpRequest& request) { return HandleRegisterPage(request); });
}

}  // namespace kiv::standin
