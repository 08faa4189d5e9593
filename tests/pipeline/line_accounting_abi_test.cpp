// How many lines each band releases with the MTF filter on, and that the
// lines released over a page are the page convolved, in order.
#include <climits>

#include "page_fixture.h"

namespace k7730::test {
namespace {

Kernel Identity() {
  Kernel k;
  k.k[12] = 100;
  k.scale = 100;
  return k;
}

Kernel WideIdentity() {
  Kernel k = Identity();
  k.k[0] = 1;  // any outer-ring coefficient selects 5 x 5
  k.k[12] = 99;
  return k;
}

// Sends the page in bands of the given sizes; returns the lines of each band
// and appends every released line to `released`.
std::vector<std::uint32_t> SendBands(Filter& f, const Bytes& page, std::uint32_t width,
                                     const std::vector<std::uint32_t>& sizes, Bytes& released) {
  std::vector<std::uint32_t> counts;
  std::size_t at = 0;
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  for (std::uint32_t n : sizes) {
    Bytes band(stride * n);
    for (std::size_t i = 0; i < band.size(); ++i) band[i] = page[(at + i) % page.size()];
    at += band.size();
    BandResult r = f.Band(band, n);
    EXPECT_EQ(r.result, 1u);
    EXPECT_EQ(r.err, 0);
    counts.push_back(r.lines);
    released.insert(released.end(), r.out.begin(), r.out.end());
  }
  return counts;
}

TEST(MtfLineAccounting, BandsOfAPageReleaseTheDelayedLines) {
  std::mt19937 rng(1);
  const std::uint32_t w = 7, h = 10;
  const Bytes page = RandomBytes(rng, w * h * 3);
  struct Case {
    Kernel kernel;
    std::vector<std::uint32_t> expected;
  } cases[] = {{Identity(), {3, 4, 3}}, {WideIdentity(), {2, 4, 4}}};
  for (const Case& c : cases) {
    Filter f;
    f.SetKernel(c.kernel);
    f.InitPage(w, h);
    Bytes released;
    EXPECT_EQ(SendBands(f, page, w, {4, 4, 2}, released), c.expected);
    EXPECT_EQ(released, ReferencePage(c.kernel, page, w, h));
    // Lines beyond the page release nothing.
    EXPECT_EQ(SendBands(f, page, w, {3}, released), std::vector<std::uint32_t>{0});
  }
}

TEST(MtfLineAccounting, FirstBandOfOneLineHandsBackNoBuffer) {
  Filter f;
  f.SetKernel(Identity());
  f.InitPage(5, 10);
  Bytes band(15, 9);
  BandResult r = f.Band(band, 1);
  EXPECT_EQ(r.result, 1u);
  EXPECT_EQ(r.err, 0);
  EXPECT_EQ(r.lines, 0u);
  EXPECT_EQ(f.buffer(), nullptr);  // the buffer allocated for it went again
}

TEST(MtfLineAccounting, PageOfOneLineAndShortPages) {
  std::mt19937 rng(2);
  for (const Kernel& k : {Identity(), WideIdentity()}) {
    Filter f;
    f.SetKernel(k);
    const Bytes one = RandomBytes(rng, 4 * 3);
    f.InitPage(4, 1);
    Bytes released;
    EXPECT_EQ(SendBands(f, one, 4, {1}, released), std::vector<std::uint32_t>{1});
    EXPECT_EQ(released, ReferencePage(k, one, 4, 1));

    // Two lines in one band of a 5 x 5 page: both released at once.
    const Bytes two = RandomBytes(rng, 4 * 2 * 3);
    f.InitPage(4, 2);
    released.clear();
    EXPECT_EQ(SendBands(f, two, 4, {2}, released), std::vector<std::uint32_t>{2});
    EXPECT_EQ(released, ReferencePage(k, two, 4, 2));

    // A page that stops short never releases its last lines.
    const Bytes page = RandomBytes(rng, 4 * 6 * 3);
    f.InitPage(4, 6);
    released.clear();
    const std::uint32_t delay = k.k[0] != 0 ? 2 : 1;
    EXPECT_EQ(SendBands(f, page, 4, {5}, released), std::vector<std::uint32_t>{5 - delay});
  }
}

TEST(MtfLineAccounting, StartPageRestartsTheLineCount) {
  std::mt19937 rng(3);
  Kernel k;
  k.k[7] = k.k[11] = k.k[13] = k.k[17] = -25;
  k.k[12] = 200;
  k.scale = 100;
  Filter f;
  f.SetKernel(k);
  f.InitPage(6, 5);
  const Bytes first = RandomBytes(rng, 6 * 5 * 3);
  Bytes ignored;
  SendBands(f, first, 6, {3}, ignored);
  std::uint16_t err = 0xFFFF;
  ASSERT_EQ(Api().startpage(f.get(), &err), 1u);
  EXPECT_EQ(err, 0);
  const Bytes second = RandomBytes(rng, 6 * 5 * 3);
  Bytes released;
  EXPECT_EQ(SendBands(f, second, 6, {2, 3}, released), (std::vector<std::uint32_t>{1, 4}));
  EXPECT_EQ(released, ReferencePage(k, second, 6, 5));
}

TEST(MtfArithmetic, SharpeningSaturates) {
  Kernel sharpen;
  sharpen.k[7] = sharpen.k[11] = sharpen.k[13] = sharpen.k[17] = -25;
  sharpen.k[12] = 200;
  sharpen.scale = 100;
  Bytes page(3 * 3 * 3, 100);
  page[4 * 3 + 1] = 200;  // centre pixel, channel 1
  Filter f;
  f.SetKernel(sharpen);
  f.InitPage(3, 3);
  Bytes out;
  SendBands(f, page, 3, {3}, out);
  ASSERT_EQ(out.size(), page.size());
  EXPECT_EQ(out[4 * 3 + 1], 255);  // (200 * 200 - 4 * 25 * 100) / 100 = 300
  EXPECT_EQ(out[4 * 3 + 0], 100);  // flat area
  EXPECT_EQ(out[0], 100);
}

Kernel RandomKernel(std::mt19937& rng) {
  Kernel k;
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int shape = pick(0, 5);
  for (int i = 0; i < 25; ++i) {
    const int row = i / 5, col = i % 5;
    const bool inner = row >= 1 && row <= 3 && col >= 1 && col <= 3;
    const bool cross = (row == 2 || col == 2);
    bool used = false;
    switch (shape) {
      case 0: used = inner; break;                                   // full 3 x 3
      case 1: used = inner && cross; break;                          // five-tap cross
      case 2: used = cross; break;                                   // nine-tap plus
      case 3: used = true; break;                                    // full 5 x 5
      case 4: used = pick(0, 3) == 0; break;                         // sparse
      default: used = true; break;                                   // out of range
    }
    if (!used) continue;
    k.k[i] = shape == 5 ? static_cast<std::int32_t>(rng()) : pick(-60, 20);
  }
  static const std::int32_t scales[] = {1, 2, 3, 4, 7, 64, 100, 255, 1000, 99999, 131072,
                                        262144, 0, -3, -1, INT32_MIN, INT32_MAX};
  k.scale = pick(0, 3) == 0 ? pick(1, 5000) : scales[pick(0, 16)];
  if (shape != 5) {
    // Centre chosen so that the kernel roughly preserves levels.
    std::int32_t others = 0;
    for (int i = 0; i < 25; ++i) others += i == 12 ? 0 : k.k[i];
    const std::int64_t target = std::min<std::int64_t>(std::abs(std::int64_t{k.scale}), 9999);
    k.k[12] = static_cast<std::int32_t>(target - others + pick(-20, 20));
  }
  return k;
}

TEST(MtfLineAccounting, RandomPagesInRandomBandsMatchTheReference) {
  std::mt19937 rng(4);
  for (int round = 0; round < 150; ++round) {
    const std::uint32_t w = std::uniform_int_distribution<std::uint32_t>(1, 40)(rng);
    const std::uint32_t h = std::uniform_int_distribution<std::uint32_t>(1, 30)(rng);
    const Kernel k = RandomKernel(rng);
    const Bytes page = RandomBytes(rng, static_cast<std::size_t>(w) * h * 3);
    std::vector<std::uint32_t> sizes;
    for (std::uint32_t sent = 0; sent < h;) {
      const std::uint32_t n = std::min(h - sent, std::uniform_int_distribution<std::uint32_t>(1, 8)(rng));
      sizes.push_back(n);
      sent += n;
    }
    Filter f;
    f.SetKernel(k);
    f.InitPage(w, h);
    Bytes released;
    const auto counts = SendBands(f, page, w, sizes, released);
    std::uint32_t total = 0;
    for (std::uint32_t c : counts) total += c;
    ASSERT_EQ(total, h) << "round " << round;
    ASSERT_EQ(released, ReferencePage(k, page, w, h)) << "round " << round << " w " << w << " h " << h
                                                      << " scale " << k.scale;
  }
}

}  // namespace
}  // namespace k7730::test
