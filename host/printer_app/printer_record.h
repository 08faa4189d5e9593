// The settings record a printer's jobs start from: the one stored for it,
// else the photo printer's defaults (the package's CUPS queue starts from
// the same record), so that a new printer sharpens and matches colours.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace k7730::printer_app {

struct RecordInForce {
  std::vector<std::uint8_t> block;   // as a record file keeps it: the module's own profiles as empty paths
  std::string source;                // the stored file, or kPrinterDefaults
  bool stored = false;
};

constexpr const char* kPrinterDefaults = "the printer's defaults (mild sharpening, colour matching)";

// Throws HostError when the stored record is damaged or the module refuses
// the defaults.
RecordInForce PrinterRecord(const std::string& printerName);

}  // namespace k7730::printer_app
