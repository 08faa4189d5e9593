#include "host/printer_app/pwg_output.h"

#include <exception>

#include "host/core/host_error.h"

namespace k7730::printer_app {

namespace {

constexpr const char* kOutputFailed = "the device output failed";

}  // namespace

PwgOutput::~PwgOutput() {
  if (raster_ != nullptr) cupsRasterClose(raster_);
}

ssize_t PwgOutput::Write(void* self, unsigned char* buffer, size_t bytes) noexcept {
  auto* out = static_cast<PwgOutput*>(self);
  // libcups is C: nothing may be thrown through it. The reason is kept for
  // WritePage and Close to throw on our side of the call.
  try {
    try {
      out->output_->Write({buffer, bytes});
      return static_cast<ssize_t>(bytes);
    } catch (const std::exception& e) {
      out->problem_ = e.what();
    }
  } catch (...) {
    // Not even the reason could be kept; the failure is.
  }
  out->failed_ = true;
  return -1;
}

void PwgOutput::WritePage(const cups_page_header2_t& header, std::span<const std::uint8_t> pixels) {
  if (raster_ == nullptr) {
    output_ = OpenJobOutput(deviceUri_, jobName_);
    raster_ = cupsRasterOpenIO(&PwgOutput::Write, this, CUPS_RASTER_WRITE_PWG);
    // libcups writes the stream's sync word here: the first write, where an
    // output that cannot take data says why.
    if (raster_ == nullptr) throw host::HostError(problem_.empty() ? "cannot start the PWG raster stream" : problem_);
  }
  cups_page_header2_t written = header;
  written.NumCopies = 1;
  if (cupsRasterWriteHeader2(raster_, &written) == 0 ||
      cupsRasterWritePixels(raster_, const_cast<unsigned char*>(pixels.data()),
                            static_cast<unsigned>(pixels.size())) < pixels.size()) {
    throw host::HostError(problem_.empty() ? "the device takes no more data" : problem_);
  }
}

void PwgOutput::Close() {
  if (raster_ != nullptr) cupsRasterClose(raster_);
  raster_ = nullptr;
  if (failed_) throw host::HostError(problem_.empty() ? kOutputFailed : problem_);
  if (output_) output_->Close();
}

}  // namespace k7730::printer_app
