// A filter instance linked directly, set up with every stage of a page:
// input and output tone curves, a sharpening kernel and colour matching from
// a matrix/TRC source to a small lut destination; and a page run through it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "filter/filter_instance.h"
#include "k7730fe.h"

namespace k7730::test {

using Bytes = std::vector<std::uint8_t>;

inline std::string TestProfile(const std::string& name) { return std::string(K7730_TEST_PROFILE_DIR) + "/" + name; }

struct PageStages {
  bool curves = true;
  bool mtf = true;
  bool icc = true;
  std::string source = TestProfile("rgb_gamma22.icc");
  std::string destination = TestProfile("small_rgb_lut16.icc");
};

// Switches the stages of `stages` on; false when a setter refuses.
inline bool SetUpStages(K7730_FilterInstance* inst, const PageStages& stages) {
  std::uint8_t common[256], red[256], green[256], blue[256];
  for (int i = 0; i < 256; ++i) {
    common[i] = std::uint8_t(255 - i);
    red[i] = std::uint8_t(i / 2 + 64);
    green[i] = std::uint8_t(i * i / 255);
    blue[i] = std::uint8_t(i);
  }
  const std::uint8_t on = stages.curves ? 1 : 0;
  if (plugin_filter_setInputToneCurve(inst, on, common, red, green, blue, nullptr) != 1) return false;
  if (plugin_filter_setOutputToneCurve(inst, on, blue, green, red, common, nullptr) != 1) return false;
  const std::int32_t sharpen[9] = {0, -1, 0, -1, 8, -1, 0, -1, 0};
  if (plugin_filter_setMtf(inst, stages.mtf ? 1 : 0, sharpen, 4, nullptr) != 1) return false;
  return plugin_filter_setIccProfile(inst, stages.icc ? 1 : 0, stages.source.c_str(),
                                     stages.destination.c_str(), 0, nullptr) == 1;
}

// A photo-like page: smooth gradients with some texture.
inline Bytes TestPage(std::uint32_t width, std::uint32_t height, std::uint32_t seed = 1) {
  Bytes page(std::size_t(width) * height * 3);
  std::uint32_t x = seed * 2654435761u;
  for (std::size_t i = 0; i < page.size(); ++i) {
    x = x * 1664525u + 1013904223u;
    page[i] = std::uint8_t((i * 7 / 3) % 256 / 2 + (x >> 26));
  }
  return page;
}

// Sends `page` in bands of `bandLines` (a copy: the stages change bands in
// place) and returns the released lines; the initpage must have run.
inline Bytes RunBands(K7730_FilterInstance* inst, const Bytes& page, std::uint32_t width, std::uint32_t bandLines) {
  Bytes out;
  std::uint8_t* buffer = nullptr;
  const std::uint32_t height = std::uint32_t(page.size() / (std::size_t(width) * 3));
  for (std::uint32_t y = 0; y < height; y += bandLines) {
    const std::uint32_t lines = std::min(bandLines, height - y);
    Bytes band(page.begin() + long(std::size_t(y) * width * 3),
               page.begin() + long(std::size_t(y + lines) * width * 3));
    std::uint32_t released = 0;
    std::uint16_t err = 0xFFFF;
    if (plugin_filter_do(inst, band.data(), lines, &buffer, &released, &err) != 1) {
      ADD_FAILURE() << "band at line " << y << " refused with " << err;
      break;
    }
    if (buffer != nullptr) out.insert(out.end(), buffer, buffer + std::size_t(released) * width * 3);
  }
  plugin_filter_disposPtr(buffer);
  return out;
}

// One whole page through a fresh instance with `stages`.
inline Bytes PrintPage(const PageStages& stages, const Bytes& page, std::uint32_t width, std::uint32_t bandLines,
                       std::uint32_t swap = 0) {
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  Bytes out;
  if (SetUpStages(inst, stages) && plugin_filter_initpage(inst, width, std::uint32_t(page.size() / (width * 3)), swap,
                                                           nullptr) == 1) {
    out = RunBands(inst, page, width, bandLines);
    plugin_filter_freepage(inst, nullptr);
  }
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
  return out;
}

}  // namespace k7730::test
