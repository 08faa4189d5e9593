#include "host/cups/raster_job.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "host/core/host_error.h"
#include "host/core/page_run.h"
#include "host/cups/raster_page.h"

namespace k7730::host {

void JobLog::Info(const std::string& text) { std::fprintf(stderr, "INFO: %s\n", text.c_str()); }
void JobLog::Debug(const std::string& text) { std::fprintf(stderr, "DEBUG: %s\n", text.c_str()); }
void JobLog::Error(const std::string& text) { std::fprintf(stderr, "ERROR: %s\n", text.c_str()); }
void JobLog::PageDone(unsigned page, unsigned copies) { std::fprintf(stderr, "PAGE: %u %u\n", page, copies); }

namespace {

std::uint32_t BandLinesFor(std::size_t rowBytes) {
  const std::uint64_t fit = kMaxBandBytes / rowBytes;
  return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(fit, 1, kRasterBandLines));
}

// One raster page: the first copy reads its bands from the stream (and
// keeps them when more copies follow, since the module changes bands in
// place); later copies restart the page and send the kept lines again.
class RasterPageRun {
 public:
  RasterPageRun(FilterSession& session, RasterReader& in, const cups_page_header2_t& header, unsigned number)
      : in_(in), header_(header), name_("page " + std::to_string(number)),
        rowBytes_(std::size_t{header.cupsWidth} * 3), bandLines_(BandLinesFor(rowBytes_)),
        copies_(std::max(1u, header.NumCopies)),
        page_(session, header.cupsWidth, header.cupsHeight, false, name_) {
    band_.resize(bandLines_ * rowBytes_);
  }

  unsigned Copies() const { return copies_; }

  // The corrected lines of one copy, in order.
  const std::vector<std::uint8_t>& RunCopy(unsigned copy) {
    page_.StartCopy();
    printed_.clear();
    for (std::uint32_t y = 0; y < header_.cupsHeight; y += bandLines_) {
      const std::uint32_t lines = std::min(bandLines_, header_.cupsHeight - y);
      if (copy == 0) ReadBand(y, lines);
      else std::memcpy(band_.data(), kept_.data() + y * rowBytes_, lines * rowBytes_);
      const std::span<const std::uint8_t> released = page_.Band(band_.data(), lines);
      printed_.insert(printed_.end(), released.begin(), released.end());
    }
    page_.FinishCopy();
    return printed_;
  }

  void End() { page_.End(); }

 private:
  void ReadBand(std::uint32_t y, std::uint32_t lines) {
    for (std::uint32_t i = 0; i < lines; ++i) {
      if (!in_.ReadPixels({band_.data() + i * rowBytes_, rowBytes_})) {
        throw HostError(name_ + ": the raster stream ends at line " + std::to_string(y + i) + " of " +
                        std::to_string(header_.cupsHeight));
      }
    }
    if (copies_ > 1) kept_.insert(kept_.end(), band_.begin(), band_.begin() + lines * rowBytes_);
  }

  RasterReader& in_;
  const cups_page_header2_t& header_;
  std::string name_;
  std::size_t rowBytes_;
  std::uint32_t bandLines_;
  unsigned copies_;
  ModulePage page_;
  std::vector<std::uint8_t> band_, kept_, printed_;
};

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
  RasterPageRun run(session, in, header, number);
  // The copies are made here, so the printer is told to print each once.
  cups_page_header2_t written = header;
  written.NumCopies = 1;
  for (unsigned copy = 0; copy < run.Copies(); ++copy) {
    out.WritePage(written, run.RunCopy(copy));
  }
  run.End();
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
