// k7730-print: a command-line print host for the K7730fe filter module.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "host/print/cli_options.h"
#include "host/core/console.h"
#include "host/core/file_bytes.h"
#include "host/core/filter_session.h"
#include "host/core/printer_defaults.h"
#include "host/core/host_error.h"
#include "host/image/image_formats.h"
#include "host/core/module_api.h"
#include "host/core/page_run.h"
#include "host/print/batch_names.h"
#include "host/print/curve_command.h"
#include "host/print/print_job.h"
#include "host/core/settings_record.h"
#include "host/core/temporary_files.h"
#include "host/print/settings_command.h"

using namespace k7730::host;

namespace {

// A batch input's format for its output name; a file that cannot be read
// is named .png here and reported when its turn comes, and one of a format
// that is only read (WebP, HEIF) is written as PNG.
ImageFormat DetectFormatOrPng(const std::string& input) {
  try {
    const ImageFormat format = DetectFormat(input);
    return Writable(FormatInfo(format)) ? format : ImageFormat::Png;
  } catch (const HostError&) {
    return ImageFormat::Png;
  }
}

// --module, else the module $K7730FE_MODULE names, else the default places.
std::string ModulePathOf(const Options& o) {
  return o.modulePath.empty() ? DefaultModulePath(K7730_MODULE_FROM_PROGRAM, std::getenv("K7730FE_MODULE"))
                              : o.modulePath;
}

PrintJob JobFor(const Options& o, const std::string& input, const std::string& output) {
  PrintJob job;
  job.input = input;
  job.output = output;
  if (!o.format.empty()) {
    ImageFormat format;
    const std::string words = FormatList(FormatListItem::Word, " or ", Writable);
    if (!FormatFromWord(o.format, format)) throw UsageError("--format takes " + words + ", not '" + o.format + "'");
    if (!Writable(FormatInfo(format))) {
      throw UsageError(std::string("--format: cannot write ") + FormatName(format) +
                       " files, only read them (--format takes " + words + ")");
    }
    job.format = format;
  }
  job.proof = o.proof;
  job.stages = o.stages;
  job.bandHeight = o.bandHeight;
  job.write.jpegQuality = o.quality;
  job.dpi = o.dpi;
  job.embedProfile = o.embedProfile;
  job.overwrite = o.overwrite;
  job.media = o.media.empty() ? nullptr : FindMedia(o.media);
  job.fit = o.fit ? MediaFit::Fit : MediaFit::Fill;
  job.autoRotate = !o.noAutoRotate;
  job.progress = !o.quiet;
  return job;
}

void Summarise(const PrintJob& job, const PrintOutcome& r, const Console& console) {
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.2f s", r.seconds);
  if (job.output.empty()) {
    // --proof-only: no print was written, only how it would look.
    console.Info("k7730-print: wrote the proof " + job.proof + " (" + std::to_string(r.width) + " x " +
                 std::to_string(r.height) + ") in " + seconds + ": how the print would look with " +
                 (r.stages.empty() ? std::string("no stages on") : "these stages: " + JoinStages(r.stages)) +
                 "; no print file was written");
    return;
  }
  std::string written;
  if (!job.output.empty()) written = IsStdio(job.output) ? std::string("standard output") : job.output;
  if (!job.proof.empty()) written += " and the proof " + job.proof;
  console.Info("k7730-print: wrote " + written + " (" + std::string(FormatName(r.format)) + ", " +
               std::to_string(r.width) + " x " + std::to_string(r.height) + ", " + std::to_string(r.bands) +
               (r.bands == 1 ? " band" : " bands") + ") in " + seconds + "; stages: " + JoinStages(r.stages));
  if (!r.inputProfileNote.empty()) {
    console.Info("k7730-print: colour matching from " + r.inputProfileNote + " to the printer profile " +
                 r.printerProfile + (r.profileEmbedded ? " (embedded in the print)" : ""));
  }
  if (console.verbose) {
    for (const auto& line : r.timings) console.Detail(line);
  }
}

void RequireFolder(const std::string& dir) {
  std::error_code ec;
  if (!std::filesystem::exists(dir, ec)) throw FileError(dir, "no such folder for --output-dir; create it first");
  if (!std::filesystem::is_directory(dir, ec)) throw FileError(dir, "is a file, not a folder: --output-dir takes a folder");
}

// One image, or each image of a batch in turn: a failed image is reported
// and the others go on; the status says whether all succeeded.
int PrintPages(const Options& o, Console& console) {
  std::vector<PrintJob> jobs;
  if (!o.outputDir.empty()) RequireFolder(o.outputDir);
  for (const std::string& input : o.inputs) {
    if (o.outputDir.empty()) {
      jobs.push_back(JobFor(o, input, o.output));
      continue;
    }
    if (IsStdio(input)) throw UsageError("standard input (-) cannot be part of a batch");
    PrintJob job = JobFor(o, input, "");
    job.output = OutputPathIn(o.outputDir, input, job.format ? *job.format : DetectFormatOrPng(input));
    jobs.push_back(std::move(job));
  }
  if (!o.outputDir.empty()) {
    std::vector<std::string> names;
    for (const PrintJob& job : jobs) names.push_back(job.output);
    names = DistinctOutputs(o.inputs, std::move(names), o.uniqueNames);
    for (std::size_t i = 0; i < jobs.size(); ++i) jobs[i].output = names[i];
  }
  console.stdoutIsImage = o.output == "-";
  const LoadedModule module(ModulePathOf(o));
  int failed = 0;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    if (jobs.size() > 1) jobs[i].progressLabel = std::to_string(i + 1) + " of " + std::to_string(jobs.size());
    try {
      Summarise(jobs[i], PrintImage(module, jobs[i], console), console);
    } catch (const HostError& e) {
      if (jobs.size() == 1) throw;
      console.Error(e.what());
      ++failed;
    }
  }
  if (failed > 0) {
    console.Error(std::to_string(failed) + " of " + std::to_string(jobs.size()) + " images failed");
    return 1;
  }
  return 0;
}

