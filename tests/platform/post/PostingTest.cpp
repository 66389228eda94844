// The posting seam on its own: handles with generations, posts and sends to
// entries of the handle table, owned payloads that are freed whatever
// happens to their window, and liveness references.
#include <gtest/gtest.h>

#include <functional>

#include "platform/post/Lifeline.h"
#include "platform/post/Posting.h"
#include "platform/sys/Thread.h"
#include "tests/platform/post/PostingSupport.h"

namespace kiv::test {
namespace {

constexpr UINT kMsg = 0x0400 + 7;

class PostingTest : public ::testing::Test {
 protected:
  void SetUp() override { post::CurrentQueue()->ClearPostedForTesting(); }
  void TearDown() override {
    post::CurrentQueue()->ClearPostedForTesting();
    EXPECT_EQ(Counted::alive.load(), 0) << "a payload leaked";
  }
};

TEST_F(PostingTest, AHandleNamesItsWindowUntilUnregisteredAndNeverAgain) {
  auto a = RegisterFakeWindow();
  auto b = RegisterFakeWindow();
  EXPECT_TRUE(IsWindow(a->hwnd));
  EXPECT_NE(a->hwnd, b->hwnd);
  EXPECT_EQ(post::LookupWindow(b->hwnd), b);
  EXPECT_EQ(GetWindowThreadProcessId(b->hwnd, nullptr), GetCurrentThreadId());

  const HWND old = a->hwnd;
  post::UnregisterWindow(old);
  EXPECT_FALSE(IsWindow(old));
  EXPECT_EQ(GetWindowThreadProcessId(old, nullptr), 0u);
  auto c = RegisterFakeWindow();
  EXPECT_NE(c->hwnd, old);
  EXPECT_FALSE(IsWindow(old));  // a stale copy stays invalid

  // The special values of SetWindowPos never name a window.
  for (intptr_t special : {0, 1, -1, -2}) EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(special)));
  post::UnregisterWindow(b->hwnd);
  post::UnregisterWindow(c->hwnd);
}

TEST_F(PostingTest, PostsQueueInOrderAndFailForADeadHandle) {
  auto w = RegisterFakeWindow();
  EXPECT_TRUE(PostMessage(w->hwnd, kMsg, 1, 10));
  EXPECT_TRUE(PostMessage(nullptr, kMsg, 2, 20));  // the thread's own queue
  EXPECT_TRUE(PostThreadMessage(GetCurrentThreadId(), kMsg, 3, 30));
  MSG msg;
  for (WPARAM expected : {1u, 2u, 3u}) {
    ASSERT_TRUE(TakeNext(&msg));
    EXPECT_EQ(msg.wParam, expected);
    EXPECT_EQ(msg.hwnd, expected == 1 ? w->hwnd : nullptr);
  }
  EXPECT_FALSE(TakeNext(&msg));
  post::UnregisterWindow(w->hwnd);
  EXPECT_FALSE(PostMessage(w->hwnd, kMsg, 0, 0));
  EXPECT_FALSE(TakeNext(&msg));
}

TEST_F(PostingTest, OwnedPayloadGoesToTheReceiverWhoAdoptsIt) {
  auto w = RegisterFakeWindow();
  ASSERT_TRUE(PostOwned(w->hwnd, kMsg, std::make_unique<Counted>()));
  ASSERT_TRUE(PostOwned(w->hwnd, kMsg, std::unique_ptr<Counted[]>(new Counted[3]), 3));
  EXPECT_EQ(Counted::alive.load(), 4);
  MSG msg;
  ASSERT_TRUE(TakeNext(&msg));
  AdoptPosted<Counted>(msg.wParam);
  EXPECT_EQ(Counted::alive.load(), 3);
  ASSERT_TRUE(TakeNext(&msg));
  EXPECT_EQ(msg.lParam, 3);
  AdoptPosted<Counted[]>(msg.wParam);
  EXPECT_EQ(Counted::alive.load(), 0);
  EXPECT_EQ(AdoptPosted<Counted>(0), nullptr);
  post::UnregisterWindow(w->hwnd);
}

