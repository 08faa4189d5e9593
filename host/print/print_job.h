// One image through the module, from its file to the print file and, when
// asked, a soft proof beside it; and the checks a batch makes before it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/core/band_runner.h"
#include "host/print/cli_options.h"
#include "host/core/console.h"
#include "host/core/media.h"
#include "host/image/image_formats.h"
#include "host/core/module_api.h"

namespace k7730::host {

struct PrintJob {
  std::string input;                      // a file, or "-" for standard input
  std::string output;                     // a file, "-" for standard output, empty for a proof only
  std::optional<ImageFormat> format;      // the output format; default from the name or the input
  std::string proof;                      // the soft proof file, empty for none
  StageOptions stages;
  std::uint32_t bandHeight = kBandLines;
  WriteOptions write;
  std::optional<double> dpi;              // overrides the input's resolution
  bool embedProfile = false;              // embed the printer profile in every format
  bool overwrite = false;                 // allow an output that is the input file
  const Media* media = nullptr;           // lay the picture out on this media; null: the page is the picture
  MediaFit fit = MediaFit::Fill;
  bool autoRotate = true;                 // turn a picture upright as its orientation tag says
  bool progress = false;
  std::string progressLabel;
};

struct PrintOutcome {
  ImageFormat format = ImageFormat::Png;
  std::uint32_t width = 0, height = 0, bands = 0;
  std::vector<std::string> stages;
  std::string inputProfileNote;           // which input profile colour matching took
  std::string printerProfile;             // the printer profile, when one was used
  bool profileEmbedded = false;
  std::vector<std::string> timings;
  double seconds = 0;
};

// Runs the job; throws HostError (or UsageError) on any failure, leaving
// no partial output file behind.
PrintOutcome PrintImage(const LoadedModule& module, const PrintJob& job, const Console& console);

// The format of the print file: --format, else the output name's
// extension, else the input's format, PNG for one that is only read (for
// a pipe to a pipe, found once the input is open).
ImageFormat OutputFormat(const PrintJob& job);

// `dir`/`input`'s name with the extension of `format`.
std::string OutputPathIn(const std::string& dir, const std::string& input, ImageFormat format);

// Throws HostError when `output` is the same file as `input` (same device
// and inode), unless `overwrite`.
void RefuseOverwritingInput(const std::string& input, const std::string& output, bool overwrite);

// "stages: ..." text of a stage list.
std::string JoinStages(const std::vector<std::string>& stages);

}  // namespace k7730::host
