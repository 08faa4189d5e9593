#include "support/test_images.h"

#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <cstdio>
// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include <algorithm>
#include <cstring>
#include <cstdlib>

#include "host/core/host_error.h"
#include "host/image/image_formats.h"

namespace k7730::host::test {

std::string MakeTempFolder() {
  std::string base = ::testing::TempDir();
  if (base.empty() || base.back() != '/') base += '/';
  std::string folder = base + "k7730-host-XXXXXX";
  if (::mkdtemp(folder.data()) == nullptr) ADD_FAILURE() << "mkdtemp failed";
  return folder;
}

std::vector<std::uint8_t> ReadInBands(ImageSource& source, std::uint32_t band) {
  const ImageHeader& h = source.Header();
  std::vector<std::uint8_t> rgb(h.RowBytes() * h.height);
  for (std::uint32_t y = 0; y < h.height; y += band) {
    source.ReadRows(rgb.data() + y * h.RowBytes(), std::min(band, h.height - y));
  }
  return rgb;
}

std::string ReadRefusal(const std::string& path, std::uint32_t band) {
  try {
    const auto source = OpenImage(path);
    const std::uint32_t height = source->Header().height;
    std::vector<std::uint8_t> rows(source->Header().RowBytes() * band);
    for (std::uint32_t y = 0; y < height; y += band) source->ReadRows(rows.data(), std::min(band, height - y));
  } catch (const HostError& e) {
    return e.what();
  }
  return "";
}

std::vector<std::uint8_t> NoisePixels(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
  std::uint32_t state = seed * 2654435761u + 1;
  for (auto& v : rgb) {
    state = state * 1664525u + 1013904223u;
    v = static_cast<std::uint8_t>(state >> 24);
  }
  return rgb;
}

std::vector<std::uint16_t> Widen(const std::vector<std::uint8_t>& bytes) {
  return std::vector<std::uint16_t>(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> ExifWithOrientation(std::uint16_t o) {
  return {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0,
          static_cast<std::uint8_t>(o), 0, 0, 0, 0, 0, 0, 0};
}

void WritePngFile(const std::string& path, std::uint32_t width, std::uint32_t height, int channels,
                  const std::vector<std::uint16_t>& samples, bool sixteenBit) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = width;
  image.height = height;
  image.format = (channels == 4 ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB) | (sixteenBit ? PNG_FORMAT_FLAG_LINEAR : 0);
  int ok = 0;
  if (sixteenBit) {
    ok = png_image_write_to_file(&image, path.c_str(), 0, samples.data(), 0, nullptr);
  } else {
    std::vector<std::uint8_t> bytes(samples.begin(), samples.end());
    ok = png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr);
  }
  ASSERT_NE(ok, 0) << image.message;
}

void WriteTiffFile(const std::string& path, std::uint32_t width, std::uint32_t height, int photometric,
                   int samplesPerPixel, int bits, const std::vector<std::uint16_t>& samples,
                   bool extraAlpha, int compression, int orientation) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samplesPerPixel);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, compression == COMPRESSION_NONE ? 4 : height);
  if (orientation != 0) TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
  if (extraAlpha) {
    const std::uint16_t kind = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  }
  const std::size_t perRow = static_cast<std::size_t>(width) * samplesPerPixel;
  std::vector<std::uint8_t> row(perRow * (bits / 8));
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::size_t i = 0; i < perRow; ++i) {
      const std::uint16_t v = samples[y * perRow + i];
      if (bits == 16) {
        std::memcpy(&row[i * 2], &v, 2);
      } else {
        row[i] = static_cast<std::uint8_t>(v);
      }
    }
    ASSERT_GE(TIFFWriteScanline(tif, row.data(), y, 0), 0);
  }
  TIFFClose(tif);
}

void WritePpmFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                  const std::vector<std::uint8_t>& rgb) {
  std::string header = "P6\n# test page\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  bytes.insert(bytes.end(), rgb.begin(), rgb.end());
  WriteBytes(path, bytes);
}

namespace {

void SetScanScript(jpeg_compress_struct& c, const JpegFileOptions& o, std::vector<jpeg_scan_info>& script) {
  if (o.progressive) jpeg_simple_progression(&c);
  if (o.scans.empty()) return;
  for (const auto& s : o.scans) {
    jpeg_scan_info scan {};
    scan.comps_in_scan = s[1];
    for (int i = 0; i < s[1]; ++i) scan.component_index[i] = s[0] + i;
    scan.Ss = s[2];
    scan.Se = s[3];
    scan.Ah = s[4];
    scan.Al = s[5];
    script.push_back(scan);
  }
  c.scan_info = script.data();
  c.num_scans = static_cast<int>(script.size());
}

}  // namespace

void WriteJpegFile(const std::string& path, std::uint32_t w, std::uint32_t h, const JpegFileOptions& o) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  jpeg_compress_struct c {};
  jpeg_error_mgr err {};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = w;
  c.image_height = h;
  c.input_components = o.components;
  c.in_color_space = o.components == 1 ? JCS_GRAYSCALE : o.components == 4 ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 95, TRUE);
  std::vector<jpeg_scan_info> script;
  SetScanScript(c, o, script);
  if (o.dpi != 0) {
    c.density_unit = 1;
    c.X_density = c.Y_density = o.dpi;
  }
  jpeg_start_compress(&c, TRUE);
  if (!o.exif.empty()) jpeg_write_marker(&c, JPEG_APP0 + 1, o.exif.data(), static_cast<unsigned>(o.exif.size()));
  if (!o.icc.empty()) jpeg_write_icc_profile(&c, o.icc.data(), static_cast<unsigned>(o.icc.size()));
  const std::size_t rowBytes = std::size_t{w} * o.components;
  std::vector<std::uint8_t> row(rowBytes);
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      row[i] = o.pixels.empty() ? static_cast<std::uint8_t>((y * 8 + i) & 0xFF) : o.pixels[y * rowBytes + i];
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

}  // namespace k7730::host::test
