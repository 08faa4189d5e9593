// Profiles the module cannot use: the print command names the profile and
// the reason in one line, learnt through the module's profile access; and
// --verbose describes both profiles.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/print/print_runner.h"
#include "support/byte_order.h"

namespace k7730::host {
namespace {

using Bytes = std::vector<std::uint8_t>;

using k7730::test::GetBig32;

// The tag-table entry of `tag` (its byte offset in the file), or 0.
std::size_t EntryOf(const Bytes& b, const char* tag) {
  for (std::uint32_t i = 0; i < GetBig32(b, 128); ++i) {
    const std::size_t entry = 132 + 12 * i;
    if (std::equal(tag, tag + 4, b.begin() + static_cast<std::ptrdiff_t>(entry))) return entry;
  }
  return 0;
}

// Overwrites the first bytes of the element of `tag`.
void Retype(Bytes& b, const char* tag, const Bytes& start) {
  const std::size_t entry = EntryOf(b, tag);
  ASSERT_NE(entry, 0u) << tag;
  std::copy(start.begin(), start.end(), b.begin() + GetBig32(b, entry + 4));
}

class ProfileRefusal : public PrintCommand {
 protected:
  Bytes source = ReadFileBytes(ModuleFolder() + "/A17D50.ICC", 1 << 20);
  Bytes printer = ReadFileBytes(ModuleFolder() + "/K77302.ICC", 1 << 20);

