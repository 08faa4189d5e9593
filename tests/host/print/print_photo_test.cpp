// The print command as a photographer uses it: JPEG in and out, the
// embedded profile taken by default, the soft proof, resolution and Exif
// carried to the print, batches, pipes, the refusal to write over an input,
// tone-curve files made on the command line, and pages streamed in bands
// that come out exactly as one whole band would.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/core/file_bytes.h"
#include "host/image/image_formats.h"
#include "host/print/print_runner.h"
#include "support/photo_files.h"
#include "support/test_images.h"

namespace k7730::host {
namespace {

class PrintPhoto : public PrintCommand {
 protected:
  std::string Profile(const char* name) const { return ModuleFolder() + "/" + name; }
  std::vector<std::uint8_t> ProfileBytes(const char* name) const { return ReadFileBytes(Profile(name), 1 << 20); }

  // A smooth photo-like page with a little noise, written by our writer in
  // the format of `name`.
  Image PhotoPage(const std::string& name, std::uint32_t w, std::uint32_t h, bool tagged) {
    Image page;
    page.width = w;
    page.height = h;
    page.resolution = {300, 300};
    const auto noise = test::NoisePixels(w, h, 21);
    page.rgb.resize(std::size_t{w} * h * 3);
    for (std::uint32_t y = 0; y < h; ++y) {
      for (std::uint32_t x = 0; x < w; ++x) {
        const std::size_t i = (std::size_t{y} * w + x) * 3;
        page.rgb[i] = static_cast<std::uint8_t>(30 + 190 * x / w + noise[i] % 8);
        page.rgb[i + 1] = static_cast<std::uint8_t>(40 + 170 * y / h + noise[i + 1] % 8);
        page.rgb[i + 2] = static_cast<std::uint8_t>(200 - 150 * (x + y) / (w + h) + noise[i + 2] % 8);
      }
    }
    if (tagged) page.iccProfile = ProfileBytes("A17D50.ICC");
    WriteImage(Path(name), page, WriteOptions{95});
    return page;
  }

  // Runs a shell command line (for pipes) and returns its status.
  int Shell(const std::string& line) {
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

double MeanDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double total = 0;
  for (std::size_t i = 0; i < a.size(); ++i) total += std::abs(int(a[i]) - int(b[i]));
  return total / static_cast<double>(a.size());
}

TEST_F(PrintPhoto, StreamedPagesEqualOneWholeBandInEveryFormat) {
  for (const std::string ext : {"png", "tif", "ppm", "jpg"}) {
    PhotoPage("page." + ext, 61, 47, false);
    const std::string in = Path("page." + ext);
    const std::string whole = Path("whole." + ext);
    RunPrintOk("--sharpen medium --color-match --band-height 47 " + in + " " + whole);
    for (const char* band : {"1", "2", "7", "128"}) {
      const std::string banded = Path(std::string("band") + band + "." + ext);
      RunPrintOk(std::string("--sharpen medium --color-match --band-height ") + band + " " + in + " " + banded);
      EXPECT_EQ(test::ReadBytes(banded), test::ReadBytes(whole)) << ext << " in bands of " << band;
    }
  }
}

TEST_F(PrintPhoto, JpegRoundTripsWithAndWithoutProfiles) {
  // The photo from libjpeg, so that only the copy comes from our writer.
  test::WriteJpegFile(Path("photo.jpg"), 40, 30, {.pixels = PhotoPage("photo.png", 40, 30, false).rgb});
  RunPrintOk(Path("photo.jpg") + " " + Path("copy.jpg") + " --quality 100");
  const Image copy = ReadImage(Path("copy.jpg"));
  EXPECT_LT(MeanDifference(copy.rgb, ReadImage(Path("photo.jpg")).rgb), 2.0);
  EXPECT_TRUE(copy.iccProfile.empty());

  PhotoPage("tagged.jpg", 40, 30, true);
  RunPrintOk(Path("tagged.jpg") + " " + Path("print.jpg") + " --color-match");
  EXPECT_TRUE(ReadImage(Path("print.jpg")).iccProfile.empty()) << "PNG and JPEG prints name the printer profile";
  RunPrintOk(Path("tagged.jpg") + " " + Path("embedded.jpg") + " --color-match --embed-profile");
  EXPECT_EQ(ReadImage(Path("embedded.jpg")).iccProfile, ProfileBytes("K77302.ICC"));
  RunPrintOk(Path("tagged.jpg") + " " + Path("print.tif") + " --color-match");
  EXPECT_EQ(ReadImage(Path("print.tif")).iccProfile, ProfileBytes("K77302.ICC"));
  // Without matching, the print keeps the image's own profile.
  RunPrintOk(Path("tagged.jpg") + " " + Path("plain.jpg"));
  EXPECT_EQ(ReadImage(Path("plain.jpg")).iccProfile, ProfileBytes("A17D50.ICC"));
}

TEST_F(PrintPhoto, EmbeddedProfileIsTheDefaultAndAnUnusableOneIsNeverSkippedSilently) {
  PhotoPage("tagged.png", 20, 10, true);
  RunResult r = RunPrintOk(Path("tagged.png") + " " + Path("default.png") + " --color-match");
  EXPECT_NE(r.output.find("colour matching from the embedded profile of " + Path("tagged.png")), std::string::npos)
      << r.output;
  RunPrintOk(Path("tagged.png") + " " + Path("named.png") + " --input-profile " + Profile("A17D50.ICC"));
  EXPECT_EQ(Pixels("default.png"), Pixels("named.png"));
  r = RunPrintOk(Path("tagged.png") + " " + Path("settings.png") + " --input-profile settings");
  EXPECT_NE(r.output.find("the settings' input profile"), std::string::npos) << r.output;
  PhotoPage("plain.png", 4, 4, false);
  r = RunPrint(Path("plain.png") + " " + Path("out.png") + " --input-profile embedded");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find("has no embedded ICC profile"), std::string::npos) << r.output;

