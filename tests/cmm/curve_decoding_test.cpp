// Curve decoding: 'curv' and 'para' elements, lut16 table resampling and
// inversion (malformed 'curv' elements are refused through the exports).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "cmm/curve_decoding.h"
#include "profile_builder.h"

namespace k7730::cmm {
namespace {

using test::Bytes;

struct Decoded {
  bool ok;
  std::uint8_t table8[256];
  std::vector<std::uint32_t> table16 = std::vector<std::uint32_t>(65536, 0xDEADBEEF);
};

Decoded Decode(const Bytes& element) {
  Decoded d;
  for (auto& v : d.table8) v = 0xAA;
  d.ok = CurveToTables8And16(ByteView(element.data(), element.size()), d.table8, d.table16.data());
  return d;
}

TEST(CurveDecoding, IdentityForms) {
  // Count 0, a one-entry gamma of 1.0, and a two-entry 0..65535 line.
  for (const Bytes& element : {test::CurvElement({}), test::CurvElement({0x0100}), test::CurvElement({0, 65535})}) {
    Decoded d = Decode(element);
    ASSERT_TRUE(d.ok);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(d.table8[i], i);
    for (std::uint32_t v = 0; v < 65536; ++v) ASSERT_EQ(d.table16[v], v);
  }
}

TEST(CurveDecoding, ThreeEntryCurvesAreLinearBetweenTheirPoints) {
  Decoded t = Decode(test::CurvElement({0, 16384, 65535}));
  ASSERT_TRUE(t.ok);
  EXPECT_EQ(t.table8[0], 0);
  EXPECT_EQ(t.table8[255], 255);
  EXPECT_NEAR(t.table8[64], 32, 1);
  EXPECT_NEAR(double(t.table16[16384]), 8192, 2);
  EXPECT_NEAR(double(t.table16[32767]), 16384, 2);
}

// One-entry curves over the whole range of the stored gamma, every entry of
// both tables: rounded power limited to the range, entry 0 included (a gamma
// of 0 makes it full scale).
TEST(CurveDecoding, OneEntryGammasFillBothTablesByTheRoundedPower) {
  auto rounded = [](double x, double g, double top) {
    const double y = std::min(std::pow(x / top, g) * top + 0.5, top);
    return std::uint32_t(y);
  };
  for (std::uint16_t stored : {0x0000, 0x0001, 0x0080, 0x01CD, 0x0400, 0xFFFF}) {
    Decoded d = Decode(test::CurvElement({stored}));
    ASSERT_TRUE(d.ok);
    const double gamma = stored / 256.0;
    for (int i = 0; i < 256; ++i) ASSERT_EQ(d.table8[i], rounded(i, gamma, 255.0)) << stored << " at " << i;
    for (std::uint32_t v = 0; v < 65536; ++v)
      ASSERT_EQ(d.table16[v], rounded(v, gamma, 65535.0)) << stored << " at " << v;
  }
}

TEST(CurveDecoding, TwoEntryCurvesLeaveOutTheirFirstEntry) {
  Decoded d = Decode(test::CurvElement({1000, 65535}));
  ASSERT_TRUE(d.ok);
  EXPECT_EQ(d.table8[0], 0);  // not 1000 * 255 / 65535
  EXPECT_EQ(d.table8[10], 9);  // 9.85, truncated
  EXPECT_EQ(d.table8[255], int(255 * (64535 / 65535.0)));
  // Falling two-entry curves stay inside the range instead of wrapping.
  Decoded falling = Decode(test::CurvElement({65535, 0}));
  ASSERT_TRUE(falling.ok);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(falling.table8[i], 0);
  for (std::uint32_t v = 0; v < 65536; v += 257) ASSERT_EQ(falling.table16[v], 0u);
}

TEST(CurveDecoding, LongCurvesIndexOnlyTheirEntries) {
  // More entries than a 16-bit cell number can count.
  std::vector<std::uint16_t> entries(40000);
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = std::uint16_t(i * 65535 / (entries.size() - 1));
  Decoded d = Decode(test::CurvElement(entries));
  ASSERT_TRUE(d.ok);
  for (std::uint32_t v = 0; v < 65536; ++v) ASSERT_NEAR(double(d.table16[v]), v, 1.0) << v;
  EXPECT_EQ(d.table8[255], 255);
}

TEST(CurveDecoding, Lut16TablesResampleToBytes) {
  // Two channels of 1024 entries each: the second channel starts at entry 1024.
  Bytes both;
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < 1024; ++i) test::AppendBig16(both, c == 0 ? i * 65535 / 1023 : 65535 - i * 65535 / 1023);
  bool ok = false;
  const BigEndian16Array entries(ByteView(both.data(), both.size()), 0, both.size() / 2, &ok);
  ASSERT_TRUE(ok);
  std::uint8_t tables[2][256];
  Lut16CurvesToTables8(1024, 2, entries, tables);
  for (int i = 0; i < 256; ++i) {
    ASSERT_NEAR(tables[0][i], i, 1);
    ASSERT_NEAR(tables[1][i], 255 - i, 1);
  }
}

TEST(CurveDecoding, Inversion) {
  std::uint8_t curves[3][256], gamma[256];
  for (int i = 0; i < 256; ++i) {
    curves[0][i] = std::uint8_t(i);
    curves[1][i] = 0;
    curves[2][i] = gamma[i] = std::uint8_t(std::pow(i / 255.0, 2.2) * 255.0 + 0.5);
  }
  InvertCurves8(curves);
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(curves[0][i], i);
    ASSERT_EQ(curves[1][i], 255);  // the constant curve: everything maps to the top
  }
  // Inverse of a gamma curve: every reached value maps back to the largest
  // input reaching it, and gaps take their nearest reached neighbour.
  for (int i = 0; i < 256; ++i) {
    int back = curves[2][gamma[i]];
    ASSERT_EQ(gamma[back], gamma[i]);
    ASSERT_GE(back, i);
  }
  for (int v = 1; v < 256; ++v) ASSERT_GE(curves[2][v], curves[2][v - 1]);

