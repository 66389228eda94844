#include "shell/login/WebLogin.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string_view>
#include <utility>

#include "data/Congfig.h"
#include "data/HttpClient.h"
#include "data/Md5Digest.h"
#include "data/TextConvert.h"
#include "data/UrlEncodeUtf8.h"
#include "data/UrlEscape.h"
#include "platform/sys/GbkText.h"
#include "platform/sys/KernelObjects.h"
#include "platform/sys/Thread.h"
#include "shell/AccountIds.h"
#include "shell/login/AnsiToUtf8.h"
#include "shell/login/LoginGlobals.h"

namespace {

// Patterns of the login reply, exact bytes.
constexpr std::string_view kLoginNullUid = "uid\":null";
constexpr std::string_view kLoginUid = "uid\":\"";
constexpr std::string_view kLoginSalt = "salt\":\"";
constexpr std::string_view kLoginDigest = "password\":\"";
constexpr std::string_view kLoginTimeNow = "timenow\":";
constexpr std::string_view kLoginCellSure = "cellsure\":\"";
constexpr std::string_view kLoginPcLogged = "pclogged\":\"";
// Patterns of the active-IP reply.
constexpr std::string_view kActiveIpPattern = "\"ip\":\"";
constexpr std::string_view kActiveIpEnd = "\",";

constexpr size_t kLoginNotFound = std::string_view::npos;

// The first occurrence of pattern that starts on a character of the GBK
// text at or after `from` (itself the start of a character): a match never
// begins on the trail byte of a double-byte character.
size_t LoginFindOnCharacter(std::string_view text, std::string_view pattern, size_t from = 0) {
  if (pattern.empty() || pattern.size() > text.size()) return kLoginNotFound;
  for (size_t i = from; i + pattern.size() <= text.size(); ++i) {
    if (text.compare(i, pattern.size(), pattern) == 0) return i;
    if (kiv::IsGbkLeadByte(static_cast<unsigned char>(text[i]))) ++i;
  }
  return kLoginNotFound;
}

// A decimal number at the start of text as atoi reads it (blanks, a sign,
// digits), held at the type's limits instead of overflowing.
int64_t LoginReadDecimal(std::string_view text, int64_t lowest, int64_t highest) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    if (negative) {
      value = value < (lowest + digit) / 10 ? lowest : value * 10 - digit;
    } else {
      value = value > (highest - digit) / 10 ? highest : value * 10 + digit;
    }
  }
  return value;
}

// The quoted value after a pattern found at `at`: up to the next '"', at
// most maxLength bytes. False when there is no closing quote or the value
// is longer.
bool LoginQuotedValue(std::string_view reply, size_t at, size_t patternLength, size_t maxLength, std::string* value) {
  const size_t start = at + patternLength;
  const size_t end = kiv::FindCharGbk(reply, '"', start);
  if (end == kLoginNotFound || end - start > maxLength) return false;
  value->assign(reply.substr(start, end - start));
  return true;
}

std::string LoginMd5Hex(const std::string& text) {
  CMd5Digest digest;
  digest.Compute(text.data(), text.size());
  return digest.ToHex();
}

// The login workers started so far, for JoinLoginThreads.
std::mutex g_loginThreadsMutex;
std::vector<CWinThreadPtr> g_loginThreads;

}  // namespace

