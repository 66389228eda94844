// kivdesk_settings: pre-fills the terminal's login dialog. It writes the
// login settings through the same registry store the dialog reads (SaveKey,
// UserName, PassWord, AutoLogin under Software\Moravel\KivDesk, in
// $XDG_CONFIG_HOME), as the dialog itself leaves them after a login with
// "记住密码" ticked:
//
//   kivdesk_settings --user ry0001 --password 123456 [--auto]
//
// --auto also ticks "自动登录", so the dialog logs in by itself three
// seconds after it opens. Exit status 0 when every value was written, 1
// when the store could not be written, 2 for a wrong command line (nothing
// written).
#include <cstdio>
#include <cstring>
#include <string>

#include "data/RegistrySettings.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: kivdesk_settings --user NAME --password TEXT [--auto]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string user;
  std::string password;
  bool haveUser = false;
  bool havePassword = false;
  bool autoLogin = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--auto") {
      autoLogin = true;
    } else if ((arg == "--user" || arg == "--password") && i + 1 < argc) {
      (arg == "--user" ? user : password) = argv[++i];
      (arg == "--user" ? haveUser : havePassword) = true;
    } else {
      return Usage();
    }
  }
  // The dialog reads each value into a buffer of kSettingBufferSize bytes
  // and refuses one that does not fit: refuse it here, where it is typed.
  if (!haveUser || !havePassword || user.empty() || user.size() >= static_cast<size_t>(kSettingBufferSize) ||
      password.size() >= static_cast<size_t>(kSettingBufferSize)) {
    return Usage();
  }
  const bool written = RegWriteSetting("SaveKey", "1") == 1 && RegWriteSetting("UserName", user.c_str()) == 1 &&
                       RegWriteSetting("PassWord", password.c_str()) == 1 &&
                       RegWriteSetting("AutoLogin", autoLogin ? "1" : "0") == 1;
  if (!written) {
    std::fprintf(stderr, "kivdesk_settings: the settings store could not be written\n");
    return 1;
  }
  return 0;
}
