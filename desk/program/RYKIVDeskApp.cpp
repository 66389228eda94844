#include "desk/program/RYKIVDeskApp.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "data/Congfig.h"
#include "data/GlobalObjects.h"
#include "data/ServerConfig.h"
#include "desk/program/RoomMakers.h"
#include "desk/startup/StoredServers.h"
#include "desk/startup/UserConfigFile.h"
#include "platform/backend/SdlDisplay.h"
#include "platform/core/WinUser.h"
#include "platform/sys/AtomicFile.h"
#include "platform/sys/Files.h"
#include "platform/sys/SingleInstance.h"
#include "platform/sys/Trace.h"
#include "platform/sys/TrayIcon.h"
#include "platform/ui/TrayIconWindow.h"
#include "res/ResourceTables.h"
#include "shell/KivUiScale.h"
#include "shell/KivUiTheme.h"
#include "shell/Kiv_Dlg_Login.h"
#include "shell/desk/DeskEnvironment.h"
#include "shell/desk/RYKIVDeskDlg.h"
#include "shell/login/WebLogin.h"

namespace {

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string(".");
}

// Copies a text into a fixed record field, cut to leave its terminator.
template <size_t N>
void CopyField(char (&field)[N], const std::string& text) {
  std::memset(field, 0, N);
  std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

// The callback messages of the tray icons reach their windows as posts, as
// the desktop's tray sends them.
void PostTrayMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ::PostMessage(window, message, wParam, lParam);
}

}  // namespace

std::string CRYKIVDeskApp::PrepareUserFolders(const std::string& userName) {
  // A folder that exists already, or cannot be made, is no reason to stop:
  // the configuration store says what it cannot open.
  const std::string data = CurrentFolder() + "/Data";
  kiv::CreateFolders(kiv::NativePath(data), 0755);
  const std::string config = data + "/Config/";
  kiv::CreateFolders(kiv::NativePath(config), 0755);
  return config + UserConfigFileName(userName);
}

BOOL CRYKIVDeskApp::InitInstance() {
  // One running copy per user. A second start asks the first to come
  // forward and ends; before the first has its main window the request is
  // refused, and the second simply ends.
  kiv::SingleInstance instance(kInstanceName);
  switch (instance.Acquire()) {
    case kiv::SingleInstance::Role::kSecond:
      kiv::SendRaiseToInstance(kInstanceName);
      ended_ = Ending::kSecondStart;
      return FALSE;
    case kiv::SingleInstance::Role::kFailed:
      KivTrace("single instance unavailable: running without it\n");
      break;
    case kiv::SingleInstance::Role::kFirst:
      break;
  }

  // The global objects, at this one place (the network service's I/O
  // thread and the server-list thread start here).
  kiv::KivGlobalObjects globals;

  kiv::UseBestDisplay();
  kiv::res::UseDeskResources();
  KivUiScale scale;
  SetUiScale(&scale);

  // Login: anything but OK ends the program, before any folder is made.
  auto login = std::make_unique<CKiv_Dlg_Login>(globals.Config(), globals.Net());
  if (login->DoModal() != IDOK) {
    globals.Shutdown();
    JoinLoginThreads();
    login.reset();
    SetUiScale(nullptr);
    ended_ = Ending::kLoginEnded;
    return FALSE;
  }
  const std::string userName = login->m_strLoginName;
  const std::string password = login->m_strPassword;

  // The user's configuration store, with the login record in it.
  CCongfig& config = globals.Config();
  const std::string configPath = PrepareUserFolders(userName);
  if (config.Load(configPath, "KivDeskConfig." + userName) == 1) {
    LoginRecord record;
    CopyField(record.userName, userName);
    CopyField(record.password, password);
    config.SetLoginRecord(record);
  }

  // The stored market-data servers, current first, on the configured port.
  CNetService& net = globals.Net();
  HandStoredServers(config, GetServerConfig().marketPort,
                    [&net](const std::string& host, uint16_t port, const std::string& label) {
                      return net.AddServer(host, port, label);
                    });

  // The theme: written once, before the main dialog, then only read.
  globals.Stocks().Clear();
  WriteUiTheme();

  // The windows of the rooms above the shell, which only the program sees.
  RegisterRoomMakers(GetShellPlugins(), globals);

  // The tray: icons on the screen, their callbacks posted to their windows.
  kiv::SetTrayMessageSink(PostTrayMessage);
  kiv::ui::ShowTrayIconsOnScreen();

  DeskEnvironment environment;
  environment.globals = &globals;
  environment.instance = &instance;
  environment.systemIniPath = "system.ini";
  SetDeskEnvironment(environment);

  auto dialog = std::make_unique<CRYKIVDeskDlg>();
  dialog->DoModal();
  ended_ = Ending::kMainDialogEnded;

  // Nothing runs on another thread from here on.
  globals.Shutdown();
  JoinLoginThreads();
  // Every window, then the globals (reverse order, at the end of scope).
  if (::IsWindow(dialog->m_hWnd)) dialog->DestroyWindow();
  dialog.reset();
  login.reset();
  kiv::ui::StopShowingTrayIcons();
  kiv::SetTrayMessageSink(nullptr);
  SetDeskEnvironment(DeskEnvironment());
  SetUiScale(nullptr);
  return FALSE;
}
