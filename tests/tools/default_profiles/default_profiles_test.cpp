// The default profiles the build writes next to the module, checked with
// LittleCMS as the oracle: the format the module reads, and colour that is
// plausible for a photo printer.
#include <gtest/gtest.h>
#include <lcms2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "support/temp_files.h"

namespace {

using k7730::test::GetBig32;
using k7730::testing_files::ReadBytes;

const std::string kSource = std::string(K7730_PROFILE_FOLDER) + "/A17D50.ICC";
const std::string kPrinter = std::string(K7730_PROFILE_FOLDER) + "/K77302.ICC";

// The type signature of a tag's element, read from the file itself.
std::string ElementType(const std::vector<std::uint8_t>& b, const char* tag) {
  const std::uint32_t count = GetBig32(b, 128);
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::size_t entry = 132 + 12 * i;
    if (std::string(reinterpret_cast<const char*>(&b.at(entry)), 4) == tag) {
      return std::string(reinterpret_cast<const char*>(&b.at(GetBig32(b, entry + 4))), 4);
    }
  }
  return "";
}

TEST(DefaultProfiles, VersionTwoWithTheElementTypesTheModuleReads) {
  const auto source = ReadBytes(kSource), printer = ReadBytes(kPrinter);
  ASSERT_GE(source.size(), 128u);
  ASSERT_GE(printer.size(), 128u);
  EXPECT_EQ(source[8], 2);
  EXPECT_EQ(printer[8], 2);
  EXPECT_EQ(std::string(source.begin() + 16, source.begin() + 24), "RGB XYZ ");
  EXPECT_EQ(std::string(printer.begin() + 12, printer.begin() + 24), "prtrRGB Lab ");
  for (const char* tag : {"rTRC", "gTRC", "bTRC"}) EXPECT_EQ(ElementType(source, tag), "curv") << tag;
  for (const char* tag : {"rXYZ", "gXYZ", "bXYZ"}) EXPECT_EQ(ElementType(source, tag), "XYZ ") << tag;
  for (const char* tag : {"A2B0", "A2B1", "A2B2", "B2A0", "B2A1", "B2A2"}) {
    EXPECT_EQ(ElementType(printer, tag), "mft2") << tag;
  }
}

TEST(DefaultProfiles, SourceToPrinterIsPlausibleInEveryIntent) {
  cmsHPROFILE source = cmsOpenProfileFromFile(kSource.c_str(), "r");
  cmsHPROFILE printer = cmsOpenProfileFromFile(kPrinter.c_str(), "r");
  ASSERT_NE(source, nullptr);
  ASSERT_NE(printer, nullptr);
  for (int intent = 0; intent < 3; ++intent) {
    cmsHTRANSFORM t = cmsCreateTransform(source, TYPE_RGB_8, printer, TYPE_RGB_8, intent, 0);
    ASSERT_NE(t, nullptr);
    int previous = -1;
    for (int v = 0; v <= 255; v += 17) {
      const unsigned char grey = static_cast<unsigned char>(v), in[3] = {grey, grey, grey};
      unsigned char out[3];
      cmsDoTransform(t, in, out, 1);
      const int lo = std::min({out[0], out[1], out[2]}), hi = std::max({out[0], out[1], out[2]});
      EXPECT_LE(hi - lo, 12) << "intent " << intent << " grey " << v;
      EXPECT_GE(lo, previous) << "intent " << intent << " grey " << v;
      previous = lo;
      if (v == 255) {
        EXPECT_EQ(lo, 255) << "white must stay paper white";
      }
    }
    // Saturated red stays red; a skin tone stays warm.
    const unsigned char red[3] = {255, 0, 0}, skin[3] = {224, 172, 150};
    unsigned char out[3];
    cmsDoTransform(t, red, out, 1);
    EXPECT_GT(out[0], 200);
    EXPECT_LT(out[1], 60);
    cmsDoTransform(t, skin, out, 1);
    EXPECT_GT(out[0], out[1]);
    EXPECT_GT(out[1], out[2]);
    cmsDeleteTransform(t);
  }
  cmsCloseProfile(source);
  cmsCloseProfile(printer);
}

}  // namespace
