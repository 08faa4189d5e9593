// The command line is declared once with CLI11 (options, subcommands, help);
// the values are then checked here so that every refusal names the option
// and what it takes, in the same words whatever the parser library says.
#include "cli_options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>

namespace k7730::host {
namespace {

constexpr const char* kFooter = R"(
Commands:
  k7730-print [options] INPUT OUTPUT     run a page image through the filter module
  k7730-print settings show FILE         print a stored settings record
  k7730-print settings save FILE [stage options]
                                         write a settings record made from the options
  k7730-print info                       show the module and what this build supports

Images: PNG, TIFF and binary PPM, 8-bit RGB. 16-bit, greyscale, palette and
transparent images are converted with a notice. The output format follows the
OUTPUT name (.png, .tif, .tiff, .ppm); it is written only when the whole page
succeeded.

Stage options apply after --settings, in the order listed. --swap belongs to
the page and is never stored.

Exit status: 0 success, 1 a file, the image or the module failed, 2 wrong usage.
)";

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
  CLI::Option *bandHeightOpt, *mtfKernelOpt, *mtfScaleOpt, *sharpenOpt, *intentOpt, *lineFilterOpt;
  CLI::App *settings, *show, *save, *info;
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
               "ICC colour matching with the profiles of the settings (by default A17D50.ICC to K77302.ICC next "
               "to the module)");
  app.add_option("--input-profile", s.inputProfile,
                 "the image's profile; \"embedded\" takes the one in the input image (implies --color-match)")
      ->type_name("FILE|embedded");
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
                 "the filter module (default: K7730fe.so next to this program, or $K7730FE_MODULE)")
      ->type_name("FILE");
  app.add_flag("-q,--quiet", o.quiet, "print errors only");
  app.add_flag("-v,--verbose", o.verbose, "print the stages and the time each step took");
}

void DeclareCommands(CLI::App& app, Options& o, RawOptions& raw) {
  app.add_option("images", raw.positional, "INPUT and OUTPUT: run a page image through the filter module")
      ->type_name("INPUT OUTPUT");
  raw.settings = app.add_subcommand("settings", "stored settings records");
  raw.show = raw.settings->add_subcommand("show", "print a stored settings record");
  raw.save = raw.settings->add_subcommand("save", "write a settings record made from the stage options");
  for (CLI::App* sub : {raw.show, raw.save}) sub->add_option("FILE", raw.recordFile)->required();
  raw.info = app.add_subcommand("info", "show the module and what this build supports");
  // Options may follow the subcommands; names after them are the main
  // command's and refused below.
  for (CLI::App* sub : {raw.settings, raw.show, raw.save, raw.info}) sub->fallthrough();
  app.require_subcommand(0, 1);
  raw.settings->require_subcommand(0, 1);
  (void)o;
}

// Builds the application. `o` and `raw` receive the values.
void Declare(CLI::App& app, Options& o, RawOptions& raw) {
  app.description("k7730-print: runs page images through the K7730fe filter module");
  app.footer(kFooter);
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_flag_callback("--version", [] { throw CLI::CallForVersion(); }, "print the version");
  DeclareStageOptions(app, o.stages, raw);
  DeclareRunOptions(app, o, raw);
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

void CheckStages(const std::vector<std::string>& args, Options& o, RawOptions& raw) {
  StageOptions& s = o.stages;
  if (raw.bandHeightOpt->count() > 0) o.bandHeight = ParseCount("--band-height", raw.bandHeight, 1, 1u << 20);
  if (raw.intentOpt->count() > 0) s.intent = ParseIntent(raw.intent);
  if (raw.lineFilterOpt->count() > 0) {
    if (raw.lineFilter != "on" && raw.lineFilter != "off")
      throw UsageError("--line-filter takes on or off, not '" + raw.lineFilter + "'");
    s.lineFilter = raw.lineFilter == "on";
  }
  TakeKernel(args, raw, s);
  if ((s.mtfFile || s.mtfKernel) && s.noMtf) throw UsageError("--no-mtf contradicts the MTF options");
  if (s.inputProfile || s.outputProfile) s.colorMatch = true;
  if (s.colorMatch && s.noColorMatch) throw UsageError("--no-color-match contradicts the colour-matching options");
  if (s.inputCurve && s.noInputCurve) throw UsageError("--no-input-curve contradicts --input-curve");
  if (s.outputCurve && s.noOutputCurve) throw UsageError("--no-output-curve contradicts --output-curve");
}

void ChooseCommand(Options& o, RawOptions& raw) {
  const std::vector<std::string>& positional = raw.positional;
  if (raw.settings->parsed()) {
    if (!(raw.show->parsed() || raw.save->parsed()) || !positional.empty())
      throw UsageError("use 'settings show FILE' or 'settings save FILE'");
    o.command = raw.show->parsed() ? Command::SettingsShow : Command::SettingsSave;
    o.recordFile = raw.recordFile;
    if (o.command == Command::SettingsSave && o.stages.swap)
      throw UsageError("--swap belongs to a page, a settings record does not keep it");
    return;
  }
  if (raw.info->parsed()) {
    if (!positional.empty()) throw UsageError("'info' takes no file names");
    o.command = Command::Info;
    return;
  }
  if (positional.size() != 2) {
    throw UsageError(positional.empty() ? "name an INPUT and an OUTPUT image"
                                        : "expected an INPUT and an OUTPUT image, got " +
                                              std::to_string(positional.size()) + " names");
  }
  o.command = Command::Print;
  o.input = positional[0];
  o.output = positional[1];
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
  // CLI11 takes the arguments last first.
  std::vector<std::string> reversed(args.rbegin(), args.rend());
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
  CheckStages(args, o, raw);
  ChooseCommand(o, raw);
  return o;
}

}  // namespace k7730::host
