// MTF text files as the host reads them for --mtf.
#include <gtest/gtest.h>

#include <string>

#include "host/core/host_error.h"
#include "host/core/mtf_file.h"

namespace k7730::host {
namespace {

MtfKernel Parse(const std::string& text) {
  return ParseMtfText(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), "k.mtf");
}

TEST(MtfFile, TakesTheCentreThreeByThreeAndReportsADroppedOuterRing) {
  MtfKernel k = Parse("0 0 0 0 0 0 1 2 3 0 0 4 5 6 0 0 7 8 9 0 0 0 0 0 0 100");
  EXPECT_EQ(k.centre, (std::array<std::int32_t, 9>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(k.scale, 100);
  EXPECT_FALSE(k.outerRingDropped);
  k = Parse("5\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n100\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n100\n");
  EXPECT_TRUE(k.outerRingDropped);
  EXPECT_EQ(k.centre[4], 100);
}

TEST(MtfFile, RefusesShortFilesAndValuesOutOfRange) {
  const std::string zeros = "0 0 0 0 0 0 0 0 0 0 0 0 ", tail = " 0 0 0 0 0 0 0 0 0 0 0 0 ";
  for (const std::string& text : {zeros + "100" + tail, std::string(), zeros + "10000" + tail + "100",
                                   zeros + "100" + tail + "0", zeros + "100" + tail + "100000",
                                   zeros + "100 \xFF" + tail + "100"}) {  // a 0xFF byte ends the file
    EXPECT_THROW(Parse(text), HostError) << text;
  }
}

TEST(MtfFile, PresetsKeepFlatAreasFlat) {
  for (const char* name : {"mild", "medium", "strong"}) {
    MtfKernel k;
    ASSERT_TRUE(SharpenPreset(name, k));
    int sum = 0;
    for (int c : k.centre) sum += c;
    EXPECT_EQ(sum, k.scale) << name;
    EXPECT_NO_THROW(CheckMtfRanges(k, name));
  }
  MtfKernel k;
  EXPECT_FALSE(SharpenPreset("extreme", k));
}

}  // namespace
}  // namespace k7730::host
