// The built rastertok7730 run as CUPS runs it, on raster written with
// libcups, against the print command on the same pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "support/test_images.h"
#include "host/image/image_formats.h"
#include "raster_files.h"
#include "host/print/print_runner.h"

namespace k7730::host::test {
namespace {

class RasterFilter : public ScratchFolder {
 protected:
  RasterPage RgbPage(std::uint32_t w, std::uint32_t h, std::uint32_t seed, cups_cspace_t space = CUPS_CSPACE_RGB) {
    return {RgbHeader(w, h, space), NoisePixels(w, h, seed)};
  }

  // The print command's result for the same pixels and stage flags.
  std::vector<std::uint8_t> Printed(const RasterPage& page, const std::string& flags) {
    const auto w = page.header.cupsWidth, h = page.header.cupsHeight;
    WritePngFile(Path("page.png"), w, h, 3, Widen(page.pixels), false);
    EXPECT_EQ(RunPrint(Path("page.png") + " " + Path("printed.png") + " " + flags + " --quiet").status, 0) << flags;
    return ReadImage(Path("printed.png")).rgb;
  }

  // The one page the filter prints of in.ras with these job options.
  std::vector<std::uint8_t> Filtered(const std::string& options, const std::string& env = "") {
    const FilterRun run = RunRasterFilter(dir, options, Path("in.ras"), env);
    EXPECT_EQ(run.status, 0) << options << "\n" << run.log;
    const std::vector<RasterPage> out = ReadRasterFile(run.outputPath);
    EXPECT_EQ(out.size(), 1u) << options;
    return out.empty() ? std::vector<std::uint8_t>{} : out[0].pixels;
  }

