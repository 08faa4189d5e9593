// Page images as streams of rows, so that a page is read, filtered and
// written band by band and memory follows the band, not the page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/core/image.h"

namespace k7730::host {

// Rows of 8-bit RGB from top to bottom. The header is complete once the
// source is open; ReadRows throws HostError for damaged or missing data.
class ImageSource {
 public:
  virtual ~ImageSource() = default;
  const ImageHeader& Header() const { return header_; }
  // Fills `count` rows of Header().RowBytes() bytes each.
  virtual void ReadRows(std::uint8_t* rgb, std::uint32_t count) = 0;

 protected:
  ImageHeader header_;
};

// Takes the rows of one page in order; Finish completes the file.
class ImageSink {
 public:
  virtual ~ImageSink() = default;
  virtual void WriteRows(const std::uint8_t* rgb, std::uint32_t count) = 0;
  virtual void Finish() = 0;
};

// Reads the rows of `image`, which must outlive the source.
std::unique_ptr<ImageSource> ReadFromMemory(const Image& image);

struct WriteOptions {
  int jpegQuality = 92;   // 1 to 100
};

}  // namespace k7730::host
