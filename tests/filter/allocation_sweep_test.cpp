// Every allocation reachable from plugin_filter_open, plugin_filter_initpage
// and plugin_filter_do fails in turn (n = 0, 1, 2, ... until the call
// succeeds without failing): the call reports 1000, nothing leaks, and the
// same call without injection then works.
#include <gtest/gtest.h>

#include <functional>

#include "cmm/color_world_store.h"
#include "platform/platform.h"
#include "support/page_setup.h"

namespace k7730::test {
namespace {

using platform::FailAllocationAfter;
using platform::LiveBlockCount;

constexpr long kMostAllocations = 400;

// Runs `call` with allocation n failing for n = 0, 1, ... until it succeeds;
// `call` returns whether it succeeded and checks its own error code. `undo`
// releases what a successful call made. Returns the number of failures.
long Sweep(const std::function<bool()>& call, const std::function<void()>& undo) {
  for (long n = 0; n < kMostAllocations; ++n) {
    const std::size_t blocks = LiveBlockCount();
    const std::uint32_t worlds = cmm::LiveColorWorldCount();
    FailAllocationAfter(n);
    const bool ok = call();
    FailAllocationAfter(-1);
    if (ok) {
      undo();
      return n;
    }
    EXPECT_EQ(LiveBlockCount(), blocks) << "allocation " << n;
    EXPECT_EQ(cmm::LiveColorWorldCount(), worlds) << "allocation " << n;
    // Without injection the same call works.
    EXPECT_TRUE(call()) << "after failing allocation " << n;
    undo();
    if (::testing::Test::HasFailure()) return n;
  }
  ADD_FAILURE() << "the call never succeeded";
  return kMostAllocations;
}

TEST(AllocationSweep, Open) {
  K7730_FilterInstance* inst = nullptr;
  const long failures = Sweep(
      [&] {
        std::uint16_t err = 0xFFFF;
        inst = plugin_filter_open(&err);
        EXPECT_EQ(err, inst != nullptr ? K7730_OK : K7730_ERR_NO_MEMORY);
        return inst != nullptr;
      },
      [&] {
        plugin_filter_close(inst);
        plugin_filter_disposPtr(inst);
      });
  EXPECT_GE(failures, 1);
}

// With the line filter on, so that its buffer is swept too.
void SweepInitpage(const PageStages& stages) {
  SCOPED_TRACE(stages.source);
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  ASSERT_TRUE(SetUpStages(inst, stages));
  inst->settings.lineFilterEnabled = 1;
  const Bytes page = TestPage(11, 7);
  const long failures = Sweep(
      [&] {
        std::uint16_t err = 0xFFFF;
        const bool ok = plugin_filter_initpage(inst, 11, 7, 0, &err) == 1;
        EXPECT_EQ(err, ok ? K7730_OK : K7730_ERR_NO_MEMORY);
        FailAllocationAfter(-1);
        // The page is usable either way.
        EXPECT_EQ(RunBands(inst, page, 11, 3).size(), page.size());
        return ok;
      },
      [&] {
        plugin_filter_freepage(inst, nullptr);
        plugin_filter_close(inst);  // unloads the line filter, so that the next call loads it again
        ASSERT_TRUE(SetUpStages(inst, stages));
        inst->settings.lineFilterEnabled = 1;
      });
  // The line filter's buffer, the MTF lines and several in the colour engine.
  EXPECT_GE(failures, 5);
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
}

TEST(AllocationSweep, InitpageWithAMatrixTrcOrALutSource) {
  PageStages lutSource;
  lutSource.source = TestProfile("small_rgb_lut16.icc");
  for (const PageStages& stages : {PageStages{}, lutSource}) SweepInitpage(stages);
}

TEST(AllocationSweep, Do) {
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  ASSERT_TRUE(SetUpStages(inst, PageStages{}));
  inst->settings.lineFilterEnabled = 1;
  ASSERT_EQ(plugin_filter_initpage(inst, 11, 7, 0, nullptr), 1u);
  std::uint8_t* out = nullptr;
  const long failures = Sweep(
      [&] {
        Bytes band = TestPage(11, 3);
        std::uint32_t lines = 0xDEAD;
        std::uint16_t err = 0xFFFF;
        plugin_filter_startpage(inst, nullptr);
        const bool ok = plugin_filter_do(inst, band.data(), 3, &out, &lines, &err) == 1;
        EXPECT_EQ(err, ok ? K7730_OK : K7730_ERR_NO_MEMORY);
        EXPECT_EQ(lines, ok ? 2u : 0u);
        EXPECT_EQ(out != nullptr, ok);
        if (!ok) {
          EXPECT_EQ(band, TestPage(11, 3)) << "refused before any stage ran";
        }
        return ok;
      },
      [&] {
        plugin_filter_disposPtr(out);
        out = nullptr;
      });
  EXPECT_EQ(failures, 1);
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
}

}  // namespace
}  // namespace k7730::test
