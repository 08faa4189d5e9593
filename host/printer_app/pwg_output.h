// Corrected pages to the device as a PWG raster stream. The stream is
// opened with the first page, so a job whose first page is refused writes
// nothing at all.
#pragma once

#include <cups/raster.h>
#include <pappl/pappl.h>

#include <cstdint>
#include <span>

namespace k7730::printer_app {

class PwgOutput {
 public:
  explicit PwgOutput(pappl_device_t* device) : device_(device) {}
  ~PwgOutput();
  PwgOutput(const PwgOutput&) = delete;
  PwgOutput& operator=(const PwgOutput&) = delete;

  // Writes one page of 8-bit sRGB lines; throws HostError when the device
  // takes no more.
  void WritePage(const cups_page_header2_t& header, std::span<const std::uint8_t> pixels);
  // Ends the stream and flushes the device.
  void Close();

 private:
  static ssize_t Write(void* device, unsigned char* buffer, size_t bytes);

  pappl_device_t* device_;
  cups_raster_t* raster_ = nullptr;
};

}  // namespace k7730::printer_app
