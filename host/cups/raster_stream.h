// CUPS raster in and out through libcups, over file descriptors. The
// reader notices whether the stream ended cleanly between pages or in the
// middle of something.
#pragma once

#include <cups/raster.h>

#include <cstdint>
#include <span>

namespace k7730::host {

class RasterReader {
 public:
  explicit RasterReader(int fd);
  ~RasterReader();
  RasterReader(const RasterReader&) = delete;
  RasterReader& operator=(const RasterReader&) = delete;

  enum class HeaderResult { Page, End, Damaged };
  // The next page header. End: the stream stopped cleanly before it;
  // Damaged: bytes were there but make no valid header.
  HeaderResult NextHeader(cups_page_header2_t& header);
  // Reads exactly `pixels.size()` bytes of pixel data; false when the
  // stream ends first.
  bool ReadPixels(std::span<std::uint8_t> pixels);

 private:
  static ssize_t Read(void* self, unsigned char* buffer, size_t bytes);

  int fd_;
  cups_raster_t* raster_ = nullptr;
  std::uint64_t bytesSinceMark_ = 0;
  bool sawEnd_ = false;
};

class RasterWriter {
 public:
  explicit RasterWriter(int fd);
  ~RasterWriter();
  RasterWriter(const RasterWriter&) = delete;
  RasterWriter& operator=(const RasterWriter&) = delete;

  // Writes one whole page; throws HostError when the output fails.
  void WritePage(cups_page_header2_t header, std::span<const std::uint8_t> pixels);

 private:
  cups_raster_t* raster_ = nullptr;
};

}  // namespace k7730::host
