// Two filter instances on two threads at once, each with colour matching
// from a matrix/TRC source, the MTF filter and tone curves, give the same
// pages byte for byte as one instance alone.
#include <gtest/gtest.h>

#include <thread>

#include "support/page_setup.h"

namespace k7730::test {
namespace {

TEST(TwoInstances, ConcurrentPagesEqualSerialOnes) {
  constexpr std::uint32_t kWidth = 37, kHeight = 23;
  PageStages first, second;
  second.destination = TestProfile("rgb_table256.icc");
  const Bytes pageA = TestPage(kWidth, kHeight, 1), pageB = TestPage(kWidth, kHeight, 2);
  const Bytes serialA = PrintPage(first, pageA, kWidth, 5);
  const Bytes serialB = PrintPage(second, pageB, kWidth, 7);
  ASSERT_EQ(serialA.size(), pageA.size());
  ASSERT_EQ(serialB.size(), pageB.size());
  for (int round = 0; round < 12; ++round) {
    Bytes a, b;
    std::thread one([&] {
      for (int page = 0; page < 2; ++page) a = PrintPage(first, pageA, kWidth, 5);
    });
    std::thread two([&] {
      for (int page = 0; page < 2; ++page) b = PrintPage(second, pageB, kWidth, 7);
    });
    one.join();
    two.join();
    ASSERT_EQ(a, serialA) << round;
    ASSERT_EQ(b, serialB) << round;
  }
}

}  // namespace
}  // namespace k7730::test
