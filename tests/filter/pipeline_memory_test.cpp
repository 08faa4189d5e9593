// Memory of a page: buffers that come and go, and no allocation per band
// once a buffer exists (failed allocations are in the allocation sweep and
// the failed-initpage tests).
#include <gtest/gtest.h>

#include <vector>

#include "k7730fe.h"
#include "platform/platform.h"

namespace {

using k7730::platform::BlockSize;
using k7730::platform::FailAllocationAfter;
using k7730::platform::LiveBlockCount;

struct Instance {
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  ~Instance() {
    FailAllocationAfter(-1);
    plugin_filter_close(inst);
    plugin_filter_disposPtr(inst);
  }
  void Mtf() {
    const std::int32_t sharpen[9] = {0, -1, 0, -1, 8, -1, 0, -1, 0};
    ASSERT_EQ(plugin_filter_setMtf(inst, 1, sharpen, 4, nullptr), 1u);
  }
};

TEST(PageMemory, BuffersComeAndGoWithTheBands) {
  const std::size_t before = LiveBlockCount();
  {
    Instance f;
    f.Mtf();
    ASSERT_EQ(plugin_filter_initpage(f.inst, 6, 40, 0, nullptr), 1u);
    EXPECT_EQ(LiveBlockCount(), before + 2);  // instance and MTF lines

    // A band that releases nothing takes back the buffer it was given.
    std::vector<std::uint8_t> band(6 * 8 * 3, 50);
    std::uint8_t* out = nullptr;
    std::uint32_t lines = 0;
    ASSERT_EQ(plugin_filter_do(f.inst, band.data(), 1, &out, &lines, nullptr), 1u);
    EXPECT_EQ(lines, 0u);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(LiveBlockCount(), before + 2);

    ASSERT_EQ(plugin_filter_do(f.inst, band.data(), 8, &out, &lines, nullptr), 1u);
    EXPECT_EQ(lines, 8u);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(BlockSize(out), 10u * 6 * 3);

    // Once the host has a buffer, bands need no memory at all.
    FailAllocationAfter(0);
    std::uint32_t total = 8;
    for (int b = 0; b < 4; ++b) {
      std::uint16_t err = 1;
      ASSERT_EQ(plugin_filter_do(f.inst, band.data(), 8, &out, &lines, &err), 1u);
      EXPECT_EQ(err, 0);
      total += lines;
    }
    EXPECT_EQ(total, 40u);
    // Lines past the page with the host's buffer: nothing released, the
    // buffer stays the host's.
    ASSERT_EQ(plugin_filter_do(f.inst, band.data(), 2, &out, &lines, nullptr), 1u);
    EXPECT_EQ(lines, 0u);
    EXPECT_NE(out, nullptr);
    FailAllocationAfter(-1);

    plugin_filter_disposPtr(out);
    ASSERT_EQ(plugin_filter_freepage(f.inst, nullptr), 1u);
    EXPECT_EQ(LiveBlockCount(), before + 1);
    // After freepage the page runs on without the filter.
    ASSERT_EQ(plugin_filter_startpage(f.inst, nullptr), 1u);
    out = nullptr;
    ASSERT_EQ(plugin_filter_do(f.inst, band.data(), 3, &out, &lines, nullptr), 1u);
    EXPECT_EQ(lines, 3u);
    plugin_filter_disposPtr(out);
  }
  EXPECT_EQ(LiveBlockCount(), before);
}

}  // namespace
