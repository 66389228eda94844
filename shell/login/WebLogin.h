// The web login: the check of a user's name and password against the
// account service, which the login dialog runs on a worker thread, and the
// active-IP announcement that follows a successful check.
//
// The service answers with a JSON object that the terminal does not parse:
// it looks for fixed key patterns, each the first time it occurs, and reads
// the value after it (ScanLoginReply). The reply is only trusted as far as
// its bytes go: every value is bounded (salt 15 characters, password digest
// 32), and a reply that lacks what the check needs fails the login.
//
// Ownership and threads: the dialog fills a WebLoginJob on the UI thread
// (copies of the name, the password and the hosts, its window handle) and
// hands it to StartLoginThread. The worker owns the job, touches nothing of
// the dialog and answers only by posting one message to the handle, which
// goes nowhere once the dialog is destroyed. It writes the logged-in user
// id and the configuration store (server time, active-IP records), so
// start-up calls JoinLoginThreads before the store and the globals go. The
// scanners are pure functions, callable from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/post/Posting.h"
#include "platform/sys/WinTypes.h"

class CCongfig;

// What a login reply says.
enum class LoginVerdict {
  kFailed,     // refused, malformed, or the password digest does not match
  kBindPhone,  // checked, but the account has no phone number bound
  kAccepted,
};

struct LoginReplyScan {
  LoginVerdict verdict = LoginVerdict::kFailed;
  int32_t uid = 0;         // the reply's "uid" value, once it was read
  int64_t serverTime = 0;  // "timenow", seconds since 1970, once read
  int32_t pclogged = 0;    // the digits of "pclogged" (0 when none)
};

// Limits of the reply's values, in bytes.
constexpr size_t kMaxLoginSalt = 15;
constexpr size_t kMaxLoginDigest = 32;
// The configuration store's address field holds 39 bytes and its zero.
constexpr size_t kMaxActiveIpAddress = 39;

// Scans a login reply (GBK, converted from the service's UTF-8) for the
// password typed (GBK bytes). The reply is accepted when it names a user
// ("uid":"<digits>), a salt of at most 15 bytes and a digest of at most 32
// that equals MD5hex(MD5hex(password) + salt) exactly, the server time, and
// whether a phone is bound ("cellsure"). Without a "cellsure" value the
// login fails. pclogged: the first run of digits between its pattern and
// the next ',' (numbers beyond 32 bits stop at INT32_MAX).
LoginReplyScan ScanLoginReply(const std::string& reply, const std::string& typedPassword);

// The market-data server addresses of an active-IP reply, in reply order:
// the text between each "ip":" and the next ", after it, each search going
// on after the previous pattern. The scan ends at the third address, at a
// pattern without a value (missing, or empty), or at an address longer than
// kMaxActiveIpAddress bytes; what it found before stays.
std::vector<std::string> ScanActiveIps(const std::string& reply);

// The request URL of a login: the name and the password escaped as form
// values (UrlEscape). authority is "host[:port]".
std::string LoginUrl(const std::string& authority, const std::string& userName, const std::string& password);

// Everything a login worker needs, copied on the UI thread.
struct WebLoginJob {
  HWND hwnd = nullptr;           // the login dialog: the result is posted here
  std::string userName;          // GBK, as typed
  std::string password;          // GBK
  std::string webAuthority;      // the account web host: login
  std::string rootAuthority;     // the account root host: active IP
  CCongfig* config = nullptr;    // server time and active-IP records; may be null
};

// Announces the client to the account service and stores the addresses it
// answers: the first two as server records 1 and 2 ("上海电信一",
// "上海联通二"), the third as the auxiliary record. 1 when all three came,
// else 0; what was stored before a failure stays. A closed store keeps
// nothing.
int ActivateServerIps(const std::string& rootAuthority, CCongfig* config);

// The login worker's body (AfxBeginThread; param: a heap WebLoginJob, freed
// here). Posts exactly one of WM_KIV_LOGIN_FAILED (wParam kLoginRejected or
// kLoginUnreachable), WM_KIV_LOGIN_BIND_PHONE or WM_KIV_LOGIN_OK (wParam
// pclogged) to job->hwnd; nothing for an empty user name. On acceptance it
// sets g_LoginUserId and the store's server time and runs ActivateServerIps
// before it posts. A service that cannot be reached, or answers with an
// error status, fails the login without the active-IP query.
UINT LoginThread(void* param);

// Starts LoginThread on a worker thread, kept track of for JoinLoginThreads.
// False (the job freed) when no thread could be started.
bool StartLoginThread(std::unique_ptr<WebLoginJob> job);

// The report that the user has accepted the risk disclosure, on the account
// API host ("host[:port]"): the name as UTF-8, percent-encoded; pclogged as
// the account's new value; pclogtime in seconds since 1970 (low 32 bits).
// Grows with its values.
std::string UserModifyUrl(const std::string& apiAuthority, const std::string& userName, int32_t pclogged,
                          uint32_t pclogtime);
// Sends a report URL on a worker thread, kept track of for
// JoinLoginThreads; its answer and any failure are ignored.
bool StartUserReport(std::string url);

// Waits for every login worker and report started so far to end. Start-up
// calls it after the login dialog has gone and before the configuration
// store and the globals are released. Each worker's HTTP exchanges end
// within the client's time-outs.
void JoinLoginThreads();
