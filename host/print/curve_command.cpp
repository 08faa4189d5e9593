#include "host/print/curve_command.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "host/print/cli_options.h"
#include "host/core/host_error.h"
#include "tonecurve/curve_file.h"
#include "formats/curve_reset.h"
#include "formats/curve_table.h"
#include "formats/gamma_table.h"
#include "formats/polarity.h"

namespace k7730::host {

namespace {

constexpr const char* kChannelNames[kCurveChannels] = {"common", "red", "green", "blue", "fourth"};
// The gammas the editor accepts, in hundredths.
constexpr double kMinGamma = 0.01, kMaxGamma = 327.67;

const char* StatusText(int status) {
  switch (status) {
    case kCurveFileCannotOpen: return "cannot open it";
    case kCurveFileCannotCreate: return "cannot create it";
    case kCurveFileCannotRead: return "it cannot be read or ends early";
    case kCurveFileCannotWrite: return "cannot write it";
    case kCurveFileUnsupported: return "not a tone-curve file";
    default: return "unexpected failure";
  }
}

int ChannelIndex(const std::string& name) {
  for (int c = 0; c < kCurveChannels; ++c) {
    if (name == kChannelNames[c]) return c;
  }
  throw UsageError("--channel takes common, red, green, blue or fourth, not '" + name + "'");
}

int ParsePointValue(const std::string& text) {
  int value = -1;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > 255) {
    throw UsageError("--points takes values from 0 to 255, not '" + text + "'");
  }
  return value;
}

// "0:0,64:80,255:255": inputs rising strictly, 2 to 20 points.
int ParsePoints(const std::string& text, ControlPoint* points) {
  int count = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    const std::string pair = text.substr(start, comma - start);
    const std::size_t colon = pair.find(':');
    if (colon == std::string::npos) throw UsageError("--points takes IN:OUT pairs, not '" + pair + "'");
    if (count == kMaxCurvePoints) throw UsageError("--points takes at most 20 points");
    const int in = ParsePointValue(pair.substr(0, colon));
    const int out = ParsePointValue(pair.substr(colon + 1));
    if (count > 0 && in <= points[count - 1].input) throw UsageError("--points needs inputs that rise from point to point");
    points[count++] = {static_cast<std::uint16_t>(out), static_cast<std::uint16_t>(in)};
    start = comma + 1;
  }
  if (count < 2) throw UsageError("--points needs at least two points");
  return count;
}

std::string TableSamples(const std::uint8_t* table) {
  std::string text = "table";
  // Appended piece by piece: "x" + std::to_string(...) trips a false
  // -Wrestrict warning in GCC 12's optimised builds.
  for (int i : {0, 32, 64, 128, 192, 255}) {
    text += ' ';
    text += std::to_string(i);
    text += "->";
    text += std::to_string(table[i]);
  }
  return text;
}

std::string DescribeChannel(const ToneCurveSet& set, int c) {
  std::string line = std::string(kChannelNames[c]) + ": ";
  switch (set.mode[c]) {
    case kModeGamma: {
      char gamma[32];
      std::snprintf(gamma, sizeof gamma, "gamma %.2f", set.gammaHundredths[c] / 100.0);
      line += gamma;
      break;
    }
    case kModePoints: {
      line += "points";
      const int count = std::min<int>(set.pointCount[c], kMaxCurvePoints);
      for (int i = 0; i < count; ++i) {
        line += i == 0 ? ' ' : ',';
        line += std::to_string(set.points[c][i].input);
        line += ':';
        line += std::to_string(set.points[c][i].output);
      }
      break;
    }
    case kModeFreeHand: line += "free-hand"; break;
    default: line += "mode " + std::to_string(set.mode[c]); break;
  }
  return line + "; " + TableSamples(set.tables[c]);
}

}  // namespace

void SaveCurve(const std::string& path, const CurveSpec& spec) {
  if (spec.gamma.has_value() == !spec.points.empty()) throw UsageError("curve save takes either --gamma or --points");
  ToneCurveSet set{};
  ResetCurveSet(set);
  const int c = ChannelIndex(spec.channel);
  if (spec.gamma) {
    if (!(*spec.gamma >= kMinGamma && *spec.gamma <= kMaxGamma)) {
      throw UsageError("--gamma takes a value from 0.01 to 327.67");
    }
    // As the editor does for a typed gamma: the hundredths truncated, the
    // table from the value itself, the law on ink amounts in ink polarity.
    set.mode[c] = kModeGamma;
    set.gammaHundredths[c] = static_cast<std::int16_t>(std::trunc((*spec.gamma + 0.005) * 100.0));
    ComputeGammaTable(*spec.gamma, set.tables[c]);
    if (spec.ink) ReverseInvertTable(set.tables[c]);
  } else {
    set.mode[c] = kModePoints;
    set.pointCount[c] = static_cast<std::int16_t>(ParsePoints(spec.points, set.points[c]));
    ComputeCurveTable(set.points[c], set.pointCount[c], set.tables[c]);
  }
  set.polarity = spec.ink ? kPolarityInk : kPolarityLevels;
  const int status = WriteCurveFile(set, path.c_str(), kNormalNumbering);
  if (status != kCurveFileOk) {
    throw FileError(path, std::string("cannot write the tone-curve file: ") + StatusText(status));
  }
}

std::vector<std::string> DescribeCurveFile(const std::string& path) {
  ToneCurveSet set{};
  ResetCurveSet(set);
  const int status = ReadCurveFile(set, path.c_str());
  if (status != kCurveFileOk) {
    throw FileError(path, std::string("not a readable tone-curve file: ") + StatusText(status));
  }
  std::vector<std::string> lines{std::string("polarity: ") + (set.polarity == kPolarityInk ? "ink amounts" : "levels")};
  for (int c = 0; c < kCurveChannels; ++c) lines.push_back(DescribeChannel(set, c));
  return lines;
}

}  // namespace k7730::host
