#include "tone_curve_file.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "cmm/byte_reader.h"
#include "file_bytes.h"
#include "host_error.h"
#include "tonecurve/curve_table.h"
#include "tonecurve/gamma_table.h"
#include "tonecurve/polarity.h"

namespace k7730::host {

namespace {

using cmm::ByteCursor;
using cmm::ByteView;

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

// Whether a version 2 file is laid out exactly as its mode words say, with
// the modes numbered from `base` (0 or 1).
bool Version2LayoutFits(std::span<const std::uint8_t> bytes, int base) {
  ByteCursor r(ByteView(bytes.data(), bytes.size()));
  r.Skip(6);
  std::size_t expected = 6;
  for (int c = 0; c < kChannels; ++c) {
    std::uint16_t mode = 0, count = 0;
    if (!r.U16(&mode) || !r.U16(&count)) return false;
    std::size_t payload = 0;
    if (mode == base) payload = 4u * count;
    else if (mode == base + 1) payload = 256;
    else if (mode == base + 2) payload = 2;
    else return false;
    expected += 4 + payload;
    if (!r.Skip(payload)) return false;
  }
  return expected == bytes.size();
}

CurveTable ReadPoints(ByteCursor& r, int count, int channel, const std::string& path) {
  if (count < 2 || count > kMaxPoints) {
    throw FileError(path, "channel " + std::to_string(channel) + " has " + std::to_string(count) +
                              " control points (2 to 20 are allowed)");
  }
  ControlPoint points[kMaxPoints];
  for (int k = 0; k < count; ++k) {
    ControlPoint& p = points[k];
    if (!r.U16(&p.output) || !r.U16(&p.input)) throw FileError(path, "the tone-curve file ended early");
    if (p.output > 255 || p.input > 255) {
      throw FileError(path, "channel " + std::to_string(channel) + " has a control point outside 0 to 255");
    }
    if (k > 0 && p.input <= points[k - 1].input) {
      throw FileError(path, "channel " + std::to_string(channel) + ": control-point inputs do not rise");
    }
  }
  CurveTable table{};
  ComputeCurveTable(points, count, table.data());
  return table;
}

CurveTable ReadTable(ByteCursor& r, const std::string& path) {
  CurveTable t{};
  if (!r.Bytes(t.data(), t.size())) throw FileError(path, "the tone-curve file ended early");
  return t;
}

}  // namespace

ToneCurveTables ParseNativeToneCurves(std::span<const std::uint8_t> bytes, const std::string& path) {
  ByteCursor r(ByteView(bytes.data(), bytes.size()));
  std::uint16_t version = 0, polarity = 0, count = 0;
  if (!r.U16(&version) || !r.U16(&polarity) || !r.U16(&count)) {
    throw FileError(path, "not a tone-curve file (too short)");
  }
  if ((version != 1 && version != 2) || count != kChannels) {
    throw FileError(path, "not a tone-curve file (version " + std::to_string(version) + ", " +
                              std::to_string(count) + " channels)");
  }
  ToneCurveTables result;
  result.polarity = polarity;
  result.polarityFromFile = true;
  if (version == 1) {
    for (int c = 0; c < kChannels; ++c) {
      std::uint16_t points = 0;
      if (!r.U16(&points)) throw FileError(path, "the tone-curve file ended early");
      result.tables[c] = points == 0 ? ReadTable(r, path) : ReadPoints(r, points, c, path);
    }
    return result;
  }
  int base = 0;
  if (!Version2LayoutFits(bytes, 0)) {
    if (!Version2LayoutFits(bytes, 1)) throw FileError(path, "not a tone-curve file (its length does not fit its channels)");
    base = 1;
  }
  for (int c = 0; c < kChannels; ++c) {
    std::uint16_t mode = 0, points = 0;
    r.U16(&mode);
    r.U16(&points);
    switch (mode - base) {
      case 0: result.tables[c] = ReadPoints(r, points, c, path); break;
      case 1: result.tables[c] = ReadTable(r, path); break;
      default: {
        std::uint16_t hundredths = 0;
        r.U16(&hundredths);
        const auto signedHundredths = static_cast<std::int16_t>(hundredths);
        if (signedHundredths <= 0) {
          throw FileError(path, "channel " + std::to_string(c) + " has gamma " +
                                    std::to_string(signedHundredths / 100.0) + " (must be above 0)");
        }
        ComputeGammaTable(signedHundredths * 0.01, result.tables[c].data());
        if (polarity == 2) ReverseInvertTable(result.tables[c].data());
        break;
      }
    }
  }
  return result;
}

ToneCurveTables ParseRawTables(std::span<const std::uint8_t> bytes, const std::string& path) {
  if (bytes.size() != 768 && bytes.size() != 1280) {
    throw FileError(path, "a raw table file holds 768 or 1280 bytes, this one " + std::to_string(bytes.size()));
  }
  ToneCurveTables result;
  for (auto& t : result.tables) {
    for (int i = 0; i < 256; ++i) t[i] = static_cast<std::uint8_t>(i);
  }
  if (bytes.size() == 768) {
    for (int c = 1; c <= 3; ++c) std::copy_n(bytes.data() + (c - 1) * 256, 256, result.tables[c].begin());
  } else {
    // The common table is folded into each colour table: channel first,
    // common second.
    CurveTable common{};
    std::copy_n(bytes.data(), 256, common.begin());
    for (int c = 1; c <= 3; ++c) {
      for (int i = 0; i < 256; ++i) result.tables[c][i] = common[bytes[c * 256 + i]];
    }
  }
  return result;
}

ToneCurveTables ReadToneCurveFile(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path, 1 << 20);
  return IsRawTableName(path) ? ParseRawTables(bytes, path) : ParseNativeToneCurves(bytes, path);
}

}  // namespace k7730::host
