// Native tone-curve files from outside: every malformed file gives a status
// code, never a read past the 20-point array, and leaves the working set as
// that code promises.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <system_error>

#include "editor_fixture.h"
#include "support/temp_files.h"
#include "tonecurve/curve_file.h"

namespace k7730 {
namespace {

using namespace testing_files;
using editor_test::SameBytes;

ToneCurveSet MarkedSet() {
  ToneCurveSet set = editor_test::FreshSet();
  set.polarity = kPolarityInk;
  set.mode[3] = kModeGamma;
  set.gammaHundredths[3] = 180;
  set.tables[3][10] = 1;
  return set;
}

// A version 2 file whose channel 1 block is given; the others are the
// two-point default.
Bytes VersionTwoWith(const Bytes& channel1) {
  Bytes b = Words({2, 1, 5, 0, 2, 0, 0, 255, 255});
  b.insert(b.end(), channel1.begin(), channel1.end());
  for (int c = 2; c < 5; ++c) Words(b, {0, 2, 0, 0, 255, 255});
  return b;
}

class CurveFileBadInput : public ::testing::Test {
 protected:
  const TempFile path_{".tcv"};
  ToneCurveSet set_ = MarkedSet();
  const ToneCurveSet before_ = MarkedSet();

  void ExpectRejectedUnchanged(const Bytes& file, int code) {
    WriteBytes(path_, file);
    EXPECT_EQ(ReadCurveFile(set_, path_.c_str()), code);
    EXPECT_TRUE(SameBytes(set_, before_));
  }
};

TEST_F(CurveFileBadInput, MalformedFilesAreUnsupportedAMissingOneCannotOpenNeitherChangesAnything) {
  std::vector<Bytes> files;
  auto add = [&](std::initializer_list<unsigned> words, std::size_t padding, bool version2) {
    Bytes b = Words(words);
    b.resize(b.size() + padding, 0);
    files.push_back(version2 ? VersionTwoWith(b) : b);
  };
  // Point counts beyond the 20-point array: refused in version 2 even when
  // the file holds the points, and in version 1 before anything is read.
  for (unsigned count : {21u, 0x7FFFu, 0x8000u, 0xFFFFu}) {
    add({0, count}, count == 21 ? 21 * 4 : 0, true);
    add({1, 1, 5, count}, 2000, false);
  }
  add({0, 3, 0, 0, 255, 255}, 0, true);  // claims three points, holds two
  add({7, 0}, 0, true);                  // unknown mode
  add({2, 1, 4}, 0, false);              // four channels
  add({1, 1, 4, 0}, 0, false);
  // The 66-byte default file one byte longer, one shorter, and as version 3.
  for (int change = 0; change < 3; ++change) add({0, 2, 0, 0, 255, 255}, 0, true);
  files[files.size() - 3].push_back(0);
  files[files.size() - 2].pop_back();
  files[files.size() - 1][1] = 3;
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(i);
    ExpectRejectedUnchanged(files[i], kCurveFileUnsupported);
    if (i + 3 >= files.size()) {  // the check before a save tells size and version
      int status = -1;
      EXPECT_EQ(CheckCurveFile(path_.c_str(), kNormalNumbering, &status), 0);
      EXPECT_EQ(status, kCurveFileUnsupported);
    }
  }
  std::remove(path_.c_str());
  EXPECT_EQ(ReadCurveFile(set_, path_.c_str()), kCurveFileCannotOpen);
  EXPECT_TRUE(SameBytes(set_, before_));
}

TEST_F(CurveFileBadInput, TruncatedVersionOneResetsEveryChannelButKeepsPolarity) {
  Bytes v1 = Words({1, 1, 5, 0});
  v1.resize(v1.size() + 256, 0x40);  // channel 0 complete
  Words(v1, {2, 0, 0});              // channel 1 ends inside its points
  WriteBytes(path_, v1);
  EXPECT_EQ(ReadCurveFile(set_, path_.c_str()), kCurveFileCannotRead);
  ToneCurveSet expected = before_;
  for (int c = 0; c < kCurveChannels; ++c) ResetCurveChannel(expected, c);
  EXPECT_TRUE(SameBytes(set_, expected));
  EXPECT_EQ(set_.polarity, kPolarityInk);
}

TEST_F(CurveFileBadInput, ForeignValuesAreStoredAsRead) {
  // A polarity word of 7 and a free-hand channel with a point count of 9.
  Bytes channel(4 + 256, 0x33);
  const Bytes head = Words({1, 9});
  std::copy(head.begin(), head.end(), channel.begin());
  Bytes file = VersionTwoWith(channel);
  file[3] = 7;
  WriteBytes(path_, file);
  ASSERT_EQ(ReadCurveFile(set_, path_.c_str()), 0);
  EXPECT_EQ(set_.polarity, 7);
  EXPECT_EQ(set_.mode[1], kModeFreeHand);
  EXPECT_EQ(set_.pointCount[1], 9);
  EXPECT_EQ(set_.tables[1][200], 0x33);
}

TEST_F(CurveFileBadInput, ForeignPointCountsAreClampedWhenSaving) {
  ToneCurveSet foreign = MarkedSet();
  foreign.pointCount[0] = 300;
  foreign.pointCount[1] = -5;
  ASSERT_EQ(WriteCurveFile(foreign, path_.c_str(), kNormalNumbering), 0);
  const Bytes file = ReadBytes(path_);
  // Channel 0 writes 20 points, channel 1 none, 2 and 4 two each, 3 a gamma word.
  EXPECT_EQ(file.size(), 6u + (4 + 80) + 4 + (4 + 8) + (4 + 2) + (4 + 8));
  EXPECT_EQ(file[8], 0);
  EXPECT_EQ(file[9], 20);
  int status = -1;
  EXPECT_EQ(CheckCurveFile(path_.c_str(), kNormalNumbering, &status), 1);
  EXPECT_EQ(status, 0);
}

// Files just above 4 GiB whose size modulo 2^32 would be that of a valid
// file: refused on their size.
TEST_F(CurveFileBadInput, FilesOfGigabytesAreRefused) {
  const Bytes small = VersionTwoWith(Bytes{0, 0, 0, 0});  // 58 bytes, valid
  const TempFile raw(".tcv.amp");
  WriteBytes(path_, small);
  WriteBytes(raw, {});
  std::error_code ec;
  std::filesystem::resize_file(path_.path, (std::uintmax_t{1} << 32) + small.size(), ec);
  if (!ec) std::filesystem::resize_file(raw.path, (std::uintmax_t{1} << 32) + 768, ec);
  if (ec) GTEST_SKIP() << "no sparse files here: " << ec.message();

  EXPECT_EQ(ReadCurveFile(set_, path_.c_str()), kCurveFileCannotRead);
  EXPECT_TRUE(SameBytes(set_, before_));
  EXPECT_EQ(ReadCurveFile(set_, raw.c_str()), kRawTablesUnusable);
}

}  // namespace
}  // namespace k7730