LoginReplyScan ScanLoginReply(const std::string& replyText, const std::string& typedPassword) {
  const std::string_view reply(replyText);
  LoginReplyScan scan;
  if (reply.empty() || reply == "0") return scan;
  if (LoginFindOnCharacter(reply, kLoginNullUid) != kLoginNotFound) return scan;

  // Each pattern must leave room for its value: the Part's lengths count
  // from the pattern's start to the end of the reply.
  const size_t uidAt = LoginFindOnCharacter(reply, kLoginUid);
  if (uidAt == kLoginNotFound || reply.size() - uidAt < kLoginUid.size() + 1) return scan;
  const int32_t uid =
      static_cast<int32_t>(LoginReadDecimal(reply.substr(uidAt + kLoginUid.size()), INT32_MIN, INT32_MAX));

  std::string salt;
  const size_t saltAt = LoginFindOnCharacter(reply, kLoginSalt);
  if (saltAt == kLoginNotFound || !LoginQuotedValue(reply, saltAt, kLoginSalt.size(), kMaxLoginSalt, &salt)) {
    return scan;
  }

  std::string digest;
  const size_t digestAt = LoginFindOnCharacter(reply, kLoginDigest);
  if (digestAt == kLoginNotFound ||
      !LoginQuotedValue(reply, digestAt, kLoginDigest.size(), kMaxLoginDigest, &digest)) {
    return scan;
  }
  if (LoginMd5Hex(LoginMd5Hex(typedPassword) + salt) != digest) return scan;

  const size_t timeAt = LoginFindOnCharacter(reply, kLoginTimeNow);
  if (timeAt == kLoginNotFound || reply.size() - timeAt <= kLoginTimeNow.size()) return scan;
  const int64_t serverTime = LoginReadDecimal(reply.substr(timeAt + kLoginTimeNow.size()), INT64_MIN, INT64_MAX);

  // Without the phone flag the reply does not say whether the account may
  // be used: a failed login, not an unchecked one.
  const size_t cellAt = LoginFindOnCharacter(reply, kLoginCellSure);
  if (cellAt == kLoginNotFound || reply.size() - cellAt <= kLoginCellSure.size()) return scan;
  scan.uid = uid;
  scan.serverTime = serverTime;
  if (reply[cellAt + kLoginCellSure.size()] == '0') {
    scan.verdict = LoginVerdict::kBindPhone;
    return scan;
  }

  scan.verdict = LoginVerdict::kAccepted;
  const size_t loggedAt = LoginFindOnCharacter(reply, kLoginPcLogged);
  if (loggedAt != kLoginNotFound && reply.size() - loggedAt > 12) {
    const size_t comma = kiv::FindCharGbk(reply, ',', loggedAt);
    const std::string_view field = reply.substr(loggedAt, comma == kLoginNotFound ? kLoginNotFound : comma - loggedAt);
    const size_t digit = field.find_first_of("0123456789");
    if (digit != kLoginNotFound) {
      scan.pclogged = static_cast<int32_t>(LoginReadDecimal(field.substr(digit), 0, INT32_MAX));
    }
  }
  return scan;
}

std::vector<std::string> ScanActiveIps(const std::string& replyText) {
  std::vector<std::string> addresses;
  std::string_view rest(replyText);
  while (addresses.size() < 3) {
    const size_t at = LoginFindOnCharacter(rest, kActiveIpPattern);
    if (at == kLoginNotFound) break;
    rest = rest.substr(at + kActiveIpPattern.size());
    const size_t end = LoginFindOnCharacter(rest, kActiveIpEnd);
    if (end == kLoginNotFound || end == 0 || end > kMaxActiveIpAddress) break;
    addresses.emplace_back(rest.substr(0, end));
  }
  return addresses;
}

std::string LoginUrl(const std::string& authority, const std::string& userName, const std::string& password) {
  return "http://" + authority + kLoginPath + UrlEscapeText(userName) + "&password=" +
         UrlEscapeText(password);
}

int ActivateServerIps(const std::string& rootAuthority, CCongfig* config) {
  std::string reply;
  DWORD error = 0;
  if (!HttpGetText("http://" + rootAuthority + kActiveIpPath + kActiveIpToken, nullptr, reply, error)) return 0;
  ConvertCodePage(reply, false);
  const std::vector<std::string> addresses = ScanActiveIps(reply);
  static const char* const kLabels[] = {"上海电信一", "上海联通二", ""};
  for (size_t i = 0; i < addresses.size(); ++i) {
    ServerRecord record{};
    std::memcpy(record.address, addresses[i].data(), addresses[i].size());  // at most 39 bytes
    std::strncpy(record.label, kLabels[i], sizeof record.label - 1);
    if (config == nullptr) continue;
    if (i < 2) {
      config->SetServer(record, static_cast<int>(i) + 1);
    } else {
      config->SetAuxServer(record);
    }
  }
  return addresses.size() == 3 ? 1 : 0;
}

