// Accounts: the stand-in's fixed users and their watch lists.
//
// Users (name / password, uid), login names compared without regard to case:
//   ry0001 / 123456   10001   normal (pclogged 12)
//   ry0002 / 123456   10002   must read the risk disclosure (pclogged 10)
//   ry0003 / 123456   10003   phone not bound (cellsure 0)
//   ry0004 / 123456   10004   always refused
//
// Watch lists are kept per uid for the life of the process; every user
// starts with 600000 (Shanghai), 000002 and 300750 (Shenzhen). The web
// service of the watch list:
//
//   GET /api/istock/jdata?uid=U&hash=H          the list, a JSON array of
//       {"stockid":"<StockId word>","timeline":"<epoch seconds added>"}
//       (H = MD5 hex of "uid=U&key=QWT48306"; a wrong hash or unknown uid
//       gets "[]")
//   GET /api/istock/jdata?ac=create&uid=U&sn=S   adds StockId word S
//   GET /api/istock/jdata?ac=delete&uid=U&sn=S   removes it
//
// create and delete answer {"result":true} or {"result":false}; the
// terminal ignores the answer and downloads the list again. Values may be
// percent-encoded (the terminal encodes the create URL).
//
// The account service, whose replies the terminal searches for byte
// patterns rather than parsing them:
//
//   GET /api/login.html?type=1&username=N&password=P   (N and P escaped as
//       form values: %XX, "+" for a blank)
//       {"uid":"10001","pclogged":"12","salt":"k3j9","password":"<H>",
//        "cellsure":"1","timenow":<epoch>,"username":"ry0001"}
//       H = MD5 hex of (MD5 hex of the user's password, then the salt): the
//       terminal compares it with what the typed password gives. Unknown
//       users get {"uid":null}, the refused user "0".
//   GET /api/activeip?source=client&hash=...
//       [{"ip":"A1","n":1},{"ip":"A2","n":2},{"ip":"A3","n":3}]
//   GET /post.html?ac=user_modify&username=N&pclogged=K&pclogtime=T
//       stores K for the user's next login; answers "1"
//   GET /account.html?ac=password&username=N&password=P&newpassword=Q
//       {"result":true} (changed), {"wrong_password":true}, or
//       {"result":false} for an empty new password
//   GET /account/register
//       the registration page, a small HTML page (GBK)
//
// Thread-safe: every operation takes the object's lock.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tools/standin/serve/HttpServer.h"

namespace kiv::standin {

constexpr const char* kWatchListPath = "/api/istock/jdata";
constexpr const char* kWatchListKey = "QWT48306";

struct AccountUser {
  std::string name;
  std::string password;
  int32_t uid = 0;
  int32_t pclogged = 12;
  std::string salt;
  bool phoneBound = true;
  bool refused = false;
};

struct WatchItem {
  uint32_t stockId = 0;  // the whole StockId word, market byte included
  int64_t timeline = 0;  // when it was added, seconds since 1970
};

// MD5 hex of "uid=<uid>&key=QWT48306": the hash the terminal sends.
std::string WatchListHash(int32_t uid);
// MD5 hex of (MD5 hex of password, then salt): the login reply's password.
std::string LoginPasswordHash(const std::string& password, const std::string& salt);

class Accounts {
 public:
  // `nowEpoch` stamps the default entries and every addition; 0 takes the
  // wall clock at each use.
  explicit Accounts(int64_t nowEpoch = 0);

  // Case-insensitive name; empty when unknown.
  std::optional<AccountUser> FindUser(const std::string& name) const;

  // The three addresses the active-IP query lists (market-data servers 1
  // and 2, then the auxiliary server).
  void SetActiveIps(const std::vector<std::string>& ips);

  std::vector<WatchItem> WatchList(int32_t uid) const;
  // False for an unknown uid, a zero word, or a stock already listed.
  bool AddStock(int32_t uid, uint32_t stockId);
  // False for an unknown uid or a stock not listed.
  bool RemoveStock(int32_t uid, uint32_t stockId);

  // The services described above.
  HttpResponse HandleWatchList(const HttpRequest& request);
  HttpResponse HandleLogin(const HttpRequest& request);
  HttpResponse HandleActiveIp(const HttpRequest& request);
  HttpResponse HandleUserModify(const HttpRequest& request);
  HttpResponse HandlePasswordChange(const HttpRequest& request);
  HttpResponse HandleRegisterPage(const HttpRequest& request);
  // Routes every path above on `server` to this object, which must outlive
  // the server's use of it.
  void Register(HttpServer& server);

 private:
  int64_t Now() const;

  AccountUser* FindLocked(const std::string& name);

  const int64_t fixedNow_;
  mutable std::mutex mutex_;
  std::vector<AccountUser> users_;
  std::vector<std::string> activeIps_;
  std::map<int32_t, std::vector<WatchItem>> lists_;
};

}  // namespace kiv::standin
