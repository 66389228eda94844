// Who is logged in, for the rest of the run: the user id the account service
// answered (sent to the market-data servers, signs the watch-list requests),
// and the name and password the user logged in with (the password change
// checks and replaces the password).
//
// Written once per login: the user id by the login worker before it posts
// its success, the name and password by the login dialog on the UI thread
// when it handles that success; the password again by the password change,
// on the UI thread. Readers on other threads read the user id only, and only
// after the success message has been handled.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

extern std::atomic<int32_t> g_LoginUserId;
extern std::string g_LoginUserName;  // GBK
extern std::string g_LoginPassword;  // GBK
