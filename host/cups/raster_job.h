// Every page of a CUPS raster stream through the module, band by band, and
// out again as CUPS raster.
#pragma once

#include <cstdint>
#include <string>

#include "host/core/filter_session.h"
#include "host/cups/raster_stream.h"

namespace k7730::host {

// More copies than this of one page are taken for a damaged header.
constexpr unsigned kMaxCopies = 999;

// The filter's messages to CUPS, one "LEVEL: text" line each on stderr.
struct JobLog {
  static void Info(const std::string& text);
  static void Debug(const std::string& text);
  static void Error(const std::string& text);
  static void PageDone(unsigned page, unsigned copies);
};

// Runs the whole stream and returns the number of pages. Throws HostError
// on a damaged stream, an unsupported page or a module failure; pages
// before the failing one are already written, nothing of it.
unsigned RunRasterJob(FilterSession& session, RasterReader& in, RasterWriter& out);

}  // namespace k7730::host