TEST_F(PostingTest, OwnedPayloadIsFreedWhenItCannotBeDelivered) {
  struct Case {
    const char* what;
    // Posts one owned payload (or fails to) and lets its window come to an end.
    std::function<void(FakeWindow&)> run;
  };
  const Case cases[] = {
      {"the window was already gone",
       [](FakeWindow& w) {
         post::UnregisterWindow(w.hwnd);
         EXPECT_FALSE(PostOwned(w.hwnd, kMsg, std::make_unique<Counted>()));
       }},
      {"no window was named",
       [](FakeWindow&) { EXPECT_FALSE(PostOwned(nullptr, kMsg, std::unique_ptr<Counted[]>(new Counted[2]), 2)); }},
      {"the window is destroyed while the message waits",
       [](FakeWindow& w) {
         EXPECT_TRUE(PostOwned(w.hwnd, kMsg, std::make_unique<Counted>()));
         post::UnregisterWindow(w.hwnd);
         w.queue->DiscardOwnedPostsTo(w.hwnd);
       }},
      {"the window went without discarding: the retrieval skips it",
       [](FakeWindow& w) {
         EXPECT_TRUE(PostOwned(w.hwnd, kMsg, std::make_unique<Counted>()));
         post::UnregisterWindow(w.hwnd);
         MSG msg;
         EXPECT_FALSE(TakeNext(&msg));
       }},
      {"the queue is emptied",
       [](FakeWindow& w) {
         EXPECT_TRUE(PostOwned(w.hwnd, kMsg, std::unique_ptr<Counted[]>(new Counted[4]), 4));
         w.queue->ClearPostedForTesting();
       }},
  };
  for (const Case& c : cases) {
    auto w = RegisterFakeWindow();
    c.run(*w);
    EXPECT_EQ(Counted::alive.load(), 0) << c.what;
    post::UnregisterWindow(w->hwnd);
  }
}

TEST_F(PostingTest, DiscardingAWindowsPostsKeepsItsPlainMessagesAndOtherWindowsPayloads) {
  auto gone = RegisterFakeWindow();
  auto other = RegisterFakeWindow();
  ASSERT_TRUE(PostOwned(gone->hwnd, kMsg, std::make_unique<Counted>()));
  ASSERT_TRUE(PostMessage(gone->hwnd, kMsg, 5, 0));
  ASSERT_TRUE(PostOwned(other->hwnd, kMsg, std::make_unique<Counted>()));
  post::UnregisterWindow(gone->hwnd);
  gone->queue->DiscardOwnedPostsTo(gone->hwnd);
  EXPECT_EQ(Counted::alive.load(), 1);
  MSG msg;
  ASSERT_TRUE(TakeNext(&msg));  // the plain message stays, as on Windows
  EXPECT_EQ(msg.wParam, 5u);
  ASSERT_TRUE(TakeNext(&msg));
  EXPECT_EQ(msg.hwnd, other->hwnd);
  AdoptPosted<Counted>(msg.wParam);
  post::UnregisterWindow(other->hwnd);
}

TEST_F(PostingTest, SendOnTheOwnerThreadCallsTheWindowDirectly) {
  auto w = RegisterFakeWindow();
  EXPECT_EQ(SendMessage(w->hwnd, kMsg, 41, 0), 42);
  EXPECT_EQ(w->delivered, std::vector<UINT>{kMsg});
  EXPECT_FALSE(InSendMessage());
  post::UnregisterWindow(w->hwnd);
  EXPECT_EQ(SendMessage(w->hwnd, kMsg, 41, 0), 0);
}

TEST_F(PostingTest, AWindowsReferenceLivesUntilRevokedOrTheWindowChangesHands) {
  auto w = RegisterFakeWindow();
  const WindowRef first = WindowRef::Of(w->hwnd);
  EXPECT_TRUE(first.IsAlive());
  w->RenewLiveness();  // another object took the window over
  EXPECT_FALSE(first.IsAlive());
  const WindowRef second = WindowRef::Of(w->hwnd);
  int ran = 0;
  EXPECT_TRUE(second.RunIfAlive([&] { ++ran; }));
  w->RevokeLiveness();
  EXPECT_FALSE(second.RunIfAlive([&] { ++ran; }));
  EXPECT_EQ(ran, 1);
  post::UnregisterWindow(w->hwnd);
  EXPECT_FALSE(WindowRef::Of(w->hwnd).IsAlive());
  EXPECT_FALSE(WindowRef::Of(nullptr).IsAlive());
  EXPECT_FALSE(WindowRef().IsAlive());
}

TEST_F(PostingTest, ALifelineIsAliveUntilRevokedOrDestroyed) {
  WindowRef ref;
  {
    Lifeline life;
    ref = life.Ref();
    EXPECT_TRUE(ref.IsAlive());
  }
  EXPECT_FALSE(ref.IsAlive());
  Lifeline life;
  ref = life.Ref();
  life.Revoke();
  life.Revoke();
  EXPECT_FALSE(ref.RunIfAlive([] { ADD_FAILURE() << "ran after Revoke"; }));
}

}  // namespace
}  // namespace kiv::test
