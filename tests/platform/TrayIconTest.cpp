#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "platform/sys/TrayIcon.h"

namespace {

HWND Window(uintptr_t n) { return reinterpret_cast<HWND>(n); }

class TrayIconTest : public ::testing::Test {
 protected:
  void SetUp() override { kiv::ResetTrayForTesting(); }
  void TearDown() override {
    kiv::ResetTrayForTesting();
    kiv::SetDisplayHasTray(false);
  }
  static NOTIFYICONDATAA Data(HWND window, UINT id, UINT flags, UINT message, const char* tip) {
    NOTIFYICONDATAA data;
    data.hWnd = window;
    data.uID = id;
    data.uFlags = flags;
    data.uCallbackMessage = message;
    std::strncpy(data.szTip, tip, sizeof data.szTip - 1);
    return data;
  }
};

TEST_F(TrayIconTest, RecordsAddModifyAndDeleteByWindowAndId) {
  std::vector<std::pair<DWORD, std::string>> seen;
  kiv::SetTrayObserverForTesting([&](DWORD message, const kiv::TrayIconRecord& icon) {
    seen.emplace_back(message, icon.tip);
  });
  NOTIFYICONDATAA add = Data(Window(8), 102, NIF_MESSAGE | NIF_ICON | NIF_TIP, 0x9EA, "");
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &add));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &add)) << "the same window and id twice";
  NOTIFYICONDATAA other = Data(Window(9), 102, NIF_TIP, 0, "x");
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &other)) << "same id, other window";

  // Only the fields the flags name change.
  NOTIFYICONDATAA tip = Data(Window(8), 102, NIF_TIP, 0x1234, "\xB7\xAD\xCF\xAA");
  EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &tip));
  auto icons = kiv::TrayIcons();
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(icons[0].callbackMessage, 0x9EAu);
  EXPECT_EQ(icons[0].tip, "\xB7\xAD\xCF\xAA");

  NOTIFYICONDATAA gone = Data(Window(8), 103, 0, 0, "");
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &gone));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &gone));
  EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &add));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &add));
  EXPECT_EQ(kiv::TrayIcons().size(), 1u);
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, nullptr));
  EXPECT_FALSE(Shell_NotifyIconA(7, &add));

  EXPECT_EQ(seen, (std::vector<std::pair<DWORD, std::string>>{{NIM_ADD, ""},
                                                              {NIM_ADD, "x"},
                                                              {NIM_MODIFY, "\xB7\xAD\xCF\xAA"},
                                                              {NIM_DELETE, "\xB7\xAD\xCF\xAA"}}));
}

TEST_F(TrayIconTest, AnUnterminatedTipIsCutToItsBuffer) {
  NOTIFYICONDATAA data = Data(Window(8), 1, NIF_TIP, 0, "");
  std::memset(data.szTip, 'a', sizeof data.szTip);
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_EQ(kiv::TrayIcons()[0].tip, std::string(sizeof data.szTip, 'a'));
}

TEST_F(TrayIconTest, MouseEventsReachTheWindowAsItsCallbackMessage) {
  std::vector<std::tuple<HWND, UINT, WPARAM, LPARAM>> posted;
  kiv::SetTrayMessageSink([&](HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    posted.emplace_back(window, message, wParam, lParam);
  });
  NOTIFYICONDATAA withMessage = Data(Window(8), 102, NIF_MESSAGE, 0x9EA, "");
  NOTIFYICONDATAA withoutMessage = Data(Window(8), 103, NIF_TIP, 0, "");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &withMessage));
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &withoutMessage));
  const UINT kRightButtonDown = 0x0204;
  EXPECT_TRUE(kiv::TrayIconEvent(Window(8), 102, kRightButtonDown));
  EXPECT_FALSE(kiv::TrayIconEvent(Window(8), 103, kRightButtonDown)) << "no callback message";
  EXPECT_FALSE(kiv::TrayIconEvent(Window(8), 104, kRightButtonDown)) << "no such icon";
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(posted[0], std::make_tuple(Window(8), 0x9EAu, WPARAM{102}, LPARAM{kRightButtonDown}));
}

TEST_F(TrayIconTest, ThereIsNoTrayUntilTheDisplaySaysSo) {
  EXPECT_FALSE(kiv::DisplayHasTray());
  kiv::SetDisplayHasTray(true);
  EXPECT_TRUE(kiv::DisplayHasTray());
}

}  // namespace
