#include "host/cups/raster_job.h"

#include <cstdio>
#include <cstring>

#include "host/core/host_error.h"
#include "host/core/band_runner.h"
#include "host/core/raster_page.h"

namespace k7730::host {

void JobLog::Info(const std::string& text) { std::fprintf(stderr, "INFO: %s\n", text.c_str()); }
void JobLog::Debug(const std::string& text) { std::fprintf(stderr, "DEBUG: %s\n", text.c_str()); }
void JobLog::Error(const std::string& text) { std::fprintf(stderr, "ERROR: %s\n", text.c_str()); }
void JobLog::PageDone(unsigned page, unsigned copies) { std::fprintf(stderr, "PAGE: %u %u\n", page, copies); }

namespace {

// Fills `count` lines of the page from line `y` on, out of the stream.
void ReadLines(RasterReader& in, const std::string& name, std::uint32_t height, std::size_t rowBytes,
               std::uint8_t* rows, std::uint32_t y, std::uint32_t count) {
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!in.ReadPixels({rows + i * rowBytes, rowBytes})) {
      throw HostError(name + ": the raster stream ends at line " + std::to_string(y + i) + " of " +
                      std::to_string(height));
    }
  }
}

void RunOnePage(FilterSession& session, RasterReader& in, RasterWriter& out, const cups_page_header2_t& header,
                unsigned number) {
  const std::string name = "page " + std::to_string(number);
  if (const std::string problem = UnsupportedPageProblem(header); !problem.empty()) {
    throw HostError(name + ": " + problem);
  }
  if (header.NumCopies > kMaxCopies) {
    throw HostError(name + ": the page header asks for " + std::to_string(header.NumCopies) +
                    " copies, more than the " + std::to_string(kMaxCopies) + " this filter makes");
  }
  JobLog::Info("Printing " + name + " (" + std::to_string(header.cupsWidth) + " x " +
               std::to_string(header.cupsHeight) + " pixels)");
  const std::size_t rowBytes = std::size_t{header.cupsWidth} * 3;
  BandRunner run(session, header.cupsWidth, header.cupsHeight, name, BandLinesFor(rowBytes),
                 header.NumCopies);
  run.Pull([&](std::uint8_t* rows, std::uint32_t y, std::uint32_t count) {
    ReadLines(in, name, header.cupsHeight, rowBytes, rows, y, count);
  });
  // The copies are made here, so the printer is told to print each once.
  cups_page_header2_t written = header;
  written.NumCopies = 1;
  run.Deliver([&](std::span<const std::uint8_t> lines) { out.WritePage(written, lines); });
  JobLog::PageDone(number, run.Copies());
}

}  // namespace

unsigned RunRasterJob(FilterSession& session, RasterReader& in, RasterWriter& out) {
  unsigned pages = 0;
  cups_page_header2_t header;
  for (;;) {
    std::memset(&header, 0, sizeof header);
    const RasterReader::HeaderResult next = in.NextHeader(header);
    if (next == RasterReader::HeaderResult::End) break;
    if (next == RasterReader::HeaderResult::Damaged) {
      throw HostError(pages == 0 ? "the input is not a CUPS raster stream, or its first page header is damaged"
                                 : "the page header after page " + std::to_string(pages) +
                                       " is damaged or truncated");
    }
    RunOnePage(session, in, out, header, ++pages);
  }
  return pages;
}

}  // namespace k7730::host
