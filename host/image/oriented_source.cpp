#include "host/image/oriented_source.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/core/temporary_files.h"
#include "host/image/exif_orientation.h"

namespace k7730::host {

namespace {

// Rows read or written at a time while spooling and turning.
constexpr std::uint32_t kSpoolRows = 64;

bool Transposes(std::uint16_t o) { return o >= 5; }

// Where upright pixel (x, y) lies in the stored image of w x h: the
// orientation value says how the stored rows were laid down.
void StoredPosition(std::uint16_t o, std::uint32_t w, std::uint32_t h, std::uint32_t x, std::uint32_t y,
                    std::uint32_t& sx, std::uint32_t& sy) {
  switch (o) {
    case 2: sx = w - 1 - x; sy = y; break;
    case 3: sx = w - 1 - x; sy = h - 1 - y; break;
    case 4: sx = x; sy = h - 1 - y; break;
    case 5: sx = y; sy = x; break;
    case 6: sx = y; sy = h - 1 - x; break;
    case 7: sx = w - 1 - y; sy = h - 1 - x; break;
    case 8: sx = w - 1 - y; sy = x; break;
    default: sx = x; sy = y; break;
  }
}

class MirroredSource : public ImageSource {
 public:
  explicit MirroredSource(std::unique_ptr<ImageSource> image) : image_(std::move(image)) {
    header_ = image_->Header();
    header_.orientation = 1;
    MarkExifUpright(header_.exif);
  }
  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    image_->ReadRows(rgb, count);
    const std::uint32_t w = header_.width;
    for (std::uint32_t r = 0; r < count; ++r) {
      std::uint8_t* row = rgb + r * header_.RowBytes();
      for (std::uint32_t x = 0; x < w / 2; ++x) std::swap_ranges(row + 3 * x, row + 3 * x + 3, row + 3 * (w - 1 - x));
    }
  }

 private:
  std::unique_ptr<ImageSource> image_;
};

// The stored image in an unlinked temporary file, rows top to bottom;
// upright rows are gathered from it with one read per stored row or pixel
// run they touch.
class TurnedSource : public ImageSource {
 public:
  explicit TurnedSource(std::unique_ptr<ImageSource> image) : orientation_(image->Header().orientation) {
    const ImageHeader& stored = image->Header();
    storedWidth_ = stored.width;
    storedHeight_ = stored.height;
    header_ = stored;
    header_.orientation = 1;
    MarkExifUpright(header_.exif);
    if (Transposes(orientation_)) std::swap(header_.width, header_.height);
    Spool(*image);
  }
  ~TurnedSource() override {
    if (fd_ >= 0) ::close(fd_);
  }
  TurnedSource(const TurnedSource&) = delete;
  TurnedSource& operator=(const TurnedSource&) = delete;

  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    if (count > header_.height - done_) throw HostError("read past the end of the turned image");
    if (Transposes(orientation_)) {
      GatherColumns(rgb, count);
    } else {
      for (std::uint32_t r = 0; r < count; ++r) GatherRow(done_ + r, rgb + r * header_.RowBytes());
    }
    done_ += count;
  }

 private:
  std::size_t StoredRowBytes() const { return std::size_t{storedWidth_} * 3; }

  void Spool(ImageSource& image) {
    std::string path = TemporaryFolder() + "/k7730-turn-XXXXXX";
    fd_ = ::mkstemp(path.data());
    if (fd_ < 0) throw FileError(path, "cannot create a temporary file to turn the image: " + ErrnoText());
    ::unlink(path.c_str());
    std::vector<std::uint8_t> rows(StoredRowBytes() * kSpoolRows);
    for (std::uint32_t y = 0; y < storedHeight_; y += kSpoolRows) {
      const std::uint32_t n = std::min(kSpoolRows, storedHeight_ - y);
      image.ReadRows(rows.data(), n);
      WriteAll(fd_, path, rows.data(), StoredRowBytes() * n);
    }
  }

  void ReadAt(std::uint8_t* to, std::size_t bytes, std::uint64_t offset) const {
    while (bytes > 0) {
      const ssize_t got = ::pread(fd_, to, bytes, static_cast<off_t>(offset));
      if (got <= 0) throw HostError("cannot read back the turned image: " + ErrnoText());
      to += got;
      bytes -= static_cast<std::size_t>(got);
      offset += static_cast<std::uint64_t>(got);
    }
  }

  // Orientations 3 and 4: one stored row, reversed for 3.
  void GatherRow(std::uint32_t y, std::uint8_t* out) {
    std::uint32_t sx = 0, sy = 0;
    StoredPosition(orientation_, storedWidth_, storedHeight_, 0, y, sx, sy);
    ReadAt(out, StoredRowBytes(), std::uint64_t{sy} * StoredRowBytes());
    if (orientation_ == 3) {
      for (std::uint32_t x = 0; x < storedWidth_ / 2; ++x) {
        std::swap_ranges(out + 3 * x, out + 3 * x + 3, out + 3 * (storedWidth_ - 1 - x));
      }
    }
  }

  // Orientations 5 to 8: upright rows [done_, done_ + count) are stored
  // columns; each stored row gives a run of `count` pixels to all of them.
  void GatherColumns(std::uint8_t* rgb, std::uint32_t count) {
    std::uint32_t firstColumn = 0, lastColumn = 0, sy = 0;
    StoredPosition(orientation_, storedWidth_, storedHeight_, 0, done_, firstColumn, sy);
    StoredPosition(orientation_, storedWidth_, storedHeight_, 0, done_ + count - 1, lastColumn, sy);
    const std::uint32_t left = std::min(firstColumn, lastColumn);
    run_.resize(std::size_t{count} * 3);
    for (std::uint32_t x = 0; x < header_.width; ++x) {
      std::uint32_t sx = 0;
      StoredPosition(orientation_, storedWidth_, storedHeight_, x, done_, sx, sy);
      ReadAt(run_.data(), run_.size(), std::uint64_t{sy} * StoredRowBytes() + std::uint64_t{left} * 3);
      for (std::uint32_t r = 0; r < count; ++r) {
        StoredPosition(orientation_, storedWidth_, storedHeight_, x, done_ + r, sx, sy);
        std::copy_n(run_.data() + std::size_t{sx - left} * 3, 3, rgb + r * header_.RowBytes() + std::size_t{x} * 3);
      }
    }
  }

  std::uint16_t orientation_;
  std::uint32_t storedWidth_ = 0, storedHeight_ = 0, done_ = 0;
  int fd_ = -1;
  std::vector<std::uint8_t> run_;
};

}  // namespace

const char* OrientationWords(std::uint16_t orientation) {
  switch (orientation) {
    case 2: return "mirrored left to right";
    case 3: return "rotated 180 degrees";
    case 4: return "mirrored top to bottom";
    case 5: return "mirrored and rotated 90 degrees anticlockwise";
    case 6: return "rotated 90 degrees clockwise";
    case 7: return "mirrored and rotated 90 degrees clockwise";
    case 8: return "rotated 90 degrees anticlockwise";
    default: return "kept as stored";
  }
}

std::unique_ptr<ImageSource> TurnUpright(std::unique_ptr<ImageSource> image) {
  const std::uint16_t o = image->Header().orientation;
  if (o < 2 || o > 8) return image;
  if (o == 2) return std::make_unique<MirroredSource>(std::move(image));
  return std::make_unique<TurnedSource>(std::move(image));
}

}  // namespace k7730::host
