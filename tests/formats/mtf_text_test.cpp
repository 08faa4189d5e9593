// The integers of MTF file text as both the module and the print command
// read them: anything between runs of digits and signs is skipped, a run is
// read as one decimal (saturating), 0xFF ends the text.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "formats/mtf_text.h"

namespace k7730 {
namespace {

std::vector<std::int32_t> Read(const std::string& text, std::size_t max = 26) {
  std::vector<std::int32_t> values(max);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  values.resize(ReadMtfIntegers(bytes, text.size(), values.data(), max));
  return values;
}

TEST(MtfText, RunsOfDigitsAndSignsWhateverLiesBetween) {
  EXPECT_EQ(Read("1\n-2\r\n+3 x=4;5-6 --7"), (std::vector<std::int32_t>{1, -2, 3, 4, 5, 0}));
  EXPECT_EQ(Read("1 2 3", 2), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(Read(""), std::vector<std::int32_t>{});
  EXPECT_EQ(Read("99999999999 -99999999999"), (std::vector<std::int32_t>{INT32_MAX, INT32_MIN}));
}

TEST(MtfText, ByteFFEndsTheTextAndLongRunsSplit) {
  // Between integers 0xFF ends the text; right after one it ends only that one.
  EXPECT_EQ(Read(std::string("1 2 \xff 3")), (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(Read(std::string("1 2\xff 3")), (std::vector<std::int32_t>{1, 2, 3}));
  // A run longer than 255 characters is read as two integers.
  const std::string longRun = std::string(255, '1') + "7";
  EXPECT_EQ(Read(longRun).size(), 2u);
  EXPECT_EQ(Read(longRun)[1], 7);
}

}  // namespace
}  // namespace k7730
