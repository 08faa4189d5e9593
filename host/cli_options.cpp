#include "cli_options.h"

#include <charconv>

namespace k7730::host {

const char* UsageText() {
  return R"(Usage:
  k7730-print [options] INPUT OUTPUT     run a page image through the filter module
  k7730-print [options] --output-dir DIR INPUT...
                                         run several images, each to DIR under its own name
  k7730-print curve save FILE (--gamma G | --points IN:OUT,...) [--channel C] [--polarity ink]
                                         write a tone-curve file
  k7730-print curve show FILE            print a tone-curve file's channels and modes
  k7730-print settings show FILE         print a stored settings record
  k7730-print settings save FILE [stage options]
                                         write a settings record made from the options
  k7730-print info                       show the module and what this build supports
  k7730-print --help | --version

Images: PNG, TIFF, JPEG and binary PPM, 8-bit RGB. 16-bit, greyscale, palette
and transparent images are converted with a notice. The output format follows
--format, else the OUTPUT name (.png, .tif, .tiff, .jpg, .jpeg, .ppm), else the
input's format; a file is written only when the whole page succeeded. "-"
reads PNG or PPM from standard input and writes PNG or PPM to standard
output; "--" ends the options. An output that is the input file is refused
unless --overwrite is given.

Stage options (applied after --settings, in this order):
  --settings FILE            start from a stored settings record (4340 bytes)
  --line-filter on|off       the external line filter
  --input-curve FILE         input tone curves: a tone-curve file or raw tables (*.amp)
  --no-input-curve
  --output-curve FILE        output tone curves (printer adjustment)
  --no-output-curve
  --mtf FILE                 MTF sharpening from an MTF file (26 integers)
  --mtf-kernel A,B,C,D,E,F,G,H,I
                             MTF sharpening with the centre 3 x 3 coefficients
  --mtf-scale N              the kernel's scale, 1 to 99999 (default 100)
  --sharpen mild|medium|strong
                             a ready-made MTF sharpening
  --no-mtf
  --color-match              ICC colour matching: from the profile embedded in the
                             image, else the settings' input profile, to the printer
                             profile (by default A17D50.ICC to K77302.ICC next to
                             the module)
  --input-profile FILE|embedded|settings
                             the image's profile: a file, the one embedded in the
                             image, or the settings' (implies --color-match)
  --fallback-profile         an embedded profile the module cannot use falls back to
                             the settings' input profile (with a notice)
  --output-profile FILE      the printer's profile (implies --color-match)
  --intent perceptual|relative|saturation
  --no-color-match
  --swap                     exchange red and blue first (this page only, not stored)

Output options:
  --format png|tiff|jpeg|ppm the print file's format
  --output-dir DIR           write each INPUT to DIR, name kept, extension of the format
  --quality N                JPEG quality, 1 to 100 (default 92)
  --dpi N                    the resolution written to the print (default: the input's)
  --embed-profile            embed the printer profile in PNG and JPEG prints too
                             (TIFF prints always carry it; PNG and JPEG name it in a
                             comment)
  --proof FILE               also write a soft proof: the print as it will look,
                             converted back through the printer profile to sRGB
  --proof-only               write the proof without the print (INPUT and --proof only)
  --overwrite                allow writing over the input file

Run options:
  --band-height N            lines per band handed to the module (default 128)
  --module FILE              the filter module (default: K7730fe.so next to this
                             program, or $K7730FE_MODULE)
  -q, --quiet                print errors only
  -v, --verbose              print the stages and the time each step took

Exit status: 0 success, 1 a file, the image or the module failed (in a batch:
any image failed; the others are still printed), 2 wrong usage.
)";
}

namespace {

std::uint32_t ParseCount(const std::string& flag, const std::string& text, std::uint32_t min, std::uint32_t max) {
  std::uint32_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < min || value > max) {
    throw UsageError(flag + " takes a whole number from " + std::to_string(min) + " to " +
                     std::to_string(max) + ", not '" + text + "'");
  }
  return value;
}

std::int32_t ParseSigned(const std::string& flag, const std::string& text) {
  std::int32_t value = 0;
  const char* begin = text.data() + (!text.empty() && text[0] == '+' ? 1 : 0);
  const auto [end, ec] = std::from_chars(begin, text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) {
    throw UsageError(flag + ": '" + text + "' is not a whole number");
  }
  return value;
}

MtfKernel ParseKernel(const std::string& flag, const std::string& text) {
  MtfKernel kernel;
  std::size_t start = 0;
  for (int i = 0; i < 9; ++i) {
    const std::size_t comma = text.find(',', start);
    if ((i < 8) != (comma != std::string::npos)) {
      throw UsageError(flag + " takes nine comma-separated coefficients, row by row");
    }
    kernel.centre[i] = ParseSigned(flag, text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    start = comma + 1;
  }
  return kernel;
}

double ParseDecimal(const std::string& flag, const std::string& text, double min, double max) {
  double value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || !(value >= min && value <= max)) {
    throw UsageError(flag + " takes a number from " + std::to_string(static_cast<int>(min)) + " to " +
                     std::to_string(static_cast<int>(max)) + ", not '" + text + "'");
  }
  return value;
}

std::uint16_t ParseIntent(const std::string& text) {
  if (text == "perceptual" || text == "0") return 0;
  if (text == "relative" || text == "relative-colorimetric" || text == "1") return 1;
  if (text == "saturation" || text == "2") return 2;
  throw UsageError("--intent takes perceptual, relative or saturation, not '" + text + "'");
}

}  // namespace

