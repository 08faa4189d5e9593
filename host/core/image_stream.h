// Page images as streams of rows, so that a page is read, filtered and
// written band by band and memory follows the band, not the page.
#pragma once

#include <cstdint>
#include <cstdio>
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

struct WriteOptions {
  int jpegQuality = 92;   // 1 to 100
};

// A stdio stream over a duplicate of `fd` that closes itself; throws
// HostError naming `path` when it cannot be had.
struct OwnedFile {
  std::FILE* file = nullptr;
  OwnedFile() = default;
  explicit OwnedFile(std::FILE* owned) : file(owned) {}
  OwnedFile(int fd, const char* mode, const std::string& path);
  OwnedFile(const OwnedFile&) = delete;
  OwnedFile& operator=(const OwnedFile&) = delete;
  ~OwnedFile();
  // Flushes and closes, reporting a failed write.
  void Close(const std::string& path);
};

}  // namespace k7730::host