  // A profile of the wrong colour space: refused, or a notice and the
  // settings' profile with --fallback-profile.
  // (JPEG keeps any profile; libpng would drop this one itself.)
  Image grey = PhotoPage("grey-tagged.jpg", 20, 10, false);
  grey.iccProfile = ProfileBytes("A17D50.ICC");
  std::copy_n("GRAY", 4, grey.iccProfile.begin() + 16);  // the data colour space
  WriteImage(Path("grey-tagged.jpg"), grey);
  r = RunPrint(Path("grey-tagged.jpg") + " " + Path("refused.png") + " --color-match");
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("--fallback-profile"), std::string::npos) << r.output;
  EXPECT_FALSE(std::filesystem::exists(Path("refused.png")));
  r = RunPrintOk(Path("grey-tagged.jpg") + " " + Path("fallback.png") + " --color-match --fallback-profile");
  EXPECT_NE(r.output.find("falling back"), std::string::npos) << r.output;
  RunPrintOk(Path("grey-tagged.jpg") + " " + Path("grey-settings.png") + " --input-profile settings");
  EXPECT_EQ(Pixels("fallback.png"), Pixels("grey-settings.png"));
}

TEST_F(PrintPhoto, ProofOfAGreyRampIsNeutralAndOfAPhotoCloseToIt) {
  Image ramp;
  ramp.width = 256;
  ramp.height = 4;
  for (std::uint32_t y = 0; y < 4; ++y) {
    for (int v = 0; v < 256; ++v) ramp.rgb.insert(ramp.rgb.end(), 3, static_cast<std::uint8_t>(v));
  }
  WriteImage(Path("ramp.png"), ramp);
  RunPrintOk(Path("ramp.png") + " --color-match --proof-only --proof " + Path("ramp-proof.png"));
  const Image proof = ReadImage(Path("ramp-proof.png"));
  EXPECT_EQ(proof.iccProfile, ProfileBytes("A17D50.ICC")) << "the proof is tagged with the screen profile";
  int worst = 0;
  for (std::size_t i = 0; i < proof.rgb.size(); i += 3) {
    worst = std::max({worst, std::abs(proof.rgb[i] - proof.rgb[i + 1]), std::abs(proof.rgb[i + 1] - proof.rgb[i + 2])});
  }
  EXPECT_LE(worst, 6) << "grey stays grey within 6 levels";

  // Mid-tone colours sit inside the printer's gamut: printed with the
  // relative intent, their proof is close to them.
  Image page;
  page.width = 60;
  page.height = 40;
  for (std::uint32_t y = 0; y < page.height; ++y) {
    for (std::uint32_t x = 0; x < page.width; ++x) {
      page.rgb.push_back(static_cast<std::uint8_t>(90 + x * 80 / page.width));
      page.rgb.push_back(static_cast<std::uint8_t>(100 + y * 70 / page.height));
      page.rgb.push_back(static_cast<std::uint8_t>(150 - (x + y) * 50 / (page.width + page.height)));
    }
  }
  WriteImage(Path("page.png"), page);
  RunPrintOk(Path("page.png") + " " + Path("print.png") + " --color-match --intent relative --proof " + Path("proof.png"));
  EXPECT_LT(MeanDifference(Pixels("proof.png"), page.rgb), 4.0);
  EXPECT_GT(MeanDifference(Pixels("print.png"), page.rgb), MeanDifference(Pixels("proof.png"), page.rgb));

  // A matrix/TRC "printer" profile cannot give a proof, and says so.
  const RunResult r = RunPrint(Path("page.png") + " --output-profile " + Profile("A17D50.ICC") +
                               " --proof-only --proof " + Path("none.png"));
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("lookup tables"), std::string::npos) << r.output;
}

