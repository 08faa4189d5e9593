// Tone-curve files: the native file in both numberings and versions, raw
// table files, and native files from outside, where every malformed file
// gives a status code, never a read past the 20-point array, and leaves the
// working set as that code promises.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include "editor_fixture.h"
#include "support/temp_files.h"
#include "tonecurve/curve_file.h"
#include "formats/gamma_table.h"
#include "formats/polarity.h"

namespace k7730 {
namespace {

using namespace testing_files;
using editor_test::FreshSet;
using editor_test::SameBytes;

Bytes DefaultFile(unsigned modeWord) {
  Bytes b = Words({2, 1, 5});
  for (int c = 0; c < 5; ++c) Words(b, {modeWord, 2, 0, 0, 255, 255});
  return b;
}

TEST(CurveFile, FreshSetIsTheSixtySixByteFileInBothNumberings) {
  const TempFile path(".tcv");
  const ToneCurveSet fresh = FreshSet();
  ui::ScopedScriptedUi ui;

  ui->AnswerWithPath(path);
  ASSERT_EQ(SaveCurveFile(fresh), 0);
  EXPECT_EQ(ReadBytes(path), DefaultFile(0));
  ASSERT_EQ(ui->dialogs.size(), 1u);
  EXPECT_TRUE(ui->dialogs[0].save);
  EXPECT_EQ(ui->dialogs[0].title, "Save");
  EXPECT_EQ(ui->dialogs[0].owner, ui->activeWindow);
  EXPECT_EQ(ui->dialogs[0].initialName, "");

  ToneCurveSet loaded = FreshSet();
  loaded.mode[2] = kModeGamma;  // something for the load to undo
  ui->AnswerWithPath(path);
  ASSERT_EQ(LoadCurveFile(loaded), 0);
  EXPECT_TRUE(SameBytes(loaded, fresh));
  EXPECT_EQ(ui->dialogs[1].title, "Load");
  EXPECT_FALSE(ui->dialogs[1].initialFolder.has_value());

  // Shift held while saving: the modes are stored as 1 (such files load
  // back in the random round trips).
  ui->shiftDown = true;
  ui->AnswerWithPath(path);
  ASSERT_EQ(SaveCurveFile(fresh), 0);
  EXPECT_EQ(ReadBytes(path), DefaultFile(1));
}

TEST(CurveFile, CancelledDialogsChangeNothing) {
  ui::ScopedScriptedUi ui;
  ToneCurveSet set = FreshSet();
  set.tables[1][9] = 77;
  const ToneCurveSet before = set;
  ui->AnswerCancel();
  EXPECT_EQ(LoadCurveFile(set), 0);
  ui->AnswerCancel();
  EXPECT_EQ(SaveCurveFile(set), 0);
  EXPECT_TRUE(SameBytes(set, before));
  EXPECT_TRUE(ui->messages.empty());
}

TEST(CurveFile, VersionOneReadsFreeHandAndPointChannels) {
  const TempFile path(".tcv");
  Bytes file = Words({1, 2, 5});
  Bytes ramp(256);
  for (int i = 0; i < 256; ++i) ramp[i] = static_cast<std::uint8_t>(255 - i);
  for (int c = 0; c < 5; ++c) {
    if (c == 1) {
      Words(file, {3, 0, 0, 200, 128, 255, 255});  // three points: (out, in) pairs
    } else {
      Words(file, {0});
      file.insert(file.end(), ramp.begin(), ramp.end());
    }
  }
  WriteBytes(path, file);

  ToneCurveSet set = FreshSet();
  set.gammaHundredths[0] = 250;
  ASSERT_EQ(ReadCurveFile(set, path.c_str()), 0);
  EXPECT_EQ(set.polarity, 2);
  EXPECT_EQ(set.mode[0], kModeFreeHand);
  EXPECT_EQ(set.pointCount[0], 0);
  EXPECT_EQ(Bytes(set.tables[0], set.tables[0] + 256), ramp);
  EXPECT_EQ(set.gammaHundredths[0], 250);  // not in a version 1 file

  EXPECT_EQ(set.mode[1], kModePoints);
  EXPECT_EQ(set.pointCount[1], 3);
  EXPECT_EQ(set.points[1][1].output, 200);
  EXPECT_EQ(set.points[1][1].input, 128);
  EXPECT_EQ(set.tables[1][64], 114);  // the table the points make
}

// Random sets that keep the editor's invariants survive a save and a load in
// either numbering: modes, valid points, tables, gamma values and polarity
// (a gamma channel at ink polarity loads reverse-inverted).
TEST(CurveFile, RandomValidSetsRoundTrip) {
  const TempFile path(".tcv");
  std::mt19937 rng(7730);
  for (int round = 0; round < 200; ++round) {
    ToneCurveSet set = FreshSet();
    set.polarity = static_cast<std::uint16_t>(1 + rng() % 2);
    for (int c = 0; c < 5; ++c) {
      set.mode[c] = static_cast<std::uint16_t>(1 + rng() % 3);
      set.gammaHundredths[c] = static_cast<std::int16_t>(1 + rng() % 999);
      set.pointCount[c] = 0;
      if (set.mode[c] == kModePoints) {
        const int n = 2 + static_cast<int>(rng() % 19);
        for (int k = 0, x = 0; k < n; ++k, ++x) {  // rising inputs
          x += static_cast<int>(rng() % ((255 - x) / (n - k)));
          set.points[c][k] = ControlPoint{static_cast<std::uint16_t>(rng() % 256), static_cast<std::uint16_t>(x)};
        }
        set.pointCount[c] = static_cast<std::int16_t>(n);
        ComputeCurveTable(set.points[c], n, set.tables[c]);
      } else if (set.mode[c] == kModeFreeHand) {
        for (auto& e : set.tables[c]) e = static_cast<std::uint8_t>(rng());
      } else {
        ComputeGammaTable(set.gammaHundredths[c] * 0.01, set.tables[c]);
        if (set.polarity == kPolarityInk) ReverseInvertTable(set.tables[c]);
      }
    }
    const int numbering = static_cast<int>(rng() % 2);
    ASSERT_EQ(WriteCurveFile(set, path.c_str(), numbering), 0);
    ToneCurveSet loaded = FreshSet();
    ASSERT_EQ(ReadCurveFile(loaded, path.c_str()), 0) << "round " << round;
    EXPECT_EQ(loaded.polarity, set.polarity);
    for (int c = 0; c < 5; ++c) {
      SCOPED_TRACE(::testing::Message() << "round " << round << " channel " << c);
      ASSERT_EQ(loaded.mode[c], set.mode[c]);
      ASSERT_EQ(loaded.pointCount[c], set.pointCount[c]);
      ASSERT_EQ(std::memcmp(loaded.points[c], set.points[c], 4 * set.pointCount[c]), 0);
      ASSERT_EQ(std::memcmp(loaded.tables[c], set.tables[c], 256), 0);
      if (set.mode[c] == kModeGamma) {
        ASSERT_EQ(loaded.gammaHundredths[c], set.gammaHundredths[c]);
      }
    }
  }
}

// A file that cannot be created is in the editor's tests.
TEST(CurveFile, AFullDiskIsAWriteFailure) {
  const ToneCurveSet set = FreshSet();
  if (FILE* full = std::fopen("/dev/full", "wb")) {
    std::fclose(full);
    EXPECT_EQ(WriteCurveFile(set, "/dev/full", kNormalNumbering), kCurveFileCannotWrite);
  }
}

// The caption and owner of the box are in the editor's tests.
TEST(CurveFile, ReadFailuresShowTheirTextUnusableRawTablesAndSuccessShowNothing) {
  ui::ScopedScriptedUi ui;
  ReportCurveFileStatus(kCurveFileCannotRead, "Output Tone Curve");
  ReportCurveFileStatus(kRawTablesUnusable, "Output Tone Curve");
  ReportCurveFileStatus(kCurveFileOk, "Output Tone Curve");
  ASSERT_EQ(ui->messages.size(), 1u);
  EXPECT_EQ(ui->messages[0].text, "Can not read file.");
}

Bytes Table(int seed) {
  Bytes t(256);
  for (int i = 0; i < 256; ++i) t[i] = static_cast<std::uint8_t>(i * seed + 11);
  return t;
}

// 768 bytes: the colour channels' tables; 1280: a common table folded into
// them, the fifth table unread. Recognised by the name (any case).
TEST(RawTables, ColourTablesAreTakenAndTheCommonTableFoldedIn) {
  for (const std::size_t size : {std::size_t{768}, std::size_t{1280}}) {
    SCOPED_TRACE(size);
    const TempFile path(size == 768 ? ".AMP" : ".amp");
    Bytes common(256), file;
    for (int i = 0; i < 256; ++i) common[i] = static_cast<std::uint8_t>(size == 768 ? i : 255 - i);
    if (size == 1280) file = common;
    for (int c = 1; c <= 3; ++c) {
      const Bytes t = Table(c + 2);
      file.insert(file.end(), t.begin(), t.end());
    }
    file.resize(size, 0xEE);
    WriteBytes(path, file);

    ToneCurveSet set = FreshSet(), identity = FreshSet();
    set.polarity = kPolarityInk;
    set.mode[4] = kModeGamma;
    set.tables[4][3] = 90;
    ASSERT_EQ(ReadCurveFile(set, path.c_str()), 0);
    EXPECT_EQ(set.polarity, kPolarityInk);
    for (int c = 0; c < 5; ++c) {
      EXPECT_EQ(set.mode[c], kModeFreeHand);
      EXPECT_EQ(set.pointCount[c], 0);
      const Bytes t = Table(c + 2);
      for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(set.tables[c][i], c == 0 || c == 4 ? identity.tables[c][i] : common[t[i]]) << c << " " << i;
      }
    }
  }
}

TEST(RawTables, AnyOtherSizeOrAMissingFileResetsTheWholeSet) {
  const TempFile path(".amp");
  const ToneCurveSet fresh = FreshSet();
  for (int size : {767, 1281, 0, -1}) {  // -1: no file at all
    if (size < 0) {
      std::remove(path.c_str());
    } else {
      WriteBytes(path, Bytes(std::size_t(size), 9));
    }
    ToneCurveSet set = FreshSet();
    set.polarity = kPolarityInk;
    set.tables[4][3] = 90;
    EXPECT_EQ(ReadCurveFile(set, path.c_str()), kRawTablesUnusable) << size;
    EXPECT_TRUE(SameBytes(set, fresh)) << size;
  }
}

ToneCurveSet MarkedSet() {
  ToneCurveSet set = FreshSet();
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
