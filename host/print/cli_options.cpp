// The command line is declared once with CLI11 (options, subcommands, help);
// the values are then checked here so that every refusal names the option
// and what it takes, in the same words whatever the parser library says.
#include "host/print/cli_options.h"

#include <CLI/CLI.hpp>

#include "host/core/media.h"
#include "host/image/image_formats.h"

#include <algorithm>
#include <charconv>

namespace k7730::host {
namespace {

bool ReadFromStdin(const ImageFormatInfo& row) { return row.fromStdin; }
bool WrittenToStdout(const ImageFormatInfo& row) { return row.toStdout; }
bool OnlyRead(const ImageFormatInfo& row) { return !Writable(row); }

// The help's closing text; its format lists come from the format table,
// its media from the media list.
std::string Footer() {
  return R"(
Commands:
  k7730-print [options] INPUT OUTPUT     run a page image through the filter module
  k7730-print [options] --output-dir DIR INPUT...
                                         run several images, each to DIR under its own name
  k7730-print settings show FILE         print a stored settings record
  k7730-print settings save FILE [stage options]
                                         write a settings record made from the options
  k7730-print settings edit FILE [stage options]
                                         edit a settings record in the module's correction
                                         dialog (made with the defaults when missing; saved on OK)
  k7730-print curve save FILE (--gamma G | --points IN:OUT,...) [--channel C] [--polarity ink]
                                         write a tone-curve file
  k7730-print curve show FILE            print a tone-curve file's channels and modes
  k7730-print info                       show the module and what this build supports

Images: )" + FormatList(FormatListItem::ListName, " and ") + R"(,
8-bit RGB. 16-bit, greyscale, palette and transparent images are converted
with a notice. The output format follows --format, else the OUTPUT name
()" + FormatList(FormatListItem::Extensions, ", ", Writable) + R"(), else the input's format ()" +
         FormatList(FormatListItem::Name, " and ", OnlyRead) + R"( give PNG); a
file is written only when the whole page succeeded. "-" reads
)" + FormatList(FormatListItem::Name, " or ", ReadFromStdin) + " from standard input and writes " +
         FormatList(FormatListItem::Name, " or ", WrittenToStdout) + R"( to standard
output; "--" ends the options. An output that is the input file is refused
unless --overwrite is given. A JPEG, TIFF or WebP whose orientation tag says it
is stored turned is turned upright first. --media lays the picture out on
the printer's paper ()" + MediaNames() + R"( inches at 300 dpi), resampled to fit.

Stage options apply after --settings, in the order listed. --swap belongs to
the page and is never stored.

Exit status: 0 success, 1 a file, the image or the module failed (in a batch:
any image failed; the others are still printed), 2 wrong usage.
)";
}

// "png|tiff|jpeg|ppm": the formats written.
std::string FormatWords() {
  std::string words;
  for (const ImageFormatInfo& row : ImageFormats()) {
    if (Writable(row)) words += (words.empty() ? "" : "|") + std::string(row.word);
  }
  return words;
}

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

// Values taken as text by the parser and checked afterwards.
struct RawOptions {
  std::vector<std::string> positional;
  std::string bandHeight, mtfKernel, mtfScale, sharpen, intent, lineFilter;
  std::string quality, dpi, gamma, polarity;
  bool fill = false;
  CLI::Option *bandHeightOpt, *mtfKernelOpt, *mtfScaleOpt, *sharpenOpt, *intentOpt, *lineFilterOpt;
  CLI::Option *qualityOpt, *dpiOpt, *gammaOpt, *polarityOpt;
  CLI::App *settings, *show, *save, *edit, *info, *curve, *curveShow, *curveSave;
  std::string recordFile;
  bool help = false;
};

