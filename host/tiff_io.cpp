// TIFF through libtiff. Plain strip images of 8 or 16-bit RGB or grey are
// read sample by sample so that 8-bit RGB comes through unchanged; other
// layouts that libtiff can render go through its RGBA reader with a notice.
#include <tiffio.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <algorithm>
#include <cstring>

#include "file_bytes.h"
#include "host_error.h"
#include "image_formats.h"

namespace k7730::host {

namespace {

thread_local std::string tiffLastError;

extern "C" void OnTiffError(const char* module, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  tiffLastError = text;
  (void)module;
}
extern "C" void OnTiffWarning(const char*, const char*, va_list) {}

void InstallTiffHandlers() {
  TIFFSetErrorHandler(OnTiffError);
  TIFFSetWarningHandler(OnTiffWarning);
  tiffLastError.clear();
}

std::string TiffProblem(const std::string& what) {
  return tiffLastError.empty() ? what : what + ": " + tiffLastError;
}

struct TiffCloser {
  TIFF* tif;
  ~TiffCloser() {
    if (tif != nullptr) TIFFClose(tif);
  }
};

struct Layout {
  std::uint32_t width = 0, height = 0;
  std::uint16_t samples = 1, bits = 1, photometric = 0, planar = PLANARCONFIG_CONTIG;
  std::uint16_t sampleFormat = SAMPLEFORMAT_UINT, orientation = ORIENTATION_TOPLEFT;
  int alphaSample = -1;   // index of the alpha sample, -1 when none
  bool premultiplied = false;
};

Layout ReadLayout(TIFF* tif) {
  Layout l;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &l.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &l.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &l.samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &l.bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &l.planar);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &l.sampleFormat);
  TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &l.orientation);
  if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric) == 0) l.photometric = 0xFFFF;
  std::uint16_t extraCount = 0;
  std::uint16_t* extra = nullptr;
  const int colourSamples = l.photometric == PHOTOMETRIC_RGB ? 3 : 1;
  if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) != 0 && extraCount > 0 &&
      extra != nullptr && l.samples > colourSamples &&
      (extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA)) {
    l.alphaSample = colourSamples;
    l.premultiplied = extra[0] == EXTRASAMPLE_ASSOCALPHA;
  }
  return l;
}

// Strip images of 8/16-bit unsigned RGB or grey, any planar layout.
bool IsPlainLayout(TIFF* tif, const Layout& l) {
  const bool rgb = l.photometric == PHOTOMETRIC_RGB && l.samples >= 3;
  const bool grey = (l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE) &&
                    l.samples >= 1;
  return !TIFFIsTiled(tif) && (rgb || grey) && (l.bits == 8 || l.bits == 16) &&
         l.sampleFormat == SAMPLEFORMAT_UINT && l.orientation == ORIENTATION_TOPLEFT;
}

// Reads the image plane by plane into samples of 0..255 (or 0..65535), one
// vector per sample index that is used.
void ReadPlain(TIFF* tif, const std::string& path, const Layout& l, Image& image) {
  const int colourSamples = l.photometric == PHOTOMETRIC_RGB ? 3 : 1;
  const int used = colourSamples + (l.alphaSample >= 0 ? 1 : 0);
  const std::size_t pixels = static_cast<std::size_t>(l.width) * l.height;
  std::vector<std::vector<std::uint16_t>> planes(used, std::vector<std::uint16_t>(pixels));
  const tmsize_t lineSize = TIFFScanlineSize(tif);
  const std::size_t bytesPerSample = l.bits / 8;
  const std::size_t step = l.planar == PLANARCONFIG_CONTIG ? l.samples : 1;
  if (lineSize <= 0 || static_cast<std::size_t>(lineSize) < l.width * step * bytesPerSample) {
    throw FileError(path, TiffProblem("damaged TIFF layout"));
  }
  std::vector<std::uint8_t> line(static_cast<std::size_t>(lineSize));
  const int passes = l.planar == PLANARCONFIG_CONTIG ? 1 : used;
  for (int pass = 0; pass < passes; ++pass) {
    for (std::uint32_t y = 0; y < l.height; ++y) {
      if (TIFFReadScanline(tif, line.data(), y, static_cast<std::uint16_t>(pass)) < 0) {
        throw FileError(path, TiffProblem("damaged or truncated TIFF data"));
      }
      for (std::uint32_t x = 0; x < l.width; ++x) {
        for (int s = 0; s < used; ++s) {
          if (passes > 1 && s != pass) continue;
          const std::size_t at = (x * step + (passes > 1 ? 0 : s)) * bytesPerSample;
          std::uint16_t v = line[at];
          if (bytesPerSample == 2) std::memcpy(&v, &line[at], 2);  // libtiff gives host order
          planes[s][static_cast<std::size_t>(y) * l.width + x] = v;
        }
      }
    }
  }
  image.rgb.resize(pixels * 3);
  for (std::size_t i = 0; i < pixels; ++i) {
    for (int c = 0; c < 3; ++c) {
      std::uint32_t v = planes[colourSamples == 3 ? c : 0][i];
      if (bytesPerSample == 2) v = Scale16To8(v);
      if (l.photometric == PHOTOMETRIC_MINISWHITE) v = 255 - v;
      if (l.alphaSample >= 0) {
        std::uint32_t a = planes[l.alphaSample][i];
        if (bytesPerSample == 2) a = Scale16To8(a);
        v = OverWhite(v, a, l.premultiplied);
      }
      image.rgb[i * 3 + c] = static_cast<std::uint8_t>(v);
    }
  }
}

