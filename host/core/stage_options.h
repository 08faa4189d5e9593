// How a host asks for each stage of the module to be set: what the print
// command's options, the CUPS filter's job options and the printer
// application's attributes all come down to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "host/core/mtf_file.h"

namespace k7730::host {

// How each stage is to be set; nothing set means "as the settings have it".
struct StageOptions {
  std::string settingsFile;
  bool swap = false;
  std::optional<std::string> inputCurve, outputCurve;
  bool noInputCurve = false, noOutputCurve = false;
  std::optional<std::string> mtfFile;
  std::optional<MtfKernel> mtfKernel;
  std::string mtfSource;                  // how the kernel was given, for messages
  bool noMtf = false;
  bool colorMatch = false, noColorMatch = false;
  std::optional<std::string> inputProfile, outputProfile;   // input: FILE, "embedded" or "settings"
  bool fallbackProfile = false;            // an unusable embedded profile falls back to the settings'

  std::optional<std::uint16_t> intent;
  std::optional<bool> lineFilter;
};

}  // namespace k7730::host
