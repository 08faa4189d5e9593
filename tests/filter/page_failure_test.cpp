// A failed initpage never leaves the earlier page's MTF buffers or
// ColorWorld paired with the new geometry: on every failure path the bands
// of the new width that a host sends anyway pass through this page's tables
// only, without the MTF filter and without colour matching.
#include <gtest/gtest.h>

#include <functional>

#include "cmm/color_world_store.h"
#include "platform/platform.h"
#include "support/page_setup.h"

namespace k7730::test {
namespace {

using platform::LiveBlockCount;

constexpr std::uint32_t kOldWidth = 8, kNewWidth = 13, kHeight = 9;

struct FailurePath {
  const char* name;
  std::uint16_t code;
  std::function<void(K7730_FilterInstance*)> arrange;  // makes the next initpage fail
  std::uint32_t width = kNewWidth;
};

void CheckFailurePath(const FailurePath& path) {
  SCOPED_TRACE(path.name);
  const std::size_t blocks = LiveBlockCount();
  const std::uint32_t worlds = cmm::LiveColorWorldCount();
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  ASSERT_TRUE(SetUpStages(inst, PageStages{}));
  std::uint16_t err = 0xFFFF;
  ASSERT_EQ(plugin_filter_initpage(inst, kOldWidth, kHeight, 0, &err), 1u);
  ASSERT_NE(inst->colorWorld, 0u);
  ASSERT_NE(inst->mtfState.lineBlock, nullptr);

  path.arrange(inst);
  EXPECT_EQ(plugin_filter_initpage(inst, path.width, kHeight, 0, &err), 0u);
  EXPECT_EQ(err, path.code);
  EXPECT_EQ(inst->mtfState.lineBlock, nullptr);
  EXPECT_EQ(inst->colorWorld, 0u);
  EXPECT_EQ(cmm::LiveColorWorldCount(), worlds);
  EXPECT_EQ(LiveBlockCount(), blocks + 1);  // the instance alone
  EXPECT_EQ(inst->width, path.width);

  EXPECT_EQ(plugin_filter_startpage(inst, &err), 1u);
  if (path.width == kNewWidth) {
    // The page's own tables, nothing else: as a page with only the curves on.
    const Bytes page = TestPage(kNewWidth, kHeight);
    PageStages curvesOnly;
    curvesOnly.mtf = curvesOnly.icc = false;
    const Bytes expected = PrintPage(curvesOnly, page, kNewWidth, 4);
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
      {"line buffers that do not fit", K7730_ERR_BAD_ARGUMENT, [](K7730_FilterInstance*) {}, 0x20000000u},
      {"no line-filter library", K7730_ERR_LINE_FILTER,
       [](K7730_FilterInstance* inst) { inst->settings.lineFilterEnabled = 1; }},
      {"output profile gone", K7730_ERR_PROFILE,
       [](K7730_FilterInstance* inst) {
         std::snprintf(inst->settings.outputProfilePath, sizeof inst->settings.outputProfilePath,
                       "/nonexistent/k7730/printer.icc");
       }},
  };
  for (const FailurePath& path : paths) CheckFailurePath(path);
}

}  // namespace
}  // namespace k7730::test