void DeclareStageOptions(CLI::App& app, StageOptions& s, RawOptions& raw) {
  app.add_option("--settings", s.settingsFile, "start from a stored settings record (4340 bytes)")
      ->type_name("FILE");
  raw.lineFilterOpt = app.add_option("--line-filter", raw.lineFilter, "the external line filter")->type_name("on|off");
  app.add_option("--input-curve", s.inputCurve, "input tone curves: a tone-curve file or raw tables (*.amp)")
      ->type_name("FILE");
  app.add_flag("--no-input-curve", s.noInputCurve, "input tone curves off");
  app.add_option("--output-curve", s.outputCurve, "output tone curves (printer adjustment)")->type_name("FILE");
  app.add_flag("--no-output-curve", s.noOutputCurve, "output tone curves off");
  app.add_option("--mtf", s.mtfFile, "MTF sharpening from an MTF file (26 integers)")->type_name("FILE");
  raw.mtfKernelOpt = app.add_option("--mtf-kernel", raw.mtfKernel, "MTF sharpening with the centre 3 x 3 coefficients")
                         ->type_name("A,B,C,D,E,F,G,H,I");
  raw.mtfScaleOpt = app.add_option("--mtf-scale", raw.mtfScale, "the kernel's scale, 1 to 99999 (default 100)")
                        ->type_name("N");
  raw.sharpenOpt = app.add_option("--sharpen", raw.sharpen, "a ready-made MTF sharpening")
                       ->type_name("mild|medium|strong");
  app.add_flag("--no-mtf", s.noMtf, "MTF sharpening off");
  app.add_flag("--color-match,--colour-match", s.colorMatch,
               "ICC colour matching: from the profile embedded in the image, else the settings' input profile, "
               "to the printer profile (by default A17D50.ICC to K77302.ICC next to the module)");
  app.add_option("--input-profile", s.inputProfile,
                 "the image's profile: a file, the one embedded in the image, or the settings' (implies "
                 "--color-match)")
      ->type_name("FILE|embedded|settings");
  app.add_flag("--fallback-profile", s.fallbackProfile,
               "an embedded profile the module cannot use falls back to the settings' input profile, with a notice");
  app.add_option("--output-profile", s.outputProfile, "the printer's profile (implies --color-match)")
      ->type_name("FILE");
  raw.intentOpt = app.add_option("--intent", raw.intent, "the rendering intent of colour matching")->type_name("perceptual|relative|saturation");
  app.add_flag("--no-color-match,--no-colour-match", s.noColorMatch, "colour matching off");
  app.add_flag("--swap", s.swap, "exchange red and blue first (this page only, not stored)");
}

void DeclareRunOptions(CLI::App& app, Options& o, RawOptions& raw) {
  raw.bandHeightOpt = app.add_option("--band-height", raw.bandHeight, "lines per band handed to the module (default 128)")
                          ->type_name("N");
  app.add_option("--module", o.modulePath,
                 "the filter module (default: $K7730FE_MODULE, else K7730fe.so next to this program, else the installed module)")
      ->type_name("FILE");
  app.add_flag("-q,--quiet", o.quiet, "print errors only");
  app.add_flag("-v,--verbose", o.verbose, "print the stages and the time each step took");
}

void DeclareOutputOptions(CLI::App& app, Options& o, RawOptions& raw) {
  app.add_option("--format", o.format, "the print file's format")->type_name(FormatWords());
  app.add_option("--output-dir", o.outputDir, "write each INPUT to DIR, name kept, extension of the format")
      ->type_name("DIR");
  app.add_flag("--unique-names", o.uniqueNames,
               "with --output-dir: number outputs that would share a name (x.tif, x-2.tif) instead of refusing");
  app.add_option("--media", o.media,
                 "lay the picture out on the printer's media at 300 dpi, portrait or landscape as the picture is")
      ->type_name(MediaChoices());
  app.add_flag("--fit", o.fit, "with --media: the whole picture, white margins");
  app.add_flag("--fill", raw.fill, "with --media: the paper covered, the overhang cut off (the default)");
  app.add_flag("--no-auto-rotate", o.noAutoRotate,
               "keep the stored orientation of a JPEG or TIFF (by default turned upright as its orientation tag says)");
  raw.qualityOpt = app.add_option("--quality", raw.quality, "JPEG quality, 1 to 100 (default 92)")->type_name("N");
  raw.dpiOpt = app.add_option("--dpi", raw.dpi, "the resolution written to the print (default: the input's)")
                   ->type_name("N");
  app.add_flag("--embed-profile", o.embedProfile,
               "embed the printer profile in PNG and JPEG prints too (TIFF prints always carry it; PNG and JPEG "
               "name it in a comment)");
  app.add_option("--proof", o.proof,
                 "also write a soft proof: the print as it will look, converted back through the printer profile "
                 "to sRGB")
      ->type_name("FILE");
  app.add_flag("--proof-only", o.proofOnly, "write the proof without the print (INPUT and --proof only)");
  app.add_flag("--overwrite", o.overwrite, "allow writing over an input file");
}

