#include "shell/login/LoginGlobals.h"

std::atomic<int32_t> g_LoginUserId{0};
std::string g_LoginUserName;
std::string g_LoginPassword;
