// Pages through the module's colour matching beside LittleCMS on the same
// profiles: the ΔE2000 between the two by lightness band, and the grey
// balance of both. Shared by the colour_accuracy tool and the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/core/image.h"
#include "host/core/module_api.h"

namespace k7730::colour {

// Bands of the source pixel's L*: 0-10, 10-25, 25-50, 50-75, 75-100.
inline constexpr int kBands = 5;
inline constexpr double kBandEdges[kBands + 1] = {0, 10, 25, 50, 75, 100.001};

struct BandedDeltaE {
  double meanByBand[kBands] = {};  // -1 where the page has no pixel in the band
  double darkestQuarter = 0;       // mean over the darkest 25 % of the pixels
};

struct GreySpread {
  int levels = 0;  // the widest max - min of a grey's printed channels
  int grey = 0;    // the source grey where it is widest
};

class Comparison {
 public:
  // Throws HostError when the module or LittleCMS cannot open the profiles.
  Comparison(const host::LoadedModule& module, const std::string& source, const std::string& printer);
  ~Comparison();
  Comparison(const Comparison&) = delete;
  Comparison& operator=(const Comparison&) = delete;

  // The page through the module with colour matching alone.
  std::vector<std::uint8_t> ThroughModule(const host::Image& page, std::uint16_t intent) const;
  std::vector<std::uint8_t> ThroughLittleCms(const host::Image& page, std::uint16_t intent) const;

  // Both printed pages judged as the printer prints them (its colorimetric
  // A2B table), banded by the lightness the source asks for.
  BandedDeltaE Compare(const host::Image& page, std::uint16_t intent) const;
  // The 256 source greys, through the module and through LittleCMS.
  GreySpread ModuleGreys(std::uint16_t intent) const;
  GreySpread LittleCmsGreys(std::uint16_t intent) const;

 private:
  void Close();

  const host::LoadedModule& module_;
  std::string sourcePath_, printerPath_;
  void* source_ = nullptr;
  void* printer_ = nullptr;
  void* lab_ = nullptr;
};

}  // namespace k7730::colour
