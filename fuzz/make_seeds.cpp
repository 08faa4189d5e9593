// Writes seed inputs for the fuzz targets at build time, with the module's
// and the print command's own writers: the default settings record of a
// fresh instance with each combination of stages, small pages and band
// splits; small images in each format the print command reads (those it
// only reads made by their own libraries' encoders); tone-curve
// files in both numberings and as raw tables; and an MTF file.
// Usage: make_seeds SEED_ROOT (folders filter_page_fuzzer, ... below it)
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <libheif/heif.h>
#include <webp/encode.h>

#include "formats/curve_reset.h"
#include "fuzz_support.h"
#include "host/image/image_formats.h"
#include "k7730fe.h"
#include "tonecurve/curve_file.h"
#include "ui/mtf_file.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

bool Write(const fs::path& path, const Bytes& bytes) {
  return k7730::fuzz::WriteFile(path.string(), bytes.data(), bytes.size());
}

Bytes DefaultRecord() {
  Bytes block(K7730_SETTINGS_SIZE);
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  std::uint32_t size = K7730_SETTINGS_SIZE;
  const std::int32_t sharpen[9] = {0, -1, 0, -1, 8, -1, 0, -1, 0};
  plugin_filter_setMtf(inst, 0, sharpen, 4, nullptr);
  plugin_filter_preference(inst, 2, 0, block.data(), &size, nullptr);
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
  return block;
}

// The page target reads the record, three bytes of its own, then the page;
// the settings target the record as it stands, then the same page.
bool WritePageSeeds(const fs::path& root) {
  const Bytes record = DefaultRecord();
  bool ok = true;
  for (int stages = 0; stages < 16; ++stages) {
    Bytes page;
    page.push_back(std::uint8_t(5 + stages));      // width
    page.push_back(std::uint8_t(7 + stages % 5));  // height
    page.push_back(std::uint8_t(stages & 1));      // swap
    for (int band = 0; band < 4; ++band) {
      const int lines = 1 + (band + stages) % 4;
      page.push_back(std::uint8_t(lines - 1));
      for (int i = 0; i < lines * (6 + stages) * 3; ++i) page.push_back(std::uint8_t(i * 37 + band));
      page.push_back(1);
    }
    Bytes seed = record;
    seed.push_back(std::uint8_t(0x80 | stages));        // switches: icc, mtf, input, output curves
    seed.push_back(std::uint8_t((stages * 9) & 0x3F));  // profile pair
    seed.push_back(std::uint8_t(stages >> 3));          // one page, or two
    seed.insert(seed.end(), page.begin(), page.end());
    Bytes settings = record;
    settings.insert(settings.end(), page.begin(), page.end());
    const std::string name = "seed_" + std::to_string(stages);
    ok = Write(root / "filter_page_fuzzer" / name, seed) && ok;
    ok = Write(root / "settings_record_fuzzer" / name, settings) && ok;
  }
  return ok;
}

// A HEIC or AVIF of the image, made by libheif's encoder for `format`.
bool WriteHeifSeed(const fs::path& path, const k7730::host::Image& image, heif_compression_format format) {
  const int w = int(image.width), h = int(image.height);
  heif_context* context = heif_context_alloc();
  heif_image* picture = nullptr;
  heif_encoder* encoder = nullptr;
  bool ok = heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture).code == heif_error_Ok &&
            heif_image_add_plane(picture, heif_channel_interleaved, w, h, 8).code == heif_error_Ok;
  int stride = 0;
  std::uint8_t* plane = ok ? heif_image_get_plane(picture, heif_channel_interleaved, &stride) : nullptr;
  for (int y = 0; plane != nullptr && y < h; ++y) {
    std::memcpy(plane + y * stride, &image.rgb[std::size_t(y) * image.RowBytes()], image.RowBytes());
  }
  ok = ok && heif_context_get_encoder_for_format(context, format, &encoder).code == heif_error_Ok &&
       heif_context_encode_image(context, picture, encoder, nullptr, nullptr).code == heif_error_Ok &&
       heif_context_write_to_file(context, path.c_str()).code == heif_error_Ok;
  if (!ok) std::fprintf(stderr, "make_seeds: libheif could not write %s\n", path.c_str());
  if (encoder != nullptr) heif_encoder_release(encoder);
  if (picture != nullptr) heif_image_release(picture);
  heif_context_free(context);
  return ok;
}