void DeclareCurveOptions(CLI::App& app, Options& o, RawOptions& raw) {
  raw.gammaOpt = app.add_option("--gamma", raw.gamma, "curve save: a gamma curve, 0.01 to 327.67")->type_name("G");
  app.add_option("--points", o.curve.points, "curve save: control points, inputs rising")
      ->type_name("IN:OUT,IN:OUT,...");
  app.add_option("--channel", o.curve.channel, "curve save: the channel the curve is for (default common)")
      ->type_name("common|red|green|blue|fourth");
  raw.polarityOpt = app.add_option("--polarity", raw.polarity, "curve save: the file's polarity (default levels)")
                        ->type_name("levels|ink");
}

void DeclareCommands(CLI::App& app, Options& o, RawOptions& raw) {
  app.add_option("images", raw.positional, "INPUT and OUTPUT: run a page image through the filter module")
      ->type_name("INPUT OUTPUT");
  raw.settings = app.add_subcommand("settings", "stored settings records");
  raw.show = raw.settings->add_subcommand("show", "print a stored settings record");
  raw.save = raw.settings->add_subcommand("save", "write a settings record made from the stage options");
  raw.edit = raw.settings->add_subcommand("edit", "edit a settings record in the module's correction dialog");
  for (CLI::App* sub : {raw.show, raw.save, raw.edit}) sub->add_option("FILE", raw.recordFile)->required();
  raw.info = app.add_subcommand("info", "show the module and what this build supports");
  raw.curve = app.add_subcommand("curve", "tone-curve files");
  raw.curveShow = raw.curve->add_subcommand("show", "print a tone-curve file's channels and modes");
  raw.curveSave = raw.curve->add_subcommand("save", "write a tone-curve file (--gamma or --points)");
  for (CLI::App* sub : {raw.curveShow, raw.curveSave}) sub->add_option("FILE", raw.recordFile)->required();
  // Options may follow the subcommands; names after them are the main
  // command's and refused below.
  for (CLI::App* sub : {raw.settings, raw.show, raw.save, raw.edit, raw.info, raw.curve, raw.curveShow, raw.curveSave})
    sub->fallthrough();
  app.require_subcommand(0, 1);
  raw.settings->require_subcommand(0, 1);
  raw.curve->require_subcommand(0, 1);
  (void)o;
}

// Builds the application. `o` and `raw` receive the values.
void Declare(CLI::App& app, Options& o, RawOptions& raw) {
  app.description("k7730-print: runs page images through the K7730fe filter module");
  app.footer(Footer());
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_flag_callback("--version", [] { throw CLI::CallForVersion(); }, "print the version");
  DeclareStageOptions(app, o.stages, raw);
  DeclareOutputOptions(app, o, raw);
  DeclareRunOptions(app, o, raw);
  DeclareCurveOptions(app, o, raw);
  DeclareCommands(app, o, raw);
  app.allow_extras();
  for (CLI::Option* flag : app.get_options())
    if (flag->get_expected_max() == 0) flag->disable_flag_override();
}