TEST_F(PrintPhoto, ResolutionAndExifAreCarriedAndDpiSetsIt) {
  Image page = PhotoPage("page.png", 16, 8, false);
  page.exif = {'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0};
  WriteImage(Path("exif.jpg"), page);
  for (const std::string out : {"out.png", "out.tif", "out.jpg"}) {
    RunPrintOk(Path("exif.jpg") + " " + Path(out));
    EXPECT_NEAR(ReadImage(Path(out)).resolution.x, 300.0, 0.01) << out;
    EXPECT_NEAR(ReadImage(Path(out)).resolution.y, 300.0, 0.01) << out;
  }
  EXPECT_EQ(ReadImage(Path("out.jpg")).exif, page.exif);
  RunPrintOk("--dpi 600 " + Path("page.png") + " " + Path("dpi.tif"));
  EXPECT_NEAR(ReadImage(Path("dpi.tif")).resolution.y, 600.0, 0.01);
}

TEST_F(PrintPhoto, BatchGoesOnPastABadImageAndReportsIt) {
  PhotoPage("a.png", 8, 8, false);
  PhotoPage("c.jpg", 8, 8, false);
  test::WriteBytes(Path("b.png"), {'n', 'o', 't'});
  std::filesystem::create_directory(Path("out"));
  RunResult r = RunPrint("--output-dir " + Path("out") + " " + Path("a.png") + " " + Path("b.png") + " " + Path("c.jpg"));
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find(Path("b.png")), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("1 of 3 images failed"), std::string::npos) << r.output;
  EXPECT_TRUE(std::filesystem::exists(Path("out/a.png")));
  EXPECT_TRUE(std::filesystem::exists(Path("out/c.jpg")));
  EXPECT_FALSE(std::filesystem::exists(Path("out/b.png")));
}

TEST_F(PrintPhoto, AnImageDamagedPartWayFailsWithTheReadersOwnMessageAndNoPrint) {
  // Cut inside the image data, the damage is met on the thread that reads
  // ahead of the module, several bands into the page.
  for (const std::string ext : {"png", "jpg"}) {
    PhotoPage("whole." + ext, 300, 400, false);
    std::vector<std::uint8_t> bytes = test::ReadBytes(Path("whole." + ext));
    bytes.resize(bytes.size() * 3 / 5);
    test::WriteBytes(Path("cut." + ext), bytes);
    const std::string expected = test::ReadRefusal(Path("cut." + ext), 16);
    ASSERT_FALSE(expected.empty()) << ext;
    const RunResult r = RunPrint("--sharpen mild --band-height 16 " + Path("cut." + ext) + " " + Path("print.png"));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_EQ(r.output, "k7730-print: error: " + expected + "\n");
    EXPECT_FALSE(std::filesystem::exists(Path("print.png")));
  }
}

TEST_F(PrintPhoto, BatchRefusesTwoInputsForOneOutputUnlessAskedToNumberThem) {
  PhotoPage("x.png", 8, 8, false);
  PhotoPage("x.jpg", 6, 6, false);
  std::filesystem::create_directory(Path("out"));
  const std::string batch = "--format tiff --output-dir " + Path("out") + " " + Path("x.png") + " " + Path("x.jpg");
  RunResult r = RunPrint(batch);
  EXPECT_EQ(r.status, 2) << r.output;
  EXPECT_NE(r.output.find(Path("x.png") + " and " + Path("x.jpg")), std::string::npos) << r.output;
  EXPECT_TRUE(std::filesystem::is_empty(Path("out"))) << "nothing is written before the refusal";

  RunPrintOk(batch + " --unique-names");
  EXPECT_EQ(ReadImage(Path("out/x.tif")).width, 8u);
  EXPECT_EQ(ReadImage(Path("out/x-2.tif")).width, 6u);
}