  std::uint8_t curve[256];
  for (int i = 0; i < 256; ++i) curve[i] = i < 128 ? 0 : 250;  // reaches only 0 and 250
  InvertCurve8(curve);
  EXPECT_EQ(curve[0], 127);
  EXPECT_EQ(curve[250], 255);
  EXPECT_EQ(curve[124], 127);  // run 1..249 (249 long): 1..124 go down
  EXPECT_EQ(curve[125], 255);  // 125..249 go up
  EXPECT_EQ(curve[255], 255);  // unreached top maps to itself
  EXPECT_EQ(curve[254], 255);  // run 251..254 closed at 254, both halves
}

// The value a parametric function of ICC version 4 takes at x, written out
// from its definition for each function type.
double ParametricFormula(int type, const std::vector<double>& p, double x) {
  const double g = p[0];
  auto power = [&](double base) { return base > 0 ? std::pow(base, g) : 0.0; };
  switch (type) {
    case 0: return std::pow(x, g);
    case 1: return x >= -p[2] / p[1] ? power(p[1] * x + p[2]) : 0.0;
    case 2: return x >= -p[2] / p[1] ? power(p[1] * x + p[2]) + p[3] : p[3];
    case 3: return x >= p[4] ? power(p[1] * x + p[2]) : p[3] * x;
    default: return x >= p[4] ? power(p[1] * x + p[2]) + p[5] : p[3] * x + p[6];
  }
}

// Parameters as the element stores them (s15Fixed16Number).
std::vector<double> Stored(std::vector<double> p) {
  for (double& v : p) v = std::lround(v * 65536.0) / 65536.0;
  return p;
}

struct ParaCase {
  std::uint16_t type;
  std::vector<double> parameters;
};

const ParaCase kParaCases[] = {
    {0, {2.2}},
    {1, {1.8, 1.1, -0.1}},                                          // zero below x = 0.0909
    {2, {2.0, 0.9, 0.05, 0.02}},                                    // raised by c throughout
    {3, {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045}},      // sRGB
    {4, {2.2, 0.95, 0.05, 0.5, 0.1, -0.01, 0.003}},                 // offsets on both pieces
};

TEST(ParametricCurves, EachFunctionTypeFollowsItsFormulaAndDecodesAsItsSamples) {
  for (const ParaCase& c : kParaCases) {
    SCOPED_TRACE("type " + std::to_string(c.type));
    const Bytes element = test::ParaElement(c.type, c.parameters);
    std::vector<std::uint16_t> samples(kParaSamples);
    ASSERT_TRUE(SampleParametricCurve(ByteView(element.data(), element.size()), samples.data()));
    const std::vector<double> p = Stored(c.parameters);
    for (std::uint32_t i = 0; i < kParaSamples; ++i) {
      const double y = std::clamp(ParametricFormula(c.type, p, i / 4095.0), 0.0, 1.0);
      ASSERT_NEAR(samples[i], y * 65535.0, 0.5 + 1e-9) << "sample " << i;
    }
    const Decoded para = Decode(element), curv = Decode(test::CurvElement(samples));
    ASSERT_TRUE(para.ok && curv.ok);
    EXPECT_TRUE(std::equal(para.table8, para.table8 + 256, curv.table8));
    EXPECT_EQ(para.table16, curv.table16);
    std::uint8_t only8[256];
    ASSERT_TRUE(CurveToTable8(ByteView(element.data(), element.size()), only8));
    EXPECT_TRUE(std::equal(only8, only8 + 256, para.table8));
  }
}

TEST(ParametricCurves, MalformedElementsAreRefused) {
  Bytes shortOfParameters = test::ParaElement(3, {2.4, 0.9, 0.1, 0.08, 0.04});
  shortOfParameters.resize(shortOfParameters.size() - 1);
  Bytes noType = test::ParaElement(0, {2.2});
  noType.resize(9);
  const Bytes refused[] = {
      shortOfParameters,
      noType,
      test::ParaElement(4, {2.2, 1, 0, 1, 0, 0}),   // type 4 needs seven parameters
      test::ParaElement(5, {2.2, 1, 0, 1, 0, 0, 0, 0}),  // no such function type
      test::ParaElement(0, {0.0}),                  // flat, and 0^0 at black
      test::ParaElement(0, {-1.0}),                 // infinite at black
      test::ParaElement(3, {-2.4, 0.9, 0.1, 0.08, 0.04}),
      test::ParaElement(1, {2.2, 0.0, 0.5}),        // its start -b/a divides by zero
      test::ParaElement(2, {2.2, 0.0, 0.0, 0.1}),
  };
  for (const Bytes& element : refused) {
    Decoded d = Decode(element);
    EXPECT_FALSE(d.ok) << test::GetBig32(element, 8);
    EXPECT_EQ(d.table8[0], 0xAA);
    EXPECT_EQ(d.table16[0], 0xDEADBEEF);
  }
  // Huge values are limited to the curve's range, not wrapped.
  Decoded steep = Decode(test::ParaElement(1, {30000.0, 30000.0, 0.0}));
  ASSERT_TRUE(steep.ok);
  EXPECT_EQ(steep.table8[0], 0);
  EXPECT_EQ(steep.table8[1], 255);
  EXPECT_EQ(steep.table16[65535], 65535u);
}

}  // namespace
}  // namespace k7730::cmm