  // Prints a small page with the two profiles; the one-line result.
  RunResult PrintWith(const Bytes& input, const Bytes& output, const std::string& intent = "relative") {
    test::WriteBytes(Path("in.icc"), input);
    test::WriteBytes(Path("out.icc"), output);
    Page("page.png", 5, 4, 21);
    return RunPrint(Path("page.png") + " " + Path("out.png") + " --color-match --intent " + intent +
                    " --input-profile " + Path("in.icc") + " --output-profile " + Path("out.icc"));
  }
};

// One line that names the profile and says why.
void ExpectRefusal(const RunResult& r, const std::string& profile, const std::string& reason) {
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  EXPECT_NE(r.output.find(profile), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(reason), std::string::npos) << r.output;
}

TEST_F(ProfileRefusal, CutShortProfilesAreNamedWithBothSizes) {
  Bytes cut(printer.begin(), printer.begin() + static_cast<std::ptrdiff_t>(printer.size() / 2));
  const RunResult r = PrintWith(source, cut);
  ExpectRefusal(r, "printer profile " + Path("out.icc"), "cut short (its header gives " +
                                                              std::to_string(printer.size()) + " bytes, the file has " +
                                                              std::to_string(cut.size()) + ")");
  // The module refuses such a profile when it opens it, so the setter does.
  EXPECT_NE(r.output.find("ErrorCode 1006"), std::string::npos) << r.output;
}

TEST_F(ProfileRefusal, ProfilesTheModuleDoesNotOpenAreNamed) {
  Bytes deviceLink = source;
  std::copy_n("RGB ", 4, deviceLink.begin() + 20);  // an RGB connection space
  const RunResult r = PrintWith(deviceLink, printer);
  ExpectRefusal(r, "input profile " + Path("in.icc"),
                "the module does not open it (it reads RGB, CMYK and Lab profiles with an XYZ or Lab connection "
                "space)");
  EXPECT_NE(r.output.find("ErrorCode 1006"), std::string::npos) << r.output;
}

TEST_F(ProfileRefusal, MissingIntentTablesAreListed) {
  Bytes noRelative = printer;
  ASSERT_NE(EntryOf(noRelative, "B2A1"), 0u);
  std::copy_n("zzzz", 4, noRelative.begin() + static_cast<std::ptrdiff_t>(EntryOf(noRelative, "B2A1")));
  ExpectRefusal(PrintWith(source, noRelative), "printer profile",
                "no table for relative colorimetric (no 'B2A1' and no matrix/TRC tags; its tables: 'A2B0', "
                "'A2B1', 'A2B2', 'B2A0', 'B2A2')");
  // The same profile serves the intents whose tables it has.
  EXPECT_EQ(PrintWith(source, noRelative, "saturation").status, 0);
}

TEST_F(ProfileRefusal, VersionFourLookupElementsAndUnknownCurvesAreNamed) {
  Bytes lutV4 = printer;
  Retype(lutV4, "B2A1", {'m', 'B', 'A', ' ', 0, 0, 0, 0, 3, 3, 0, 0});
  ExpectRefusal(PrintWith(source, lutV4), "printer profile",
                "uses ICC v4 lookup elements ('B2A1' is 'mBA '), which the module does not read");

  Bytes sampled = source;
  for (const char* trc : {"rTRC", "gTRC", "bTRC"}) Retype(sampled, trc, {'s', 'f', '3', '2'});
  ExpectRefusal(PrintWith(sampled, printer), "input profile " + Path("in.icc"),
                "a TRC of a type the module does not read ('rTRC' is 'sf32')");

  Bytes para = source;
  for (const char* trc : {"rTRC", "gTRC", "bTRC"}) Retype(para, trc, {'p', 'a', 'r', 'a', 0, 0, 0, 0, 0, 9});
  ExpectRefusal(PrintWith(para, printer), "input profile",
                "a TRC of a type the module does not read ('rTRC' is a 'para' of function type 9)");

  Bytes flat = source;
  for (const char* trc : {"rTRC", "gTRC", "bTRC"}) Retype(flat, trc, {'p', 'a', 'r', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ExpectRefusal(PrintWith(flat, printer), "input profile",
                "its 'rTRC' curve has parameters that make no curve (a gamma of zero or below)");
}

TEST_F(ProfileRefusal, UnusableEmbeddedProfilesAreNamedAfterTheirImage) {
  // A JPEG carrying the source profile cut to half its size, and one whose
  // second profile marker is missing.
  test::WriteJpegFile(Path("cut.jpg"), 8, 8,
                      {.icc = Bytes(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(source.size() / 2))});
  test::JpegFileOptions chained;
  chained.icc = source;
  chained.icc.resize(100000, 0);
  test::WriteJpegFile(Path("chain.jpg"), 8, 8, chained);
  Bytes bytes = test::ReadBytes(Path("chain.jpg"));
  std::size_t second = 0;
  for (std::size_t i = 2, seen = 0; i + 3 < bytes.size() && second == 0; ++i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xE2 && ++seen == 2) second = i;
  }
  ASSERT_NE(second, 0u);
  bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(second),
              bytes.begin() + static_cast<std::ptrdiff_t>(second + 2 + (bytes[second + 2] << 8 | bytes[second + 3])));
  test::WriteBytes(Path("chain.jpg"), bytes);

  for (const char* name : {"cut.jpg", "chain.jpg"}) {
    const std::string args = Path(name) + " " + Path("out.png") + " --color-match";
    const RunResult refused = RunPrint(args);
    ExpectRefusal(refused, Path(name) + ": its embedded profile cannot be used", "--fallback-profile");
    EXPECT_EQ(refused.output.find("k7730-embedded"), std::string::npos) << refused.output;
    const RunResult fallback = RunPrintOk(args + " --fallback-profile");
    EXPECT_NE(fallback.output.find("falling back to the settings' input profile"), std::string::npos)
        << fallback.output;
    EXPECT_EQ(fallback.output.find("k7730-embedded"), std::string::npos) << fallback.output;
  }
}

TEST_F(ProfileRefusal, VerboseNamesBothProfiles) {
  Page("page.png", 5, 4, 22);
  const std::string v4 = "/usr/share/color/icc/colord/sRGB.icc";
  if (!std::filesystem::exists(v4)) GTEST_SKIP() << v4 << " is not installed";
  const RunResult r = RunPrintOk(Path("page.png") + " " + Path("out.png") + " --color-match --intent relative -v" +
                               " --input-profile " + v4 + " --output-profile " + ModuleFolder() + "/K77302.ICC");
  EXPECT_NE(r.output.find("intent:  relative colorimetric"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("input:   " + v4 + ": display profile 'mntr', ICC 4."), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("'RGB ' to 'XYZ '; relative colorimetric reads the matrix and TRCs (no 'A2B1'; TRCs "
                          "'para')"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("K77302.ICC: output profile 'prtr', ICC 2.1, 'RGB ' to 'Lab '; relative colorimetric "
                          "reads 'B2A1' ('mft2')"),
            std::string::npos)
      << r.output;
}

}  // namespace
}  // namespace k7730::host