  // A copy of the sample PPD with some lines replaced.
  std::string Ppd(const std::vector<std::pair<std::string, std::string>>& replace) {
    std::string text = ReadText(K7730_SAMPLE_PPD);
    for (const auto& [from, to] : replace) {
      const auto at = text.find(from);
      EXPECT_NE(at, std::string::npos) << from;
      if (at != std::string::npos) text.replace(at, from.size(), to);
    }
    const std::string path = Path("queue.ppd");
    WriteBytes(path, {text.begin(), text.end()});
    return "PPD=" + ShellQuote(path);
  }
};

TEST_F(RasterFilter, AllStagesOffGivesEveryPageBackWithItsHeaderFromStdinOrFile) {
  std::vector<RasterPage> pages{RgbPage(37, 300, 1), RgbPage(5, 1, 2, CUPS_CSPACE_SRGB), RgbPage(64, 129, 3)};
  for (const cups_mode_t mode : {CUPS_RASTER_WRITE, CUPS_RASTER_WRITE_COMPRESSED, CUPS_RASTER_WRITE_PWG}) {
    WriteRasterFile(Path("in.ras"), pages, mode);
    // The headers as libcups reads them back, with the fields it fills in.
    const std::vector<RasterPage> in = ReadRasterFile(Path("in.ras"));
    ASSERT_EQ(in.size(), pages.size());
    for (const bool asFile : {false, true}) {
      const FilterRun run = RunRasterFilter(dir, "", Path("in.ras"), "", asFile);
      ASSERT_EQ(run.status, 0) << run.log;
      EXPECT_EQ(run.Count("ERROR"), 0) << run.log;
      EXPECT_EQ(run.Count("PAGE"), 3) << run.log;
      const std::vector<RasterPage> out = ReadRasterFile(run.outputPath);
      ASSERT_EQ(out.size(), pages.size()) << "mode " << mode;
      for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_EQ(std::memcmp(&out[i].header, &in[i].header, sizeof(cups_page_header2_t)), 0) << "page " << i;
        EXPECT_EQ(out[i].pixels, pages[i].pixels) << "page " << i;
      }
    }
  }
}

TEST_F(RasterFilter, JobOptionsGiveTheSamePixelsAsThePrintCommandWithEveryLineDelivered) {
  // 300 lines in bands of 128: the sharpening holds lines back across every
  // band boundary and releases the last ones with the final band.
  const RasterPage page = RgbPage(41, 300, 7);
  WriteRasterFile(Path("in.ras"), {page});
  std::vector<std::uint8_t> curve(768);
  for (int i = 0; i < 768; ++i) curve[i] = static_cast<std::uint8_t>(255 - (i % 256) / 2);
  WriteBytes(Path("printer.amp"), curve);

  // Job options and the print command's flags for the same stages.
  const std::vector<std::pair<std::string, std::string>> cases{
      {"k7730-sharpen=mild", "--sharpen mild"},
      {"k7730-sharpen=strong k7730-output-curve=" + Path("printer.amp"), "--sharpen strong --output-curve " + Path("printer.amp")},
      {"k7730-input-curve=" + Path("printer.amp") + " k7730-sharpen=medium", "--input-curve " + Path("printer.amp") + " --sharpen medium"},
      {"k7730-color-match=on k7730-intent=relative k7730-sharpen=mild", "--color-match --intent relative --sharpen mild"},
      {"k7730-color-match=on k7730-intent=saturation k7730-output-curve=" + Path("printer.amp"), "--color-match --intent saturation --output-curve " + Path("printer.amp")},
  };
  for (const auto& [options, flags] : cases) {
    const std::vector<std::uint8_t> out = Filtered(options);
    EXPECT_NE(out, page.pixels) << options << ": nothing changed";
    EXPECT_EQ(out, Printed(page, flags)) << options;
  }
}

TEST_F(RasterFilter, SettingsComeFromThePpdUnlessTheJobNamesAFileAndPpdDefaultsApply) {
  const RasterPage page = RgbPage(23, 40, 11);
  WriteRasterFile(Path("in.ras"), {page});
  RunPrintOk("settings save " + Path("strong.k77") + " --sharpen strong --quiet");
  RunPrintOk("settings save " + Path("mild.k77") + " --sharpen mild --quiet");
  const auto strong = Printed(page, "--settings " + Path("strong.k77"));
  const auto mild = Printed(page, "--settings " + Path("mild.k77"));
  ASSERT_NE(strong, mild);

  const std::string ppd = Ppd({{"*k7730SettingsFile: \"\"", "*k7730SettingsFile: \"" + Path("strong.k77") + "\""}});
  EXPECT_EQ(Filtered("", ppd), strong);
  EXPECT_EQ(Filtered("k7730-settings=" + Path("mild.k77"), ppd), mild);
  // A stage option of the job beats the settings; "settings" keeps them.
  EXPECT_EQ(Filtered("k7730-sharpen=off", ppd), page.pixels);
  EXPECT_EQ(Filtered("k7730-sharpen=settings", ppd), strong);

  // The queue's default choice counts when the job gives none.
  const std::string mildQueue = Ppd({{"*Defaultk7730-sharpen: settings", "*Defaultk7730-sharpen: mild"}});
  EXPECT_EQ(Filtered("", mildQueue), Printed(page, "--sharpen mild"));
}

TEST_F(RasterFilter, AnIntentAloneChangesTheMatchingTheSettingsAlreadyHave) {
  const RasterPage page = RgbPage(19, 17, 5);
  WriteRasterFile(Path("in.ras"), {page});
  RunPrintOk("settings save " + Path("match.k77") + " --color-match --intent perceptual --quiet");
  EXPECT_EQ(Filtered("k7730-settings=" + Path("match.k77") + " k7730-intent=saturation"),
            Printed(page, "--settings " + Path("match.k77") + " --color-match --intent saturation"));
  // Without matching in the settings the intent changes nothing.
  EXPECT_EQ(Filtered("k7730-intent=saturation"), page.pixels);
}

TEST_F(RasterFilter, CopiesRestartThePageAndComeOutWholeEachTime) {
  RasterPage page = RgbPage(30, 150, 9);
  page.header.NumCopies = 3;
  RasterPage single = RgbPage(30, 20, 10);
  WriteRasterFile(Path("in.ras"), {page, single});
  const FilterRun run = RunRasterFilter(dir, "k7730-sharpen=medium", Path("in.ras"));
  ASSERT_EQ(run.status, 0) << run.log;
  EXPECT_NE(run.log.find("PAGE: 1 3"), std::string::npos) << run.log;
  const std::vector<RasterPage> out = ReadRasterFile(run.outputPath);
  ASSERT_EQ(out.size(), 4u);
  page.header.NumCopies = 1;
  const auto expected = Printed(page, "--sharpen medium");
  for (int copy = 0; copy < 3; ++copy) {
    EXPECT_EQ(out[copy].header.NumCopies, 1u) << "the printer must not repeat what the filter made";
    EXPECT_EQ(out[copy].pixels, expected) << "copy " << copy;
  }
  EXPECT_EQ(out[3].pixels, Printed(single, "--sharpen medium"));
}

// Bad input: one ERROR line last, a non-zero exit, and of the output only
// the pages that were complete before the fault.
TEST_F(RasterFilter, RefusesUnsupportedPagesNamingWhatWasFound) {
  struct Case {
    cups_page_header2_t header;
    std::string expected;
  };
  cups_page_header2_t planar = RgbHeader(8, 4);
  planar.cupsColorOrder = CUPS_ORDER_PLANAR;
  planar.cupsBytesPerLine = 8;
  cups_page_header2_t sixteen = RgbHeader(8, 4, CUPS_CSPACE_RGB, 48);
  sixteen.cupsBitsPerColor = 16;
  const std::vector<Case> cases{
      {RgbHeader(8, 4, CUPS_CSPACE_CMYK, 32), "this page is CMYK with 8 bits per colour"},
      {RgbHeader(8, 4, CUPS_CSPACE_SW, 8), "this page is sGrey"},
      {sixteen, "RGB with 16 bits per colour"},
      {planar, "planar"},
  };
  for (const Case& c : cases) {
    RasterPage bad{c.header, std::vector<std::uint8_t>(std::size_t{c.header.cupsBytesPerLine} * 4, 9)};
    WriteRasterFile(Path("in.ras"), {RgbPage(8, 4, 1), bad});
    const FilterRun run = RunRasterFilter(dir, "k7730-sharpen=mild", Path("in.ras"));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.EndsWithOneError()) << run.log;
    EXPECT_NE(run.log.find("ERROR: page 2: the printer takes 8-bit RGB or sRGB"), std::string::npos) << run.log;
    EXPECT_NE(run.log.find(c.expected), std::string::npos) << run.log;
    EXPECT_EQ(ReadRasterFile(run.outputPath).size(), 1u);
  }
}

