// `k7730-print curve save` and `curve show`: native tone-curve files made
// and described through the module's own tone-curve code.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace k7730::host {

struct CurveSpec {
  std::optional<double> gamma;            // --gamma G
  std::string points;                     // --points IN:OUT,IN:OUT,...
  std::string channel = "common";         // common, red, green, blue, fourth
  bool ink = false;                       // --polarity ink
};

// Writes a native tone-curve file holding the one curve described; the
// other channels stay identity. Throws UsageError for a bad description,
// HostError when the file cannot be written.
void SaveCurve(const std::string& path, const CurveSpec& spec);

// The file's polarity and, for each channel, its mode, its gamma or
// points, and a few table entries; one line each. Throws HostError.
std::vector<std::string> DescribeCurveFile(const std::string& path);

}  // namespace k7730::host