// WebP (lossless and lossy) and HEIF (HEIC and AVIF) of the image, which
// the print command reads but does not write.
bool WriteReadOnlySeeds(const fs::path& root, const k7730::host::Image& image) {
  const int w = int(image.width), h = int(image.height);
  bool ok = true;
  std::uint8_t* out = nullptr;
  std::size_t size = WebPEncodeLosslessRGB(image.rgb.data(), w, h, w * 3, &out);
  ok = size > 0 && Write(root / "webp_reader_fuzzer" / "lossless.webp", Bytes(out, out + size)) && ok;
  WebPFree(out);
  size = WebPEncodeRGB(image.rgb.data(), w, h, w * 3, 80, &out);
  ok = size > 0 && Write(root / "webp_reader_fuzzer" / "lossy.webp", Bytes(out, out + size)) && ok;
  WebPFree(out);
  ok = WriteHeifSeed(root / "heif_reader_fuzzer" / "seed.heic", image, heif_compression_HEVC) && ok;
  return WriteHeifSeed(root / "heif_reader_fuzzer" / "seed.avif", image, heif_compression_AV1) && ok;
}

bool WriteImageSeeds(const fs::path& root) {
  k7730::host::Image image;
  image.width = 7;
  image.height = 5;
  image.rgb.resize(7 * 5 * 3);
  for (std::size_t i = 0; i < image.rgb.size(); ++i) image.rgb[i] = std::uint8_t(i * 29);
  try {
    k7730::host::WriteImage((root / "png_reader_fuzzer" / "seed.png").string(), image);
    k7730::host::WriteImage((root / "tiff_reader_fuzzer" / "seed.tif").string(), image);
    k7730::host::WriteImage((root / "ppm_reader_fuzzer" / "seed.ppm").string(), image);
    if (!WriteReadOnlySeeds(root, image)) return false;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_seeds: %s\n", e.what());
    return false;
  }
  return true;
}

// Three points a channel in every curve mode, and two raw table sizes.
bool WriteCurveSeeds(const fs::path& folder) {
  k7730::ToneCurveSet curves{};
  k7730::ResetCurveSet(curves);
  for (int c = 0; c < k7730::kCurveChannels; ++c) {
    curves.mode[c] = std::uint16_t(1 + c % 3);
    curves.gammaHundredths[c] = std::int16_t(100 + 20 * c);
    curves.pointCount[c] = 3;
    curves.points[c][2] = curves.points[c][1];
    curves.points[c][1] = {std::uint16_t(128), std::uint16_t(100 + c)};  // output, input
  }
  bool ok = k7730::WriteCurveFile(curves, (folder / "normal.tcv").c_str(), k7730::kNormalNumbering) == 0;
  ok = k7730::WriteCurveFile(curves, (folder / "alternative.tcv").c_str(), k7730::kAlternativeNumbering) == 0 && ok;
  for (std::size_t size : {768u, 1280u}) {
    Bytes raw(size);
    for (std::size_t i = 0; i < size; ++i) raw[i] = std::uint8_t(i);
    ok = Write(folder / ("raw" + std::to_string(size) + ".amp"), raw) && ok;
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path root(argc == 2 ? argv[1] : "");
  if (root.empty()) {
    std::fprintf(stderr, "usage: make_seeds SEED_ROOT\n");
    return 2;
  }
  for (const char* t : {"filter_page_fuzzer", "settings_record_fuzzer", "png_reader_fuzzer", "tiff_reader_fuzzer",
                        "ppm_reader_fuzzer", "webp_reader_fuzzer", "heif_reader_fuzzer", "tone_curve_file_fuzzer",
                        "mtf_file_fuzzer"})
    fs::create_directories(root / t);
  bool ok = WritePageSeeds(root);
  ok = WriteImageSeeds(root) && ok;
  ok = WriteCurveSeeds(root / "tone_curve_file_fuzzer") && ok;
  k7730::MtfSettings mtf{};
  mtf.coefficients[7] = mtf.coefficients[11] = mtf.coefficients[13] = mtf.coefficients[17] = -1;
  mtf.coefficients[12] = 8;
  mtf.scale = 4;
  ok = k7730::WriteMtfFile((root / "mtf_file_fuzzer" / "sharpen.mtf").c_str(), &mtf, nullptr) == 1 && ok;
  std::printf("make_seeds: %s\n", ok ? "done" : "failed");
  return ok ? 0 : 1;
}
