// Reply handlers bound through liveness references, called on another
// thread as the network service's I/O thread calls them: dropped (and
// reported handled) once their object is gone.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "net/BindAlive.h"
#include "platform/post/Lifeline.h"
#include "tests/net/BlockWindowSupport.h"

namespace kiv {
namespace {

constexpr uint32_t kType = 1, kExtra = 0;

TEST(BindAliveConcurrency, HandlerOfAnObjectWithALifelineIsDroppedAfterTheObjectIsGone) {
  struct Model {
    int replies = 0;
    bool OnPacket(KivNetPack&, const uint32_t&, const uint32_t&) {
      ++replies;
      return true;
    }
    Lifeline life;
  };
  auto model = std::make_unique<Model>();
  PacketHandler handler = BindAlive(model->life.Ref(), model.get(), &Model::OnPacket);
  KivNetPack pack;
  std::thread([&] { handler(pack, kType, kExtra); }).join();
  EXPECT_EQ(model->replies, 1);
  model.reset();
  std::thread([&] { EXPECT_TRUE(handler(pack, kType, kExtra)); }).join();
}

class ReplyWindow final : public test::RecordingWnd {
 public:
  ~ReplyWindow() override { DestroyWindow(); }
  bool OnPacket(KivNetPack&, const uint32_t&, const uint32_t&) {
    ++replies;
    return false;  // the result reaches the caller while the window lives
  }
  int replies = 0;
};

TEST(BindAliveConcurrency, HandlerOfAWindowStopsWhenTheWindowIsDestroyed) {
  ResetWindowSystemForTesting();
  auto window = std::make_unique<ReplyWindow>();
  KivNetPack pack;
  // Bound before the window exists: nothing to stay alive for.
  PacketHandler early = BindAlive(window.get(), &ReplyWindow::OnPacket);
  ASSERT_TRUE(window->Open());
  PacketHandler handler = BindAlive(window.get(), &ReplyWindow::OnPacket);
  std::thread([&] {
    EXPECT_TRUE(early(pack, kType, kExtra));
    EXPECT_FALSE(handler(pack, kType, kExtra));
  }).join();
  EXPECT_EQ(window->replies, 1);

  window->DestroyWindow();
  std::thread([&] { EXPECT_TRUE(handler(pack, kType, kExtra)); }).join();
  EXPECT_EQ(window->replies, 1);
  window.reset();
  std::thread([&] { EXPECT_TRUE(handler(pack, kType, kExtra)); }).join();
  ResetWindowSystemForTesting();
}

}  // namespace
}  // namespace kiv
