// The socket item store and the socket start-up guard.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "net/SocketItemQueue.h"
#include "net/WinsockGuard.h"

namespace {

TEST(SocketItemQueueTest, ANewerItemWithTheSameKeyReplacesTheQueuedOneInPlace) {
  CIocpSocket store;
  int window = 0;
  store.PostItem(MakeSocketItem(&window, 1154, 0, 655360000, 1));
  store.PostItem(MakeSocketItem(&window, 1154, 0, 655360000, 2));
  auto newer = MakeSocketItem(&window, 77, 0, 655360000, 1);  // same 12 bytes, other message
  store.PostItem(std::move(newer));
  EXPECT_EQ(2u, store.RequestCount());
  EXPECT_EQ(1u, store.PoolCount());
  std::vector<uint32_t> messages;
  store.ForEachRequest([&](SOCKETIO_ITEM& item) { messages.push_back(item.nMessage); });
  EXPECT_EQ((std::vector<uint32_t>{77, 1154}), messages);
}

TEST(SocketItemQueueTest, ItemsWithoutAWindowAreNeverMerged) {
  CIocpSocket store;
  store.PostItem(MakeSocketItem(nullptr, 1154, 0, 0, 5));
  store.PostItem(MakeSocketItem(nullptr, 1154, 0, 0, 5));
  store.PostItem(nullptr);
  EXPECT_EQ(2u, store.UnaddressedCount());
  EXPECT_EQ(0u, store.RequestCount());
}

TEST(SocketItemQueueTest, ThePoolKeepsAHundredItemsAndFreesTheRest) {
  CIocpSocket store;
  for (int i = 0; i < 101; ++i) store.RecycleItem(MakeSocketItem(nullptr, 0, 0, 0, i));
  EXPECT_EQ(CIocpSocket::kPoolLimit, store.PoolCount());
}

TEST(SocketItemQueueTest, ItemPayloadIsTwoWordsAndTheStockLittleEndian) {
  auto item = MakeSocketItem(reinterpret_cast<void*>(1), 1154, 0, 655360000, 0x01093A99);
  ASSERT_EQ(12u, item->nLength);
  const unsigned char expected[12] = {0, 0, 0, 0, 0x00, 0x00, 0x10, 0x27, 0x99, 0x3A, 0x09, 0x01};
  EXPECT_EQ(0, std::memcmp(expected, item->pData.get(), 12));
  // A short payload never matches, whatever its bytes.
  auto other = MakeSocketItem(reinterpret_cast<void*>(1), 1154, 0, 655360000, 0x01093A99);
  other->nLength = 8;
  EXPECT_FALSE(item->SameKey(*other));
}

TEST(WinsockGuardTest, StartsOnlyWithTheVersionAskedForAndReleasesOnlyThen) {
  const int before = CKivPing::StartedCount();
  {
    CKivPing granted;
    EXPECT_TRUE(granted.IsStarted());
    EXPECT_EQ(before + 1, CKivPing::StartedCount());
    CKivPing otherVersion([](unsigned) { return 0x0202; });
    EXPECT_FALSE(otherVersion.IsStarted());
    CKivPing failed([](unsigned) { return -1; });
    EXPECT_FALSE(failed.IsStarted());
    EXPECT_EQ(before + 1, CKivPing::StartedCount());
  }
  EXPECT_EQ(before, CKivPing::StartedCount());
}

}  // namespace
