// The page's ColorWorld is released at every point a page ends, linked
// directly so that the engine's live ColorWorlds can be counted.
#include <gtest/gtest.h>

#include <string>

#include "cmm/color_world_store.h"
#include "k7730fe.h"

namespace {

using k7730::cmm::LiveColorWorldCount;

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

}  // namespace
