#include "host/cups/raster_stream.h"

#include <unistd.h>

#include <cerrno>
#include <climits>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

namespace k7730::host {

RasterReader::RasterReader(int fd) : fd_(fd) {
  raster_ = cupsRasterOpenIO(&RasterReader::Read, this, CUPS_RASTER_READ);
}

RasterReader::~RasterReader() {
  if (raster_ != nullptr) cupsRasterClose(raster_);
}

ssize_t RasterReader::Read(void* self, unsigned char* buffer, size_t bytes) {
  auto* reader = static_cast<RasterReader*>(self);
  ssize_t n;
  do {
    n = ::read(reader->fd_, buffer, bytes);
  } while (n < 0 && errno == EINTR);
  if (n > 0) reader->bytesSinceMark_ += static_cast<std::uint64_t>(n);
  if (n == 0) reader->sawEnd_ = true;
  return n;
}

RasterReader::HeaderResult RasterReader::NextHeader(cups_page_header2_t& header) {
  // Opening reads the stream's sync word; a stream without one is either
  // empty or not raster at all.
  if (raster_ == nullptr) return bytesSinceMark_ == 0 && sawEnd_ ? HeaderResult::End : HeaderResult::Damaged;
  bytesSinceMark_ = 0;
  if (cupsRasterReadHeader2(raster_, &header) != 0) return HeaderResult::Page;
  return bytesSinceMark_ == 0 && sawEnd_ ? HeaderResult::End : HeaderResult::Damaged;
}

bool RasterReader::ReadPixels(std::span<std::uint8_t> pixels) {
  // libcups takes at most UINT_MAX bytes per call; a line never comes near.
  std::size_t done = 0;
  while (done < pixels.size()) {
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(pixels.size() - done, UINT_MAX));
    const unsigned got = cupsRasterReadPixels(raster_, pixels.data() + done, chunk);
    if (got == 0) return false;
    done += got;
  }
  return true;
}

RasterWriter::RasterWriter(int fd) {
  raster_ = cupsRasterOpen(fd, CUPS_RASTER_WRITE_COMPRESSED);
  if (raster_ == nullptr) throw HostError("cannot open the raster output: " + ErrnoText());
}

RasterWriter::~RasterWriter() { cupsRasterClose(raster_); }

void RasterWriter::WritePage(cups_page_header2_t header, std::span<const std::uint8_t> pixels) {
  if (cupsRasterWriteHeader2(raster_, &header) == 0) {
    throw HostError("cannot write the raster output: " + ErrnoText());
  }
  std::size_t done = 0;
  while (done < pixels.size()) {
    const auto chunk = static_cast<unsigned>(std::min<std::size_t>(pixels.size() - done, UINT_MAX));
    // libcups only reads the pixels it is given.
    auto* data = const_cast<unsigned char*>(pixels.data() + done);
    if (cupsRasterWritePixels(raster_, data, chunk) != chunk) {
      throw HostError("cannot write the raster output: " + ErrnoText());
    }
    done += chunk;
  }
}

}  // namespace k7730::host
