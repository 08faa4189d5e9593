#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include "support/temp_files.h"
#include "formats/decimal_text.h"
#include "ui/mtf_file.h"

namespace k7730 {
namespace {

using namespace testing_files;

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

MtfSettings Filled(std::int32_t v) {
  MtfSettings m;
  for (auto& c : m.coefficients) c = v;
  m.scale = v;
  return m;
}

class MtfFile : public ::testing::Test {
 protected:
  const TempFile path_{".mtf"};
  MtfSettings read_ = Filled(-77);
  std::uint16_t status_ = 0xBEEF;

  int Read(const std::string& text) {
    WriteBytes(path_, Text(text));
    return ReadMtfFile(path_.c_str(), &read_, &status_);
  }
};

TEST_F(MtfFile, TwentyFiveIntegersAreUnsupportedAndKeepWhatWasRead) {
  std::string text;
  for (int i = 1; i <= 25; ++i) text += std::to_string(i) + "\r\n";
  EXPECT_EQ(Read(text), 0);
  EXPECT_EQ(status_, kMtfUnsupported);
  EXPECT_EQ(read_.coefficients[0], 1);
  EXPECT_EQ(read_.coefficients[24], 25);
  EXPECT_EQ(read_.scale, -77);
}

// How the integers are read from the text (runs of digits and signs,
// saturation, long runs) is the shared reader's, tested with it; here the
// file around it.
TEST_F(MtfFile, ByteFFEndsTheFileBetweenTokensButOnlyATokenInside) {
  WriteBytes(path_, Text("12\xFF" "34 \xFF" "56"));
  FileHandle f;
  FileInit(&f);
  ASSERT_EQ(FileOpenRead(&f, path_.c_str()), 0);
  std::int32_t v = -1;
  EXPECT_EQ(ReadNextInteger(&f, &v), 1);
  EXPECT_EQ(v, 12);
  EXPECT_EQ(ReadNextInteger(&f, &v), 1);
  EXPECT_EQ(v, 34);
  EXPECT_EQ(ReadNextInteger(&f, &v), 0);  // 0xFF while skipping: the end
  EXPECT_EQ(v, 0);
  FileClose(&f);
}

// The default's twenty-six lines are checked where the MTF dialog saves it.
TEST_F(MtfFile, ExtremeValuesWriteAndReadBack) {
  MtfSettings extremes = Filled(INT32_MIN);
  extremes.coefficients[3] = INT32_MAX;
  extremes.coefficients[4] = -9999;
  ASSERT_EQ(WriteMtfFile(path_.c_str(), &extremes, &status_), 1);
  EXPECT_EQ(status_, kMtfOk);
  ASSERT_EQ(ReadMtfFile(path_.c_str(), &read_, &status_), 1);
  EXPECT_EQ(status_, kMtfOk);
  EXPECT_EQ(std::memcmp(&read_, &extremes, sizeof read_), 0);
}

TEST_F(MtfFile, ArgumentAndFileFailures) {
  MtfSettings m = Filled(1);
  EXPECT_EQ(WriteMtfFile(nullptr, &m, &status_), 0);
  EXPECT_EQ(status_, kMtfBadArgument);
  EXPECT_EQ(WriteMtfFile(path_.c_str(), nullptr, &status_), 0);
  EXPECT_EQ(status_, kMtfBadArgument);
  EXPECT_EQ(ReadMtfFile(path_.c_str(), nullptr, &status_), 0);
  EXPECT_EQ(status_, kMtfBadArgument);

  EXPECT_EQ(WriteMtfFile(TempPath("_no_folder/a.mtf").c_str(), &m, &status_), 0);
  EXPECT_EQ(status_, kMtfCannotCreate);
  if (std::FILE* full = std::fopen("/dev/full", "wb")) {
    std::fclose(full);
    EXPECT_EQ(WriteMtfFile("/dev/full", &m, &status_), 0);
    EXPECT_EQ(status_, kMtfCannotWrite);
  }
}

// 64 MiB of zero bytes before the integers: skipped, read in blocks.
TEST_F(MtfFile, LongFillerIsSkipped) {
  WriteBytes(path_, {});
  std::error_code ec;
  std::filesystem::resize_file(path_.path, std::uintmax_t{64} << 20, ec);
  if (ec) GTEST_SKIP() << ec.message();
  {
    std::ofstream out(path_.path, std::ios::binary | std::ios::app);
    for (int i = 0; i < 26; ++i) out << i << '\n';
  }
  ASSERT_EQ(ReadMtfFile(path_.c_str(), &read_, &status_), 1);
  EXPECT_EQ(read_.coefficients[24], 24);
  EXPECT_EQ(read_.scale, 25);
}

TEST(DecimalText, ParseDecimalAndIsIntegerText) {
  EXPECT_EQ(ParseDecimal(""), 0);
  EXPECT_EQ(ParseDecimal("+42x"), 42);
  EXPECT_EQ(ParseDecimal("-2147483649"), INT32_MIN);
  EXPECT_EQ(ParseDecimal("00000000000000000000012"), 12);
  EXPECT_EQ(ParseDecimal(nullptr), 0);
  for (const char* ok : {"", "+", "-", "0", "-9999", "+12", "00012"}) EXPECT_EQ(IsIntegerText(ok), 1) << ok;
  for (const char* bad : {"1 2", "1.5", "--1", "+-1", "1-", " 1", "a"}) EXPECT_EQ(IsIntegerText(bad), 0) << bad;
  EXPECT_EQ(IsIntegerText(nullptr), 0);
}

}  // namespace
}  // namespace k7730
