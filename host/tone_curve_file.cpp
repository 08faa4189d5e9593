#include "tone_curve_file.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

#include "byte_reader.h"
#include "file_bytes.h"
#include "host_error.h"

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

// Whether a version 2 file is laid out exactly as its mode words say, with
// the modes numbered from `base` (0 or 1).
bool Version2LayoutFits(std::span<const std::uint8_t> bytes, int base) {
  ByteReader r(bytes);
  std::uint16_t word = 0;
  for (int i = 0; i < 3; ++i) r.ReadBe16(word);
  std::size_t expected = 6;
  for (int c = 0; c < kChannels; ++c) {
    std::uint16_t mode = 0, count = 0;
    if (!r.ReadBe16(mode) || !r.ReadBe16(count)) return false;
    std::size_t payload = 0;
    if (mode == base) payload = 4u * count;
    else if (mode == base + 1) payload = 256;
    else if (mode == base + 2) payload = 2;
    else return false;
    expected += 4 + payload;
    if (r.Remaining() < payload) return false;
    std::vector<std::uint8_t> skip(payload);
    r.ReadBytes(skip.data(), payload);
  }
  return expected == bytes.size();
}

CurveTable ReadPoints(ByteReader& r, int count, int channel, const std::string& path) {
  if (count < 2 || count > kMaxPoints) {
    throw FileError(path, "channel " + std::to_string(channel) + " has " + std::to_string(count) +
                              " control points (2 to 20 are allowed)");
  }
  std::vector<CurvePoint> points(count);
  for (auto& p : points) {
    std::uint16_t output = 0, input = 0;
    if (!r.ReadBe16(output) || !r.ReadBe16(input)) throw FileError(path, "the tone-curve file ended early");
    if (output > 255 || input > 255) {
      throw FileError(path, "channel " + std::to_string(channel) + " has a control point outside 0 to 255");
    }
    p = {input, output};
  }
  for (std::size_t k = 1; k < points.size(); ++k) {
    if (points[k].input <= points[k - 1].input) {
      throw FileError(path, "channel " + std::to_string(channel) + ": control-point inputs do not rise");
    }
  }
  return CurveFromPoints(points);
}

CurveTable ReadTable(ByteReader& r, const std::string& path) {
  CurveTable t{};
  if (!r.ReadBytes(t.data(), t.size())) throw FileError(path, "the tone-curve file ended early");
  return t;
}

}  // namespace

CurveTable CurveFromPoints(std::span<const CurvePoint> p) {
  CurveTable table{};
  for (int i = 0; i < 256; ++i) table[i] = static_cast<std::uint8_t>(i);
  const int n = static_cast<int>(p.size());
  if (n < 2) return table;
  if (n == 2) {
    const int dx = p[1].input - p[0].input, dy = p[1].output - p[0].output;
    for (int k = 0; k <= dx; ++k) {
      const int v = p[0].output + (dx == 0 ? 0 : (k * dy) / dx);
      table[std::clamp(p[0].input + k, 0, 255)] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
    }
  } else {
    double h[kMaxPoints], s[kMaxPoints], d[kMaxPoints], r[kMaxPoints], sigma[kMaxPoints] = {};
    for (int i = 0; i < n - 1; ++i) {
      h[i] = p[i + 1].input - p[i].input;
      s[i] = (p[i + 1].output - p[i].output) / h[i];
    }
    d[1] = 2.0 * (p[2].input - p[0].input);
    r[1] = s[1] - s[0];
    for (int i = 1; i <= n - 3; ++i) {
      const double m = h[i] / d[i];
      r[i + 1] = (s[i + 1] - s[i]) - m * r[i];
      d[i + 1] = 2.0 * (p[i + 2].input - p[i].input) - h[i] * m;
    }
    for (int i = n - 2; i >= 1; --i) sigma[i] = (r[i] - h[i] * sigma[i + 1]) / d[i];
    for (int x = 0; x < 256; ++x) {
      int lo = 0, hi = n - 1;
      while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (p[mid].input < x) lo = mid + 1; else hi = mid;
      }
      const int k = std::min(lo == 0 ? 0 : lo - 1, n - 2);
      const double t = x - p[k].input, hk = p[k + 1].input - p[k].input;
      const double dy = p[k + 1].output - p[k].output;
      const double y = p[k].output +
                       t * (dy / hk - (2 * sigma[k] + sigma[k + 1]) * hk +
                            t * (3 * sigma[k] + t * (sigma[k + 1] - sigma[k]) / hk));
      table[x] = static_cast<std::uint8_t>(std::clamp(static_cast<long>(y + 0.5), 0L, 255L));
    }
  }
  for (int x = 0; x < p[0].input; ++x) table[x] = static_cast<std::uint8_t>(p[0].output);
  for (int x = p[n - 1].input + 1; x < 256; ++x) table[x] = static_cast<std::uint8_t>(p[n - 1].output);
  return table;
}

CurveTable CurveFromGamma(double gamma) {
  CurveTable t{};
  for (int i = 0; i < 256; ++i) {
    const double y = std::pow(i / 255.0, gamma) * 255.0 + 0.5;
    t[i] = static_cast<std::uint8_t>(std::clamp(y, 0.0, 255.0));
  }
  return t;
}

CurveTable ReverseInvert(const CurveTable& table) {
  CurveTable out{};
  for (int i = 0; i < 256; ++i) out[i] = static_cast<std::uint8_t>(255 - table[255 - i]);
  return out;
}

ToneCurveTables ParseNativeToneCurves(std::span<const std::uint8_t> bytes, const std::string& path) {
  ByteReader r(bytes);
  std::uint16_t version = 0, polarity = 0, count = 0;
  if (!r.ReadBe16(version) || !r.ReadBe16(polarity) || !r.ReadBe16(count)) {
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
      if (!r.ReadBe16(points)) throw FileError(path, "the tone-curve file ended early");
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
    r.ReadBe16(mode);
    r.ReadBe16(points);
    switch (mode - base) {
      case 0: result.tables[c] = ReadPoints(r, points, c, path); break;
      case 1: result.tables[c] = ReadTable(r, path); break;
      default: {
        std::uint16_t hundredths = 0;
        r.ReadBe16(hundredths);
        const auto signedHundredths = static_cast<std::int16_t>(hundredths);
        if (signedHundredths <= 0) {
          throw FileError(path, "channel " + std::to_string(c) + " has gamma " +
                                    std::to_string(signedHundredths / 100.0) + " (must be above 0)");
        }
        result.tables[c] = CurveFromGamma(signedHundredths * 0.01);
        if (polarity == 2) result.tables[c] = ReverseInvert(result.tables[c]);
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