int SaveCurveCommand(const Options& o, const Console& console) {
  CurveSpec spec;
  spec.gamma = o.curve.gamma;
  spec.points = o.curve.points;
  spec.channel = o.curve.channel;
  spec.ink = o.curve.ink;
  SaveCurve(o.recordFile, spec);
  console.Info("k7730-print: wrote tone-curve file " + o.recordFile);
  return 0;
}

int ShowCurveCommand(const Options& o) {
  std::printf("tone-curve file %s\n", o.recordFile.c_str());
  for (const std::string& line : DescribeCurveFile(o.recordFile)) std::printf("  %s\n", line.c_str());
  return 0;
}

int ShowSettings(const Options& o) {
  const std::vector<std::uint8_t> block = ReadSettingsFile(o.recordFile);
  std::printf("settings record %s\n%s", o.recordFile.c_str(), DescribeSettings(block).c_str());
  return 0;
}

int SaveSettings(const Options& o, Console& console) {
  LoadedModule module(ModulePathOf(o));
  StoreSettings(o.recordFile, RecordWithStages(module, o.stages, console), console);
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
  const std::string folder = module.Path().substr(0, module.Path().rfind('/') + 1);
  const std::string lineFilter = folder + "vorndll.so";
  std::printf("line filter       %s (%s)\n", lineFilter.c_str(),
              std::filesystem::exists(lineFilter) ? "present" : "missing: --line-filter on will fail");
  FilterSession session(module);
  const K7730_SettingsBlock b = DecodeSettings(session.GetBlock());
  for (const char* path : {b.inputProfilePath, b.outputProfilePath}) {
    const std::string p(path, strnlen(path, K7730_PATH_FIELD));
    std::printf("default profile   %s (%s)\n", p.c_str(),
                std::filesystem::exists(p) ? "present" : "missing");
  }
  return 0;
}

// An interrupted print leaves no half-written file behind: the handler
// removes the files being written, then lets the signal end the program
// as it would have (the disposition is back to the default on entry).
extern "C" void RemoveFilesAndStop(int signal) {
  RemovePendingFiles();
  ::raise(signal);
}

void RemoveFilesOnInterrupt() {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    // A signal the caller chose to ignore (nohup) stays ignored.
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = RemoveFilesAndStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    ::sigaction(signal, &action, nullptr);
  }
}

}  // namespace

int main(int argc, char** argv) {
  RemoveFilesOnInterrupt();
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
    SetTemporaryFolder(std::getenv("TMPDIR"));
    switch (options.command) {
      case Command::Help: std::fputs(UsageText().c_str(), stdout); return 0;
      case Command::Version: std::printf("k7730-print %s\n", K7730_PRINT_VERSION); return 0;
      case Command::Print: return PrintPages(options, console);
      case Command::CurveSave: return SaveCurveCommand(options, console);
      case Command::CurveShow: return ShowCurveCommand(options);
      case Command::SettingsShow: return ShowSettings(options);
      case Command::SettingsSave: return SaveSettings(options, console);
      case Command::SettingsEdit: return EditSettings(options, ModulePathOf(options), console);
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
