// The reason the engine gives for refusing one side of a build, from the
// same decoding that builds a ColorWorld: each damaged profile names the
// step and the element that failed, and a usable one says what it read.
#include <gtest/gtest.h>

#include "cmm/profile_diagnosis.h"
#include "profile_builder.h"

namespace k7730::test {
namespace {

using cmm::ProfileSide;
using cmm::Refusal;

cmm::ProfileDiagnosis Diagnose(const Bytes& profile, ProfileSide side, std::uint32_t intent = 0) {
  const std::string path = WriteTempFile(profile, "diagnosed.icc");
  return cmm::DiagnoseProfile(path.c_str(), side, intent);
}

// A gamma 2.2 matrix/TRC profile whose A2B0 has four outputs.
ProfileSpec FourOutputLut() {
  ProfileSpec spec = MatrixTrcSpec();
  spec.tags.push_back({Sig("A2B0"), Lut8Element(3, 4, 2, Bytes(2 * 2 * 2 * 4, 0))});
  return spec;
}

struct Case {
  const char* name;
  Bytes profile;
  ProfileSide side;
  Refusal reason;
  std::uint32_t tag;
};

TEST(ProfileDiagnosis, EachRefusalNamesItsStepAndElement) {
  Bytes cutShort = BuildProfile(MatrixTrcSpec());
  cutShort.resize(cutShort.size() - 8);
  Bytes longTable = BuildProfile(MatrixTrcSpec());
  PutBig32(longTable, 128, 5000);
  Bytes elementPastEnd = BuildProfile(MatrixTrcSpec());
  PutBig32(elementPastEnd, 132 + 12 * 3 + 8, 1u << 20);  // rTRC's size: the fourth entry
  ProfileSpec noColorant = MatrixTrcSpec();
  noColorant.tags.erase(noColorant.tags.begin());
  Bytes cutLut = Lut8Element(3, 3, 2, IdentityClut8(2));
  cutLut.resize(60);
  ProfileSpec shortLut = MatrixTrcSpec();
  shortLut.tags.push_back({Sig("B2A0"), cutLut});
  ProfileSpec grey;
  grey.colorSpace = Sig("GRAY");

  const Case cases[] = {
      {"tag table past the end", longTable, ProfileSide::Source, Refusal::TagTableCutShort, 0},
      {"TRC past the end", elementPastEnd, ProfileSide::Source, Refusal::ElementCutShort, Sig("rTRC")},
      {"no colorant, no table", BuildProfile(noColorant), ProfileSide::Source, Refusal::NoTable, Sig("rXYZ")},
      {"four outputs on a source", BuildProfile(FourOutputLut()), ProfileSide::Source, Refusal::LutUnfit, Sig("A2B0")},
      {"lut cut inside its tables", BuildProfile(shortLut), ProfileSide::Destination, Refusal::LutCutShort,
       Sig("B2A0")},
      {"para with gamma 0", BuildProfile(MatrixTrcSpec(ParaElement(0, {0.0}))), ProfileSide::Destination,
       Refusal::TrcNoGamma, Sig("rTRC")},
      {"para with zero slope", BuildProfile(MatrixTrcSpec(ParaElement(1, {2.2, 0, 0}))), ProfileSide::Source,
       Refusal::TrcNoSlope, Sig("rTRC")},
      {"para cut short", BuildProfile(MatrixTrcSpec(ParaElement(4, {2.2, 1}))), ProfileSide::Source,
       Refusal::TrcCutShort, Sig("rTRC")},
  };
  for (const Case& c : cases) {
    const cmm::ProfileDiagnosis d = Diagnose(c.profile, c.side);
    ASSERT_EQ(d.open.reason, Refusal::None) << c.name;
    EXPECT_EQ(d.side.reason, c.reason) << c.name;
    EXPECT_EQ(d.side.tag, c.tag) << c.name;
  }
  const cmm::OpenReport cut = Diagnose(cutShort, ProfileSide::Source).open;
  EXPECT_EQ(cut.reason, Refusal::CutShort);
  EXPECT_EQ(cut.header.size, cut.fileSize + 8);
  EXPECT_EQ(Diagnose(BuildProfile(grey), ProfileSide::Source).open.reason, Refusal::NotAccepted);
  EXPECT_EQ(cmm::DiagnoseProfile("/nonexistent/profile.icc", ProfileSide::Source, 0).open.reason,
            Refusal::NotOpened);
}

TEST(ProfileDiagnosis, RefusalsCarryTheirNumbersAndUsableSidesWhatTheyRead) {
  const cmm::SideReport unfit = Diagnose(BuildProfile(FourOutputLut()), ProfileSide::Source).side;
  EXPECT_EQ(unfit.type, Sig("mft1"));
  EXPECT_EQ(unfit.counts[0], 3u);
  EXPECT_EQ(unfit.counts[1], 4u);
  EXPECT_EQ(unfit.counts[2], 2u);
  EXPECT_EQ(unfit.lutTagsListed, 1u);

  const cmm::SideReport matrix = Diagnose(BuildProfile(MatrixTrcSpec()), ProfileSide::Source, 1).side;
  EXPECT_EQ(matrix.reason, Refusal::None);
  EXPECT_EQ(matrix.lutTag, Sig("A2B1"));
  EXPECT_EQ(matrix.lutType, 0u);
  EXPECT_EQ(matrix.trcTypes[0], Sig("curv"));

  const cmm::SideReport lut = Diagnose(BuildProfile(FourOutputLut()), ProfileSide::Destination).side;
  EXPECT_EQ(lut.reason, Refusal::None) << "a destination reads B2A0, absent here, and falls back";
  ProfileSpec withLut = MatrixTrcSpec();
  withLut.tags.push_back({Sig("B2A2"), Lut16Element(3, 3, 2, IdentityClut16(2))});
  const cmm::SideReport read = Diagnose(BuildProfile(withLut), ProfileSide::Destination, 2).side;
  EXPECT_EQ(read.reason, Refusal::None);
  EXPECT_EQ(read.lutType, Sig("mft2"));
}

}  // namespace
}  // namespace k7730::test