// The parser's refusals in the command's own words: a flag given a value,
// or an option left without one.
[[noreturn]] void Refuse(const CLI::App& app, const CLI::ParseError& e, const std::vector<std::string>& args) {
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) == nullptr) throw UsageError(e.what());
  for (const std::string& arg : args) {
    const std::string name = arg.substr(0, arg.find('='));
    const CLI::Option* opt = arg.rfind("--", 0) == 0 && name != arg ? app.get_option_no_throw(name) : nullptr;
    if (opt != nullptr && opt->get_expected_max() == 0) throw UsageError(name + " takes no value");
  }
  const std::string what = e.what();
  throw UsageError(what.substr(0, what.find(':')) + " needs a value");
}

// The MTF kernel given by whichever of --mtf-kernel and --sharpen came last.
void TakeKernel(const std::vector<std::string>& args, RawOptions& raw, StageOptions& s) {
  std::optional<MtfKernel> kernel;
  std::string source;
  auto last = [&](const std::string& flag) {
    std::ptrdiff_t at = -1;
    for (std::size_t i = 0; i < args.size(); ++i)
      if (args[i] == flag || args[i].rfind(flag + "=", 0) == 0) at = static_cast<std::ptrdiff_t>(i);
    return at;
  };
  const bool sharpenLast = raw.sharpenOpt->count() > 0 && last("--sharpen") > last("--mtf-kernel");
  if (sharpenLast) {
    MtfKernel k;
    if (!SharpenPreset(raw.sharpen, k)) throw UsageError("--sharpen takes mild, medium or strong, not '" + raw.sharpen + "'");
    kernel = k;
    source = "--sharpen " + raw.sharpen;
  } else if (raw.mtfKernelOpt->count() > 0) {
    kernel = ParseKernel("--mtf-kernel", raw.mtfKernel);
    source = "--mtf-kernel";
  }
  if (raw.mtfScaleOpt->count() > 0) {
    const std::int32_t scale = ParseSigned("--mtf-scale", raw.mtfScale);
    if (!kernel) throw UsageError("--mtf-scale needs --mtf-kernel");
    kernel->scale = scale;
  }
  if (kernel && s.mtfFile) throw UsageError("give the MTF kernel either as a file or as coefficients, not both");
  if (kernel) {
    s.mtfKernel = kernel;
    s.mtfSource = source;
  }
}

void CheckLayout(const Options& o, const RawOptions& raw) {
  if (!o.media.empty() && FindMedia(o.media) == nullptr) {
    throw UsageError("--media takes " + MediaNames() + ", not '" + o.media + "'");
  }
  if (o.fit && raw.fill) throw UsageError("--fit and --fill contradict each other");
  if ((o.fit || raw.fill) && o.media.empty()) throw UsageError("--fit and --fill need --media " + MediaChoices());
  if (!o.media.empty() && o.dpi) {
    throw UsageError("--dpi does not go with --media: a page on the printer's media is 300 dpi");
  }
}

void CheckStages(const std::vector<std::string>& args, Options& o, RawOptions& raw) {
  StageOptions& s = o.stages;
  if (raw.bandHeightOpt->count() > 0) o.bandHeight = ParseCount("--band-height", raw.bandHeight, 1, 1u << 20);
  if (raw.intentOpt->count() > 0) s.intent = ParseIntent(raw.intent);
  if (raw.lineFilterOpt->count() > 0) {
    if (raw.lineFilter != "on" && raw.lineFilter != "off")
      throw UsageError("--line-filter takes on or off, not '" + raw.lineFilter + "'");
    s.lineFilter = raw.lineFilter == "on";
  }
  if (raw.qualityOpt->count() > 0) o.quality = static_cast<int>(ParseCount("--quality", raw.quality, 1, 100));
  if (raw.dpiOpt->count() > 0) o.dpi = ParseDecimal("--dpi", raw.dpi, 1, 65535);
  CheckLayout(o, raw);
  if (raw.gammaOpt->count() > 0) o.curve.gamma = ParseDecimal("--gamma", raw.gamma, 0.01, 327.67);
  if (raw.polarityOpt->count() > 0) {
    if (raw.polarity != "ink" && raw.polarity != "levels")
      throw UsageError("--polarity takes levels or ink, not '" + raw.polarity + "'");
    o.curve.ink = raw.polarity == "ink";
  }
  TakeKernel(args, raw, s);
  if ((s.mtfFile || s.mtfKernel) && s.noMtf) throw UsageError("--no-mtf contradicts the MTF options");
  if (s.inputProfile || s.outputProfile) s.colorMatch = true;
  if (s.colorMatch && s.noColorMatch) throw UsageError("--no-color-match contradicts the colour-matching options");
  if (s.inputCurve && s.noInputCurve) throw UsageError("--no-input-curve contradicts --input-curve");
  if (s.outputCurve && s.noOutputCurve) throw UsageError("--no-output-curve contradicts --output-curve");
}

