#include "host/core/tone_curve_file.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "formats/byte_reader.h"
#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "formats/curve_file_parse.h"
#include "formats/curve_reset.h"

namespace k7730::host {

namespace {


constexpr int kChannels = 5;
constexpr int kMaxPoints = 20;

bool IsRawTableName(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return false;
  std::string ext = path.substr(dot + 1, 3);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
  return ext == "AMP";
}

// The print command asks more of a file than the module's Load does: every
// point channel has 2 to 20 points inside 0..255 with rising inputs, every
// gamma is above 0. Names the first channel that fails.
void CheckChannels(const ToneCurveSet& set, const std::string& path) {
  for (int c = 0; c < kChannels; ++c) {
    const std::string channel = "channel " + std::to_string(c);
    if (set.mode[c] == kModeGamma && set.gammaHundredths[c] <= 0) {
      throw FileError(path, channel + " has gamma " + std::to_string(set.gammaHundredths[c] / 100.0) +
                                " (must be above 0)");
    }
    if (set.mode[c] != kModePoints) continue;
    const int count = static_cast<std::uint16_t>(set.pointCount[c]);
    if (count < 2 || count > kMaxPoints) {
      throw FileError(path, channel + " has " + std::to_string(count) + " control points (2 to 20 are allowed)");
    }
    const ControlPoint* p = set.points[c];
    for (int k = 0; k < count; ++k) {
      if (p[k].output > 255 || p[k].input > 255) throw FileError(path, channel + " has a control point outside 0 to 255");
      if (k > 0 && p[k].input <= p[k - 1].input) throw FileError(path, channel + ": control-point inputs do not rise");
    }
  }
}

}  // namespace

ToneCurveTables ParseNativeToneCurves(std::span<const std::uint8_t> bytes, const std::string& path) {
  const ByteView view(bytes.data(), bytes.size());
  std::uint16_t version = 0, polarity = 0, count = 0;
  if (!view.U16(0, &version) || !view.U16(2, &polarity) || !view.U16(4, &count)) {
    throw FileError(path, "not a tone-curve file (too short)");
  }
  if ((version != 1 && version != 2) || count != kChannels) {
    throw FileError(path, "not a tone-curve file (version " + std::to_string(version) + ", " +
                              std::to_string(count) + " channels)");
  }
  int numbering = kNormalNumbering;
  if (CheckCurveBytes(view, bytes.size(), kNormalNumbering) != kCurveFileOk) {
    numbering = kAlternativeNumbering;
    if (CheckCurveBytes(view, bytes.size(), kAlternativeNumbering) != kCurveFileOk)
      throw FileError(path, "not a tone-curve file (its length does not fit its channels)");
  }
  ToneCurveSet set;
  ResetCurveSet(set);
  switch (ParseCurveBytes(view, numbering, set)) {
    case kCurveFileOk: break;
    case kCurveFileCannotRead: throw FileError(path, "the tone-curve file ended early");
    default: throw FileError(path, "not a tone-curve file (a channel has an unknown mode or too many points)");
  }
  CheckChannels(set, path);
  ToneCurveTables result;
  result.polarity = set.polarity;
  result.polarityFromFile = true;
  for (int c = 0; c < kChannels; ++c) std::copy_n(set.tables[c], 256, result.tables[c].begin());
  result.editable = set;
  return result;
}

ToneCurveTables ParseRawTables(std::span<const std::uint8_t> bytes, const std::string& path) {
  ToneCurveSet set;
  ResetCurveSet(set);
  if (!ParseRawTableBytes(ByteView(bytes.data(), bytes.size()), set)) {
    throw FileError(path, "a raw table file holds 768 or 1280 bytes, this one " + std::to_string(bytes.size()));
  }
  ToneCurveTables result;
  for (int c = 0; c < kChannels; ++c) std::copy_n(set.tables[c], 256, result.tables[c].begin());
  return result;
}

ToneCurveTables ReadToneCurveFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path, 1 << 20);
  return IsRawTableName(path) ? ParseRawTables(bytes, path) : ParseNativeToneCurves(bytes, path);
}

}  // namespace k7730::host