Options ParseCommandLine(const std::vector<std::string>& args) {
  Options o;
  std::vector<std::string> positional;
  std::optional<std::int32_t> mtfScale;
  std::optional<MtfKernel> kernelFlag;
  std::string kernelFlagName;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (optionsEnded || arg == "--") {
      if (optionsEnded) positional.push_back(arg);
      optionsEnded = true;
      continue;
    }
    std::optional<std::string> inlineValue;
    if (arg.rfind("--", 0) == 0) {
      const auto eq = arg.find('=');
      if (eq != std::string::npos) {
        inlineValue = arg.substr(eq + 1);
        arg = arg.substr(0, eq);
      }
    }
    auto value = [&]() -> std::string {
      if (inlineValue) return *inlineValue;
      if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
      return args[++i];
    };
    auto flagOnly = [&]() {
      if (inlineValue) throw UsageError(arg + " takes no value");
    };
    StageOptions& s = o.stages;
    if (arg == "-h" || arg == "--help") { o.command = Command::Help; return o; }
    if (arg == "--version") { o.command = Command::Version; return o; }
    if (arg == "-q" || arg == "--quiet") { flagOnly(); o.quiet = true; }
    else if (arg == "-v" || arg == "--verbose") { flagOnly(); o.verbose = true; }
    else if (arg == "--band-height") o.bandHeight = ParseCount(arg, value(), 1, 1u << 20);
    else if (arg == "--module") o.modulePath = value();
    else if (arg == "--settings") s.settingsFile = value();
    else if (arg == "--swap") { flagOnly(); s.swap = true; }
    else if (arg == "--input-curve") s.inputCurve = value();
    else if (arg == "--output-curve") s.outputCurve = value();
    else if (arg == "--no-input-curve") { flagOnly(); s.noInputCurve = true; }
    else if (arg == "--no-output-curve") { flagOnly(); s.noOutputCurve = true; }
    else if (arg == "--mtf") s.mtfFile = value();
    else if (arg == "--mtf-kernel") { kernelFlag = ParseKernel(arg, value()); kernelFlagName = arg; }
    else if (arg == "--mtf-scale") mtfScale = ParseSigned(arg, value());
    else if (arg == "--sharpen") {
      const std::string level = value();
      MtfKernel k;
      if (!SharpenPreset(level, k)) throw UsageError("--sharpen takes mild, medium or strong, not '" + level + "'");
      kernelFlag = k;
      kernelFlagName = "--sharpen " + level;
    }
    else if (arg == "--no-mtf") { flagOnly(); s.noMtf = true; }
    else if (arg == "--color-match" || arg == "--colour-match") { flagOnly(); s.colorMatch = true; }
    else if (arg == "--no-color-match" || arg == "--no-colour-match") { flagOnly(); s.noColorMatch = true; }
    else if (arg == "--input-profile") s.inputProfile = value();
    else if (arg == "--output-profile") s.outputProfile = value();
    else if (arg == "--intent") s.intent = ParseIntent(value());
    else if (arg == "--fallback-profile") { flagOnly(); s.fallbackProfile = true; }
    else if (arg == "--format") o.format = value();
    else if (arg == "--output-dir") o.outputDir = value();
    else if (arg == "--quality") o.quality = static_cast<int>(ParseCount(arg, value(), 1, 100));
    else if (arg == "--dpi") o.dpi = ParseDecimal(arg, value(), 1, 65535);
    else if (arg == "--embed-profile") { flagOnly(); o.embedProfile = true; }
    else if (arg == "--proof") o.proof = value();
    else if (arg == "--proof-only") { flagOnly(); o.proofOnly = true; }
    else if (arg == "--overwrite") { flagOnly(); o.overwrite = true; }
    else if (arg == "--gamma") o.curve.gamma = ParseDecimal(arg, value(), 0.01, 327.67);
    else if (arg == "--points") o.curve.points = value();
    else if (arg == "--channel") o.curve.channel = value();
    else if (arg == "--polarity") {
      const std::string v = value();
      if (v != "ink" && v != "levels") throw UsageError("--polarity takes levels or ink, not '" + v + "'");
      o.curve.ink = v == "ink";
    }
    else if (arg == "--line-filter") {
      const std::string v = value();
      if (v != "on" && v != "off") throw UsageError("--line-filter takes on or off, not '" + v + "'");
      s.lineFilter = v == "on";
    }
    else if (arg.size() > 1 && arg[0] == '-') throw UsageError("unknown option " + arg);
    else positional.push_back(args[i]);
  }

  StageOptions& s = o.stages;
  if (mtfScale && !kernelFlag) throw UsageError("--mtf-scale needs --mtf-kernel");
  if (kernelFlag && s.mtfFile) throw UsageError("give the MTF kernel either as a file or as coefficients, not both");
  if (kernelFlag) {
    if (mtfScale) kernelFlag->scale = *mtfScale;
    s.mtfKernel = kernelFlag;
    s.mtfSource = kernelFlagName;
  }
  if (s.mtfFile || s.mtfKernel) {
    if (s.noMtf) throw UsageError("--no-mtf contradicts the MTF options");
  }
  if (s.inputProfile || s.outputProfile) s.colorMatch = true;
  if (s.colorMatch && s.noColorMatch) throw UsageError("--no-color-match contradicts the colour-matching options");
  if (s.inputCurve && s.noInputCurve) throw UsageError("--no-input-curve contradicts --input-curve");
  if (s.outputCurve && s.noOutputCurve) throw UsageError("--no-output-curve contradicts --output-curve");

  if (!positional.empty() && positional[0] == "settings") {
    if (positional.size() != 3 || (positional[1] != "show" && positional[1] != "save")) {
      throw UsageError("use 'settings show FILE' or 'settings save FILE'");
    }
    o.command = positional[1] == "show" ? Command::SettingsShow : Command::SettingsSave;
    o.recordFile = positional[2];
    if (o.command == Command::SettingsSave && s.swap) {
      throw UsageError("--swap belongs to a page, a settings record does not keep it");
    }
    return o;
  }
  if (!positional.empty() && positional[0] == "curve") {
    if (positional.size() != 3 || (positional[1] != "show" && positional[1] != "save")) {
      throw UsageError("use 'curve save FILE --gamma G' (or --points) or 'curve show FILE'");
    }
    o.command = positional[1] == "show" ? Command::CurveShow : Command::CurveSave;
    o.recordFile = positional[2];
    return o;
  }
  if (!positional.empty() && positional[0] == "info") {
    if (positional.size() != 1) throw UsageError("'info' takes no file names");
    o.command = Command::Info;
    return o;
  }
  o.command = Command::Print;
  if (o.proofOnly && o.proof.empty()) throw UsageError("--proof-only needs --proof FILE");
  if (!o.outputDir.empty()) {
    if (positional.empty()) throw UsageError("name the INPUT images to write to " + o.outputDir);
    if (!o.proof.empty()) throw UsageError("--proof names one file; give it for a single image, not with --output-dir");
    o.inputs = positional;
    return o;
  }
  const std::size_t wanted = o.proofOnly ? 1 : 2;
  if (positional.size() != wanted) {
    const std::string names = o.proofOnly ? "an INPUT image (the proof goes to --proof)" : "an INPUT and an OUTPUT image";
    throw UsageError(positional.empty() ? "name " + names
                                        : "expected " + names + ", got " + std::to_string(positional.size()) +
                                              " names (use --output-dir DIR for several images)");
  }
  o.inputs = {positional[0]};
  if (!o.proofOnly) o.output = positional[1];
  return o;
}

}  // namespace k7730::host
