// Settings record files: what `settings show` accepts and how it reads.
#include <gtest/gtest.h>

#include <cstring>

#include "host/core/settings_record.h"

namespace k7730::host {
namespace {

std::vector<std::uint8_t> SampleBlock() {
  K7730_SettingsBlock s{};
  s.blockSize = K7730_SETTINGS_SIZE;
  s.magic = K7730_SETTINGS_MAGIC;
  s.iccEnabled = 2;
  s.intent = 7;
  std::strcpy(s.inputProfilePath, "/drv/A17D50.ICC");
  std::memset(s.outputProfilePath, 'x', sizeof s.outputProfilePath);
  s.mtfEnabled = 1;
  s.mtf.coefficients[12] = 140;
  s.mtf.coefficients[7] = -10;
  s.mtf.scale = 100;
  s.inputCurveEnabled = 1;
  for (int c = 0; c < 5; ++c) {
    s.inputCurves.mode[c] = 1;
    s.inputCurves.pointCount[c] = 2;
    s.inputCurves.points[c][1] = {255, 255};
    for (int i = 0; i < 256; ++i) s.inputCurves.tables[c][i] = static_cast<std::uint8_t>(i);
  }
  s.inputCurves.mode[2] = 3;
  s.inputCurves.gammaHundredths[2] = 180;
  s.inputCurves.polarity = 1;
  s.outputCurves.polarity = 2;
  s.outputCurves.pointCount[0] = 99;
  s.outputCurves.mode[0] = 1;
  std::vector<std::uint8_t> block(sizeof s);
  std::memcpy(block.data(), &s, sizeof s);
  return block;
}

TEST(SettingsRecord, DescribesEveryFieldReadably) {
  const std::string text = DescribeSettings(SampleBlock());
  for (const char* line : {"colour matching    off (value 2; only 1 switches a stage on)",
                           "7 (not 0 to 2: colour matching uses perceptual)", "/drv/A17D50.ICC", "no terminator",
                           "MTF sharpening     on", "    140", "gamma 1.80", "count outside 0 to 20",
                           "(ink amounts)", "line filter        off"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
}

}  // namespace
}  // namespace k7730::host
