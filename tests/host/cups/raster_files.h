// CUPS raster files for the filter's tests, written and read with libcups
// itself, and the filter run as CUPS runs it.
#pragma once

#include <cups/raster.h>

#include <cstdint>
#include <string>
#include <vector>

namespace k7730::host::test {

struct RasterPage {
  cups_page_header2_t header{};
  std::vector<std::uint8_t> pixels;
};

// A header for a page of 8-bit chunky RGB (or another colour space with
// `bitsPerPixel`), 300 dpi.
cups_page_header2_t RgbHeader(std::uint32_t width, std::uint32_t height,
                              cups_cspace_t space = CUPS_CSPACE_RGB, unsigned bitsPerPixel = 24);

void WriteRasterFile(const std::string& path, const std::vector<RasterPage>& pages,
                     cups_mode_t mode = CUPS_RASTER_WRITE);
std::vector<RasterPage> ReadRasterFile(const std::string& path);

struct FilterRun {
  int status = -1;
  std::string log;                 // standard error
  std::vector<std::string> lines;  // its lines
  std::string outputPath;          // standard output
  int Count(const std::string& level) const;
  // The one ERROR line, and that nothing came after it.
  bool EndsWithOneError() const;
};

// Runs the built filter: `env` is prepended to the command ("PPD=... "),
// `input` is given on standard input unless `asFileArgument`.
FilterRun RunRasterFilter(const std::string& folder, const std::string& options, const std::string& input,
                          const std::string& env = "", bool asFileArgument = false);

// Quotes for /bin/sh.
std::string ShellQuote(const std::string& text);

}  // namespace k7730::host::test
