// Shared fixture of the account tests: the shell's headless screen, clock,
// table and theme (ShellWindowTest), the stand-in started in this process
// with the account service on its HTTP port, the program's settings pointed
// at it, the login settings in a registry file of the test's own, and the
// login globals cleared.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/RegistrySettings.h"
#include "data/ServerConfig.h"
#include "platform/sys/Registry.h"
#include "shell/login/LoginGlobals.h"
#include "shell/login/WebLogin.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/market/Accounts.h"
#include "tools/standin/serve/HttpServer.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {

// The stand-in's clock: 2024-03-15 10:30 in Beijing.
constexpr int64_t kAccountNow = 1710469800;

class AccountTest : public ShellWindowTest {
 protected:
  void SetUp() override {
    ShellWindowTest::SetUp();
    SetRegistryFileForTesting(scratch_.File("registry.ini").c_str());
    g_LoginUserId = 0;
    g_LoginUserName.clear();
    g_LoginPassword.clear();
    standin::StandinOptions options;
    options.fixedNowUtc = kAccountNow;
    server_ = std::make_unique<standin::StandinServer>(options);
    ASSERT_TRUE(server_->Start()) << server_->LastError();
    ServerConfig config;
    config.accountWebHost = config.accountApiHost = config.accountRootHost = config.webHost = Authority();
    SetServerConfig(config);
  }
  void TearDown() override {
    JoinLoginThreads();
    ShellWindowTest::TearDown();
    server_->Stop();
    SetServerConfig(ServerConfig());
    SetRegistryFileForTesting(nullptr);
  }

  std::string Authority() const { return "127.0.0.1:" + std::to_string(server_->HttpPort()); }
  standin::HttpServer& Http() { return server_->Http(); }

  // Answers every request to paths beginning with prefix with body
  // (UTF-8), and keeps the raw paths asked for.
  void Craft(const std::string& prefix, const std::string& body) {
    Http().Route(prefix, [body](const standin::HttpRequest&) {
      standin::HttpResponse response;
      response.body = body;
      return response;
    });
  }
  // The raw paths the HTTP port received that begin with prefix.
  std::vector<std::string> Requested(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& path : server_->Http().RequestedPaths()) {
      if (path.rfind(prefix, 0) == 0) found.push_back(path);
    }
    return found;
  }

  std::string Setting(const char* name) {
    char buffer[kSettingBufferSize] = {0};
    return RegReadSetting(name, buffer) ? std::string(buffer) : std::string("<absent>");
  }

  ScratchFolder scratch_{"account"};
  std::unique_ptr<standin::StandinServer> server_;
};

}  // namespace kiv::test
