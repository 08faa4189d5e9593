// How many lines each band releases with the MTF filter on, and that the
// lines released over a page are the page convolved, in order.
#include <climits>
#include <numeric>

#include "support/filter_fixture.h"

namespace k7730::test {
namespace {

// Near-identity kernels; any outer-ring coefficient selects 5 x 5.
Kernel Identity(bool wide) {
  Kernel k;
  k.k[0] = wide ? 1 : 0;
  k.k[12] = wide ? 99 : 100;
  return k;
}

// Sends bands of the given sizes, cut from the page (wrapping round it);
// returns the lines each band released and appends them to `released`.
std::vector<std::uint32_t> SendBands(Filter& f, const Bytes& page, std::uint32_t width,
                                     const std::vector<std::uint32_t>& sizes, Bytes& released) {
  std::vector<std::uint32_t> counts;
  std::size_t at = 0;
  for (std::uint32_t n : sizes) {
    Bytes band(static_cast<std::size_t>(width) * 3 * n);
    for (auto& v : band) v = page[at++ % page.size()];
    BandResult r = f.Band(band, n);
    EXPECT_EQ(r.result, 1u);
    EXPECT_EQ(r.err, 0);
    counts.push_back(r.lines);
    released.insert(released.end(), r.out.begin(), r.out.end());
  }
  return counts;
}

TEST(MtfLineAccounting, BandsReleaseTheDelayedLinesInOrder) {
  // 3 x 3 holds one line back, 5 x 5 two; bands past the page release
  // nothing, and a page that stops short never releases its last lines.
  const struct {
    bool wide;
    std::uint32_t w, h;
    std::vector<std::uint32_t> bands, released;
  } cases[] = {{false, 7, 10, {4, 4, 2, 3}, {3, 4, 3, 0}}, {true, 7, 10, {4, 4, 2, 3}, {2, 4, 4, 0}},
               {false, 4, 1, {1}, {1}}, {true, 4, 1, {1}, {1}},
               {false, 4, 2, {2}, {2}}, {true, 4, 2, {2}, {2}},
               {false, 4, 6, {5}, {4}}, {true, 4, 6, {5}, {3}}};
  std::mt19937 rng(1);
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "wide " << c.wide << " height " << c.h);
    Filter f;
    f.SetKernel(Identity(c.wide));
    f.InitPage(c.w, c.h);
    const Bytes page = RandomBytes(rng, c.w * c.h * 3);
    Bytes released;
    EXPECT_EQ(SendBands(f, page, c.w, c.bands, released), c.released);
    Bytes expected = ReferencePage(Identity(c.wide), page, c.w, c.h);
    expected.resize(released.size());
    EXPECT_EQ(released, expected);
  }
}

// Kernels of every fast-path shape (3 x 3, five-tap cross, nine-tap plus,
// 5 x 5, sparse), and some far outside the setter's ranges whose sums wrap,
// with scales that shift, divide, or are out of range.
Kernel RandomKernel(std::mt19937& rng) {
  const int shape = static_cast<int>(rng() % 7);
  Kernel k = shape >= 5 ? ShapedKernel(rng, rng() % 2 ? Shape::FullFive : Shape::Sparse, INT32_MIN, INT32_MAX)
                        : ShapedKernel(rng, static_cast<Shape>(shape), -60, 20);
  if (shape == 6) {
    for (auto& c : k.k) c = c == 0 ? 0 : (rng() % 2 ? INT32_MIN : INT32_MAX);
  }
  static const std::int32_t scales[] = {1, 2, 3, 4, 7, 64, 100, 128, 255, 1000, 7777, 99999, 131072, 262144,
                                        1 << 30, 8388607, 8388608, 0, -3, -1, INT32_MIN, INT32_MAX};
  k.scale = rng() % 4 == 0 ? static_cast<std::int32_t>(1 + rng() % 99999) : scales[rng() % 22];
  if (shape < 5) {  // a centre that roughly preserves levels
    std::int64_t others = 0;
    for (int i = 0; i < 25; ++i) others += i == 12 ? 0 : k.k[i];
    k.k[12] = static_cast<std::int32_t>(std::min<std::int64_t>(std::abs(std::int64_t{k.scale}), 9999) -
                                        others + static_cast<int>(rng() % 41) - 20);
  }
  return k;
}

TEST(MtfLineAccounting, RandomPagesInRandomBandsMatchTheReference) {
  std::mt19937 rng(4);
  for (int round = 0; round < 200; ++round) {
    // Some widths across the block size of the sum.
    const std::uint32_t w = round % 8 == 0 ? 1 + rng() % 400 : 1 + rng() % 40, h = 1 + rng() % 30;
    const Kernel k = RandomKernel(rng);
    const Bytes page = RandomBytes(rng, static_cast<std::size_t>(w) * h * 3);
    std::vector<std::uint32_t> sizes;
    for (std::uint32_t sent = 0; sent < h; sent += sizes.back()) sizes.push_back(std::min<std::uint32_t>(h - sent, 1 + rng() % 8));
    Filter f;
    f.SetKernel(k);
    f.InitPage(w, h);
    Bytes released;
    const auto counts = SendBands(f, page, w, sizes, released);
    ASSERT_EQ(std::accumulate(counts.begin(), counts.end(), 0u), h) << "round " << round;
    ASSERT_EQ(released, ReferencePage(k, page, w, h)) << "round " << round << " scale " << k.scale;
  }
}

}  // namespace
}  // namespace k7730::test
