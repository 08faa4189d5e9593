// Profile access through the module's exports: the open test, host-order
// header and tag table, element reads, and refusal of hostile files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "k7730fe_cmm.h"
#include "profile_builder.h"

namespace k7730::test {
namespace {

// Opens `bytes` from a temporary file; the result of the open call.
int32_t OpenBytes(const Bytes& bytes, K7730_ProfileRef* ref) {
  return SDKCMOpenProfile(WriteTempFile(bytes, "p.icc").c_str(), ref);
}

TEST(ProfileAccess, OpenTestsOnlyDataColourSpaceAndPcs) {
  struct Case {
    const char* space;
    const char* pcs;
    int32_t expected;
  } cases[] = {{"RGB ", "XYZ ", 0},  {"RGB ", "Lab ", 0},  {"CMYK", "Lab ", 0}, {"Lab ", "Lab ", 0},
               {"GRAY", "XYZ ", -1}, {"CMY ", "Lab ", -1}, {"RGB ", "Luv ", -1}, {"RGB ", "RGB ", -1}};
  for (const Case& c : cases) {
    Bytes bytes = BuildProfile(ProfileSpec{});
    std::memcpy(bytes.data() + 16, c.space, 4);
    std::memcpy(bytes.data() + 20, c.pcs, 4);
    PutBig32(bytes, 36, Sig("xxxx"));  // the file signature is never checked
    K7730_ProfileRef ref = 0x5A5A5A5A;
    EXPECT_EQ(OpenBytes(bytes, &ref), c.expected) << c.space << "/" << c.pcs;
    if (c.expected == 0) {
      EXPECT_NE(SDKCMCloseProfile(&ref), 0);
    } else {
      // The refused file is closed and the word no longer names it.
      EXPECT_EQ(ref, 0u);
      EXPECT_EQ(SDKCMCloseProfile(&ref), 0);
    }
  }
}

TEST(ProfileAccess, HeaderComesBackInHostOrder) {
  Bytes bytes = BuildProfile(ProfileSpec{});
  const std::uint8_t date[12] = {0x07, 0xE4, 0, 2, 0, 29, 0, 13, 0, 45, 0, 59};
  std::memcpy(bytes.data() + 24, date, 12);
  // Device attributes (two words), intent, illuminant.
  const std::uint32_t words[] = {0x01020304, 0x05060708, 3, 0xF6D6, 0x10000, 0xD32D};
  for (int i = 0; i < 6; ++i) PutBig32(bytes, 56 + 4 * i, words[i]);
  for (int i = 84; i < 128; ++i) bytes[i] = std::uint8_t(i);

  K7730_ProfileRef ref = 0;
  ASSERT_EQ(OpenBytes(bytes, &ref), 0);
  K7730_ProfileHeader h;
  SDKCMGetProfileHeader(&ref, &h);
  EXPECT_EQ(h.size, bytes.size());
  EXPECT_EQ(h.version >> 24, 2u);
  EXPECT_EQ(h.colorSpace, 0x52474220u);
  EXPECT_EQ(h.pcs, 0x58595A20u);
  EXPECT_EQ(h.fileSignature, Sig("acsp"));
  EXPECT_EQ(std::vector<int>(h.dateTime, h.dateTime + 6), (std::vector<int>{2020, 2, 29, 13, 45, 59}));
  EXPECT_EQ(h.deviceAttributes[0], words[0]);
  EXPECT_EQ(h.deviceAttributes[1], words[1]);
  EXPECT_EQ(h.renderingIntent, 3u);
  EXPECT_EQ(std::vector<std::int32_t>(h.illuminant, h.illuminant + 3), (std::vector<std::int32_t>{0xF6D6, 0x10000, 0xD32D}));
  for (int i = 0; i < 44; ++i) EXPECT_EQ(h.remainder[i], 84 + i);
  SDKCMCloseProfile(&ref);
}

TEST(ProfileAccess, TagTableAndElementReads) {
  ProfileSpec spec;
  Bytes first = XyzElement(0.25, 0.5, 0.75);
  Bytes second = XyzElement(1, 1, 1);
  spec.tags = {{Sig("wtpt"), first}, {Sig("cprt"), Bytes(10, 7)}, {Sig("wtpt"), second}};
  Bytes bytes = BuildProfile(spec);
  K7730_ProfileRef ref = 0;
  ASSERT_EQ(OpenBytes(bytes, &ref), 0);

  uint32_t count = 0;
  SDKCMGetTagTableInfo(&ref, &count, nullptr);
  ASSERT_EQ(count, 3u);
  std::vector<std::uint8_t> raw(K7730_TAG_TABLE_BYTES(count));
  auto* table = reinterpret_cast<K7730_TagTable*>(raw.data());
  SDKCMGetTagTableInfo(&ref, &count, table);
  EXPECT_EQ(table->count, 3u);
  K7730_TagEntry entries[3];
  std::memcpy(entries, raw.data() + 4, sizeof entries);
  EXPECT_EQ(entries[0].signature, Sig("wtpt"));
  EXPECT_EQ(entries[0].offset, GetBig32(bytes, 136));
  EXPECT_EQ(entries[1].size, 10u);

  // Size query, then the whole element; the first of two equal tags wins.
  uint32_t size = 0;
  ASSERT_EQ(SDKCMGetPartialProfileElement(&ref, Sig("wtpt"), 0, &size, nullptr), 0);
  EXPECT_EQ(size, 20u);
  Bytes element(size);
  ASSERT_EQ(SDKCMGetPartialProfileElement(&ref, Sig("wtpt"), 0, &size, element.data()), 0);
  EXPECT_EQ(element, first);

  // Bytes 8..11 of the element; a slice past the element's end gets the
  // bytes after it, up to the end of file.
  uint32_t four = 4, many = 1000;
  Bytes slice(1000);
  ASSERT_EQ(SDKCMGetPartialProfileElement(&ref, Sig("wtpt"), 8, &four, slice.data()), 0);
  EXPECT_EQ(Bytes(slice.begin(), slice.begin() + 4), Bytes(first.begin() + 8, first.begin() + 12));
  ASSERT_EQ(SDKCMGetPartialProfileElement(&ref, Sig("cprt"), 4, &many, slice.data()), 0);
  EXPECT_EQ(many, bytes.size() - entries[1].offset - 4);

  // A missing tag: -1, count and buffer untouched.
  uint32_t untouched = 77;
  EXPECT_EQ(SDKCMGetPartialProfileElement(&ref, Sig("A2B0"), 0, &untouched, nullptr), -1);
  EXPECT_EQ(untouched, 77u);
  SDKCMCloseProfile(&ref);
}

TEST(ProfileAccess, TagTableLargerThanTheFileIsNotBelieved) {
  ProfileSpec spec;
  spec.tags = {{Sig("wtpt"), XyzElement(1, 1, 1)}};
  Bytes bytes = BuildProfile(spec);
  for (std::uint32_t claimed : {0xFFFFFFFFu, 0x15555556u, 1000u}) {
    PutBig32(bytes, 128, claimed);
    K7730_ProfileRef ref = 0;
    ASSERT_EQ(OpenBytes(bytes, &ref), 0);
    uint32_t count = 0;
    SDKCMGetTagTableInfo(&ref, &count, nullptr);
    EXPECT_EQ(count, (bytes.size() - 132) / 12);
    std::vector<std::uint8_t> raw(K7730_TAG_TABLE_BYTES(count));
    SDKCMGetTagTableInfo(&ref, &count, reinterpret_cast<K7730_TagTable*>(raw.data()));
    uint32_t size = 0;
    EXPECT_EQ(SDKCMGetPartialProfileElement(&ref, Sig("wtpt"), 0, &size, nullptr), -1);
    SDKCMCloseProfile(&ref);
  }
}

TEST(ProfileAccess, ElementsPastTheEndOfFileAreMissing) {
  ProfileSpec spec;
  spec.tags = {{Sig("wtpt"), XyzElement(1, 1, 1)}, {Sig("bkpt"), XyzElement(0, 0, 0)}};
  Bytes bytes = BuildProfile(spec);
  PutBig32(bytes, 136, 0xFFFFFFF0);                    // offset far past the end
  PutBig32(bytes, 152, std::uint32_t(bytes.size()));  // size runs one byte over
  PutBig32(bytes, 148, 1);
  K7730_ProfileRef ref = 0;
  ASSERT_EQ(OpenBytes(bytes, &ref), 0);
  uint32_t size = 0;
  EXPECT_EQ(SDKCMGetPartialProfileElement(&ref, Sig("wtpt"), 0, &size, nullptr), -1);
  EXPECT_EQ(SDKCMGetPartialProfileElement(&ref, Sig("bkpt"), 0, &size, nullptr), -1);
  SDKCMCloseProfile(&ref);
}

TEST(ProfileAccess, MissingFilesAndNullArgumentsAreRefused) {
  K7730_ProfileRef ref = 0x12345678;
  EXPECT_EQ(SDKCMOpenProfile("/nonexistent/k7730/profile.icc", &ref), -1);
  EXPECT_EQ(ref, 0x12345678u);
  EXPECT_EQ(SDKCMOpenProfile(nullptr, &ref), -1);
  EXPECT_EQ(SDKCMOpenProfile(std::filesystem::temp_directory_path().c_str(), &ref), -1);
  uint32_t count = 5;
  SDKCMGetTagTableInfo(nullptr, &count, nullptr);
  EXPECT_EQ(count, 5u);
  SDKCMGetProfileHeader(nullptr, nullptr);
  EXPECT_EQ(SDKCMGetPartialProfileElement(nullptr, Sig("wtpt"), 0, &count, nullptr), -1);
  EXPECT_EQ(SDKCMCloseProfile(nullptr), 0);
}

}  // namespace
}  // namespace k7730::test
