// The settings record a printer's jobs start from: the one stored for it,
// else the photo printer's defaults (the package's CUPS queue starts from
// the same record), so that a new printer sharpens and matches colours.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/core/filter_session.h"

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

// A module instance holding the printer's record in force, the module's own
// profiles filled in where the record leaves them empty.
std::unique_ptr<host::FilterSession> SessionWithRecord(const std::string& printerName);

}  // namespace k7730::printer_app