// One INPUT and OUTPUT, one INPUT with --proof-only, or any number of
// inputs with --output-dir.
void ChoosePrintImages(Options& o, const std::vector<std::string>& positional) {
  o.command = Command::Print;
  if (o.proofOnly && o.proof.empty()) throw UsageError("--proof-only needs --proof FILE");
  if (!o.outputDir.empty()) {
    if (positional.empty()) throw UsageError("name the INPUT images to write to " + o.outputDir);
    if (!o.proof.empty()) throw UsageError("--proof names one file; give it for a single image, not with --output-dir");
    o.inputs = positional;
    return;
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
}

void ChooseCommand(Options& o, RawOptions& raw) {
  const std::vector<std::string>& positional = raw.positional;
  if (raw.settings->parsed()) {
    if (!(raw.show->parsed() || raw.save->parsed() || raw.edit->parsed()) || !positional.empty())
      throw UsageError("use 'settings show FILE', 'settings save FILE' or 'settings edit FILE'");
    o.command = raw.show->parsed()   ? Command::SettingsShow
                : raw.save->parsed() ? Command::SettingsSave
                                     : Command::SettingsEdit;
    o.recordFile = raw.recordFile;
    if (o.command != Command::SettingsShow && o.stages.swap)
      throw UsageError("--swap belongs to a page, a settings record does not keep it");
    return;
  }
  if (raw.curve->parsed()) {
    if (!(raw.curveShow->parsed() || raw.curveSave->parsed()) || !positional.empty())
      throw UsageError("use 'curve save FILE --gamma G' (or --points) or 'curve show FILE'");
    o.command = raw.curveShow->parsed() ? Command::CurveShow : Command::CurveSave;
    o.recordFile = raw.recordFile;
    return;
  }
  if (raw.info->parsed()) {
    if (!positional.empty()) throw UsageError("'info' takes no file names");
    o.command = Command::Info;
    return;
  }
  ChoosePrintImages(o, positional);
}

}  // namespace

std::string UsageText() {
  Options o;
  RawOptions raw;
  CLI::App app("", "k7730-print");
  Declare(app, o, raw);
  return app.help();
}

Options ParseCommandLine(const std::vector<std::string>& args) {
  Options o;
  RawOptions raw;
  CLI::App app("", "k7730-print");
  Declare(app, o, raw);
  // Everything after "--" is an image name, even when it starts with "-".
  const auto end = std::find(args.begin(), args.end(), std::string("--"));
  const std::vector<std::string> names(end == args.end() ? end : end + 1, args.end());
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(std::make_reverse_iterator(end), args.rend());
  try {
    app.parse(reversed);
  } catch (const CLI::CallForHelp&) {
    o.command = Command::Help;
    return o;
  } catch (const CLI::CallForVersion&) {
    o.command = Command::Version;
    return o;
  } catch (const CLI::ParseError& e) {
    Refuse(app, e, args);
  }
  for (const std::string& extra : app.remaining())
    if (extra.size() > 1 && extra[0] == '-') throw UsageError("unknown option " + extra);
  const std::vector<std::string> extras = app.remaining();
  raw.positional.insert(raw.positional.end(), extras.begin(), extras.end());
  raw.positional.insert(raw.positional.end(), names.begin(), names.end());
  CheckStages(args, o, raw);
  ChooseCommand(o, raw);
  return o;
}

}  // namespace k7730::host
