// lut8 and lut16 element decoding: tables, in-place CLUT narrowing, and
// every truncation of an element refused before anything is read (the
// other inconsistent elements are refused through the exports).
#include <gtest/gtest.h>

#include "cmm/lut_element.h"
#include "profile_builder.h"

namespace k7730::cmm {
namespace {

using test::Bytes;

bool Parse(Bytes& element, LutSide side, ProfileTransform* out) {
  return ParseLutTag(element.data(), std::uint32_t(element.size()), side, out);
}

// The lut8 tables and CLUT are used where they stand (their offsets are
// checked through the transforms built on them), whatever the type says.
TEST(LutElement, EveryTypeButLut16IsReadAsLut8) {
  Bytes element = test::Lut8Element(3, 3, 2, test::IdentityClut8(2));
  test::PutBig32(element, 0, test::Sig("mAB "));
  ProfileTransform t;
  ASSERT_TRUE(Parse(element, LutSide::Source, &t));
  EXPECT_EQ(t.gridPoints, 2);
  EXPECT_EQ(t.clut, element.data() + 48 + 3 * 256);
}

TEST(LutElement, Lut16ClutIsNarrowedToItsHighBytesInPlace) {
  std::vector<std::uint16_t> clut = test::IdentityClut16(2);
  clut[0] = 0x12FF;  // high byte 0x12, not rounded up
  Bytes element = test::Lut16Element(3, 3, 2, clut, 2);
  ProfileTransform t;
  ASSERT_TRUE(Parse(element, LutSide::Destination, &t));
  const std::size_t clutAt = 52 + 2 * 2 * 3;
  EXPECT_EQ(t.clut, element.data() + clutAt);
  EXPECT_EQ(t.clut[0], 0x12);
  EXPECT_EQ(t.clut[23], 0xFF);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(t.inputCurves[1][i], i);
}

TEST(LutElement, EveryTruncationIsRefused) {
  const Bytes lut8 = test::Lut8Element(3, 3, 3, test::IdentityClut8(3));
  const Bytes lut16 = test::Lut16Element(3, 3, 3, test::IdentityClut16(3), 5);
  for (const Bytes* whole : {&lut8, &lut16}) {
    for (std::size_t length = 0; length < whole->size(); ++length) {
      Bytes cut(whole->begin(), whole->begin() + long(length));
      cut.shrink_to_fit();
      ProfileTransform t;
      ASSERT_FALSE(ParseLutTag(cut.data(), std::uint32_t(cut.size()), LutSide::Source, &t)) << length;
    }
    Bytes copy = *whole;
    ProfileTransform t;
    EXPECT_TRUE(Parse(copy, LutSide::Source, &t));
  }
}

}  // namespace
}  // namespace k7730::cmm
