// Tone-curve files as the host reads them for --input-curve/--output-curve:
// the native tone-curve file (versions 1 and 2) and raw table files (*.amp,
// 768 or 1280 bytes). Either becomes five finished 256-entry tables.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <optional>
#include <string>

#include "k7730fe.h"

namespace k7730::host {

using CurveTable = std::array<std::uint8_t, 256>;

struct ToneCurveTables {
  std::uint16_t polarity = 1;                 // 1 levels, 2 ink amounts
  bool polarityFromFile = false;              // raw tables carry none
  std::array<CurveTable, 5> tables{};         // channel 0 common, 1..3 colour, 4 fourth
  // A native file's channels as the curve editor keeps them (mode, points,
  // gamma, table) with the file's polarity; raw tables carry none.
  std::optional<K7730_ToneCurveSet> editable;
};

// Reads either kind, by name and content; throws HostError naming the file.
ToneCurveTables ReadToneCurveFile(const std::string& path);
ToneCurveTables ParseNativeToneCurves(std::span<const std::uint8_t> bytes, const std::string& path);
ToneCurveTables ParseRawTables(std::span<const std::uint8_t> bytes, const std::string& path);

}  // namespace k7730::host
