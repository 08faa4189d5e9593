// A ColorWorld disposed on one thread while another matches through it:
// the matching call keeps it alive until it ends, later calls are refused,
// and the block is released once no call holds it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "world_fixture.h"

namespace k7730::test {
namespace {

TEST(ColorWorldLock, DisposalWhileMatchingNeverFreesMemoryInUse) {
  const std::uint32_t live = cmm::LiveColorWorldCount();
  OpenedProfile source(kGamma22), destination(GeneratedProfile("small_rgb_lut16.icc"));
  ASSERT_TRUE(source.ok() && destination.ok());
  constexpr std::int32_t kWidth = 128, kHeight = 64;
  for (int round = 0; round < 24; ++round) {
    const K7730_ColorWorld world = SDKCMCreateColorWorld(0, source.ref(), nullptr, destination.ref(), nullptr);
    ASSERT_NE(world, 0u);
    std::atomic<bool> started{false};
    std::atomic<int> refusedAt{-1};
    std::thread matcher([&] {
      std::vector<std::uint8_t> pixels(kWidth * kHeight * 3);
      for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = std::uint8_t(i * 31);
      K7730_PixelMap map{kWidth, kHeight, 3, kWidth * 3, pixels.data()};
      for (int call = 0; call < 100000; ++call) {
        if (SDKCMMatchPixelMap(world, &map, &map) != 0) {
          refusedAt = call;
          return;
        }
        started = true;
      }
    });
    while (!started) std::this_thread::yield();
    // Different moments inside and between the matching calls.
    for (int spin = 0; spin < round * 50; ++spin) std::this_thread::yield();
    SDKCMDisposeColorWorld(world);
    matcher.join();
    EXPECT_GT(refusedAt.load(), 0) << round;
    EXPECT_EQ(cmm::LiveColorWorldCount(), live) << round;
    // The handle names nothing any more.
    EXPECT_EQ(SDKCMGetNumsOfInPixComp(world), 0u);
  }
}

}  // namespace
}  // namespace k7730::test
