#include <gtest/gtest.h>

#include <string>

#include "tests/support/TestSupport.h"
#include "tests/tools/standin/StandinClient.h"
#include "tools/standin/serve/BlockServer.h"

namespace kiv::standin {
namespace {

using kiv::test::WaitUntil;
using testing::StandinClient;

// One request on a link of its own, as the terminal sends it: connect, send
// twelve bytes, read the reply's header, close.
void RequestOnOwnLink(uint16_t port) {
  StandinClient link(port);
  ASSERT_TRUE(link.IsConnected());
  ASSERT_TRUE(link.SendRaw(std::string("\x01\0\0\0\0\0\0\0\0\0\0\0", 12)));
  EXPECT_TRUE(link.ReadRaw(8).has_value()) << "no reply header";
}

TEST(BlockServerSessions, ThreadsOfEndedLinksAreJoinedSoTheirNumberStaysBounded) {
  BlockServer server(nullptr);
  std::string error;
  ASSERT_TRUE(server.Start("127.0.0.1", 0, error)) << error;
  constexpr int kLinks = 60;
  for (int i = 0; i < kLinks; ++i) {
    SCOPED_TRACE(i);
    ASSERT_NO_FATAL_FAILURE(RequestOnOwnLink(server.Port()));
  }
  EXPECT_EQ(server.AcceptedConnections(), uint64_t(kLinks));
  // Every link has ended: their threads go, not only at Stop.
  EXPECT_TRUE(WaitUntil([&] { return server.SessionThreads() == 0; }))
      << server.SessionThreads() << " threads of ended links still held";
  {
    // A link still open keeps its thread.
    StandinClient open(server.Port());
    ASSERT_TRUE(open.IsConnected());
    EXPECT_TRUE(WaitUntil([&] { return server.AcceptedConnections() == uint64_t(kLinks + 1); }));
    EXPECT_EQ(server.SessionThreads(), 1u);
  }
  server.Stop();
  EXPECT_EQ(server.SessionThreads(), 0u);
}

}  // namespace
}  // namespace kiv::standin
