#include <cstdint>

#include "tonecurve/curve_file.h"
#include "tonecurve/curve_file_io.h"
#include "tonecurve/curve_reset.h"
#include "tonecurve/curve_table.h"
#include "tonecurve/gamma_table.h"
#include "tonecurve/polarity.h"
#include "ui/file_wrappers.h"
#include "ui/path_utils.h"

namespace k7730 {
namespace {

using namespace curvefile;

// Closes the file on every way out.
class OpenFile {
 public:
  OpenFile() { FileInit(&handle_); }
  ~OpenFile() { FileClose(&handle_); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  bool OpenForReading(const char* path) {
    if (FileOpenRead(&handle_, path) == 0) return true;
    FileInit(&handle_);  // a failed open may leave the invalid handle behind
    return false;
  }
  FileHandle* get() { return &handle_; }

 private:
  FileHandle handle_;
};

struct Header {
  std::uint16_t version = 0;
  std::uint16_t polarity = 0;
  std::uint16_t channels = 0;
};

bool ReadHeader(FileHandle* file, Header& header) {
  return ReadWord(file, &header.version) && ReadWord(file, &header.polarity) &&
         ReadWord(file, &header.channels);
}

// Point counts are 16-bit words; anything beyond the 20-point array (which
// includes every count that is negative as a signed word) is refused.
bool PointCountFits(std::uint16_t count) { return count <= kMaxCurvePoints; }

bool ReadPoints(FileHandle* file, std::uint16_t count, ControlPoint* points) {
  std::uint8_t bytes[kMaxCurvePoints * kPointBytes];
  if (!PointCountFits(count)) return false;
  if (!ReadExactly(file, bytes, count * kPointBytes)) return false;
  for (int k = 0; k < count; ++k) {
    points[k].output = LoadBigEndian16(bytes + k * kPointBytes);
    points[k].input = LoadBigEndian16(bytes + k * kPointBytes + 2);
  }
  return true;
}

int Check(const char* path, int numbering) {
  OpenFile file;
  if (!file.OpenForReading(path)) return kCurveFileCannotOpen;
  std::uint32_t size = 0;
  if (FileGetSize(file.get(), &size) != 0 || FileSeekStart(file.get(), 0) != 0) {
    return kCurveFileCannotRead;
  }
  Header header;
  if (!ReadHeader(file.get(), header)) return kCurveFileCannotRead;
  if (header.version == kOldVersion) return kCurveFileOk;  // nothing more to examine
  if (header.version != kWrittenVersion || header.channels != kChannelCount) {
    return kCurveFileUnsupported;
  }

  std::uint32_t expected = kHeaderBytes;
  for (int c = 0; c < kCurveChannels; ++c) {
    std::uint16_t mode = 0;
    std::uint16_t count = 0;
    if (!ReadWord(file.get(), &mode) || !ReadWord(file.get(), &count)) return kCurveFileCannotRead;
    expected += kChannelHeaderBytes;
    std::uint32_t payload = 0;
    if (mode == numbering) {
      if (!PointCountFits(count)) return kCurveFileUnsupported;
      payload = count * kPointBytes;
    } else if (mode == numbering + 1) {
      payload = kTableBytes;
    } else if (mode == numbering + 2) {
      payload = kGammaBytes;
    } else {
      return kCurveFileUnsupported;
    }
    if (FileSeekCurrent(file.get(), static_cast<std::int32_t>(payload)) != 0) {
      return kCurveFileCannotRead;
    }
    expected += payload;
  }
  return expected == size ? kCurveFileOk : kCurveFileUnsupported;
}

// Outcome of reading the channel blocks into a copy of the working set.
enum class Blocks { Read, Truncated, Malformed };

Blocks ReadOldBlocks(FileHandle* file, ToneCurveSet& set) {
  for (int c = 0; c < kCurveChannels; ++c) {
    std::uint16_t count = 0;
    if (!ReadWord(file, &count)) return Blocks::Truncated;
    if (count == 0) {
      if (!ReadExactly(file, set.tables[c], kTableBytes)) return Blocks::Truncated;
      set.mode[c] = kModeFreeHand;
      set.pointCount[c] = 0;
      continue;
    }
    if (!PointCountFits(count)) return Blocks::Malformed;
    if (!ReadPoints(file, count, set.points[c])) return Blocks::Truncated;
    set.mode[c] = kModePoints;
    set.pointCount[c] = static_cast<std::int16_t>(count);
    ComputeCurveTable(set.points[c], count, set.tables[c]);
  }
  return Blocks::Read;
}

Blocks ReadBlocks(FileHandle* file, int numbering, std::uint16_t filePolarity, ToneCurveSet& set) {
  for (int c = 0; c < kCurveChannels; ++c) {
    std::uint16_t stored = 0;
    std::uint16_t count = 0;
    if (!ReadWord(file, &stored) || !ReadWord(file, &count)) return Blocks::Truncated;
    const auto mode =
        static_cast<std::uint16_t>(numbering == kNormalNumbering ? stored + 1 : stored);
    set.mode[c] = mode;
    set.pointCount[c] = static_cast<std::int16_t>(count);
    switch (mode) {
      case kModePoints:
        // Validation has seen the count, but the file may have changed since.
        if (!PointCountFits(count)) return Blocks::Malformed;
        if (!ReadPoints(file, count, set.points[c])) return Blocks::Truncated;
        ComputeCurveTable(set.points[c], count, set.tables[c]);
        break;
      case kModeFreeHand:
        // A foreign file's free-hand count is kept as it was stored.
        if (!ReadExactly(file, set.tables[c], kTableBytes)) return Blocks::Truncated;
        break;
      case kModeGamma: {
        std::uint16_t gamma = 0;
        if (!ReadWord(file, &gamma)) return Blocks::Truncated;
        set.gammaHundredths[c] = static_cast<std::int16_t>(gamma);
        set.pointCount[c] = 0;
        ComputeGammaTable(set.gammaHundredths[c] * 0.01, set.tables[c]);
        if (filePolarity == kPolarityInk) ReverseInvertTable(set.tables[c]);
        break;
      }
      default:
        return Blocks::Malformed;
    }
  }
  return Blocks::Read;
}

int ReadNative(ToneCurveSet& set, const char* path) {
  int status = kCurveFileOk;
  int numbering = kNormalNumbering;
  if (!CheckCurveFile(path, kNormalNumbering, &status)) {
    numbering = kAlternativeNumbering;
    if (!CheckCurveFile(path, kAlternativeNumbering, &status)) {
      return status != kCurveFileOk ? status : kCurveFileCannotOpen;
    }
  }

  OpenFile file;
  if (!file.OpenForReading(path)) return kCurveFileCannotOpen;
  Header header;
  if (!ReadHeader(file.get(), header)) return kCurveFileCannotRead;
  if (header.channels != kChannelCount ||
      (header.version != kOldVersion && header.version != kWrittenVersion)) {
    return kCurveFileUnsupported;
  }

  // The blocks go into a copy, so a malformed file leaves the set as it was.
  ToneCurveSet loaded = set;
  const Blocks outcome = header.version == kOldVersion
                             ? ReadOldBlocks(file.get(), loaded)
                             : ReadBlocks(file.get(), numbering, header.polarity, loaded);
  switch (outcome) {
    case Blocks::Read:
      loaded.polarity = header.polarity;  // stored as read, whatever its value
      set = loaded;
      return kCurveFileOk;
    case Blocks::Truncated:
      for (int c = 0; c < kCurveChannels; ++c) ResetCurveChannel(set, c);
      return kCurveFileCannotRead;
    case Blocks::Malformed:
      break;
  }
  return kCurveFileUnsupported;
}

}  // namespace

int CheckCurveFile(const char* path, int numbering, int* status) {
  const int result = Check(path, numbering);
  if (status != nullptr) *status = result;
  return result == kCurveFileOk ? 1 : 0;
}

int ReadCurveFile(ToneCurveSet& set, const char* path) {
  if (HasExtension(path, "AMP")) return LoadRawTables(set, path);
  return ReadNative(set, path);
}

}  // namespace k7730