TEST_F(RasterFilter, TruncatedDamagedAndAbsurdStreamsEndWithOneError) {
  const RasterPage first = RgbPage(20, 10, 1), second = RgbPage(20, 200, 2);
  WriteRasterFile(Path("whole.ras"), {first, second});
  const std::vector<std::uint8_t> whole = ReadBytes(Path("whole.ras"));
  struct Case {
    std::string name;
    std::vector<std::uint8_t> bytes;
    std::string expected;
    std::size_t pagesKept;
  };
  std::vector<Case> cases{
      {"cut in page 2", {whole.begin(), whole.end() - 20 * 3 * 50}, "page 2: the raster stream ends at line 150 of 200", 1},
      {"cut in header 2", {whole.begin(), whole.begin() + 4 + 1796 + 600 + 100}, "header after page 1 is damaged", 1},
      {"empty", {}, "holds no pages", 0},
      {"not raster", std::vector<std::uint8_t>(5000, 'x'), "not a CUPS raster stream", 0},
  };
  RasterPage huge{RgbHeader(1u << 20, 1u << 20), {}};
  WriteRasterFile(Path("huge.ras"), {first, huge});
  cases.push_back({"absurd size", ReadBytes(Path("huge.ras")), "claims 1048576 x 1048576 pixels", 1});
  RasterPage manyCopies = RgbPage(4, 4, 3);
  manyCopies.header.NumCopies = 100000;
  WriteRasterFile(Path("copies.ras"), {first, manyCopies});
  cases.push_back({"absurd copies", ReadBytes(Path("copies.ras")), "page 2: the page header asks for 100000 copies", 1});
  for (const Case& c : cases) {
    WriteBytes(Path("in.ras"), c.bytes);
    const FilterRun run = RunRasterFilter(dir, "k7730-sharpen=mild", Path("in.ras"));
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_TRUE(run.EndsWithOneError()) << c.name << ":\n" << run.log;
    EXPECT_NE(run.log.find(c.expected), std::string::npos) << c.name << ":\n" << run.log;
    EXPECT_EQ(ReadRasterFile(run.outputPath).size(), c.pagesKept) << c.name;
  }
}

