#include <algorithm>
#include <cstdint>

#include "tonecurve/curve_file.h"
#include "tonecurve/curve_file_io.h"
#include "platform/file_wrappers.h"

namespace k7730 {
namespace {

using namespace curvefile;

// Header plus five channels with the largest payload (a table).
constexpr std::size_t kLargestFile = kCurveFileReadLimit;

// Appends big-endian words and raw bytes to a fixed buffer; refuses anything
// that would not fit.
class FileImage {
 public:
  bool Word(std::uint16_t value) {
    if (length_ + 2 > sizeof bytes_) return false;
    StoreBigEndian16(bytes_ + length_, value);
    length_ += 2;
    return true;
  }
  bool Bytes(const std::uint8_t* data, std::size_t count) {
    if (count > sizeof bytes_ - length_) return false;
    std::copy(data, data + count, bytes_ + length_);
    length_ += count;
    return true;
  }
  const std::uint8_t* data() const { return bytes_; }
  std::size_t size() const { return length_; }

 private:
  std::uint8_t bytes_[kLargestFile] = {};
  std::size_t length_ = 0;
};

bool AppendChannel(FileImage& image, const ToneCurveSet& set, int c, int numbering) {
  const std::uint16_t mode = set.mode[c];
  const auto storedMode =
      static_cast<std::uint16_t>(numbering == kAlternativeNumbering ? mode : mode - 1);
  std::uint16_t count = static_cast<std::uint16_t>(set.pointCount[c]);
  // A control-point channel never writes more points than the array holds,
  // whatever count a foreign set carries, and the count matches what follows.
  if (mode == kModePoints) {
    count = static_cast<std::uint16_t>(std::clamp<int>(set.pointCount[c], 0, kMaxCurvePoints));
  }
  if (!image.Word(storedMode) || !image.Word(count)) return false;

  switch (mode) {
    case kModePoints:
      for (int k = 0; k < count; ++k) {
        if (!image.Word(set.points[c][k].output) || !image.Word(set.points[c][k].input)) return false;
      }
      return true;
    case kModeFreeHand:
      return image.Bytes(set.tables[c], kTableBytes);
    case kModeGamma:
      return image.Word(static_cast<std::uint16_t>(set.gammaHundredths[c]));
    default:
      return true;  // an unknown mode has no payload
  }
}

}  // namespace

int WriteCurveFile(const ToneCurveSet& set, const char* path, int numbering) {
  FileImage image;
  bool built = image.Word(kWrittenVersion) && image.Word(set.polarity) && image.Word(kChannelCount);
  for (int c = 0; built && c < kCurveChannels; ++c) built = AppendChannel(image, set, c, numbering);
  if (!built) return kCurveFileCannotWrite;  // cannot happen: the buffer fits every set

  FileHandle file;
  FileInit(&file);
  if (FileCreateWrite(&file, path) != 0) {
    FileInit(&file);
    return kCurveFileCannotCreate;
  }
  auto count = static_cast<std::uint16_t>(image.size());
  const int failed = FileWrite(&file, image.data(), &count);
  FileClose(&file);
  return failed != 0 ? kCurveFileCannotWrite : kCurveFileOk;
}

}  // namespace k7730