TEST_F(PrintPhoto, StandardInputAndOutputCarryEveryFormat) {
  const Image page = PhotoPage("page.ppm", 12, 9, false);
  PhotoPage("page.png", 12, 9, false);
  PhotoPage("photo.jpg", 40, 30, false);
  const std::string cmd = K7730_PRINT_PATH;
  ASSERT_EQ(Shell(cmd + " --sharpen mild - - --format png < " + Path("page.ppm") + " > " + Path("piped.png")), 0);
  RunPrintOk("--sharpen mild " + Path("page.ppm") + " " + Path("file.png"));
  EXPECT_EQ(Pixels("piped.png"), Pixels("file.png"));
  ASSERT_EQ(Shell(cmd + " -q --sharpen mild - " + Path("piped-jpg.png") + " < " + Path("photo.jpg")), 0);
  RunPrintOk("-q --sharpen mild " + Path("photo.jpg") + " " + Path("file-jpg.png"));
  EXPECT_EQ(Pixels("piped-jpg.png"), Pixels("file-jpg.png"));
  ASSERT_EQ(Shell(cmd + " -q - - < " + Path("page.png") + " > " + Path("piped.out")), 0);
  EXPECT_EQ(ReadImage(Path("piped.out")).rgb, page.rgb) << "PNG in, PNG out by default";
  ASSERT_EQ(Shell("cat " + Path("photo.jpg") + " | " + cmd + " -q - - > " + Path("jpg.out")), 0);
  EXPECT_EQ(DetectFormat(Path("jpg.out")), ImageFormat::Png) << "a pipe to a pipe gives PNG";
  EXPECT_EQ(Shell(cmd + " -q - - < " + Path("page.png") + " --format tiff > /dev/null 2>&1"), 2);
  // A full disk under the writer's thread ends the run with one error.
  const std::string big = Path("big.ppm");
  test::WritePpmFile(big, 600, 400, test::NoisePixels(600, 400, 3));
  EXPECT_EQ(Shell(cmd + " --band-height 16 - - < " + big + " > /dev/full 2> " + Path("err.txt")), 1);
  EXPECT_NE(test::ReadText(Path("err.txt")).find("cannot write"), std::string::npos);
}

// WebP and HEIF are read, never written: each prints as the same pixels and
// profile in a PNG print, from a file or a pipe, and every way of asking
// for one as the output is refused with the reason.
TEST_F(PrintPhoto, WebpAndHeifPhotosPrintThroughTheModuleButAreNeverWritten) {
  const Image page = PhotoPage("page.png", 48, 32, true);
  test::WriteWebpFile(Path("photo.webp"), 48, 32, page.rgb, {.icc = page.iccProfile});
  test::WriteHeifFile(Path("photo.heic"), 48, 32, page.rgb, {.icc = page.iccProfile});
  test::WriteHeifFile(Path("photo.avif"), 48, 32, page.rgb, {.codec = test::HeifCodec::Av1});
  const std::string stages = " -q --sharpen mild --color-match";
  for (const char* name : {"photo.webp", "photo.heic", "photo.avif"}) {
    SCOPED_TRACE(name);
    // The same pixels and profile as PNG are the oracle, decoded the
    // reader's way (HEIC and AVIF are lossy).
    WriteImage(Path("decoded.png"), ReadImage(Path(name)));
    RunPrintOk(stages + " " + Path("decoded.png") + " " + Path("expected.png"));
    const RunResult r = RunPrintOk("--sharpen mild --color-match " + Path(name) + " " + Path("print.png"));
    EXPECT_EQ(Pixels("print.png"), Pixels("expected.png"));
    const bool tagged = name[6] != 'a';
    EXPECT_EQ(r.output.find("colour matching from the embedded profile") != std::string::npos, tagged) << r.output;
    ASSERT_EQ(Shell(std::string(K7730_PRINT_PATH) + stages + " - - < " + Path(name) + " > " + Path("piped.out")), 0);
    EXPECT_EQ(DetectFormat(Path("piped.out")), ImageFormat::Png);
    EXPECT_EQ(Pixels("piped.out"), Pixels("expected.png"));
  }

  RunResult r = RunPrint(Path("page.png") + " " + Path("print.webp"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find(Path("print.webp") + ": cannot write WebP files, only read them"), std::string::npos)
      << r.output;
  r = RunPrint(Path("page.png") + " " + Path("print.png") + " --proof " + Path("proof.avif"));
  EXPECT_NE(r.output.find("cannot write HEIF files"), std::string::npos) << r.output;
  r = RunPrint("--format heif " + Path("page.png") + " -");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("--format: cannot write HEIF files, only read them (--format takes png, tiff, jpeg or ppm)"),
            std::string::npos)
      << r.output;
  // Where the output's format would be the input's, they give PNG.
  ASSERT_EQ(Shell(std::string(K7730_PRINT_PATH) + " -q " + Path("photo.webp") + " - > " + Path("file-piped.out")), 0);
  EXPECT_EQ(DetectFormat(Path("file-piped.out")), ImageFormat::Png);
  std::filesystem::create_directory(Path("out"));
  RunPrintOk("-q --unique-names --output-dir " + Path("out") + " " + Path("photo.webp") + " " + Path("photo.heic"));
  EXPECT_EQ(DetectFormat(Path("out/photo.png")), ImageFormat::Png);
  EXPECT_EQ(DetectFormat(Path("out/photo-2.png")), ImageFormat::Png);
}