TEST_F(RasterFilter, BadOptionsAndFilesAreRefusedBeforeAnyOutput) {
  WriteRasterFile(Path("in.ras"), {RgbPage(8, 8, 1)});
  WriteBytes(Path("short.k77"), std::vector<std::uint8_t>(100, 0));
  const std::vector<std::pair<std::string, std::string>> cases{
      {"k7730-sharpen=extreme", "option k7730-sharpen=extreme: takes mild, medium, strong, off or settings"},
      {"k7730-intent=absolute", "option k7730-intent=absolute: takes perceptual"},
      {"k7730-color-match=maybe", "option k7730-color-match=maybe: takes on, off or settings"},
      {"k7730-settings=" + Path("short.k77"), Path("short.k77") + ": "},
      {"k7730-output-curve=" + Path("missing.amp"), Path("missing.amp") + ": "},
  };
  for (const auto& [options, expected] : cases) {
    const FilterRun run = RunRasterFilter(dir, options, Path("in.ras"));
    EXPECT_EQ(run.status, 1) << options;
    EXPECT_TRUE(run.EndsWithOneError()) << options << ":\n" << run.log;
    EXPECT_NE(run.log.find("ERROR: " + expected), std::string::npos) << run.log;
    EXPECT_TRUE(ReadText(run.outputPath).empty()) << options;
  }
  // A queue whose PPD names a module that is not there, a PPD that does
  // not open, and a missing input file.
  const std::string noModule = Ppd({{"*k7730ModuleFile: \"\"", "*k7730ModuleFile: \"" + Path("gone/K7730fe.so") + "\""}});
  FilterRun lost = RunRasterFilter(dir, "", Path("in.ras"), "K7730FE_MODULE= " + noModule);
  EXPECT_TRUE(lost.EndsWithOneError()) << lost.log;
  EXPECT_NE(lost.log.find("ERROR: " + Path("gone/K7730fe.so") + ": "), std::string::npos) << lost.log;
  EXPECT_TRUE(ReadText(lost.outputPath).empty());
  FilterRun run = RunRasterFilter(dir, "", Path("in.ras"), "PPD=" + ShellQuote(Path("none.ppd")));
  EXPECT_TRUE(run.EndsWithOneError()) << run.log;
  EXPECT_NE(run.log.find("cannot read the PPD"), std::string::npos) << run.log;
  run = RunRasterFilter(dir, "", Path("absent.ras"), "", true);
  EXPECT_TRUE(run.EndsWithOneError()) << run.log;
  EXPECT_NE(run.log.find(Path("absent.ras") + ": cannot open"), std::string::npos) << run.log;
  // Other arguments than CUPS gives get the usage line.
  const int status = std::system((std::string(K7730_RASTER_FILTER_PATH) + " 1 2 3 2>/dev/null").c_str());
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
}

}  // namespace
}  // namespace k7730::host::test
