// The default profiles through the module's colour matching, beside
// LittleCMS on the same profiles: neutral greys in every intent, and a
// photo-like page that stays close to LittleCMS from the shadows up.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "colour_comparison.h"
#include "host/image/image_formats.h"

namespace k7730::colour {
namespace {

const std::string kSource = std::string(K7730_PROFILE_FOLDER) + "/A17D50.ICC";
const std::string kPrinter = std::string(K7730_PROFILE_FOLDER) + "/K77302.ICC";

// Every third pixel of every third line of the generated test page.
host::Image PhotoLikePage() {
  const std::string path = ::testing::TempDir() + "k7730_default_colour_page.png";
  const std::string command = std::string(K7730_TESTPAGE_PATH) + " " + path + " > /dev/null";
  if (std::system(command.c_str()) != 0) return {};
  const host::Image full = host::ReadImage(path);
  std::remove(path.c_str());
  host::Image page;
  page.width = full.width / 3;
  page.height = full.height / 3;
  for (std::uint32_t y = 0; y < page.height; ++y) {
    for (std::uint32_t x = 0; x < page.width; ++x) {
      const std::uint8_t* p = &full.rgb[(std::size_t{y} * 3 * full.width + x * 3) * 3];
      page.rgb.insert(page.rgb.end(), p, p + 3);
    }
  }
  return page;
}

TEST(DefaultColour, EveryGreyPrintsNeutralInEveryIntent) {
  const host::LoadedModule module(K7730FE_MODULE_PATH);
  const Comparison comparison(module, kSource, kPrinter);
  for (std::uint16_t intent = 0; intent < 3; ++intent) {
    const GreySpread spread = comparison.ModuleGreys(intent);
    EXPECT_LE(spread.levels, 8) << "intent " << intent << ", grey " << spread.grey;
  }
}

TEST(DefaultColour, PhotoLikePageStaysCloseToLittleCmsInEveryBand) {
  const host::LoadedModule module(K7730FE_MODULE_PATH);
  const Comparison comparison(module, kSource, kPrinter);
  const host::Image page = PhotoLikePage();
  ASSERT_GT(page.width, 0u);
  // Mean ΔE2000 per lightness band. The linear-light grid of the source
  // side makes its first cell span L* 0 to about 20, so the perceptual
  // table's compressed shadows are allowed a little more there.
  const double limits[3] = {1.6, 1.0, 1.0};
  for (std::uint16_t intent = 0; intent < 3; ++intent) {
    const BandedDeltaE de = comparison.Compare(page, intent);
    for (int b = 0; b < kBands; ++b) {
      EXPECT_LT(de.meanByBand[b], limits[intent]) << "intent " << intent << ", L* from " << kBandEdges[b];
    }
    EXPECT_LT(de.darkestQuarter, limits[intent]) << "intent " << intent;
  }
}

}  // namespace
}  // namespace k7730::colour
