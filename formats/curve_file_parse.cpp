#include "formats/curve_file_parse.h"

#include "formats/curve_reset.h"
#include "formats/curve_table.h"
#include "formats/gamma_table.h"
#include "formats/polarity.h"

namespace k7730 {
namespace {

using namespace curvefile;

// A read position that, like a file's, may be moved past the end; reads
// there fail.
class Reader {
 public:
  explicit Reader(ByteView bytes) : bytes_(bytes) {}
  bool Word(std::uint16_t* value) { return Advance(bytes_.U16(position_, value), 2); }
  bool Bytes(std::uint8_t* out, std::uint32_t count) {
    if (!bytes_.Has(position_, count)) return false;
    for (std::uint32_t i = 0; i < count; ++i) out[i] = bytes_.data()[position_ + i];
    position_ += count;
    return true;
  }
  void Skip(std::uint32_t count) { position_ += count; }

 private:
  bool Advance(bool ok, std::uint32_t count) {
    if (ok) position_ += count;
    return ok;
  }
  ByteView bytes_;
  std::uint64_t position_ = 0;
};

struct Header {
  std::uint16_t version = 0;
  std::uint16_t polarity = 0;
  std::uint16_t channels = 0;
};

bool ReadHeader(Reader& r, Header& header) {
  return r.Word(&header.version) && r.Word(&header.polarity) && r.Word(&header.channels);
}

// Point counts are 16-bit words; anything beyond the 20-point array (which
// includes every count that is negative as a signed word) is refused.
bool PointCountFits(std::uint16_t count) { return count <= kMaxCurvePoints; }

bool ReadPoints(Reader& r, std::uint16_t count, ControlPoint* points) {
  if (!PointCountFits(count)) return false;
  for (int k = 0; k < count; ++k)
    if (!r.Word(&points[k].output) || !r.Word(&points[k].input)) return false;
  return true;
}

// Outcome of reading the channel blocks into a copy of the working set.
enum class Blocks { Read, Truncated, Malformed };

Blocks ReadOldBlocks(Reader& r, ToneCurveSet& set) {
  for (int c = 0; c < kCurveChannels; ++c) {
    std::uint16_t count = 0;
    if (!r.Word(&count)) return Blocks::Truncated;
    if (count == 0) {
      if (!r.Bytes(set.tables[c], kTableBytes)) return Blocks::Truncated;
      set.mode[c] = kModeFreeHand;
      set.pointCount[c] = 0;
      continue;
    }
    if (!PointCountFits(count)) return Blocks::Malformed;
    if (!ReadPoints(r, count, set.points[c])) return Blocks::Truncated;
    set.mode[c] = kModePoints;
    set.pointCount[c] = static_cast<std::int16_t>(count);
    ComputeCurveTable(set.points[c], count, set.tables[c]);
  }
  return Blocks::Read;
}

Blocks ReadBlocks(Reader& r, int numbering, std::uint16_t filePolarity, ToneCurveSet& set) {
  for (int c = 0; c < kCurveChannels; ++c) {
    std::uint16_t stored = 0;
    std::uint16_t count = 0;
    if (!r.Word(&stored) || !r.Word(&count)) return Blocks::Truncated;
    const auto mode = static_cast<std::uint16_t>(numbering == kNormalNumbering ? stored + 1 : stored);
    set.mode[c] = mode;
    set.pointCount[c] = static_cast<std::int16_t>(count);
    switch (mode) {
      case kModePoints:
        if (!PointCountFits(count)) return Blocks::Malformed;
        if (!ReadPoints(r, count, set.points[c])) return Blocks::Truncated;
        ComputeCurveTable(set.points[c], count, set.tables[c]);
        break;
      case kModeFreeHand:
        // A foreign file's free-hand count is kept as it was stored.
        if (!r.Bytes(set.tables[c], kTableBytes)) return Blocks::Truncated;
        break;
      case kModeGamma: {
        std::uint16_t gamma = 0;
        if (!r.Word(&gamma)) return Blocks::Truncated;
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

}  // namespace

int CheckCurveBytes(ByteView bytes, std::uint64_t fileSize, int numbering) {
  Reader r(bytes);
  Header header;
  if (!ReadHeader(r, header)) return kCurveFileCannotRead;
  if (header.version == kOldVersion) return kCurveFileOk;  // nothing more to examine
  if (header.version != kWrittenVersion || header.channels != kChannelCount) return kCurveFileUnsupported;

  std::uint64_t expected = kHeaderBytes;
  for (int c = 0; c < kCurveChannels; ++c) {
    std::uint16_t mode = 0;
    std::uint16_t count = 0;
    if (!r.Word(&mode) || !r.Word(&count)) return kCurveFileCannotRead;
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
    r.Skip(payload);
    expected += payload;
  }
  return expected == fileSize ? kCurveFileOk : kCurveFileUnsupported;
}

int ParseCurveBytes(ByteView bytes, int numbering, ToneCurveSet& set) {
  Reader r(bytes);
  Header header;
  if (!ReadHeader(r, header)) return kCurveFileCannotRead;
  if (header.channels != kChannelCount || (header.version != kOldVersion && header.version != kWrittenVersion)) {
    return kCurveFileUnsupported;
  }
  // The blocks go into a copy, so a malformed file leaves the set as it was.
  ToneCurveSet loaded = set;
  const Blocks outcome =
      header.version == kOldVersion ? ReadOldBlocks(r, loaded) : ReadBlocks(r, numbering, header.polarity, loaded);
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

bool ParseRawTableBytes(ByteView bytes, ToneCurveSet& set) {
  if (bytes.size() != kRawThreeTables && bytes.size() != kRawFiveTables) return false;
  ResetCurveSetForRawTables(set);
  const int first = bytes.size() == kRawThreeTables ? 1 : 0;
  Reader r(bytes);
  for (int c = first; c <= 3; ++c) r.Bytes(set.tables[c], kTableBytes);
  if (first == 0) {
    // Fold the common table into the colour channels: the channel's table
    // acts first, the common table second.
    for (int c = 1; c <= 3; ++c) {
      for (std::uint8_t& entry : set.tables[c]) entry = set.tables[0][entry];
    }
  }
  FillIdentityTable(set.tables[0]);
  return true;
}

}  // namespace k7730
