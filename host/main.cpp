// k7730-print: a command-line print host for the K7730fe filter module.
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "cli_options.h"
#include "console.h"
#include "file_bytes.h"
#include "filter_session.h"
#include "host_error.h"
#include "image_formats.h"
#include "module_api.h"
#include "page_run.h"
#include "settings_record.h"

using namespace k7730::host;

namespace {

std::string JoinStages(const std::vector<std::string>& stages) {
  if (stages.empty()) return "none (the page is copied)";
  std::string text;
  for (const auto& s : stages) text += (text.empty() ? "" : ", ") + s;
  return text;
}

std::string ModulePathOf(const Options& o) {
  return o.modulePath.empty() ? DefaultModulePath() : o.modulePath;
}

int PrintPage(const Options& o, Console& console) {
  StepTimer timer;
  // Refuse an output name we cannot write before doing any work.
  const ImageFormat outFormat = FormatFromName(o.output);

  timer.Begin("load module");
  LoadedModule module(ModulePathOf(o));

  timer.Begin("read image");
  Image page = ReadImage(o.input);
  for (const auto& notice : page.notices) console.Notice(o.input + ": " + notice);

  timer.Begin("apply settings");
  FilterSession session(module);
  session.ApplyStages(o.stages, &page, o.input, console);
  if (!module.CanRunPages()) module.Require(nullptr, "plugin_filter_do", "running pages");
  const std::vector<std::string> stages = session.PlannedStages(o.stages.swap);
  console.Detail("module:  " + module.Path());
  console.Detail("page:    " + o.input + ", " + std::to_string(page.width) + " x " +
                 std::to_string(page.height) + " pixels");
  console.Detail("stages:  " + JoinStages(stages));
  if (o.verbose) {
    for (const std::string& line : session.DescribeColourMatching()) console.Detail(line);
  }

  PageRunOptions run;
  run.bandHeight = o.bandHeight;
  run.swap = o.stages.swap;
  run.progress = !o.quiet;
  run.imagePath = o.input;
  PageRunReport report;
  Image result = RunPage(session, page, run, timer, report);

  timer.Begin("write image");
  // Tag the result with the colours it is in: the printer's after colour
  // matching, otherwise those of the input.
  const std::string printerProfile = session.ActiveOutputProfile();
  result.iccProfile = printerProfile.empty() ? page.iccProfile : ReadFileBytes(printerProfile, std::size_t{64} << 20);
  WriteImage(o.output, result);
  timer.End();

  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f s", timer.TotalSeconds());
  console.Info("k7730-print: wrote " + o.output + " (" + FormatName(outFormat) + ", " +
               std::to_string(result.width) + " x " + std::to_string(result.height) + ", " +
               std::to_string(report.bands) + (report.bands == 1 ? " band" : " bands") + ") in " +
               seconds + "; stages: " + JoinStages(stages));
  if (o.verbose) {
    for (const auto& line : timer.Report()) console.Detail(line);
  }
  return 0;
}

int ShowSettings(const Options& o) {
  const std::vector<std::uint8_t> block = ReadSettingsFile(o.recordFile);
  std::printf("settings record %s\n%s", o.recordFile.c_str(), DescribeSettings(block).c_str());
  return 0;
}

int SaveSettings(const Options& o, Console& console) {
  LoadedModule module(ModulePathOf(o));
  FilterSession session(module);
  session.ApplyStages(o.stages, nullptr, "", console);
  WriteSettingsFile(o.recordFile, session.GetBlock());
  console.Info("k7730-print: wrote settings record " + o.recordFile + "; stages on: " +
               JoinStages(session.PlannedStages(false)));
  return 0;
}

int ShowInfo(const Options& o) {
  LoadedModule module(ModulePathOf(o));
  const ModuleApi& api = module.Api();
  auto has = [](const void* fn) { return fn != nullptr ? "yes" : "no (this module build lacks it)"; };
  std::printf("module            %s\n", module.Path().c_str());
  std::printf("running pages     %s\n", has(module.CanRunPages() ? reinterpret_cast<const void*>(api.doBand) : nullptr));
  std::printf("tone curves       %s\n", has(reinterpret_cast<const void*>(api.setInputToneCurve)));
  std::printf("MTF sharpening    %s\n", has(reinterpret_cast<const void*>(api.setMtf)));
  std::printf("colour matching   %s\n", has(reinterpret_cast<const void*>(api.setIccProfile)));
  FilterSession session(module);
  const K7730_SettingsBlock b = DecodeSettings(session.GetBlock());
  for (const char* path : {b.inputProfilePath, b.outputProfilePath}) {
    const std::string p(path, strnlen(path, K7730_PATH_FIELD));
    std::printf("default profile   %s (%s)\n", p.c_str(),
                std::filesystem::exists(p) ? "present" : "missing");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Console console;
  Options options;
  try {
    options = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    std::fprintf(stderr, "k7730-print: %s (see k7730-print --help)\n", e.what());
    return 2;
  }
  console.quiet = options.quiet;
  console.verbose = options.verbose;
  try {
    switch (options.command) {
      case Command::Help: std::fputs(UsageText(), stdout); return 0;
      case Command::Version: std::printf("k7730-print %s\n", K7730_PRINT_VERSION); return 0;
      case Command::Print: return PrintPage(options, console);
      case Command::SettingsShow: return ShowSettings(options);
      case Command::SettingsSave: return SaveSettings(options, console);
      case Command::Info: return ShowInfo(options);
    }
  } catch (const UsageError& e) {
    std::fprintf(stderr, "k7730-print: %s (see k7730-print --help)\n", e.what());
    return 2;
  } catch (const HostError& e) {
    console.Error(e.what());
  } catch (const std::bad_alloc&) {
    console.Error("out of memory");
  } catch (const std::exception& e) {
    console.Error(e.what());
  }
  return 1;
}
