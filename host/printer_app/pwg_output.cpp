#include "pwg_output.h"

#include "devices.h"
#include "host_error.h"

namespace k7730::printer_app {

PwgOutput::~PwgOutput() {
  if (raster_ != nullptr) cupsRasterClose(raster_);
}

ssize_t PwgOutput::Write(void* device, unsigned char* buffer, size_t bytes) {
  return papplDeviceWrite(static_cast<pappl_device_t*>(device), buffer, bytes);
}

void PwgOutput::WritePage(const cups_page_header2_t& header, std::span<const std::uint8_t> pixels) {
  if (raster_ == nullptr) {
    raster_ = cupsRasterOpenIO(&PwgOutput::Write, device_, CUPS_RASTER_WRITE_PWG);
    if (raster_ == nullptr) throw host::HostError("cannot start the PWG raster stream to the device");
  }
  cups_page_header2_t written = header;
  written.NumCopies = 1;
  if (cupsRasterWriteHeader2(raster_, &written) == 0 ||
      cupsRasterWritePixels(raster_, const_cast<unsigned char*>(pixels.data()),
                            static_cast<unsigned>(pixels.size())) < pixels.size()) {
    const std::string why = LastDeviceProblem();
    throw host::HostError(why.empty() ? "the device takes no more data" : why);
  }
}

void PwgOutput::Close() {
  if (raster_ != nullptr) cupsRasterClose(raster_);
  raster_ = nullptr;
  papplDeviceFlush(device_);
}

}  // namespace k7730::printer_app