UINT LoginThread(void* param) {
  std::unique_ptr<WebLoginJob> job(static_cast<WebLoginJob*>(param));
  if (!job || job->userName.empty()) return 0;
  std::string reply;
  DWORD error = 0;
  if (!HttpGetText(LoginUrl(job->webAuthority, job->userName, job->password), nullptr, reply, error)) {
    ::PostMessage(job->hwnd, WM_KIV_LOGIN_FAILED, kLoginUnreachable, 0);
    return 0;
  }
  ConvertCodePage(reply, false);
  const LoginReplyScan scan = ScanLoginReply(reply, job->password);
  switch (scan.verdict) {
    case LoginVerdict::kFailed:
      ::PostMessage(job->hwnd, WM_KIV_LOGIN_FAILED, kLoginRejected, 0);
      return 0;
    case LoginVerdict::kBindPhone:
      ::PostMessage(job->hwnd, WM_KIV_LOGIN_BIND_PHONE, 0, 0);
      return 0;
    case LoginVerdict::kAccepted:
      break;
  }
  // Set before the success is posted: the dialog reads them once it has it.
  g_LoginUserId = scan.uid;
  if (job->config != nullptr) job->config->SetServerTime(scan.serverTime);
  ActivateServerIps(job->rootAuthority, job->config);
  ::PostMessage(job->hwnd, WM_KIV_LOGIN_OK, static_cast<WPARAM>(scan.pclogged), 0);
  return 0;
}

namespace {

// A report's worker (param: a heap std::string, the URL, freed here).
UINT UserReportThread(void* param) {
  std::unique_ptr<std::string> url(static_cast<std::string*>(param));
  std::string reply;
  DWORD error = 0;
  HttpGetText(*url, nullptr, reply, error);
  return 0;
}

// Starts proc(param) and keeps the thread for JoinLoginThreads. False when
// no thread could be started (param is then the caller's still).
bool StartTrackedThread(AFX_THREADPROC proc, void* param) {
  std::lock_guard<std::mutex> hold(g_loginThreadsMutex);
  CWinThreadPtr thread = AfxBeginThread(proc, param);
  if (!thread) return false;
  // Workers that have ended need no join: drop them, so the list stays short.
  for (auto it = g_loginThreads.begin(); it != g_loginThreads.end();) {
    DWORD code = 0;
    if (GetExitCodeThread((*it)->m_hThread, &code) && code != STILL_ACTIVE) {
      it = g_loginThreads.erase(it);
    } else {
      ++it;
    }
  }
  g_loginThreads.push_back(std::move(thread));
  return true;
}

}  // namespace

bool StartLoginThread(std::unique_ptr<WebLoginJob> job) {
  if (!StartTrackedThread(LoginThread, job.get())) return false;  // the job goes with the unique_ptr
  job.release();  // the thread's now
  return true;
}

std::string UserModifyUrl(const std::string& apiAuthority, const std::string& userName, int32_t pclogged,
                          uint32_t pclogtime) {
  const std::string utf8 = AnsiToUtf8(userName);
  std::string name;
  UrlEncodeUtf8(name, utf8.data(), static_cast<int>(utf8.size()));
  return "http://" + apiAuthority + kUserModifyPath + name + "&pclogged=" + std::to_string(pclogged) +
         "&pclogtime=" + std::to_string(pclogtime);
}

bool StartUserReport(std::string url) {
  auto param = std::make_unique<std::string>(std::move(url));
  if (!StartTrackedThread(UserReportThread, param.get())) return false;
  param.release();  // the thread's now
  return true;
}

void JoinLoginThreads() {
  std::vector<CWinThreadPtr> threads;
  {
    std::lock_guard<std::mutex> hold(g_loginThreadsMutex);
    threads.swap(g_loginThreads);
  }
  for (const CWinThreadPtr& thread : threads) WaitForSingleObject(thread->m_hThread, INFINITE);
}