TEST_F(PrintPhoto, MediaLayoutAndOrientationReachThePrint) {
  // Stored on its side (orientation 6): 30 x 40 stored, 40 x 30 upright, so
  // it goes on a landscape page.
  test::WriteJpegFile(Path("side.jpg"), 30, 40, {.exif = test::ExifWithOrientation(6)});
  RunResult r = RunPrintOk(Path("side.jpg") + " " + Path("page.tif") + " --media 5x7 --fit");
  EXPECT_NE(r.output.find("rotated 90 degrees clockwise to stand upright"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("laid out on 5x7 landscape (2100 x 1500 pixels at 300 dpi), fit"), std::string::npos)
      << r.output;
  const Image page = ReadImage(Path("page.tif"));
  EXPECT_EQ(page.width, 2100u);
  EXPECT_EQ(page.height, 1500u);
  EXPECT_DOUBLE_EQ(page.resolution.x, 300.0);

  r = RunPrintOk(Path("side.jpg") + " " + Path("stored.tif") + " --media 5x7 --no-auto-rotate");
  EXPECT_EQ(r.output.find("rotated"), std::string::npos) << r.output;
  EXPECT_EQ(ReadImage(Path("stored.tif")).width, 1500u) << "kept as stored: portrait";
}

TEST_F(PrintPhoto, AnInputIsNotWrittenOverUnlessAskedTo) {
  PhotoPage("photo.png", 8, 8, false);
  const auto before = test::ReadBytes(Path("photo.png"));
  ASSERT_EQ(::link(Path("photo.png").c_str(), Path("linked.png").c_str()), 0);
  for (const char* out : {"photo.png", "linked.png"}) {
    const RunResult r = RunPrint("--sharpen strong " + Path("photo.png") + " " + Path(out));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find("--overwrite"), std::string::npos) << r.output;
  }
  EXPECT_EQ(test::ReadBytes(Path("photo.png")), before);
  RunPrintOk("--sharpen strong --overwrite " + Path("photo.png") + " " + Path("photo.png"));
  EXPECT_NE(test::ReadBytes(Path("photo.png")), before);
}

TEST_F(PrintPhoto, CurveFilesMadeOnTheCommandLineDriveTheCurveStage) {
  RunPrintOk("curve save " + Path("g.tcv") + " --gamma 1.8");
  RunPrintOk("curve save " + Path("p.tcv") + " --points 0:0,64:80,255:255 --channel red --polarity ink");
  RunResult r = RunPrintOk("curve show " + Path("p.tcv"));
  EXPECT_NE(r.output.find("ink amounts"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("red: points 0:0,64:80,255:255"), std::string::npos) << r.output;
  r = RunPrint("curve show " + Path("g.tcv"));
  EXPECT_NE(r.output.find("common: gamma 1.80"), std::string::npos) << r.output;

  for (const char* bad : {"--gamma 0", "--points 0:0", "--points 10:0,5:9", "--points 0:0,300:1",
                          "--gamma 1 --points 0:0,255:255", "--gamma 2 --channel cyan"}) {
    r = RunPrint("curve save " + Path("bad.tcv") + " " + bad);
    EXPECT_EQ(r.status, 2) << bad << ": " << r.output;
  }
  EXPECT_FALSE(std::filesystem::exists(Path("bad.tcv")));
}

TEST_F(PrintPhoto, ExampleCurveFilesRead) {
  for (const char* name : {"gamma-1.8.tcv", "brighten.tcv", "warm.tcv"}) {
    RunPrintOk(std::string("curve show ") + K7730_EXAMPLES_DIR + "/" + name);
  }
}

TEST_F(PrintPhoto, LineFilterDefaultTableSmoothsThePrint) {
  PhotoPage("page.png", 40, 20, false);
  RunPrintOk(Path("page.png") + " " + Path("smooth.png") + " --line-filter on");
  EXPECT_NE(Pixels("smooth.png"), Pixels("page.png"));
  EXPECT_LT(MeanDifference(Pixels("smooth.png"), Pixels("page.png")), 3.0);
}

}  // namespace
}  // namespace k7730::host
