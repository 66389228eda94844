#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "tests/support/TestSupport.h"
#include "tools/standin/serve/BlockServer.h"

namespace kiv::standin {
namespace {

using kiv::test::WaitUntil;

// A connected socket, or -1.
int ConnectLoopback(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) return fd;
  ::close(fd);
  return -1;
}

// One request on a link of its own, as the terminal sends it: connect, send
// twelve bytes, read the whole reply, close.
bool RequestOnOwnLink(uint16_t port, std::string* reply) {
  const int fd = ConnectLoopback(port);
  if (fd < 0) return false;
  bool ok = true;
  const unsigned char request[12] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ok = ok && ::send(fd, request, sizeof(request), MSG_NOSIGNAL) == ssize_t(sizeof(request));
  reply->clear();
  // The first word (big-endian) is the whole reply's length.
  while (ok && (reply->size() < 4 || reply->size() < ntohl(*reinterpret_cast<const uint32_t*>(reply->data())))) {
    char chunk[512];
    const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
    ok = n > 0;
    if (ok) reply->append(chunk, size_t(n));
  }
  ::close(fd);
  return ok;
}

TEST(BlockServerSessions, ThreadsOfEndedLinksAreJoinedSoTheirNumberStaysBounded) {
  BlockServer server(nullptr);
  std::string error;
  ASSERT_TRUE(server.Start("127.0.0.1", 0, error)) << error;
  constexpr int kLinks = 60;
  std::string reply;
  for (int i = 0; i < kLinks; ++i) {
    ASSERT_TRUE(RequestOnOwnLink(server.Port(), &reply)) << "link " << i;
    EXPECT_GE(reply.size(), 8u);
  }
  EXPECT_EQ(server.AcceptedConnections(), uint64_t(kLinks));
  // Every link has ended: their threads go, not only at Stop.
  EXPECT_TRUE(WaitUntil([&] { return server.SessionThreads() == 0; }))
      << server.SessionThreads() << " threads of ended links still held";
  // A link still open keeps its thread.
  const int open = ConnectLoopback(server.Port());
  ASSERT_GE(open, 0);
  EXPECT_TRUE(WaitUntil([&] { return server.AcceptedConnections() == uint64_t(kLinks + 1); }));
  EXPECT_EQ(server.SessionThreads(), 1u);
  ::close(open);
  server.Stop();
  EXPECT_EQ(server.SessionThreads(), 0u);
}

}  // namespace
}  // namespace kiv::standin
