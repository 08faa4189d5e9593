// The print command's command line: the commands it chooses, values in
// either spelling, and each refusal in its own words.
#include <gtest/gtest.h>

#include <sstream>

#include "host/print/cli_options.h"

namespace k7730::host {
namespace {

std::vector<std::string> Split(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> args;
  for (std::string a; in >> a;) args.push_back(a);
  return args;
}

Options Parse(const std::string& line) { return ParseCommandLine(Split(line)); }

std::string Refusal(const std::string& line) {
  try {
    Parse(line);
  } catch (const UsageError& e) {
    return e.what();
  }
  return "(accepted)";
}

TEST(CommandLine, ChoosesTheCommandWithOptionsAnywhere) {
  Options o = Parse("--band-height=8 in.png --swap out.tif -q");
  EXPECT_EQ(o.command, Command::Print);
  EXPECT_EQ(o.inputs, std::vector<std::string>{"in.png"});
  EXPECT_EQ(o.output, "out.tif");
  EXPECT_EQ(o.bandHeight, 8u);
  EXPECT_TRUE(o.stages.swap);
  EXPECT_TRUE(o.quiet);

  o = Parse("settings save s.k77 --line-filter off --mtf-kernel -1,-1,-1,-1,9,-1,-1,-1,-1 --mtf-scale 1");
  EXPECT_EQ(o.command, Command::SettingsSave);
  EXPECT_EQ(o.recordFile, "s.k77");
  EXPECT_EQ(o.stages.lineFilter, false);
  ASSERT_TRUE(o.stages.mtfKernel);
  EXPECT_EQ(o.stages.mtfKernel->centre[0], -1);
  EXPECT_EQ(o.stages.mtfKernel->centre[4], 9);
  EXPECT_EQ(o.stages.mtfKernel->scale, 1);

  EXPECT_TRUE(Parse("settings edit s.k77 --no-mtf").stages.noMtf);
  EXPECT_EQ(Parse("info --module m.so").modulePath, "m.so");
  EXPECT_EQ(Parse("info").command, Command::Info);
  EXPECT_EQ(Parse("a b --help").command, Command::Help);
  EXPECT_EQ(Parse("--version").command, Command::Version);
}

TEST(CommandLine, LaterValuesWinAndProfilesImplyColourMatching) {
  Options o = Parse("a b --module one.so --module two.so --intent saturation --intent perceptual --input-profile embedded");
  EXPECT_EQ(o.modulePath, "two.so");
  EXPECT_EQ(o.stages.intent, 0);
  EXPECT_TRUE(o.stages.colorMatch);
  // Of --sharpen and --mtf-kernel the later one counts.
  o = Parse("a b --mtf-kernel 0,0,0,0,1,0,0,0,0 --sharpen mild");
  EXPECT_EQ(o.stages.mtfSource, "--sharpen mild");
  o = Parse("a b --sharpen mild --mtf-kernel 0,0,0,0,1,0,0,0,0");
  EXPECT_EQ(o.stages.mtfSource, "--mtf-kernel");
  EXPECT_EQ(o.stages.mtfKernel->centre[4], 1);
}

TEST(CommandLine, RefusalsNameTheOptionAndWhatItTakes) {
  const struct { const char* line; const char* refusal; } cases[] = {
      {"a b --no-such-option", "unknown option --no-such-option"},
      {"a b --module", "--module needs a value"},
      {"a b --swap=yes", "--swap takes no value"},
      {"a b --band-height 0", "--band-height takes a whole number from 1 to 1048576, not '0'"},
      {"a b --mtf-kernel 1,2,3", "--mtf-kernel takes nine comma-separated coefficients, row by row"},
      {"a b --mtf-kernel 1,2,3,4,x,6,7,8,9", "--mtf-kernel: 'x' is not a whole number"},
      {"a b --mtf-scale 5", "--mtf-scale needs --mtf-kernel"},
      {"a b --sharpen wild", "--sharpen takes mild, medium or strong, not 'wild'"},
      {"a b --intent vivid", "--intent takes perceptual, relative or saturation, not 'vivid'"},
      {"a b --line-filter maybe", "--line-filter takes on or off, not 'maybe'"},
      {"a b --mtf f.mtf --sharpen mild", "give the MTF kernel either as a file or as coefficients, not both"},
      {"a b --mtf f.mtf --no-mtf", "--no-mtf contradicts the MTF options"},
      {"a b --output-profile p.icc --no-color-match", "--no-color-match contradicts the colour-matching options"},
      {"a b --input-curve c --no-input-curve", "--no-input-curve contradicts --input-curve"},
      {"settings", "use 'settings show FILE', 'settings save FILE' or 'settings edit FILE'"},
      {"settings show a b", "use 'settings show FILE', 'settings save FILE' or 'settings edit FILE'"},
      {"settings save s.k77 --swap", "--swap belongs to a page, a settings record does not keep it"},
      {"settings edit s.k77 --swap", "--swap belongs to a page, a settings record does not keep it"},
      {"info x", "'info' takes no file names"},
      {"", "name an INPUT and an OUTPUT image"},
      {"a b c", "expected an INPUT and an OUTPUT image, got 3 names (use --output-dir DIR for several images)"},
      {"a b --quality 0", "--quality takes a whole number from 1 to 100, not '0'"},
      {"a b --dpi x", "--dpi takes a number from 1 to 65535, not 'x'"},
      {"a --proof-only", "--proof-only needs --proof FILE"},
      {"a b --proof-only --proof p.png", "expected an INPUT image (the proof goes to --proof), got 2 names (use --output-dir DIR for several images)"},
      {"--output-dir d", "name the INPUT images to write to d"},
      {"--output-dir d a --proof p.png", "--proof names one file; give it for a single image, not with --output-dir"},
      {"curve save c.tcv --polarity dark", "--polarity takes levels or ink, not 'dark'"},
      {"curve", "use 'curve save FILE --gamma G' (or --points) or 'curve show FILE'"},
      {"a b --media A4", "--media takes 4x6, 5x7 or 6x8, not 'A4'"},
      {"a b --fit", "--fit and --fill need --media 4x6|5x7|6x8"},
      {"a b --media 4x6 --fit --fill", "--fit and --fill contradict each other"},
      {"a b --media 4x6 --dpi 600", "--dpi does not go with --media: a page on the printer's media is 300 dpi"},
  };
  for (const auto& c : cases) EXPECT_EQ(Refusal(c.line), c.refusal) << c.line;
}

// Batches, pipes, proofs and curve files are run end to end in the print
// tests; here what a run cannot show: the values taken and a name after "--".
TEST(CommandLine, ValuesAndNamesAfterTheEndOfOptions) {
  Options o = Parse("--output-dir out --format tiff a.jpg b.png --quality 80 --dpi 300");
  EXPECT_EQ(o.inputs, (std::vector<std::string>{"a.jpg", "b.png"}));
  EXPECT_EQ(o.quality, 80);
  EXPECT_EQ(o.dpi, 300.0);
  o = Parse("--swap -- -odd.png out.png");
  EXPECT_EQ(o.inputs, std::vector<std::string>{"-odd.png"});
  EXPECT_EQ(o.output, "out.png");
}

TEST(CommandLine, HelpNamesEveryOption) {
  const std::string help = UsageText();
  for (const char* option : {"--settings", "--line-filter", "--input-curve", "--mtf-kernel", "--sharpen",
                             "--color-match", "--intent", "--swap", "--band-height", "--module", "settings", "info",
                             "--format", "--output-dir", "--quality", "--dpi", "--embed-profile", "--proof",
                             "--proof-only", "--overwrite", "--fallback-profile", "--gamma", "--points", "curve",
                             "--media", "--fit", "--fill", "--no-auto-rotate", "--unique-names"})
    EXPECT_NE(help.find(option), std::string::npos) << option;
}

TEST(CommandLine, HelpListsTheImageFormats) {
  const std::string help = UsageText();
  for (const char* text : {"Images: PNG, TIFF, JPEG, binary PPM, WebP and HEIF (HEIC, AVIF),\n8-bit RGB.",
                           "the OUTPUT name\n(.png, .tif, .tiff, .jpg, .jpeg, .ppm), else the input's format (WebP and "
                           "HEIF give PNG); a\nfile",
                           "reads\nPNG, JPEG, PPM, WebP or HEIF from standard input and writes PNG or PPM to standard\noutput",
                           "png|tiff|jpeg|ppm"})
    EXPECT_NE(help.find(text), std::string::npos) << text;
}

}  // namespace
}  // namespace k7730::host