void ReadThroughRgba(TIFF* tif, const std::string& path, const Layout& l, Image& image) {
  std::vector<std::uint32_t> raster(static_cast<std::size_t>(l.width) * l.height);
  if (TIFFReadRGBAImageOriented(tif, l.width, l.height, raster.data(), ORIENTATION_TOPLEFT, 0) == 0) {
    throw FileError(path, TiffProblem("damaged or unreadable TIFF data"));
  }
  image.rgb.resize(raster.size() * 3);
  bool transparent = false;
  for (std::size_t i = 0; i < raster.size(); ++i) {
    const std::uint32_t p = raster[i];
    const std::uint32_t a = TIFFGetA(p);
    transparent |= a != 255;
    image.rgb[i * 3 + 0] = OverWhite(TIFFGetR(p), a, true);
    image.rgb[i * 3 + 1] = OverWhite(TIFFGetG(p), a, true);
    image.rgb[i * 3 + 2] = OverWhite(TIFFGetB(p), a, true);
  }
  if (transparent) image.notices.push_back("transparency composited onto white paper");
}

// No TIFF coding packs data better than this (deflate about 1000:1, LZW
// about 2700:1, fax codes of blank bilevel lines more); uncompressed data
// must be there byte for byte.
constexpr std::uint64_t kBestTiffRatio = 1u << 14;

// The strips' or tiles' decoded size against what their stored bytes (and
// the file) can hold.
void CheckTiffData(TIFF* tif, const std::string& path, const Layout& l) {
  const bool tiled = TIFFIsTiled(tif) != 0;
  const std::uint32_t pieces = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  std::uint64_t* counts = nullptr;
  if (TIFFGetField(tif, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) == 0 || counts == nullptr)
    throw FileError(path, TiffProblem("damaged TIFF layout"));
  std::uint64_t stored = 0;
  for (std::uint32_t i = 0; i < pieces; ++i) stored += std::min<std::uint64_t>(counts[i], UINT32_MAX);
  stored = std::min(stored, FileSizeOf(path));
  const std::uint64_t planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
  const std::uint64_t decoded = tiled ? static_cast<std::uint64_t>(TIFFTileSize64(tif)) * pieces
                                      : static_cast<std::uint64_t>(TIFFVStripSize64(tif, l.height)) * planes;
  std::uint16_t compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
  CheckImageData(path, decoded, stored, compression == COMPRESSION_NONE ? 1 : kBestTiffRatio);
}

}  // namespace

Image ReadTiff(const std::string& path) {
  InstallTiffHandlers();
  TiffCloser closer{TIFFOpen(path.c_str(), "r")};
  TIFF* tif = closer.tif;
  if (tif == nullptr) throw FileError(path, TiffProblem("damaged or unreadable TIFF"));
  const Layout l = ReadLayout(tif);
  CheckImageSize(path, l.width, l.height);
  CheckTiffData(tif, path, l);

  Image image;
  image.width = l.width;
  image.height = l.height;
  std::uint32_t profileSize = 0;
  void* profile = nullptr;
  if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &profileSize, &profile) != 0 && profile != nullptr) {
    const auto* bytes = static_cast<const std::uint8_t*>(profile);
    image.iccProfile.assign(bytes, bytes + profileSize);
  }
  if (l.photometric == PHOTOMETRIC_SEPARATED) {
    throw FileError(path, "a CMYK TIFF: the printer takes RGB pages");
  }
  if (l.sampleFormat != SAMPLEFORMAT_UINT) {
    throw FileError(path, "TIFF samples that are not unsigned integers are not supported");
  }
  if (IsPlainLayout(tif, l)) {
    if (l.bits == 16) image.notices.push_back("16-bit TIFF converted to 8 bits per sample");
    if (l.photometric != PHOTOMETRIC_RGB) image.notices.push_back("greyscale TIFF expanded to RGB");
    if (l.alphaSample >= 0) image.notices.push_back("transparency composited onto white paper");
    const int colourSamples = l.photometric == PHOTOMETRIC_RGB ? 3 : 1;
    if (l.samples > colourSamples + (l.alphaSample >= 0 ? 1 : 0)) {
      image.notices.push_back("extra TIFF channels ignored");
    }
    ReadPlain(tif, path, l, image);
  } else {
    char why[1024] = "";
    if (TIFFRGBAImageOK(tif, why) == 0) throw FileError(path, std::string("unsupported TIFF: ") + why);
    image.notices.push_back("TIFF layout converted to 8-bit RGB by libtiff (" +
                            std::to_string(l.bits) + " bits, " + std::to_string(l.samples) +
                            " samples per pixel)");
    ReadThroughRgba(tif, path, l, image);
  }
  if (TIFFNumberOfDirectories(tif) > 1) image.notices.push_back("only the first page of the TIFF is used");
  return image;
}

void WriteTiff(int fd, const std::string& path, const Image& image) {
  InstallTiffHandlers();
  const int own = ::dup(fd);
  if (own < 0) throw FileError(path, "cannot write: " + ErrnoText());
  TiffCloser closer{TIFFFdOpen(own, path.c_str(), "w")};
  TIFF* tif = closer.tif;
  if (tif == nullptr) {
    ::close(own);
    throw FileError(path, TiffProblem("cannot write TIFF"));
  }
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, image.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, image.height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  if (!image.iccProfile.empty()) {
    TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(image.iccProfile.size()),
                 image.iccProfile.data());
  }
  std::vector<std::uint8_t> line(image.RowBytes());
  for (std::uint32_t y = 0; y < image.height; ++y) {
    std::memcpy(line.data(), image.rgb.data() + y * image.RowBytes(), line.size());
    if (TIFFWriteScanline(tif, line.data(), y, 0) < 0) throw FileError(path, TiffProblem("cannot write TIFF"));
  }
  if (TIFFFlush(tif) != 1) throw FileError(path, TiffProblem("cannot write TIFF"));
}

}  // namespace k7730::host
