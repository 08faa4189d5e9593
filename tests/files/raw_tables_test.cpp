#include <gtest/gtest.h>

#include <cstring>

#include "support/temp_files.h"
#include "tonecurve/curve_file.h"
#include "tonecurve/curve_reset.h"

namespace k7730 {
namespace {

using namespace testing_files;

ToneCurveSet InkPointSet() {
  ToneCurveSet set;
  std::memset(&set, 0, sizeof set);
  ResetCurveSet(set);
  set.polarity = kPolarityInk;
  set.mode[4] = kModeGamma;
  set.tables[4][3] = 90;
  return set;
}

bool IsIdentity(const std::uint8_t* table) {
  for (int i = 0; i < 256; ++i) {
    if (table[i] != i) return false;
  }
  return true;
}

Bytes Table(int seed) {
  Bytes t(256);
  for (int i = 0; i < 256; ++i) t[i] = static_cast<std::uint8_t>(i * seed + 11);
  return t;
}

TEST(RawTables, ThreeTablesFillTheColourChannels) {
  const std::string path = TempPath(".AMP");
  Cleanup cleanup({path});
  Bytes file;
  for (int c = 1; c <= 3; ++c) {
    const Bytes t = Table(c + 2);
    file.insert(file.end(), t.begin(), t.end());
  }
  WriteBytes(path, file);

  ToneCurveSet set = InkPointSet();
  ASSERT_EQ(ReadCurveFile(set, path.c_str()), 0);  // recognised by its name
  EXPECT_TRUE(IsIdentity(set.tables[0]));
  EXPECT_TRUE(IsIdentity(set.tables[4]));
  for (int c = 1; c <= 3; ++c) EXPECT_EQ(Bytes(set.tables[c], set.tables[c] + 256), Table(c + 2));
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(set.mode[c], kModeFreeHand);
    EXPECT_EQ(set.pointCount[c], 0);
  }
  EXPECT_EQ(set.polarity, kPolarityInk);
}

TEST(RawTables, FiveTablesFoldTheCommonTableIn) {
  const std::string path = TempPath(".ampx");
  Cleanup cleanup({path});
  Bytes common(256);
  for (int i = 0; i < 256; ++i) common[i] = static_cast<std::uint8_t>(255 - i);
  Bytes file = common;
  for (int c = 1; c <= 3; ++c) {
    const Bytes t = Table(c + 2);
    file.insert(file.end(), t.begin(), t.end());
  }
  file.resize(1280, 0xEE);  // the fifth table is not read
  WriteBytes(path, file);

  ToneCurveSet set = InkPointSet();
  ASSERT_EQ(LoadRawTables(set, path.c_str()), 0);
  EXPECT_TRUE(IsIdentity(set.tables[0]));
  EXPECT_TRUE(IsIdentity(set.tables[4]));
  for (int c = 1; c <= 3; ++c) {
    const Bytes t = Table(c + 2);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(set.tables[c][i], common[t[i]]) << c << " " << i;
  }
}

TEST(RawTables, AnyOtherSizeOrAMissingFileResetsTheWholeSet) {
  const std::string path = TempPath(".amp");
  Cleanup cleanup({path});
  ToneCurveSet fresh;
  std::memset(&fresh, 0, sizeof fresh);
  ResetCurveSet(fresh);
  for (std::size_t size : {std::size_t{1000}, std::size_t{767}, std::size_t{1281}, std::size_t{0}}) {
    WriteBytes(path, Bytes(size, 9));
    ToneCurveSet set = InkPointSet();
    EXPECT_EQ(ReadCurveFile(set, path.c_str()), kRawTablesUnusable) << size;
    EXPECT_EQ(std::memcmp(&set, &fresh, sizeof set), 0) << size;
  }
  std::remove(path.c_str());
  ToneCurveSet set = InkPointSet();
  EXPECT_EQ(LoadRawTables(set, path.c_str()), kRawTablesUnusable);
  EXPECT_EQ(set.polarity, kPolarityLevels);
}

}  // namespace
}  // namespace k7730
