// The project's own line-filter library, loaded as the module loads it.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/dynamic_module.h"
#include "vorndll.h"

namespace {

struct Vorn {
  void* handle = k7730::test::OpenLibrary(VORNDLL_PATH);
  decltype(&VornDllInit) init = Get<decltype(&VornDllInit)>("VornDllInit");
  decltype(&VornDllSetDotsPerLine) setDots = Get<decltype(&VornDllSetDotsPerLine)>("VornDllSetDotsPerLine");
  decltype(&VornDllSetParameterTableNo) setTable =
      Get<decltype(&VornDllSetParameterTableNo)>("VornDllSetParameterTableNo");
  decltype(&VornDllFilter) filter = Get<decltype(&VornDllFilter)>("VornDllFilter");
  template <typename F>
  F Get(const char* name) {
    return k7730::test::Symbol<F>(handle, name);
  }
  ~Vorn() {
    if (handle != nullptr) k7730::test::CloseLibrary(handle);
  }
};

std::vector<std::uint8_t> FilterLine(Vorn& v, std::uint32_t table, const std::vector<std::uint8_t>& line) {
  EXPECT_EQ(v.setDots(static_cast<std::uint32_t>(line.size() / 3)), 0u);
  EXPECT_EQ(v.setTable(table), 0u);
  std::vector<std::uint8_t> out(line.size(), 0xCD);
  v.filter(line.data(), out.data());
  return out;
}

TEST(VornDll, WidthsAndTables) {
  Vorn v;
  ASSERT_NE(v.filter, nullptr);
  v.init();
  EXPECT_EQ(v.setDots(0), 1u);
  EXPECT_EQ(v.setDots(1), 0u);
  EXPECT_EQ(v.setDots(VORN_MAX_DOTS), 0u);
  EXPECT_EQ(v.setDots(VORN_MAX_DOTS + 1), 1u);
  EXPECT_EQ(v.setTable(5), 0u);
  EXPECT_EQ(v.setTable(6), 1u);
}

TEST(VornDll, EveryTableFromTheMildDefaultUpSmoothsFlatNoiseButKeepsEdges) {
  Vorn v;
  ASSERT_NE(v.filter, nullptr);
  std::mt19937 rng(5);
  const int width = 600;
  std::vector<std::uint8_t> line(width * 3);
  for (int x = 0; x < width; ++x) {
    const int base = x < width / 2 ? 60 : 200;  // one hard edge in the middle
    for (int c = 0; c < 3; ++c) line[x * 3 + c] = static_cast<std::uint8_t>(base + static_cast<int>(rng() % 21) - 10);
  }

  auto roughness = [&](const std::vector<std::uint8_t>& l) {
    long total = 0;
    for (int x = 1; x < width; ++x)
      for (int c = 0; c < 3 && x != width / 2; ++c) total += std::abs(l[x * 3 + c] - l[(x - 1) * 3 + c]);
    return total;
  };
  const long original = roughness(line);
  long previous = original;
  for (std::uint32_t table = 0; table <= 5; ++table) {
    std::vector<std::uint8_t> out = FilterLine(v, table, line);
    const long r = roughness(out);
    if (table == 0) {
      EXPECT_LT(r, original) << "the default table smooths";
    }
    EXPECT_LE(r, previous) << "table " << table << " is at least as strong as the one before";
    previous = r;
    // The edge stays sharp: no pixel takes a value between the two sides.
    for (int i = 0; i < width * 3; ++i)
      EXPECT_TRUE(out[i] <= 70 || out[i] >= 190) << "table " << table << " x " << i / 3;
  }
  EXPECT_LT(previous * 10, original * 6) << "the strongest table removes much of the noise";
  // Width 1: only the pixel itself.
  std::vector<std::uint8_t> one = {10, 20, 30};
  EXPECT_EQ(FilterLine(v, 5, one), one);
}

}  // namespace
