// Memory of an instance and of its pages, linked directly so that the
// allocator's blocks and the engine's live ColorWorlds can be counted:
// buffers that come and go, no allocation per band once a buffer exists,
// and a failed initpage that never leaves the earlier page's MTF buffers or
// ColorWorld paired with the new geometry (failed allocations are in the
// allocation sweep).
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "cmm/color_world_store.h"
#include "platform/platform.h"
#include "support/page_setup.h"

namespace k7730::test {
namespace {

using cmm::LiveColorWorldCount;
using platform::FailAllocationAfter;
using platform::LiveBlockCount;

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
  const std::string in = TestProfile("rgb_gamma22.icc"), out = TestProfile("rgb_lut16.icc");
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

    // Once the host has a buffer, bands need no memory at all.
    FailAllocationAfter(0);
    for (int b = 0; b < 4; ++b) {
      std::uint16_t err = 1;
      ASSERT_EQ(plugin_filter_do(f.inst, band.data(), 8, &out, &lines, &err), 1u);
      EXPECT_EQ(err, 0);
    }
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

constexpr std::uint32_t kOldWidth = 8, kNewWidth = 13, kHeight = 9;

// What makes the next initpage fail.
struct FailurePath {
  const char* name;
  std::uint16_t code;
  std::uint32_t width = kNewWidth;
  std::uint32_t lineFilter = 0;
  const char* outputProfile = nullptr;
};

// On every failure path the bands of the new width that a host sends anyway
// get this page's swap and tables only, without the MTF filter and without
// colour matching.
void CheckFailurePath(const FailurePath& path) {
  SCOPED_TRACE(path.name);
  const std::size_t blocks = LiveBlockCount();
  const std::uint32_t worlds = LiveColorWorldCount();
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  ASSERT_TRUE(SetUpStages(inst, PageStages{}));
  std::uint16_t err = 0xFFFF;
  ASSERT_EQ(plugin_filter_initpage(inst, kOldWidth, kHeight, 0, &err), 1u);
  ASSERT_NE(inst->colorWorld, 0u);
  ASSERT_NE(inst->mtfState.lineBlock, nullptr);

  inst->settings.lineFilterEnabled = path.lineFilter;
  if (path.outputProfile != nullptr) {
    std::snprintf(inst->settings.outputProfilePath, sizeof inst->settings.outputProfilePath, "%s", path.outputProfile);
  }
  EXPECT_EQ(plugin_filter_initpage(inst, path.width, kHeight, 1, &err), 0u);
  EXPECT_EQ(err, path.code);
  EXPECT_EQ(inst->mtfState.lineBlock, nullptr);
  EXPECT_EQ(inst->colorWorld, 0u);
  EXPECT_EQ(LiveColorWorldCount(), worlds);
  EXPECT_EQ(LiveBlockCount(), blocks + 1);  // the instance alone
  EXPECT_EQ(inst->width, path.width);

  EXPECT_EQ(plugin_filter_startpage(inst, &err), 1u);
  if (path.width == kNewWidth) {
    // The page's swap and tables, nothing else: as a page with only the curves on.
    const Bytes page = TestPage(kNewWidth, kHeight);
    PageStages curvesOnly;
    curvesOnly.mtf = curvesOnly.icc = false;
    const Bytes expected = PrintPage(curvesOnly, page, kNewWidth, 4, 1);
    ASSERT_EQ(expected.size(), page.size());
    EXPECT_EQ(RunBands(inst, page, kNewWidth, 4), expected);
  }
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
  EXPECT_EQ(LiveBlockCount(), blocks);
}

TEST(FailedInitpage, NoPathPairsTheEarlierPageWithTheNewGeometry) {
  // One case for each way a page start can fail: the line-filter library,
  // the MTF lines, and the ColorWorld after the MTF lines were made.
  const FailurePath paths[] = {
      {"line buffers that do not fit", K7730_ERR_BAD_ARGUMENT, 0x20000000u},
      {"no line-filter library", K7730_ERR_LINE_FILTER, kNewWidth, 1},
      {"output profile gone", K7730_ERR_PROFILE, kNewWidth, 0, "/nonexistent/k7730/printer.icc"},
  };
  for (const FailurePath& path : paths) CheckFailurePath(path);
}

}  // namespace
}  // namespace k7730::test
