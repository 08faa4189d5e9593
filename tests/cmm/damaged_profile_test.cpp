// Damaged profiles and failed allocations while a ColorWorld is built: only
// a tag that is not listed may take the matrix/TRC fallback. A profile cut
// short, an element that runs past the end of the file or a failed
// allocation must fail the build, never give a different transform.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/platform.h"
#include "profile_builder.h"
#include "world_fixture.h"

namespace k7730::test {
namespace {

using platform::FailAllocationAfter;
using platform::LiveBlockCount;

// The whole ColorWorld block (header, curves, grid), or nothing when the
// build is refused.
Bytes WorldBytes(const std::string& source, const std::string& destination, std::uint32_t intent,
                 const K7730_CurveLutSet* curves = nullptr) {
  World world(source, destination, intent, curves);
  if (world.handle() == 0) return {};
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(world.header());
  return Bytes(bytes, bytes + world.header()->headerSize + world.header()->tableSize);
}

// The same with `profile` written out as the source or the destination,
// beside a small generated lut16 profile.
Bytes WorldFromBytes(const Bytes& profile, bool asSource, std::uint32_t intent) {
  const std::string path = WriteTempFile(profile, "damaged.icc");
  const std::string other = GeneratedProfile("small_rgb_lut16.icc");
  return asSource ? WorldBytes(path, other, intent) : WorldBytes(other, path, intent);
}

// A profile with both a small lut pair for intent 0 and matrix/TRC tags,
// and an element no build reads at the end of the file.
Bytes MixedProfile() {
  ProfileSpec spec = MatrixTrcSpec();
  spec.tags.insert(spec.tags.begin(), {Sig("A2B0"), Lut8Element(3, 3, 2, IdentityClut8(2))});
  spec.tags.insert(spec.tags.begin(), {Sig("B2A0"), Lut8Element(3, 3, 2, IdentityClut8(2))});
  spec.tags.push_back({Sig("cprt"), Bytes(24, 'c')});
  return BuildProfile(spec);
}

std::size_t TagCount(const Bytes& profile) { return GetBig32(profile, 128); }
std::uint32_t TagSignature(const Bytes& profile, std::size_t i) { return GetBig32(profile, 132 + 12 * i); }

TEST(DamagedProfile, HeaderSizeLargerThanTheFileIsRefusedAtOpen) {
  const Bytes whole = MixedProfile();
  K7730_ProfileRef ref = 0;
  for (std::size_t length = 0; length < whole.size(); ++length) {
    Bytes cut(whole.begin(), whole.begin() + long(length));
    const std::string path = WriteTempFile(cut, "cut.icc");
    ASSERT_EQ(SDKCMOpenProfile(path.c_str(), &ref), -1) << length;
  }
  // A header size below the file's is no damage: padding may follow.
  Bytes padded = whole;
  padded.resize(whole.size() + 100, 0);
  const std::string path = WriteTempFile(padded, "padded.icc");
  ASSERT_EQ(SDKCMOpenProfile(path.c_str(), &ref), 0);
  SDKCMCloseProfile(&ref);
}

// Tags a side reads at intent 0 (its lut element) and at intent 1 (the
// matrix/TRC tags: the profile lists no intent-1 lut).
std::vector<std::uint32_t> TagsRead(bool asSource, std::uint32_t intent) {
  if (intent == 0) return {asSource ? Sig("A2B0") : Sig("B2A0")};
  return {Sig("rXYZ"), Sig("gXYZ"), Sig("bXYZ"), Sig("rTRC"), Sig("gTRC"), Sig("bTRC")};
}

// The end of the last byte a build reads: the tag table and the elements
// of the tags it reads.
std::size_t EndOfBytesRead(const Bytes& profile, const std::vector<std::uint32_t>& read) {
  std::size_t end = 132 + 12 * TagCount(profile);
  for (std::size_t i = 0; i < TagCount(profile); ++i)
    if (std::find(read.begin(), read.end(), TagSignature(profile, i)) != read.end())
      end = std::max<std::size_t>(end, GetBig32(profile, 132 + 12 * i + 4) + GetBig32(profile, 132 + 12 * i + 8));
  return end;
}

TEST(DamagedProfile, ACutProfileNeverGivesAnotherTransform) {
  // The header is made to agree with each cut, so that only the tag table
  // and the elements tell that bytes are missing. Every cut into what a
  // build reads fails it; cuts after it (a few of them are built, the
  // rest would read the same bytes) give the same transform.
  const Bytes whole = MixedProfile();
  for (bool asSource : {true, false}) {
    for (std::uint32_t intent : {0u, 1u}) {
      SCOPED_TRACE(std::string(asSource ? "source" : "destination") + " intent " + std::to_string(intent));
      const Bytes reference = WorldFromBytes(whole, asSource, intent);
      ASSERT_FALSE(reference.empty());
      const std::size_t needed = EndOfBytesRead(whole, TagsRead(asSource, intent));
      ASSERT_LT(needed, whole.size());
      for (std::size_t length = 128; length < whole.size(); ++length) {
        Bytes cut(whole.begin(), whole.begin() + long(length));
        PutBig32(cut, 0, std::uint32_t(length));
        if (length < needed) {
          ASSERT_TRUE(WorldFromBytes(cut, asSource, intent).empty()) << "cut at " << length;
        } else if (length == needed || length == whole.size() - 1) {
          ASSERT_EQ(WorldFromBytes(cut, asSource, intent), reference) << "cut at " << length;
        }
      }
    }
  }
}

TEST(DamagedProfile, OnlyAnUnlistedLutElementFallsBackToTheMatrixTags) {
  const Bytes whole = MixedProfile();
  const Bytes matrixOnly = BuildProfile(MatrixTrcSpec());
  const Bytes fallback = WorldFromBytes(matrixOnly, true, 0);
  ASSERT_FALSE(fallback.empty());
  // Renamed lut tags are not listed: the matrix/TRC tags serve.
  Bytes renamed = whole;
  PutBig32(renamed, 132, Sig("B2A3"));
  PutBig32(renamed, 144, Sig("A2B3"));
  EXPECT_EQ(WorldFromBytes(renamed, true, 0), fallback);
  // A tag table that claims more entries than the file holds (one more, or
  // as many as the count can say) cannot say whether the lut is there.
  for (std::uint32_t count : {std::uint32_t((whole.size() - 132) / 12 + 1), 0xFFFFFFFFu}) {
    Bytes overlong = whole;
    PutBig32(overlong, 128, count);
    EXPECT_TRUE(WorldFromBytes(overlong, true, 0).empty()) << count;
    EXPECT_TRUE(WorldFromBytes(overlong, false, 0).empty()) << count;
  }
}

// Fails each allocation of a build in turn (n = 0, 1, 2, ... until the build
// succeeds without failing): every failure gives no ColorWorld and leaves no
// block behind, and the same build without injection gives the reference.
void SweepBuild(const std::string& source, const std::string& destination, std::uint32_t intent,
                const K7730_CurveLutSet* curves = nullptr) {
  const Bytes reference = WorldBytes(source, destination, intent, curves);
  ASSERT_FALSE(reference.empty());
  OpenedProfile src(source), dst(destination);
  ASSERT_TRUE(src.ok() && dst.ok());
  long failures = 0;
  for (long n = 0;; ++n) {
    ASSERT_LT(n, 200) << "the build never succeeds";
    const std::size_t before = LiveBlockCount();
    FailAllocationAfter(n);
    const K7730_ColorWorld world = SDKCMCreateColorWorld(intent, src.ref(), curves, dst.ref(), nullptr);
    FailAllocationAfter(-1);
    if (world != 0) {
      SDKCMDisposeColorWorld(world);
      break;
    }
    ++failures;
    ASSERT_EQ(LiveBlockCount(), before) << "allocation " << n;
    ASSERT_EQ(WorldBytes(source, destination, intent, curves), reference) << "after failing allocation " << n;
  }
  EXPECT_GE(failures, 2);
}

TEST(DamagedProfile, EveryFailedAllocationFailsTheBuild) {
  const std::string lut = GeneratedProfile("small_rgb_lut16.icc");
  SweepBuild(kGamma22, lut, 0);  // matrix/TRC source: WideTables
  SweepBuild(lut, kGamma22, 0);  // matrix/TRC destination
  SweepBuild(lut, GeneratedProfile("small_rgb_lut8.icc"), 1);  // lut to lut
  K7730_CurveLutSet identity;
  for (auto& table : identity.tables)
    for (int i = 0; i < 256; ++i) table[i] = std::uint8_t(i);
  SweepBuild(kGamma22, lut, 1, &identity);   // with an input curve set
  SweepBuild(kCmykLut8, kCmykLut16, 1);      // four channels both ways
}

}  // namespace
}  // namespace k7730::test
