// The stages of a band without the MTF filter, their order and switches,
// the direct MTF setter, and refused input, through the exports.
#include "support/filter_fixture.h"

namespace k7730::test {
namespace {

struct Tables {
  std::uint8_t t[4][256];
};

Tables RandomTables(std::mt19937& rng) {
  Tables t;
  for (auto& table : t.t) {
    for (auto& v : table) v = static_cast<std::uint8_t>(rng());
  }
  return t;
}

// Common table first, then the channel's table.
void ApplyStepwise(const Tables& t, Bytes& pixels) {
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = t.t[1 + i % 3][t.t[0][pixels[i]]];
}

void SetInput(Filter& f, const Tables& t) {
  ASSERT_EQ(Api().setInputToneCurve(f.get(), 1, t.t[0], t.t[1], t.t[2], t.t[3], nullptr), 1u);
}
void SetOutput(Filter& f, const Tables& t) {
  ASSERT_EQ(Api().setOutputToneCurve(f.get(), 1, t.t[0], t.t[1], t.t[2], t.t[3], nullptr), 1u);
}

TEST(StageOrder, EveryCombinationMatchesTheStagesOneByOne) {
  std::mt19937 rng(10);
  for (int mask = 0; mask < 8; ++mask) {
    const bool swap = mask & 1, input = mask & 2, output = mask & 4;
    Filter f;
    const Tables in = RandomTables(rng), out = RandomTables(rng);
    if (input) SetInput(f, in);
    if (output) SetOutput(f, out);
    const std::uint32_t w = 13, lines = 4;
    f.InitPage(w, 100, swap ? 1 : 0);
    for (int b = 0; b < 2; ++b) {
      Bytes band = RandomBytes(rng, w * lines * 3);
      Bytes expectBand = band;
      for (std::size_t i = 0; swap && i < expectBand.size(); i += 3) std::swap(expectBand[i], expectBand[i + 2]);
      if (input) ApplyStepwise(in, expectBand);
      Bytes expectOut = expectBand;
      if (output) ApplyStepwise(out, expectOut);

      BandResult r = f.Band(band, lines);
      ASSERT_EQ(r.result, 1u);
      EXPECT_EQ(r.err, 0);
      EXPECT_EQ(r.lines, lines);
      EXPECT_EQ(band, expectBand) << "mask " << mask;  // swap and input tables work in place
      EXPECT_EQ(r.out, expectOut) << "mask " << mask;
    }
  }
}

TEST(StageSwitches, OnAfterInitpageFindsIdentityAndNoFilter) {
  std::mt19937 rng(12);
  Filter f;
  const Tables t = RandomTables(rng);
  f.InitPage(8, 10);
  // Tables and kernel set after the page was set up: the page keeps identity
  // tables and has no MTF line buffers.
  SetInput(f, t);
  SetOutput(f, t);
  const std::int32_t blur[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
  ASSERT_EQ(Api().setMtf(f.get(), 1, blur, 9, nullptr), 1u);
  Bytes band = RandomBytes(rng, 8 * 3 * 3);
  const Bytes original = band;
  BandResult r = f.Band(band, 3);
  EXPECT_EQ(r.lines, 3u);
  EXPECT_EQ(band, original);
  EXPECT_EQ(r.out, original);
}

TEST(StageSwitches, OffTakesEffectAtTheNextBand) {
  std::mt19937 rng(13);
  Filter f;
  const Tables t = RandomTables(rng);
  SetOutput(f, t);
  f.SetKernel([] { Kernel k; k.k[12] = 2; k.scale = 1; return k; }());
  f.InitPage(5, 20);
  Bytes band = RandomBytes(rng, 5 * 2 * 3);
  BandResult first = f.Band(band, 2);
  EXPECT_EQ(first.lines, 1u);
  f.Switch(K7730_SWITCH_MTF, false);
  f.Switch(K7730_SWITCH_OUTPUT_CURVE, false);
  Bytes band2 = RandomBytes(rng, 5 * 2 * 3);
  BandResult second = f.Band(band2, 2);
  EXPECT_EQ(second.lines, 2u);
  EXPECT_EQ(second.out, band2);
}

TEST(SetMtf, RangesAndPlacement) {
  Filter f;
  std::uint16_t err = 0;
  const std::int32_t lowest[9] = {-9999, -9999, -9999, -9999, -9999, -9999, -9999, -9999, -9999};
  EXPECT_EQ(Api().setMtf(f.get(), 1, lowest, 99999, &err), 1u);
  EXPECT_EQ(err, 0);
  Bytes b = f.GetBlock();
  std::int32_t grid[26];
  std::memcpy(grid, &b[kMtfAt], sizeof grid);
  for (int i = 0; i < 25; ++i) {
    const bool centre = i / 5 >= 1 && i / 5 <= 3 && i % 5 >= 1 && i % 5 <= 3;
    EXPECT_EQ(grid[i], centre ? -9999 : 0) << i;
  }
  EXPECT_EQ(grid[25], 99999);
  EXPECT_EQ(b[kMtfEnabledAt], 1);

  std::int32_t nine[9] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
  const struct {
    const std::int32_t* coefficients;
    std::int32_t scale;
  } refused[] = {{nine, 0}, {nine, 100000}, {nullptr, 100}};
  for (const auto& c : refused) {
    ASSERT_EQ(Api().setMtf(f.get(), 1, lowest, 100, nullptr), 1u);
    err = 0;
    EXPECT_EQ(Api().setMtf(f.get(), 1, c.coefficients, c.scale, &err), 0u);
    EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
    b = f.GetBlock();
    EXPECT_EQ(b[kMtfEnabledAt], 0);
    std::memcpy(grid, &b[kMtfAt], sizeof grid);
    EXPECT_EQ(grid[25], 100);  // the stored kernel stays
  }
  nine[4] = 10000;
  EXPECT_EQ(Api().setMtf(f.get(), 1, nine, 100, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(Api().setMtf(f.get(), 0, nullptr, 0, &err), 1u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(Api().setMtf(nullptr, 1, lowest, 100, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
}

TEST(BadInput, RefusedCallsReport1006AndNoLines) {
  Filter f;
  std::uint16_t err = 0;
  std::uint32_t lines = 77;
  std::uint8_t* out = nullptr;
  Bytes band(3 * 4 * 3, 1);
  // No page yet.
  EXPECT_EQ(Api().startpage(f.get(), &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(Api().doBand(f.get(), band.data(), 1, &out, &lines, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(lines, 0u);

  EXPECT_EQ(Api().initpage(f.get(), 0, 5, 0, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(Api().initpage(f.get(), 5, 0, 0, &err), 0u);
  EXPECT_EQ(Api().initpage(nullptr, 5, 5, 0, &err), 0u);
  f.InitPage(4, 3);

  const struct {
    K7730_FilterInstance* inst;
    std::uint8_t* band;
    std::uint32_t lines;
    std::uint8_t** out;
  } calls[] = {{nullptr, band.data(), 1, &out},
               {f.get(), nullptr, 1, &out},
               {f.get(), band.data(), 0, &out},
               {f.get(), band.data(), 1, nullptr}};
  for (const auto& c : calls) {
    lines = 77;
    err = 0;
    EXPECT_EQ(Api().doBand(c.inst, c.band, c.lines, c.out, &lines, &err), 0u);
    EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
    EXPECT_EQ(lines, 0u);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(Api().doBand(f.get(), band.data(), 0, &out, nullptr, nullptr), 0u);

  EXPECT_EQ(Api().endpage(nullptr, &err), 1u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(Api().freepage(nullptr, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
}

TEST(BadInput, OutputBufferSizesAreChecked) {
  Filter f;
  std::uint16_t err = 0;
  std::uint32_t lines = 77;
  // (lines + 2) x width x 3 beyond 32 bits: refused before anything is
  // allocated or touched (the band pointer is never read).
  f.InitPage(0x40000000u, 2);
  std::uint8_t dummy = 0;
  std::uint8_t* out = nullptr;
  EXPECT_EQ(Api().doBand(f.get(), &dummy, 1, &out, &lines, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(lines, 0u);
  EXPECT_EQ(out, nullptr);
  // MTF line buffers of that width do not fit either.
  const std::int32_t id[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
  ASSERT_EQ(Api().setMtf(f.get(), 1, id, 1, nullptr), 1u);
  EXPECT_EQ(Api().initpage(f.get(), 0x40000000u, 2, 0, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  ASSERT_EQ(Api().setMtf(f.get(), 0, nullptr, 0, nullptr), 1u);

  // A module buffer from a smaller band is refused for a band that would
  // overrun it: (1 + 2) lines hold a band of three lines without the filter.
  f.InitPage(4, 100);
  Bytes small(4 * 1 * 3, 5);
  BandResult r = f.Band(small, 1);
  ASSERT_EQ(r.lines, 1u);
  std::uint8_t* buffer = f.buffer();
  Bytes big(4 * 4 * 3, 6);
  EXPECT_EQ(Api().doBand(f.get(), big.data(), 4, &buffer, &lines, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(lines, 0u);
  EXPECT_EQ(big, Bytes(4 * 4 * 3, 6));  // refused before any stage ran
  EXPECT_EQ(Api().doBand(f.get(), big.data(), 3, &buffer, &lines, &err), 1u);
  EXPECT_EQ(lines, 3u);

  // A foreign buffer is trusted as it is.
  Bytes foreign(4 * 6 * 3);
  std::uint8_t* host = foreign.data();
  EXPECT_EQ(Api().doBand(f.get(), big.data(), 4, &host, &lines, &err), 1u);
  EXPECT_EQ(lines, 4u);
  EXPECT_EQ(host, foreign.data());
  EXPECT_TRUE(std::equal(big.begin(), big.end(), foreign.begin()));
}

}  // namespace
}  // namespace k7730::test
