// The command line of k7730-print.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/core/band_runner.h"
#include "host/core/host_error.h"
#include "host/core/stage_options.h"

namespace k7730::host {

enum class Command { Print, SettingsShow, SettingsSave, SettingsEdit, Info, CurveSave, CurveShow, Help, Version };

// What `curve save` writes.
struct CurveOptions {
  std::optional<double> gamma;
  std::string points;                     // IN:OUT,IN:OUT,...
  std::string channel = "common";
  bool ink = false;
};

struct Options {
  Command command = Command::Help;
  std::vector<std::string> inputs;        // Print: the images, "-" for standard input
  std::string output;                     // Print: one output, "-" for standard output
  std::string outputDir;                  // Print: a batch's folder
  std::string format;                     // --format word, empty for the default
  std::string proof;                      // --proof FILE
  bool proofOnly = false;
  std::optional<double> dpi;
  int quality = 92;
  bool embedProfile = false, overwrite = false;
  bool uniqueNames = false;               // a batch numbers outputs that would share a name
  std::string media;                      // --media 4x6|5x7|6x8, empty: the page is the picture
  bool fit = false;                       // --fit: the whole picture on the media (default: --fill)
  bool noAutoRotate = false;              // keep the stored orientation
  std::string recordFile;                 // SettingsShow, SettingsSave, SettingsEdit; CurveSave, CurveShow
  CurveOptions curve;
  StageOptions stages;
  std::uint32_t bandHeight = kBandLines;
  std::string modulePath;                 // empty: the default
  bool quiet = false, verbose = false;
};

// Throws UsageError with a one-line explanation.
Options ParseCommandLine(const std::vector<std::string>& args);
// The help text, made from the same declaration as the parser.
std::string UsageText();

}  // namespace k7730::host
