// The built k7730-print run end to end on small generated images.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "host/image/image_formats.h"
#include "k7730fe.h"
#include "support/mtf_reference.h"
#include "host/print/print_runner.h"
#include "support/test_images.h"
#include "host/core/settings_record.h"
#include "host/core/tone_curve_file.h"
#include "formats/gamma_table.h"

namespace k7730::host {
namespace {

TEST_F(PrintCommand, AllStagesOffGivesThePageBackInEveryFormatAndSwapExchangesRedAndBlue) {
  auto rgb = test::NoisePixels(29, 21, 3);
  test::WritePngFile(Path("in.png"), 29, 21, 3, test::Widen(rgb), false);
  test::WriteTiffFile(Path("in.tif"), 29, 21, PHOTOMETRIC_RGB, 3, 8, test::Widen(rgb), false);
  test::WritePpmFile(Path("in.ppm"), 29, 21, rgb);
  for (const std::string ext : {"png", "tif", "ppm"}) {
    RunPrintOk(Path("in." + ext) + " " + Path("out." + ext) + " --band-height 8");
    EXPECT_EQ(Pixels("out." + ext), rgb) << ext;
  }
  const RunResult r = RunPrintOk(Path("in.png") + " " + Path("out.tiff") + " --swap --quiet");
  EXPECT_TRUE(r.output.empty()) << "--quiet printed: " << r.output;
  for (std::size_t i = 0; i < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
  EXPECT_EQ(Pixels("out.tiff"), rgb);
}

TEST_F(PrintCommand, ToneCurveFilesReachTheirStages) {
  const auto rgb = Page("in.png", 16, 16, 5);
  // Input curves: a native file, gamma 2.00 on the common channel and the
  // identity line elsewhere.
  RunPrintOk("curve save " + Path("gamma.tcv") + " --gamma 2");
  // Output curves: raw tables, red inverted, green as is, blue constant 7.
  std::vector<std::uint8_t> raw(768);
  for (int i = 0; i < 256; ++i) {
    raw[i] = static_cast<std::uint8_t>(255 - i);
    raw[256 + i] = static_cast<std::uint8_t>(i);
    raw[512 + i] = 7;
  }
  test::WriteBytes(Path("printer.amp"), raw);
  RunPrintOk(Path("in.png") + " " + Path("out.png") + " --input-curve " + Path("gamma.tcv") + " --output-curve " +
             Path("printer.amp"));
  CurveTable gamma{};
  ComputeGammaTable(2.0, gamma.data());
  std::vector<std::uint8_t> expected(rgb.size());
  for (std::size_t i = 0; i < rgb.size(); i += 3) {
    expected[i] = static_cast<std::uint8_t>(255 - gamma[rgb[i]]);
    expected[i + 1] = gamma[rgb[i + 1]];
    expected[i + 2] = 7;
  }
  EXPECT_EQ(Pixels("out.png"), expected);
}

TEST_F(PrintCommand, MtfPageWithAShortLastBandComesOutWhole) {
  const std::uint32_t w = 23, h = 37;  // 4 bands of 8 lines and one of 5
  const auto rgb = Page("in.png", w, h, 6);
  RunPrintOk(Path("in.png") + " " + Path("out.png") + " --band-height 8 --mtf-kernel 0,-25,0,-25,200,-25,0,-25,0 --mtf-scale 100");
  k7730::test::Kernel k;
  k.k[7] = k.k[11] = k.k[13] = k.k[17] = -25;
  k.k[12] = 200;
  const auto expected = k7730::test::ReferencePage(k, rgb, w, h);
  const Image out = ReadImage(Path("out.png"));
  EXPECT_EQ(out.height, h);
  EXPECT_EQ(out.rgb, expected);
}

TEST_F(PrintCommand, ConvertedInputsComeWithANotice) {
  test::WritePngFile(Path("deep.png"), 1, 1, 3, {0, 32896, 65535}, true);
  test::WritePngFile(Path("alpha.png"), 1, 1, 4, {10, 20, 30, 0}, false);
  for (const auto& [name, notice] : {std::pair{"deep.png", "16-bit"}, {"alpha.png", "white"}}) {
    const RunResult r = RunPrintOk(Path(name) + " " + Path("out.png"));
    EXPECT_NE(r.output.find(notice), std::string::npos) << r.output;
  }
}

TEST_F(PrintCommand, BadInputsGiveOneClearLineAndNoOutput) {
  Page("good.png", 4, 4, 7);
  test::WriteBytes(Path("text.png"), {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
  std::vector<std::uint8_t> block(K7730_SETTINGS_SIZE, 0);
  test::WriteBytes(Path("short.k77"), std::vector<std::uint8_t>(100, 0));
  test::WriteBytes(Path("magic.k77"), block);
  const std::uint32_t head[2] = {K7730_SETTINGS_SIZE + 1, K7730_SETTINGS_MAGIC};
  std::memcpy(block.data(), head, 8);  // right magic, wrong size word
  test::WriteBytes(Path("size.k77"), block);
  test::WriteBytes(Path("one.mtf"), {'1', '\n'});
  test::WriteBytes(Path("odd.amp"), std::vector<std::uint8_t>(1000, 0));
  // The arguments, and the file the error line names first.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Path("missing.png") + " " + Path("out.png"), Path("missing.png")},
      {Path("text.png") + " " + Path("out.png"), Path("text.png")},
      {Path("good.png") + " " + Path("out.png") + " --settings " + Path("short.k77"), Path("short.k77")},
      {Path("good.png") + " " + Path("out.png") + " --settings " + Path("magic.k77"), Path("magic.k77")},
      {Path("good.png") + " " + Path("out.png") + " --settings " + Path("size.k77"), Path("size.k77")},
      {Path("good.png") + " " + Path("out.png") + " --mtf " + Path("one.mtf"), Path("one.mtf")},
      {Path("good.png") + " " + Path("out.png") + " --input-curve " + Path("magic.k77"), Path("magic.k77")},
      {Path("good.png") + " " + Path("out.png") + " --output-curve " + Path("odd.amp"), Path("odd.amp")},
      {Path("good.png") + " " + Path("out.gif"), Path("out.gif")},
      {Path("good.png") + " " + Path("out.png") + " --output-profile " + Path("text.png"), Path("text.png")},
  };
  for (const auto& [args, named] : cases) {
    const RunResult r = RunPrint(args);
    EXPECT_EQ(r.status, 1) << args << "\n" << r.output;
    EXPECT_EQ(r.output.rfind("k7730-print: error: " + named, 0), 0u) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
    EXPECT_FALSE(std::filesystem::exists(Path("out.png")));
  }
}

TEST_F(PrintCommand, MissingExportsAreNamedNotCalled) {
  Page("good.png", 4, 4, 8);
  const std::string module = std::string(" --module ") + K7730_SETTINGS_ONLY_MODULE;
  for (const auto& [flags, missing] : {std::pair{" --color-match", "colour matching"}, {"", "running pages"}}) {
    const RunResult r = RunPrint(Path("good.png") + " " + Path("out.png") + flags + module);
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_NE(r.output.find(std::string("does not support ") + missing), std::string::npos) << r.output;
    EXPECT_FALSE(std::filesystem::exists(Path("out.png")));
  }
}

// Which module runs: --module, else the one $K7730FE_MODULE names (empty
// names none), else K7730fe.so beside the program.
TEST_F(PrintCommand, ModuleIsTheOptionsElseTheEnvironmentsElseTheOneBeside) {
  const std::string beside = ModuleFolder() + "/K7730fe.so";
  const std::string named = "K7730FE_MODULE=" + Path("gone.so");
  RunResult r = RunPrint("info", named);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_EQ(r.output.rfind("k7730-print: error: " + Path("gone.so") + ": ", 0), 0u) << r.output;
  for (const auto& [args, environment] : {std::pair{"info --module " + beside, named}, {"info", "K7730FE_MODULE="}}) {
    r = RunPrintOk(args, environment);
    EXPECT_NE(r.output.find("module            " + beside + "\n"), std::string::npos) << args << "\n" << r.output;
  }
}

TEST_F(PrintCommand, SettingsSaveShowAndReuse) {
  std::vector<std::uint8_t> raw(768);
  for (int i = 0; i < 768; ++i) raw[i] = static_cast<std::uint8_t>(255 - i % 256);
  test::WriteBytes(Path("invert.amp"), raw);
  RunPrintOk("settings save " + Path("s.k77") + " --output-curve " + Path("invert.amp") + " --line-filter off");

  RunResult r = RunPrintOk("settings show " + Path("s.k77"));
  EXPECT_NE(r.output.find("output tone curves on"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("input tone curves  off"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("(the module's default, K77302.ICC beside the module)"), std::string::npos) << r.output;

  r = RunPrint("settings show " + Path("nothing.k77"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find(Path("nothing.k77")), std::string::npos);

  const auto rgb = Page("in.png", 8, 8, 9);
  RunPrintOk(Path("in.png") + " " + Path("out.png") + " --settings " + Path("s.k77"));
  auto expected = rgb;
  for (auto& v : expected) v = static_cast<std::uint8_t>(255 - v);
  EXPECT_EQ(Pixels("out.png"), expected);
}

TEST_F(PrintCommand, MessagesSayWhatWasAndWasNotWritten) {
  Page("in.png", 6, 4, 12);
  std::filesystem::create_directory(Path("prints"));
  RunResult r = RunPrint(Path("in.png") + " " + Path("prints"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.output.find(Path("prints") + ": is a folder; OUTPUT names the file to write"), std::string::npos)
      << r.output;
  r = RunPrint("--output-dir " + Path("in.png") + " " + Path("in.png"));
  EXPECT_NE(r.output.find("is a file, not a folder"), std::string::npos) << r.output;
  r = RunPrintOk(Path("in.png") + " --sharpen mild --proof-only --proof " + Path("proof.png"));
  EXPECT_NE(r.output.find("how the print would look with these stages: MTF sharpening; no print file was written"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("copied"), std::string::npos) << r.output;
}

TEST_F(PrintCommand, SavedSettingsOutliveTheFoldersTheyWereMadeIn) {
  // A control-point curve and a gamma curve in a native tone-curve file.
  RunPrintOk("curve save " + Path("points.tcv") + " --points 0:0,128:170,255:255");
  RunResult r = RunPrintOk("settings save " + Path("s.k77") + " --input-curve " + Path("points.tcv") + " --color-match");
  EXPECT_NE(r.output.find("saved the settings to " + Path("s.k77") + ": input tone curves; colour matching, "
                          "perceptual, from the module's default A17D50.ICC to the module's default K77302.ICC"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("warning"), std::string::npos) << r.output;

  // The module's own default profiles are stored as empty paths, which the
  // host reads as the defaults beside the module it loads.
  const K7730_SettingsBlock saved = DecodeSettings(test::ReadBytes(Path("s.k77")));
  EXPECT_EQ(saved.inputProfilePath[0], '\0');
  EXPECT_EQ(saved.outputProfilePath[0], '\0');
  // The curve editor gets the channel back as control points.
  EXPECT_EQ(saved.inputCurves.mode[0], 1);
  ASSERT_EQ(saved.inputCurves.pointCount[0], 3);
  EXPECT_EQ(saved.inputCurves.points[0][1].input, 128);
  EXPECT_EQ(saved.inputCurves.points[0][1].output, 170);

  const auto rgb = Page("in.png", 8, 8, 10);
  r = RunPrintOk(Path("in.png") + " " + Path("saved.png") + " --settings " + Path("s.k77"));
  EXPECT_NE(r.output.find("stages: input tone curves, colour matching"), std::string::npos) << r.output;
  RunPrintOk(Path("in.png") + " " + Path("direct.png") + " --input-curve " + Path("points.tcv") + " --color-match");
  EXPECT_EQ(Pixels("saved.png"), Pixels("direct.png"));

  // A profile in a temporary folder is kept, with a warning.
  test::WriteBytes(Path("printer.icc"), test::ReadBytes(ModuleFolder() + "/K77302.ICC"));
  r = RunPrintOk("settings save " + Path("t.k77") + " --color-match --output-profile " + Path("printer.icc"),
               "TMPDIR=" + dir);
  EXPECT_NE(r.output.find("warning: " + Path("t.k77") + ": the settings name " + Path("printer.icc") +
                          " (inside the temporary folder " + dir + "/)"),
            std::string::npos)
      << r.output;
}

// The summary names a preset's kernel as --sharpen names it; only a kernel
// given coefficient by coefficient is a custom one.
TEST_F(PrintCommand, SavedSettingsNameTheirSharpening) {
  for (const auto& [options, words] :
       {std::pair{"--sharpen mild", "MTF sharpening (mild)"}, std::pair{"--sharpen strong", "MTF sharpening (strong)"},
        std::pair{"--mtf-kernel 0,-10,0,-10,141,-10,0,-10,0", "MTF sharpening (a custom kernel)"}}) {
    const RunResult r = RunPrintOk("settings save " + Path("s.k77") + " " + options);
    EXPECT_NE(r.output.find(words), std::string::npos) << options << ": " << r.output;
  }
}

// Without a display the dialog cannot open: the command says why and
// fails. A record that did not exist holds the module's defaults; one that
// did is left byte for byte, stage options and all.
TEST_F(PrintCommand, SettingsEditWithoutADisplayFailsAndSavesNothing) {
  const std::string noDisplay = "env -u DISPLAY -u WAYLAND_DISPLAY ";
  RunResult r = RunPrint("settings edit " + Path("new.k77"), noDisplay);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_NE(r.output.find("no dialog can be shown"), std::string::npos) << r.output;
  RunPrintOk("settings save " + Path("defaults.k77"));
  EXPECT_EQ(test::ReadBytes(Path("new.k77")), test::ReadBytes(Path("defaults.k77")));

  RunPrintOk("settings save " + Path("kept.k77") + " --sharpen strong");
  const auto before = test::ReadBytes(Path("kept.k77"));
  r = RunPrint("settings edit " + Path("kept.k77") + " --no-mtf", noDisplay);
  EXPECT_EQ(r.status, 1) << r.output;
  EXPECT_EQ(test::ReadBytes(Path("kept.k77")), before);
}

}  // namespace
}  // namespace k7730::host
