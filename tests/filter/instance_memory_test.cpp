// Instance memory through the exports, linked directly so that the
// allocator's block count can be read (a failed open is in the allocation
// sweep).
#include <gtest/gtest.h>

#include "k7730fe.h"
#include "platform/platform.h"

namespace {

using k7730::platform::LiveBlockCount;

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
