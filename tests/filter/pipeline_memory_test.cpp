// Memory of an instance and of its pages, linked directly so that the
// allocator's blocks and the engine's live ColorWorlds can be counted:
// buffers that come and go, and no allocation per band once a buffer exists
// (failed allocations are in the allocation sweep and the failed-initpage
// tests).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cmm/color_world_store.h"
#include "k7730fe.h"
#include "platform/platform.h"

namespace {

using k7730::cmm::LiveColorWorldCount;
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

TEST(PageColorWorld, DisposedAtFreepageNextInitpageAndClose) {
  const std::string in = std::string(K7730_TEST_PROFILE_DIR) + "/rgb_gamma22.icc";
  const std::string out = std::string(K7730_TEST_PROFILE_DIR) + "/rgb_lut16.icc";
  const std::uint32_t before = LiveColorWorldCount();
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  ASSERT_EQ(plugin_filter_setIccProfile(inst, 1, in.c_str(), out.c_str(), 0, nullptr), 1u);

  ASSERT_EQ(plugin_filter_initpage(inst, 10, 10, 0, nullptr), 1u);
  EXPECT_EQ(LiveColorWorldCount(), before + 1);
  ASSERT_EQ(plugin_filter_initpage(inst, 10, 10, 0, nullptr), 1u);
  EXPECT_EQ(LiveColorWorldCount(), before + 1) << "the next page start replaces it";
  EXPECT_EQ(plugin_filter_freepage(inst, nullptr), 1u);
  EXPECT_EQ(LiveColorWorldCount(), before);

  ASSERT_EQ(plugin_filter_initpage(inst, 10, 10, 0, nullptr), 1u);
  plugin_filter_close(inst);
  EXPECT_EQ(LiveColorWorldCount(), before);

  // Two instances with matrix sources at once each keep their own transform.
  K7730_FilterInstance* other = plugin_filter_open(nullptr);
  ASSERT_EQ(plugin_filter_setIccProfile(inst, 1, in.c_str(), out.c_str(), 0, nullptr), 1u);
  ASSERT_EQ(plugin_filter_setIccProfile(other, 1, in.c_str(), out.c_str(), 1, nullptr), 1u);
  ASSERT_EQ(plugin_filter_initpage(inst, 10, 10, 0, nullptr), 1u);
  ASSERT_EQ(plugin_filter_initpage(other, 10, 10, 0, nullptr), 1u);
  EXPECT_EQ(LiveColorWorldCount(), before + 2);
  plugin_filter_close(other);
  plugin_filter_close(inst);
  EXPECT_EQ(LiveColorWorldCount(), before);
  plugin_filter_disposPtr(other);
  plugin_filter_disposPtr(inst);
}

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
