// The server-address strip, headless, against the network service: the
// label of the server in use beside the icon (and stored as the data
// server's label), following a change of server at the next repaint; the
// icon alone without a server; a plain strip without the icon; and a
// repaint 5 s after every paint on the virtual clock.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "net/BlockingSocket.h"
#include "net/NetService.h"
#include "net/NetTimings.h"
#include "shell/ChromeIds.h"
#include "shell/KivDesk_Wnd_ServerAddr.h"
#include "tests/shell/ChromeTestSupport.h"
#include "tests/support/StandinLink.h"
#include "tests/support/TestSupport.h"
#include "tools/standin/serve/StandinServer.h"

namespace kiv::test {
namespace {

// The strip, counting its paints.
class CountingServerStrip : public CKivDesk_Wnd_ServerAddr {
 public:
  using CKivDesk_Wnd_ServerAddr::CKivDesk_Wnd_ServerAddr;
  int paints = 0;

 protected:
  void OnPaint() override {
    ++paints;
    CKivDesk_Wnd_ServerAddr::OnPaint();
  }
};

class ServerStripTest : public ChromeWindowTest {
 protected:
  void TearDown() override {
    service_.Shutdown();
    strip_.reset();
    server_.Stop();
    ChromeWindowTest::TearDown();
  }

  CountingServerStrip& Open(UINT iconId = kIdbServerIcon) {
    main_ = Top("main", CRect(0, 0, 300, 200));
    strip_ = std::make_unique<ScopedWindow<CountingServerStrip>>(iconId, service_, &label_);
    EXPECT_TRUE(strip_->Create(nullptr, "CKivDesk_ServerAddr", WS_CHILD | WS_VISIBLE, CRect(0, 100, kWidth, 130),
                               main_, kIdcServerStrip));
    Pump();
    return *strip_;
  }
  // Whether the label's part of the strip shows anything but the background.
  bool LabelShows() {
    const int left = SkinSize(kIdbServerIcon).cx + CKivDesk_Wnd_ServerAddr::kLabelGap;
    return HasInk(*Shot(), *strip_, CRect(left, 2, kWidth, 28), CKivDesk_Wnd_ServerAddr::kBackground);
  }
  COLORREF IconPixel() {
    const CSize icon = SkinSize(kIdbServerIcon);
    return ClientPixel(*strip_, CKivDesk_Wnd_ServerAddr::kIconLeft + icon.cx / 2,
                       30 - CKivDesk_Wnd_ServerAddr::kIconBottomMargin - icon.cy / 2);
  }

  static constexpr int kWidth = 110;
  standin::StandinServer server_;
  CNetService service_{NetTimings::Fast()};
  DataServerLabel label_;
  TestWnd* main_ = nullptr;
  std::unique_ptr<ScopedWindow<CountingServerStrip>> strip_;
};

TEST_F(ServerStripTest, ShowsTheServersLabelAndFollowsAChangeOfServerAtTheNextRepaint) {
  ASSERT_TRUE(server_.Start()) << server_.LastError();
  ASSERT_TRUE(service_.AddServer("127.0.0.1", server_.MarketPort(), "行情主站"));
  CountingServerStrip& strip = Open();
  EXPECT_EQ(strip.ShownLabel(), "行情主站");
  EXPECT_EQ(label_.Get(), "行情主站");
  EXPECT_TRUE(LabelShows());
  EXPECT_EQ(IconPixel(), SkinPixel(kIdbServerIcon, SkinSize(kIdbServerIcon).cx / 2, SkinSize(kIdbServerIcon).cy / 2));

  // The link drops and the service moves on to the next server.
  ASSERT_TRUE(server_.WaitForConnections(1));
  ASSERT_TRUE(service_.AddServer("127.0.0.1", server_.MarketPort(), "行情备站"));
  server_.CloseConnections();
  ASSERT_TRUE(WaitUntil([&] { return service_.GetServerAddress() == "行情备站"; }));
  clock_.Advance(kServerStripMs);
  Pump();
  EXPECT_EQ(strip.ShownLabel(), "行情备站");
  EXPECT_EQ(label_.Get(), "行情备站");
}

TEST_F(ServerStripTest, WithoutAServerShowsTheIconOnly) {
  CountingServerStrip& strip = Open();
  EXPECT_EQ(strip.ShownLabel(), "");
  EXPECT_FALSE(LabelShows());
  EXPECT_EQ(IconPixel(), SkinPixel(kIdbServerIcon, SkinSize(kIdbServerIcon).cx / 2, SkinSize(kIdbServerIcon).cy / 2));
}

TEST_F(ServerStripTest, WithoutItsIconIsAPlainStrip) {
  ASSERT_TRUE(server_.Start()) << server_.LastError();
  ASSERT_TRUE(service_.AddServer("127.0.0.1", server_.MarketPort(), "行情主站"));
  Open(/*iconId=*/9999);
  EXPECT_FALSE(HasInk(*Shot(), *strip_, CRect(0, 0, kWidth, 30), CKivDesk_Wnd_ServerAddr::kBackground));
}

TEST_F(ServerStripTest, RepaintsFiveSecondsAfterEachPaint) {
  CountingServerStrip& strip = Open();
  ASSERT_EQ(strip.paints, 1);
  clock_.Advance(kServerStripMs - 1);
  Pump();
  EXPECT_EQ(strip.paints, 1);
  clock_.Advance(1);
  Pump();
  EXPECT_EQ(strip.paints, 2);
  // A paint for another reason starts the five seconds again.
  clock_.Advance(2000);
  strip.Invalidate(FALSE);
  Pump();
  EXPECT_EQ(strip.paints, 3);
  clock_.Advance(kServerStripMs - 1);
  Pump();
  EXPECT_EQ(strip.paints, 3);
  clock_.Advance(1);
  Pump();
  EXPECT_EQ(strip.paints, 4);
}

}  // namespace
}  // namespace kiv::test
