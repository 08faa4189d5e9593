// Instance memory through the exports, linked directly so that the
// allocator's failure injection can be used.
#include <gtest/gtest.h>

#include "k7730fe.h"
#include "platform/platform.h"

namespace {

using k7730::platform::FailAllocationAfter;
using k7730::platform::LiveBlockCount;

TEST(InstanceMemory, OpenWithoutMemoryReports1000AndLeaksNothing) {
  const std::size_t before = LiveBlockCount();
  FailAllocationAfter(0);
  std::uint16_t err = 0;
  EXPECT_EQ(plugin_filter_open(&err), nullptr);
  EXPECT_EQ(err, K7730_ERR_NO_MEMORY);
  EXPECT_EQ(LiveBlockCount(), before);
  K7730_FilterInstance* again = plugin_filter_open(nullptr);  // the failure was one-shot
  EXPECT_NE(again, nullptr);
  FailAllocationAfter(-1);
  plugin_filter_disposPtr(again);
  EXPECT_EQ(LiveBlockCount(), before);
}

TEST(InstanceMemory, DisposPtrReleasesOnlyModuleBlocksAndOnlyOnce) {
  const std::size_t before = LiveBlockCount();
  std::uint16_t err = 1;
  K7730_FilterInstance* inst = plugin_filter_open(&err);
  ASSERT_NE(inst, nullptr);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(LiveBlockCount(), before + 1);

  int foreign = 0;
  plugin_filter_disposPtr(&foreign);  // not the module's: ignored
  plugin_filter_disposPtr(nullptr);
  EXPECT_EQ(LiveBlockCount(), before + 1);

  plugin_filter_close(inst);
  plugin_filter_close(inst);
  EXPECT_EQ(LiveBlockCount(), before + 1);  // close keeps the instance's memory
  plugin_filter_disposPtr(inst);
  EXPECT_EQ(LiveBlockCount(), before);
  plugin_filter_disposPtr(inst);  // twice: ignored
  EXPECT_EQ(LiveBlockCount(), before);
}

}  // namespace
