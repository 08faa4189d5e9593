#include "host/printer_app/document_check.h"

#include "formats/byte_reader.h"
#include "host/core/file_bytes.h"

namespace k7730::printer_app {

namespace {

constexpr std::size_t kMaxJpegFile = std::size_t{256} << 20;
constexpr const char* kTruncated = "the JPEG file is truncated: its data ends before the end-of-image marker";

using k7730::ByteView;

bool IsFrameMarker(std::uint8_t m) { return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC; }
bool HasNoLength(std::uint8_t m) { return (m >= 0xD0 && m <= 0xD7) || m == 0x01; }

// Skips entropy-coded data: stuffed 0xFF00 and restart markers belong to
// it; any other marker ends it. Returns the marker's offset or the size.
std::uint64_t SkipScan(ByteView v, std::uint64_t pos) {
  std::uint8_t b = 0, next = 0;
  while (v.U8(pos, &b)) {
    if (b == 0xFF && v.U8(pos + 1, &next) && next != 0x00 && !(next >= 0xD0 && next <= 0xD7) && next != 0xFF) {
      return pos;
    }
    ++pos;
  }
  return pos;
}

std::string FrameProblem(ByteView v, std::uint64_t pos, const ImageLimits& limits) {
  std::uint16_t height = 0, width = 0;
  if (!v.U16(pos + 3, &height) || !v.U16(pos + 5, &width)) return kTruncated;
  if (width == 0 || height == 0) return "the JPEG file gives no image size";
  if ((limits.maxWidth != 0 && width > limits.maxWidth) || (limits.maxHeight != 0 && height > limits.maxHeight)) {
    return "the JPEG image has " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels; this printer takes at most " + std::to_string(limits.maxWidth) + " x " +
           std::to_string(limits.maxHeight);
  }
  return "";
}

}  // namespace

std::string JpegProblem(std::span<const std::uint8_t> file, const ImageLimits& limits) {
  const ByteView v(file.data(), file.size());
  std::uint8_t b0 = 0, b1 = 0;
  if (!v.U8(0, &b0) || !v.U8(1, &b1) || b0 != 0xFF || b1 != 0xD8) return "the document is not a JPEG file";
  std::uint64_t pos = 2;
  bool sawScan = false;
  for (;;) {
    std::uint8_t b = 0, marker = 0xFF;
    if (!v.U8(pos, &b)) return kTruncated;
    if (b != 0xFF) return "the JPEG file is damaged at byte " + std::to_string(pos);
    while (marker == 0xFF) {
      if (!v.U8(++pos, &marker)) return kTruncated;
    }
    ++pos;
    if (marker == 0xD9) return sawScan ? "" : "the JPEG file holds no image data";
    if (HasNoLength(marker)) continue;
    std::uint16_t length = 0;
    if (!v.U16(pos, &length) || length < 2 || !v.Has(pos, length)) return kTruncated;
    if (IsFrameMarker(marker)) {
      if (std::string problem = FrameProblem(v, pos, limits); !problem.empty()) return problem;
    }
    pos += length;
    if (marker == 0xDA) {
      sawScan = true;
      pos = SkipScan(v, pos);
    }
  }
}

std::string JpegFileProblem(const std::string& path, const ImageLimits& limits) {
  try {
    return JpegProblem(host::ReadFileBytes(path, kMaxJpegFile), limits);
  } catch (const std::exception& e) {
    return e.what();
  }
}

}  // namespace k7730::printer_app
