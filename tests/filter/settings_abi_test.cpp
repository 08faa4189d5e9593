// The settings interface as a host sees it: the built module loaded with the
// system loader, exports only.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "support/byte_order.h"
#include "support/filter_fixture.h"

namespace {

using namespace k7730::test;


TEST(SettingsAbi, DefaultsSerialisedByteForByte) {
  Filter i;
  Bytes b = i.GetBlock();
  // Build the expected block independently of the module's own record.
  const std::uint8_t head[8] = {0xF4, 0x10, 0x00, 0x00, 0x17, 0x07, 0x12, 0x20};
  Bytes expected(K7730_SETTINGS_SIZE, 0);
  std::memcpy(expected.data(), head, 8);
  const std::string in = ModuleFolder() + kModuleSeparator + "A17D50.ICC";
  const std::string out = ModuleFolder() + kModuleSeparator + "K77302.ICC";
  ASSERT_LT(in.size(), 260u);
  std::memcpy(&expected[14], in.c_str(), in.size() + 1);
  std::memcpy(&expected[274], out.c_str(), out.size() + 1);
  PutLittle32(expected, 588, 100);  // centre coefficient
  PutLittle32(expected, 640, 100);  // scale
  for (std::size_t set : {908u, 2624u}) {
    for (int c = 0; c < 5; ++c) {
      expected[set + 2 * c] = 1;               // mode 1
      expected[set + 10 + 2 * c] = 100;        // gamma 1.00
      expected[set + 20 + 2 * c] = 2;          // two points
      std::size_t p = set + 30 + 80 * c;       // (0,0) and (255,255)
      expected[p + 4] = 255;
      expected[p + 6] = 255;
      for (int x = 0; x < 256; ++x) expected[set + 430 + 256 * c + x] = static_cast<std::uint8_t>(x);
    }
    expected[set + 1710] = 1;  // polarity levels
  }
  for (std::size_t k = 0; k < K7730_SETTINGS_SIZE; ++k) ASSERT_EQ(b[k], expected[k]) << "offset " << k;
}

TEST(SettingsAbi, SizeWordRulesOfGet) {
  Filter i;
  std::uint16_t err = 0;
  std::uint32_t size = 12345;
  EXPECT_EQ(Api().preference(i.get(), 2, 0, nullptr, &size, &err), 1u);  // size query
  EXPECT_EQ(size, K7730_SETTINGS_SIZE);
  EXPECT_EQ(err, 0);

  Bytes b(K7730_SETTINGS_SIZE);
  size = 4339;
  EXPECT_EQ(Api().preference(i.get(), 2, 0, b.data(), &size, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(size, 0u);

  err = 0;
  EXPECT_EQ(Api().preference(i.get(), 2, 0, b.data(), nullptr, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
}

TEST(SettingsAbi, SetTakesAWholeBlockOrNothing) {
  Filter i;
  Bytes original = i.GetBlock();
  Bytes changed = original;
  PutLittle32(changed, 8, 1);        // iccEnabled
  changed[12] = 7;               // intent 7 is taken unchanged
  PutLittle32(changed, 4336, 1);     // lineFilterEnabled
  std::fill(changed.begin() + 14, changed.begin() + 274, 'p');  // unterminated path, taken as it stands
  changed[534] = 0x5A;           // even the reserved bytes
  std::uint16_t err = 0xFFFF;
  ASSERT_EQ(i.SetBlock(changed, &err), 1u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(i.GetBlock(), changed);

  // Any single wrong bit in the magic or the size field: refused, untouched.
  for (int bit = 0; bit < 32; ++bit) {
    for (std::size_t at : {0u, 4u}) {
      Bytes bad = original;
      PutLittle32(bad, at, GetLittle32(original, at) ^ (1u << bit));
      err = 0;
      EXPECT_EQ(i.SetBlock(bad, &err), 0u) << "offset " << at << " bit " << bit;
      EXPECT_EQ(err, K7730_ERR_BAD_BLOCK);
      EXPECT_EQ(i.SetBlock(bad, nullptr), 0u);
    }
  }
  EXPECT_EQ(i.GetBlock(), changed);

  // The size word must say 4340; data and size must be given.
  std::uint32_t size = 4341;
  EXPECT_EQ(Api().preference(i.get(), 1, 0, original.data(), &size, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(size, 4341u);
  size = K7730_SETTINGS_SIZE;
  EXPECT_EQ(Api().preference(i.get(), 1, 0, nullptr, &size, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(Api().preference(i.get(), 1, 0, original.data(), nullptr, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(i.GetBlock(), changed);

  // Get always stamps size and magic; reset brings the defaults back.
  size = 77;
  EXPECT_EQ(Api().preference(i.get(), 0, 0, nullptr, &size, &err), 1u);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(i.GetBlock(), original);
}

TEST(SettingsAbi, SwitchModesAndSelectors) {
  Filter i;
  const Bytes before = i.GetBlock();
  const std::size_t offsets[5] = {0, kInputEnabledAt, kOutputEnabledAt, kIccEnabledAt, kMtfEnabledAt};
  for (std::uint16_t sel = 1; sel <= 4; ++sel) {  // colour matching needs no usable profile yet
    for (std::uint16_t mode : {4, 5}) {
      std::uint32_t size = 99;
      std::uint16_t err = 0xFFFF;
      EXPECT_EQ(Api().preference(i.get(), mode, sel, nullptr, &size, &err), 1u);
      EXPECT_EQ(err, 0);
      EXPECT_EQ(size, 0u);
      EXPECT_EQ(GetLittle32(i.GetBlock(), offsets[sel]), mode == 4 ? 1u : 0u) << sel;
    }
  }
  // Selectors outside 1..4, unknown modes, and every dialog selector (this
  // build has no window system): 1006 and nothing changes.
  std::vector<std::pair<std::uint16_t, std::uint16_t>> refused;
  for (std::uint16_t mode : {4, 5}) {
    for (std::uint16_t sel : {0, 5, 65535}) refused.push_back({mode, sel});
  }
  for (std::uint16_t mode : {6, 7, 100, 65535}) refused.push_back({mode, 1});
  for (std::uint16_t sel = 0; sel <= 6; ++sel) refused.push_back({3, sel});
  for (const auto& [mode, sel] : refused) {
    std::uint32_t size = 99;
    std::uint16_t err = 0;
    EXPECT_EQ(Api().preference(i.get(), mode, sel, nullptr, &size, &err), 0u) << mode << " " << sel;
    EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
    EXPECT_EQ(size, 0u);
  }
  EXPECT_EQ(i.GetBlock(), before);

  std::uint32_t size = 99;
  std::uint16_t err = 0;
  EXPECT_EQ(Api().preference(nullptr, 2, 0, nullptr, &size, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(Api().preference(nullptr, 0, 0, nullptr, nullptr, nullptr), 0u);
}

TEST(SettingsAbi, ToneCurveSettersAcceptAndReject) {
  Filter i;
  std::uint8_t t[4][256];
  for (int c = 0; c < 4; ++c) {
    for (int x = 0; x < 256; ++x) t[c][x] = static_cast<std::uint8_t>(255 - x + c);
  }
  using Setter = decltype(Api().setInputToneCurve);
  struct Direction {
    Setter set;
    std::size_t enabled;
    std::size_t curves;
  };
  for (Direction d : {Direction{Api().setInputToneCurve, 904, 908},
                      Direction{Api().setOutputToneCurve, 2620, 2624}}) {
    std::uint16_t err = 0xFFFF;
    ASSERT_EQ(d.set(i.get(), 1, t[0], t[1], t[2], t[3], &err), 1u);
    EXPECT_EQ(err, 0);
    Bytes b = i.GetBlock();
    EXPECT_EQ(GetLittle32(b, d.enabled), 1u);
    for (int c = 0; c < 4; ++c) {
      EXPECT_EQ(b[d.curves + 2 * c], 2) << "mode free-hand";
      EXPECT_EQ(b[d.curves + 20 + 2 * c], 0) << "no points";
      EXPECT_EQ(0, std::memcmp(&b[d.curves + 430 + 256 * c], t[c], 256));
      EXPECT_EQ(b[d.curves + 30 + 80 * c + 4], 255) << "points kept";
    }
    EXPECT_EQ(b[d.curves + 8], 1) << "channel 4 untouched";
    EXPECT_EQ(b[d.curves + 430 + 256 * 4 + 7], 7);

    // A null table: the stage is switched off, the stored tables stay.
    err = 0;
    EXPECT_EQ(d.set(i.get(), 1, t[0], t[1], nullptr, t[3], &err), 0u);
    EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
    Bytes after = i.GetBlock();
    EXPECT_EQ(GetLittle32(after, d.enabled), 0u);
    PutLittle32(after, d.enabled, 1);
    EXPECT_EQ(after, b);

    // Enable other than 1: off and success, even with null tables.
    ASSERT_EQ(d.set(i.get(), 1, t[0], t[1], t[2], t[3], &err), 1u);
    err = 0xFFFF;
    EXPECT_EQ(d.set(i.get(), 2, nullptr, nullptr, nullptr, nullptr, &err), 1u);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(GetLittle32(i.GetBlock(), d.enabled), 0u);

    err = 0;
    EXPECT_EQ(d.set(nullptr, 1, t[0], t[1], t[2], t[3], &err), 0u);
    EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT);
  }
}

TEST(SettingsAbi, CloseResetsAndKeepsTheInstanceUsable) {
  Filter i;
  Bytes defaults = i.GetBlock();
  std::uint16_t err;
  Api().preference(i.get(), 4, 4, nullptr, nullptr, &err);
  Api().close(i.get());
  EXPECT_EQ(i.GetBlock(), defaults);
  Api().close(nullptr);
  Api().disposPtr(nullptr);
}

TEST(SettingsAbi, OnlyTheInterfaceIsExported) {
  EXPECT_EQ(LibrarySymbol(Api().handle, "_ZN5k77308platform8AllocateEm"), nullptr);
  EXPECT_EQ(LibrarySymbol(Api().handle, "_ZN5k77308platform8AllocateEy"), nullptr);
  EXPECT_EQ(LibrarySymbol(Api().handle, "ApplyDefaults"), nullptr);
}

}  // namespace
