#include "host/print/print_job.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "host/core/file_bytes.h"
#include "host/core/filter_session.h"
#include "host/core/host_error.h"
#include "host/core/page_run.h"
#include "host/image/laid_out_source.h"
#include "host/image/oriented_source.h"
#include "host/core/soft_proof.h"

namespace k7730::host {

namespace {

constexpr std::size_t kMaxProfileBytes = std::size_t{64} << 20;

std::string BaseName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string StemOf(const std::string& path) {
  const std::string base = BaseName(path);
  const auto dot = base.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

// Runs `write` with a descriptor for each path in order: standard output
// for "-", otherwise a temporary file renamed into place once every
// writer succeeded.
void WithOutputs(const std::vector<std::string>& paths, std::size_t first, std::vector<int>& fds,
                 const std::function<void(const std::vector<int>&)>& write) {
  if (first == paths.size()) {
    write(fds);
    return;
  }
  if (IsStdio(paths[first])) {
    fds.push_back(STDOUT_FILENO);
    WithOutputs(paths, first + 1, fds, write);
    return;
  }
  WriteFileAtomically(paths[first], [&](int fd) {
    fds.push_back(fd);
    WithOutputs(paths, first + 1, fds, write);
  });
}

// The print file says what its values are: the printer profile after
// colour matching (embedded in TIFF, which print paths read, or with
// --embed-profile; named in a comment otherwise), else the input's own.
void TagPrintFile(ImageHeader& out, const ImageHeader& in, ImageFormat format, const std::string& printerProfile,
                  bool embed, PrintOutcome& outcome) {
  out.iccProfile.clear();
  out.comment.clear();
  if (printerProfile.empty()) {
    out.iccProfile = in.iccProfile;
    return;
  }
  outcome.printerProfile = printerProfile;
  if (format == ImageFormat::Ppm) return;
  if (embed || format == ImageFormat::Tiff) {
    out.iccProfile = ReadFileBytes(printerProfile, kMaxProfileBytes);
    outcome.profileEmbedded = true;
  } else {
    out.comment = "printer device values for the profile " + BaseName(printerProfile);
  }
}

// An output name that is an existing folder gets its own message rather
// than "cannot tell the format".
void RefuseFolder(const std::string& path, const char* what) {
  struct stat st {};
  if (path.empty() || IsStdio(path) || ::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return;
  throw FileError(path, std::string("is a folder; ") + what + " names the file to write (such as " +
                            (path.back() == '/' ? path : path + "/") + "print.png), or give --output-dir " + path +
                            " to write into it under the input's name");
}

// For --verbose: the module, the page and what will run on it.
void DescribePlan(const LoadedModule& module, const FilterSession& session, const std::string& name,
                  const ImageHeader& in, const PrintOutcome& outcome, const Console& console) {
  console.Detail("module:  " + module.Path());
  console.Detail("page:    " + name + ", " + std::to_string(in.width) + " x " + std::to_string(in.height) + " pixels");
  console.Detail("stages:  " + JoinStages(outcome.stages));
  if (console.verbose) {
    for (const std::string& line : session.DescribeColourMatching()) console.Detail(line);
  }
}

bool WrittenToStdout(const ImageFormatInfo& row) { return row.toStdout; }

// "PNG or PPM (--format png or --format ppm)": what standard output takes.
std::string StdoutFormats() {
  std::vector<std::string> flags;
  for (const ImageFormatInfo& row : ImageFormats()) {
    if (row.toStdout) flags.push_back(std::string("--format ") + row.word);
  }
  std::string text = FormatList(FormatListItem::Name, " or ", WrittenToStdout) + " (";
  for (std::size_t i = 0; i < flags.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == flags.size() ? " or " : ", ") + flags[i];
  }
  return text + ")";
}

// The checks made before the input is opened; sets the print's format
// unless it comes from the input (a pipe to a pipe).
void CheckOutputs(const PrintJob& job, bool fromPipeToPipe, PrintOutcome& outcome) {
  RefuseFolder(job.output, "OUTPUT");
  RefuseFolder(job.proof, "--proof");
  if (!fromPipeToPipe) outcome.format = OutputFormat(job);
  if (IsStdio(job.output) && !fromPipeToPipe && !FormatInfo(outcome.format).toStdout) {
    throw UsageError("standard output takes " + StdoutFormats());
  }
  RefuseOverwritingInput(job.input, job.output, job.overwrite);
  RefuseOverwritingInput(job.input, job.proof, job.overwrite);
}

// Turns the picture upright and lays it out on the media, as the job asks.
std::unique_ptr<ImageSource> PreparePicture(std::unique_ptr<ImageSource> source, const PrintJob& job,
                                            const std::string& name, const Console& console) {
  const std::uint16_t orientation = source->Header().orientation;
  if (orientation != 1 && job.autoRotate) {
    console.Notice(name + ": " + OrientationWords(orientation) +
                   " to stand upright, as its orientation tag says (--no-auto-rotate keeps it as stored)");
    source = TurnUpright(std::move(source));
  }
  if (job.media == nullptr) return source;
  const ImageHeader& picture = source->Header();
  const PageLayout layout = LayOut(*job.media, picture.width, picture.height, job.fit);
  char percent[32];
  std::snprintf(percent, sizeof percent, "%.1f%%", layout.scale * 100);
  console.Notice(name + ": laid out on " + job.media->name + " " + (layout.landscape ? "landscape" : "portrait") +
                 " (" + std::to_string(layout.pageWidth) + " x " + std::to_string(layout.pageHeight) +
                 " pixels at 300 dpi), " + (job.fit == MediaFit::Fit ? "fit with white margins" : "filled, the overhang cut off") +
                 ", resampled to " + percent);
  return LayOutOnPage(std::move(source), layout);
}

// The print file and the soft proof, as the job asks, on the outputs
// opened for them (in that order).
std::vector<std::unique_ptr<ImageSink>> MakeSinks(const LoadedModule& module, const PrintJob& job,
                                                  const FilterSession& session, const ImageHeader& printHeader,
                                                  ImageFormat format, ImageFormat proofFormat,
                                                  const std::vector<int>& opened) {
  std::vector<std::unique_ptr<ImageSink>> sinks;
  std::size_t next = 0;
  if (!job.output.empty()) sinks.push_back(CreateImageSink(format, opened[next++], job.output, printHeader, job.write));
  if (job.proof.empty()) return sinks;
  const std::string printer = session.PrinterProfile();
  const std::string screen = ScreenProfilePath(module);
  ImageHeader proofHeader = printHeader;
  proofHeader.iccProfile = ReadFileBytes(screen, kMaxProfileBytes);
  proofHeader.comment = "soft proof of the print through " + BaseName(printer);
  sinks.push_back(std::make_unique<ProofSink>(
      module, printer, screen, printHeader.width,
      CreateImageSink(proofFormat, opened[next], job.proof, proofHeader, job.write)));
  return sinks;
}

PageRunOptions RunOptionsFor(const PrintJob& job, const std::string& name) {
  PageRunOptions run;
  run.bandHeight = job.bandHeight;
  run.swap = job.stages.swap;
  run.progress = job.progress;
  run.progressLabel = job.progressLabel;
  run.imagePath = name;
  return run;
}

}  // namespace

std::string JoinStages(const std::vector<std::string>& stages) {
  if (stages.empty()) return "none (the page is copied)";
  std::string text;
  for (const auto& s : stages) text += (text.empty() ? "" : ", ") + s;
  return text;
}

ImageFormat OutputFormat(const PrintJob& job) {
  if (job.format) return *job.format;
  if (!job.output.empty() && !IsStdio(job.output)) return FormatFromName(job.output);
  const ImageFormat input = DetectFormat(job.input);
  return Writable(FormatInfo(input)) ? input : ImageFormat::Png;
}

std::string OutputPathIn(const std::string& dir, const std::string& input, ImageFormat format) {
  return (dir.empty() || dir.back() == '/' ? dir : dir + "/") + StemOf(input) + "." + FormatExtension(format);
}

void RefuseOverwritingInput(const std::string& input, const std::string& output, bool overwrite) {
  if (overwrite || IsStdio(input) || IsStdio(output) || output.empty()) return;
  struct stat in {}, out {};
  if (::stat(input.c_str(), &in) != 0 || ::stat(output.c_str(), &out) != 0) return;
  if (in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
    throw FileError(output, "is the input image " + input + "; it is not written over unless --overwrite is given");
  }
}

PrintOutcome PrintImage(const LoadedModule& module, const PrintJob& job, const Console& console) {
  PrintOutcome outcome;
  StepTimer timer;
  const auto started = std::chrono::steady_clock::now();
  const bool fromPipeToPipe = IsStdio(job.input) && IsStdio(job.output) && !job.format;
  CheckOutputs(job, fromPipeToPipe, outcome);
  const ImageFormat proofFormat = job.proof.empty() ? ImageFormat::Png : FormatFromName(job.proof);

  timer.Begin("open image");
  ImageFormat inputFormat = ImageFormat::Png;
  std::unique_ptr<ImageSource> source = OpenImage(job.input, &inputFormat);
  // A pipe to a pipe keeps the format that came in when standard output
  // takes it; any other (JPEG) comes out as PNG.
  if (fromPipeToPipe) outcome.format = FormatInfo(inputFormat).toStdout ? inputFormat : ImageFormat::Png;
  const std::string name = IsStdio(job.input) ? "standard input" : job.input;
  for (const auto& notice : source->Header().notices) console.Notice(name + ": " + notice);
  source = PreparePicture(std::move(source), job, name, console);
  const ImageHeader& in = source->Header();

  timer.Begin("apply settings");
  FilterSession session(module);
  session.ApplyStages(job.stages, &in, name, console);
  if (!module.CanRunPages()) module.Require(nullptr, "plugin_filter_do", "running pages");
  outcome.stages = session.PlannedStages(job.stages.swap);
  outcome.inputProfileNote = session.InputProfileNote();
  outcome.width = in.width;
  outcome.height = in.height;
  DescribePlan(module, session, name, in, outcome, console);

  ImageHeader printHeader = in;
  printHeader.notices.clear();
  if (job.dpi) printHeader.resolution = {*job.dpi, *job.dpi};
  TagPrintFile(printHeader, in, outcome.format, session.ActiveOutputProfile(), job.embedProfile, outcome);

  std::vector<std::string> paths;
  if (!job.output.empty()) paths.push_back(job.output);
  if (!job.proof.empty()) paths.push_back(job.proof);
  std::vector<int> fds;
  timer.End();
  WithOutputs(paths, 0, fds, [&](const std::vector<int>& opened) {
    const auto sinks = MakeSinks(module, job, session, printHeader, outcome.format, proofFormat, opened);
    std::vector<ImageSink*> targets;
    for (auto& sink : sinks) targets.push_back(sink.get());
    PageRunReport report;
    StreamPage(session, *source, targets, RunOptionsFor(job, name), timer, report);
    outcome.bands = report.bands;
  });
  outcome.timings = timer.Report();
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return outcome;
}

}  // namespace k7730::host
