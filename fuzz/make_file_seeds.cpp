// Writes seed inputs for the file fuzzers at build time: small images in
// each format the print command reads, tone-curve files in both numberings
// and as raw tables, and an MTF file.
// Usage: make_file_seeds SEED_ROOT (folders png_reader_fuzzer, ... below it)
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "host/image/image_formats.h"
#include "tonecurve/curve_file.h"
#include "ui/mtf_file.h"

namespace fs = std::filesystem;

namespace {

k7730::host::Image SmallImage() {
  k7730::host::Image image;
  image.width = 7;
  image.height = 5;
  image.rgb.resize(7 * 5 * 3);
  for (std::size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = std::uint8_t(i * 29);
  return image;
}

k7730::ToneCurveSet SampleCurves() {
  k7730::ToneCurveSet set{};
  set.polarity = 1;
  for (int c = 0; c < k7730::kCurveChannels; ++c) {
    set.mode[c] = std::uint16_t(1 + c % 3);
    set.gammaHundredths[c] = std::int16_t(100 + 20 * c);
    set.pointCount[c] = 3;
    set.points[c][0] = {0, 0};
    set.points[c][1] = {std::uint16_t(128), std::uint16_t(100 + c)};  // output, input
    set.points[c][2] = {255, 255};
    for (int i = 0; i < 256; ++i) set.tables[c][i] = std::uint8_t(i);
  }
  return set;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_file_seeds SEED_ROOT\n");
    return 2;
  }
  const fs::path root(argv[1]);
  for (const char* t : {"png_reader_fuzzer", "tiff_reader_fuzzer", "ppm_reader_fuzzer", "tone_curve_file_fuzzer",
                        "mtf_file_fuzzer"})
    fs::create_directories(root / t);
  bool ok = true;
  try {
    const k7730::host::Image image = SmallImage();
    k7730::host::WriteImage((root / "png_reader_fuzzer" / "seed.png").string(), image);
    k7730::host::WriteImage((root / "tiff_reader_fuzzer" / "seed.tif").string(), image);
    k7730::host::WriteImage((root / "ppm_reader_fuzzer" / "seed.ppm").string(), image);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_file_seeds: %s\n", e.what());
    ok = false;
  }
  const k7730::ToneCurveSet curves = SampleCurves();
  const fs::path curveDir = root / "tone_curve_file_fuzzer";
  ok = k7730::WriteCurveFile(curves, (curveDir / "normal.tcv").c_str(), k7730::kNormalNumbering) == 0 && ok;
  ok = k7730::WriteCurveFile(curves, (curveDir / "alternative.tcv").c_str(), k7730::kAlternativeNumbering) == 0 && ok;
  for (std::size_t size : {768u, 1280u}) {
    std::vector<std::uint8_t> raw(size);
    for (std::size_t i = 0; i < size; ++i) raw[i] = std::uint8_t(i);
    ok = k7730::fuzz::WriteFile((curveDir / ("raw" + std::to_string(size) + ".amp")).string(), raw.data(), size) && ok;
  }
  k7730::MtfSettings mtf{};
  mtf.coefficients[7] = mtf.coefficients[11] = mtf.coefficients[13] = mtf.coefficients[17] = -1;
  mtf.coefficients[12] = 8;
  mtf.scale = 4;
  ok = k7730::WriteMtfFile((root / "mtf_file_fuzzer" / "sharpen.mtf").c_str(), &mtf, nullptr) == 1 && ok;
  std::printf("make_file_seeds: %s\n", ok ? "done" : "failed");
  return ok ? 0 : 1;
}
