#include "host/image/laid_out_source.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include <stb_image_resize.h>

#include "host/core/host_error.h"

namespace k7730::host {

namespace {

// Page rows resampled in one call: a few, so that the picture rows held for
// them stay few too.
constexpr std::uint32_t kChunkRows = 16;
// How far, in picture rows, the filters reach beyond a page row's centre:
// two page pixels when shrinking, two picture pixels when enlarging, and a
// row to spare.
double FilterReach(double scale) { return 2.0 / std::min(scale, 1.0) + 1.0; }

class LaidOutSource : public ImageSource {
 public:
  LaidOutSource(std::unique_ptr<ImageSource> image, const PageLayout& layout)
      : image_(std::move(image)), l_(layout), picture_(image_->Header()) {
    header_ = picture_;
    header_.width = l_.pageWidth;
    header_.height = l_.pageHeight;
    header_.resolution = {kPrinterDpi, kPrinterDpi};
  }

  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    if (count > header_.height - done_) throw HostError("read past the end of the page");
    const std::size_t rowBytes = header_.RowBytes();
    for (std::uint32_t r = 0; r < count; ++r) {
      const std::uint32_t y = done_ + r;
      std::uint8_t* out = rgb + r * rowBytes;
      if (y < l_.y0 || y >= l_.y1) {
        std::memset(out, 255, rowBytes);
        continue;
      }
      // Page rows are resampled in chunks counted from the picture's first
      // row, whatever bands the caller asks for, so that the page does not
      // depend on them.
      const std::uint32_t chunk = l_.y0 + (y - l_.y0) / kChunkRows * kChunkRows;
      if (!chunkReady_ || chunk != chunkFirst_) MakeChunk(chunk);
      std::memcpy(out, chunk_.data() + std::size_t{y - chunkFirst_} * rowBytes, rowBytes);
    }
    done_ += count;
    // The picture is read to its end, so that damage below the part shown
    // is still found.
    if (done_ == header_.height) Drain();
  }

 private:
  void MakeChunk(std::uint32_t first) {
    const std::uint32_t rows = std::min(kChunkRows, l_.y1 - first);
    chunk_.assign(std::size_t{rows} * header_.RowBytes(), 255);
    Resample(first, rows, chunk_.data());
    chunkFirst_ = first;
    chunkReady_ = true;
  }

  // The picture row (fractional) under the centre of page row `y`.
  double PictureRowAt(double y) const { return (y + 0.5 - l_.top) / l_.scale - 0.5; }

  void Resample(std::uint32_t y, std::uint32_t rows, std::uint8_t* out) {
    const double reach = FilterReach(l_.scale);
    const std::uint32_t h = picture_.height;
    const auto from = static_cast<std::uint32_t>(std::clamp(std::floor(PictureRowAt(y) - reach), 0.0, double(h - 1)));
    const auto to = static_cast<std::uint32_t>(std::clamp(std::ceil(PictureRowAt(y + rows - 1) + reach) + 1, double(from + 1), double(h)));
    Hold(from, to);
    const int width = static_cast<int>(l_.x1 - l_.x0);
    const auto scale = static_cast<float>(l_.scale);
    // stb maps picture to page as page = picture * scale - shift, in the
    // coordinates of the buffers it is given.
    const auto shiftX = static_cast<float>(l_.x0 - l_.left);
    const auto shiftY = static_cast<float>(y - l_.top - from * l_.scale);
    // stb takes its shrinking filter (Mitchell, which softens) at a scale
    // of exactly 1; an interpolating one keeps a picture of the page's size
    // as it is, pixel for pixel.
    const stbir_filter filter = l_.scale >= 1.0 ? STBIR_FILTER_CATMULLROM : STBIR_FILTER_DEFAULT;
    const int ok = stbir_resize_subpixel(
        held_.data(), static_cast<int>(picture_.width), static_cast<int>(to - from), static_cast<int>(picture_.RowBytes()),
        out + std::size_t{l_.x0} * 3, width, static_cast<int>(rows), static_cast<int>(header_.RowBytes()),
        STBIR_TYPE_UINT8, 3, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, STBIR_EDGE_CLAMP, filter, filter,
        STBIR_COLORSPACE_LINEAR, nullptr, scale, scale, shiftX, shiftY);
    if (ok == 0) throw HostError("cannot resample the picture onto the page");
  }

  // Keeps picture rows [from, to) in held_, reading on as needed.
  void Hold(std::uint32_t from, std::uint32_t to) {
    const std::size_t rowBytes = picture_.RowBytes();
    const std::uint32_t keep = heldEnd_ > from ? heldEnd_ - std::max(from, heldFirst_) : 0;
    if (keep > 0 && from > heldFirst_) {
      std::memmove(held_.data(), held_.data() + std::size_t{from - heldFirst_} * rowBytes, std::size_t{keep} * rowBytes);
    }
    SkipTo(from);
    heldFirst_ = std::max(from, heldFirst_);
    held_.resize(std::size_t{to - heldFirst_} * rowBytes);
    if (to > heldEnd_) image_->ReadRows(held_.data() + std::size_t{heldEnd_ - heldFirst_} * rowBytes, to - heldEnd_);
    heldEnd_ = std::max(to, heldEnd_);
  }

  // Reads and drops picture rows up to `row` that no page row needs.
  void SkipTo(std::uint32_t row) {
    std::vector<std::uint8_t> scratch;
    while (heldEnd_ < row) {
      const std::uint32_t n = std::min(kChunkRows, row - heldEnd_);
      scratch.resize(std::size_t{n} * picture_.RowBytes());
      image_->ReadRows(scratch.data(), n);
      heldEnd_ += n;
      heldFirst_ = heldEnd_;
    }
  }

  void Drain() {
    SkipTo(picture_.height);
    held_.clear();
    held_.shrink_to_fit();
  }

  std::unique_ptr<ImageSource> image_;
  PageLayout l_;
  ImageHeader picture_;
  std::uint32_t done_ = 0;
  std::vector<std::uint8_t> held_, chunk_;
  std::uint32_t chunkFirst_ = 0;
  bool chunkReady_ = false;
  std::uint32_t heldFirst_ = 0, heldEnd_ = 0;   // picture rows [heldFirst_, heldEnd_) are in held_
};

}  // namespace

std::unique_ptr<ImageSource> LayOutOnPage(std::unique_ptr<ImageSource> image, const PageLayout& layout) {
  return std::make_unique<LaidOutSource>(std::move(image), layout);
}

}  // namespace k7730::host
