// TIFF through libtiff, read and written in bands of rows. Plain images of
// 8 or 16-bit RGB or grey are read sample by sample, so that 8-bit RGB
// comes through unchanged: contiguous strips line by line, tiles and
// separate planes a strip or a row of tiles at a time. Other layouts that
// libtiff can render go through its RGBA reader, a strip or a row of tiles
// at a time, with a notice.
#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/image/format_io.h"
#include "host/image/format_support.h"

namespace k7730::host {

namespace {

// Limits checked before anything is allocated: colour, alpha and a few
// extra channels; samples up to 16 bits; the rows read at once (a strip or
// a row of tiles, all planes) in no more than 64 MiB.
constexpr std::uint16_t kMaxTiffSamples = 8;
constexpr std::uint16_t kMaxTiffBits = 16;
constexpr std::uint64_t kMaxTiffGroupBytes = std::uint64_t{64} << 20;
// No TIFF coding packs data better than this (deflate about 1000:1, LZW
// about 2700:1, fax codes of blank bilevel lines more); uncompressed data
// must be there byte for byte.
constexpr std::uint64_t kBestTiffRatio = 1u << 14;

thread_local std::string tiffLastError;
// libjpeg inside libtiff reports corrupt or missing JPEG data only as a
// warning and fills in grey; such a warning stops the image.
thread_local std::string tiffDataWarning;

extern "C" void OnTiffError(const char* module, const char* format, va_list args) {
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  tiffLastError = text;
  (void)module;
}
extern "C" void OnTiffWarning(const char* module, const char* format, va_list args) {
  if (module == nullptr || std::strcmp(module, "JPEGLib") != 0 || !tiffDataWarning.empty()) return;
  char text[512];
  std::vsnprintf(text, sizeof text, format, args);
  tiffDataWarning = text;
}

void InstallTiffHandlers() {
  TIFFSetErrorHandler(OnTiffError);
  TIFFSetWarningHandler(OnTiffWarning);
  tiffLastError.clear();
  tiffDataWarning.clear();
}

// Throws when the decoder warned of damaged data since the last check.
void CheckTiffData(const std::string& path) {
  if (tiffDataWarning.empty()) return;
  const std::string warning = tiffDataWarning;
  tiffDataWarning.clear();
  throw FileError(path, "damaged TIFF data: " + warning);
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
  std::uint16_t compression = COMPRESSION_NONE;
  int alphaSample = -1;   // index of the alpha sample, -1 when none
  bool premultiplied = false;
  bool tiled = false;
  std::uint32_t groupRows = 1;   // rows per strip, or tile length

  int ColourSamples() const { return photometric == PHOTOMETRIC_RGB ? 3 : 1; }
  bool Separate() const { return planar == PLANARCONFIG_SEPARATE; }
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
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &l.compression);
  if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &l.photometric) == 0) l.photometric = 0xFFFF;
  l.tiled = TIFFIsTiled(tif) != 0;
  if (l.tiled) {
    TIFFGetField(tif, TIFFTAG_TILELENGTH, &l.groupRows);
  } else {
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &l.groupRows);
    l.groupRows = std::min(l.groupRows, l.height);
  }
  l.groupRows = std::max<std::uint32_t>(l.groupRows, 1);
  std::uint16_t extraCount = 0;
  std::uint16_t* extra = nullptr;
  if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) != 0 && extraCount > 0 &&
      extra != nullptr && l.samples > l.ColourSamples() &&
      (extra[0] == EXTRASAMPLE_ASSOCALPHA || extra[0] == EXTRASAMPLE_UNASSALPHA)) {
    l.alphaSample = l.ColourSamples();
    l.premultiplied = extra[0] == EXTRASAMPLE_ASSOCALPHA;
  }
  return l;
}

// 8/16-bit unsigned RGB or grey, top row first, any planar layout.
bool IsPlainLayout(const Layout& l) {
  const bool rgb = l.photometric == PHOTOMETRIC_RGB && l.samples >= 3;
  const bool grey = (l.photometric == PHOTOMETRIC_MINISBLACK || l.photometric == PHOTOMETRIC_MINISWHITE) &&
                    l.samples >= 1;
  return (rgb || grey) && (l.bits == 8 || l.bits == 16) && l.sampleFormat == SAMPLEFORMAT_UINT &&
         l.orientation == ORIENTATION_TOPLEFT;
}

// libtiff's RGBA reader, asked for rows top-left first, mirrors a stored
// image but never swaps its axes: of the turns 5 to 8 a transpose (5) or a
// transverse (7) is left to do on what it gives.
std::uint16_t TurnLeftAfterRgba(std::uint16_t orientation) {
  switch (orientation) {
    case ORIENTATION_LEFTTOP: case ORIENTATION_RIGHTBOT: return 5;
    case ORIENTATION_RIGHTTOP: case ORIENTATION_LEFTBOT: return 7;
    default: return 1;
  }
}

void CheckLimits(TIFF* tif, const std::string& path, const Layout& l) {
  CheckImageSize(path, l.width, l.height);
  if (l.samples == 0 || l.samples > kMaxTiffSamples) {
    throw FileError(path, "a TIFF with " + std::to_string(l.samples) + " samples per pixel (at most " +
                              std::to_string(kMaxTiffSamples) + " are read)");
  }
  if (l.bits == 0 || l.bits > kMaxTiffBits) {
    throw FileError(path, "a TIFF with " + std::to_string(l.bits) + " bits per sample (at most " +
                              std::to_string(kMaxTiffBits) + " are read)");
  }
  // The strips' or tiles' decoded size against what their stored bytes
  // (and the file) can hold.
  const std::uint32_t pieces = l.tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  std::uint64_t* counts = nullptr;
  if (TIFFGetField(tif, l.tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) == 0 || counts == nullptr) {
    throw FileError(path, TiffProblem("damaged TIFF layout"));
  }
  std::uint64_t stored = 0;
  for (std::uint32_t i = 0; i < pieces; ++i) stored += std::min<std::uint64_t>(counts[i], UINT32_MAX);
  const std::uint64_t fileBytes = FileSizeOf(path);
  if (fileBytes != 0) stored = std::min(stored, fileBytes);
  const std::uint64_t planes = l.Separate() ? l.samples : 1;
  const std::uint64_t decoded = l.tiled ? static_cast<std::uint64_t>(TIFFTileSize64(tif)) * pieces
                                        : static_cast<std::uint64_t>(TIFFVStripSize64(tif, l.height)) * planes;
  CheckImageData(path, decoded, std::max<std::uint64_t>(1, stored),
                 l.compression == COMPRESSION_NONE ? 1 : kBestTiffRatio);
  // Contiguous strips of a plain layout are read line by line, whatever
  // their size; everything else holds a strip or a row of tiles at once.
  if (IsPlainLayout(l) && !l.tiled && !l.Separate()) return;
  const std::uint64_t piece = static_cast<std::uint64_t>(l.tiled ? TIFFTileSize64(tif) : TIFFStripSize64(tif));
  const std::uint64_t group = std::uint64_t{l.width} * l.samples * ((l.bits + 7) / 8) * l.groupRows;
  if (IsPlainLayout(l) && piece + group > kMaxTiffGroupBytes) {
    throw FileError(path, "the TIFF's " + std::string(l.tiled ? "tiles" : "strips") + " of " +
                              std::to_string(l.groupRows) + " rows are too large to read in bands");
  }
}

// One line of samples (pixel x, sample s at (x * step + s) * bytes) to RGB
// composited over white.
void ConvertLine(const std::uint8_t* line, std::size_t step, const Layout& l, std::uint8_t* rgb) {
  const std::size_t bytes = l.bits / 8;
  auto sample = [&](std::uint32_t x, int s) -> std::uint32_t {
    const std::uint8_t* p = line + (x * step + s) * bytes;
    if (bytes == 1) return *p;
    std::uint16_t v;
    std::memcpy(&v, p, 2);  // libtiff gives host order
    return Scale16To8(v);
  };
  for (std::uint32_t x = 0; x < l.width; ++x) {
    for (int c = 0; c < 3; ++c) {
      std::uint32_t v = sample(x, l.ColourSamples() == 3 ? c : 0);
      if (l.photometric == PHOTOMETRIC_MINISWHITE) v = 255 - v;
      if (l.alphaSample >= 0) v = OverWhite(v, sample(x, l.alphaSample), l.premultiplied);
      rgb[x * 3 + c] = static_cast<std::uint8_t>(v);
    }
  }
}

// Plain layouts. Contiguous strips are read line by line; tiles and
// separate planes a group of rows at a time into interleaved samples.
class PlainReader {
 public:
  PlainReader(TIFF* tif, const std::string& path, const Layout& l) : tif_(tif), path_(path), l_(l) {
    const std::size_t bytes = l.bits / 8;
    lineBytes_ = std::size_t{l.width} * l.samples * bytes;
    const tmsize_t scanline = TIFFScanlineSize(tif);
    const std::size_t needed = l.Separate() ? std::size_t{l.width} * bytes : lineBytes_;
    if (scanline <= 0 || static_cast<std::size_t>(scanline) < needed) {
      throw FileError(path, TiffProblem("damaged TIFF layout"));
    }
    byLine_ = !l.tiled && !l.Separate();
    if (byLine_) {
      group_.resize(static_cast<std::size_t>(scanline));
    } else {
      group_.resize(lineBytes_ * l.groupRows);
      piece_.resize(static_cast<std::size_t>(l.tiled ? TIFFTileSize(tif) : TIFFStripSize(tif)));
    }
  }

  void Row(std::uint32_t y, std::uint8_t* rgb) {
    if (byLine_) {
      if (TIFFReadScanline(tif_, group_.data(), y, 0) < 0) throw FileError(path_, TiffProblem("damaged or truncated TIFF data"));
      ConvertLine(group_.data(), l_.samples, l_, rgb);
      return;
    }
    const std::uint32_t first = y - y % l_.groupRows;
    if (!loaded_ || first != groupFirst_) LoadGroup(first);
    ConvertLine(group_.data() + std::size_t{y - first} * lineBytes_, l_.samples, l_, rgb);
  }

 private:
  void LoadGroup(std::uint32_t first) {
    const int planes = l_.Separate() ? l_.samples : 1;
    for (int p = 0; p < planes; ++p) {
      if (l_.tiled) {
        LoadTileRow(first, p);
      } else {
        LoadStrip(first, p);
      }
    }
    groupFirst_ = first;
    loaded_ = true;
  }

  // Copies `rows` rows of `columns` samples-groups from a decoded piece
  // (rows of `pieceRowBytes`) into the group at column `x0`, plane `p`.
  void Place(std::uint32_t rows, std::uint32_t x0, std::uint32_t columns, std::size_t pieceRowBytes, int p) {
    const std::size_t bytes = l_.bits / 8;
    const std::size_t perPixel = l_.Separate() ? 1 : l_.samples;
    for (std::uint32_t r = 0; r < rows; ++r) {
      const std::uint8_t* from = piece_.data() + r * pieceRowBytes;
      std::uint8_t* to = group_.data() + r * lineBytes_;
      if (!l_.Separate()) {
        std::memcpy(to + std::size_t{x0} * perPixel * bytes, from, std::size_t{columns} * perPixel * bytes);
        continue;
      }
      for (std::uint32_t x = 0; x < columns; ++x) {
        std::memcpy(to + ((x0 + x) * std::size_t{l_.samples} + p) * bytes, from + x * bytes, bytes);
      }
    }
  }

  void LoadStrip(std::uint32_t first, int p) {
    const std::uint32_t strip = TIFFComputeStrip(tif_, first, static_cast<std::uint16_t>(p));
    const std::uint32_t rows = std::min(l_.groupRows, l_.height - first);
    const std::size_t rowBytes = std::size_t{l_.width} * (l_.Separate() ? 1 : l_.samples) * (l_.bits / 8);
    const tmsize_t got = TIFFReadEncodedStrip(tif_, strip, piece_.data(), static_cast<tmsize_t>(piece_.size()));
    if (got < 0 || static_cast<std::size_t>(got) < rowBytes * rows) {
      throw FileError(path_, TiffProblem("damaged or truncated TIFF data"));
    }
    Place(rows, 0, l_.width, rowBytes, p);
  }

  void LoadTileRow(std::uint32_t first, int p) {
    std::uint32_t tileWidth = 0;
    TIFFGetField(tif_, TIFFTAG_TILEWIDTH, &tileWidth);
    const std::size_t tileRowBytes = static_cast<std::size_t>(TIFFTileRowSize(tif_));
    const std::uint32_t rows = std::min(l_.groupRows, l_.height - first);
    for (std::uint32_t x0 = 0; x0 < l_.width; x0 += tileWidth) {
      if (TIFFReadTile(tif_, piece_.data(), x0, first, 0, static_cast<std::uint16_t>(p)) < 0) {
        throw FileError(path_, TiffProblem("damaged or truncated TIFF data"));
      }
      Place(rows, x0, std::min(tileWidth, l_.width - x0), tileRowBytes, p);
    }
  }

  TIFF* tif_;
  std::string path_;
  Layout l_;
  bool byLine_ = true, loaded_ = false;
  std::size_t lineBytes_ = 0;
  std::uint32_t groupFirst_ = 0;
  std::vector<std::uint8_t> group_, piece_;
};

// Other layouts through libtiff's RGBA reader: a group of rows at a time
// when the image is stored top row first, the whole image otherwise.
class RgbaReader {
 public:
  RgbaReader(TIFF* tif, const std::string& path, const Layout& l) : path_(path), l_(l) {
    char why[1024] = "";
    if (TIFFRGBAImageOK(tif, why) == 0 || TIFFRGBAImageBegin(&img_, tif, 0, why) == 0) {
      throw FileError(path, std::string("unsupported TIFF: ") + why);
    }
    begun_ = true;
    img_.req_orientation = ORIENTATION_TOPLEFT;
    // Strips too large to hold a group of rows at once are read whole,
    // as the file's layout demands.
    const bool inGroups = l.orientation == ORIENTATION_TOPLEFT &&
                          std::uint64_t{l.groupRows} * l.width * 4 <= kMaxTiffGroupBytes;
    rows_ = inGroups ? l.groupRows : l.height;
    raster_.resize(std::size_t{l.width} * rows_);
  }
  ~RgbaReader() {
    if (begun_) TIFFRGBAImageEnd(&img_);
  }
  RgbaReader(const RgbaReader&) = delete;
  RgbaReader& operator=(const RgbaReader&) = delete;

  // Whether libtiff found an alpha channel, associated or not.
  bool HasAlpha() const { return img_.alpha != 0; }

  void Row(std::uint32_t y, std::uint8_t* rgb) {
    const std::uint32_t first = y - y % rows_;
    if (!loaded_ || first != first_) {
      const std::uint32_t rows = std::min(rows_, l_.height - first);
      img_.row_offset = static_cast<int>(first);
      img_.col_offset = 0;
      if (TIFFRGBAImageGet(&img_, raster_.data(), l_.width, rows) == 0) {
        throw FileError(path_, TiffProblem("damaged or unreadable TIFF data"));
      }
      first_ = first;
      loaded_ = true;
    }
    const std::uint32_t* line = raster_.data() + std::size_t{y - first} * l_.width;
    for (std::uint32_t x = 0; x < l_.width; ++x) {
      const std::uint32_t p = line[x];
      const std::uint32_t a = TIFFGetA(p);
      rgb[x * 3 + 0] = OverWhite(TIFFGetR(p), a, true);
      rgb[x * 3 + 1] = OverWhite(TIFFGetG(p), a, true);
      rgb[x * 3 + 2] = OverWhite(TIFFGetB(p), a, true);
    }
  }

 private:
  std::string path_;
  Layout l_;
  TIFFRGBAImage img_ {};
  bool begun_ = false, loaded_ = false;
  std::uint32_t rows_ = 1, first_ = 0;
  std::vector<std::uint32_t> raster_;
};

Resolution ReadResolution(TIFF* tif) {
  float x = 0, y = 0;
  std::uint16_t unit = RESUNIT_INCH;
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) == 0 || TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y) == 0) return {};
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (unit == RESUNIT_CENTIMETER) return {x * 2.54, y * 2.54};
  if (unit == RESUNIT_INCH) return {x, y};
  return {};
}

class TiffSource : public ImageSource {
 public:
  // Reads the file open as `fd`, which it owns from the call on; `path`
  // names it in messages.
  TiffSource(const std::string& path, int fd) : path_(path) {
    InstallTiffHandlers();
    // "m": read through the file, not a memory map, whose pages would
    // count as resident memory in proportion to the whole file.
    closer_.tif = TIFFFdOpen(fd, path.c_str(), "rm");
    TIFF* tif = closer_.tif;
    if (tif == nullptr) {
      ::close(fd);
      throw FileError(path, TiffProblem("damaged or unreadable TIFF"));
    }
    const Layout l = ReadLayout(tif);
    CheckLimits(tif, path, l);
    header_.width = l.width;
    header_.height = l.height;
    header_.resolution = ReadResolution(tif);
    std::uint32_t profileSize = 0;
    void* profile = nullptr;
    if (TIFFGetField(tif, TIFFTAG_ICCPROFILE, &profileSize, &profile) != 0 && profile != nullptr) {
      const auto* bytes = static_cast<const std::uint8_t*>(profile);
      header_.iccProfile.assign(bytes, bytes + profileSize);
    }
    if (l.photometric == PHOTOMETRIC_SEPARATED) throw FileError(path, "a CMYK TIFF: the printer takes RGB pages");
    if (l.sampleFormat != SAMPLEFORMAT_UINT) {
      throw FileError(path, "TIFF samples that are not unsigned integers are not supported");
    }
    header_.orientation = TurnLeftAfterRgba(l.orientation);
    if (IsPlainLayout(l)) {
      AddPlainNotices(l);
      plain_ = std::make_unique<PlainReader>(tif, path, l);
    } else {
      rgba_ = std::make_unique<RgbaReader>(tif, path, l);
      header_.notices.push_back("TIFF layout converted to 8-bit RGB by libtiff (" + std::to_string(l.bits) +
                                " bits, " + std::to_string(l.samples) + " samples per pixel)");
      if (rgba_->HasAlpha()) header_.notices.push_back("transparency composited onto white paper");
    }
    if (TIFFNumberOfDirectories(tif) > 1) header_.notices.push_back("only the first page of the TIFF is used");
    if (TIFFCurrentDirectory(tif) != 0) TIFFSetDirectory(tif, 0);
  }

  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    if (count > header_.height - done_) throw FileError(path_, "read past the end of the TIFF");
    for (std::uint32_t i = 0; i < count; ++i, ++done_) {
      std::uint8_t* row = rgb + i * header_.RowBytes();
      if (plain_) {
        plain_->Row(done_, row);
      } else {
        rgba_->Row(done_, row);
      }
      CheckTiffData(path_);
    }
  }

 private:
  void AddPlainNotices(const Layout& l) {
    if (l.bits == 16) header_.notices.push_back("16-bit TIFF converted to 8 bits per sample");
    if (l.photometric != PHOTOMETRIC_RGB) header_.notices.push_back("greyscale TIFF expanded to RGB");
    if (l.alphaSample >= 0) header_.notices.push_back("transparency composited onto white paper");
    if (l.samples > l.ColourSamples() + (l.alphaSample >= 0 ? 1 : 0)) {
      header_.notices.push_back("extra TIFF channels ignored");
    }
  }

  std::string path_;
  TiffCloser closer_{nullptr};
  std::unique_ptr<PlainReader> plain_;
  std::unique_ptr<RgbaReader> rgba_;
  std::uint32_t done_ = 0;
};

class TiffSink : public ImageSink {
 public:
  TiffSink(int fd, const std::string& path, const ImageHeader& header) : path_(path), header_(header) {
    InstallTiffHandlers();
    const int own = ::dup(fd);
    if (own < 0) throw FileError(path, "cannot write: " + ErrnoText());
    closer_.tif = TIFFFdOpen(own, path.c_str(), "w");
    TIFF* tif = closer_.tif;
    if (tif == nullptr) {
      ::close(own);
      throw FileError(path, TiffProblem("cannot write TIFF"));
    }
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, header.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, header.height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    // Deflate at its fastest level after the horizontal predictor: about
    // twice as fast as LZW and smaller on photographs.
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tif, TIFFTAG_ZIPQUALITY, 1);
    TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    if (header.resolution.Known()) {
      TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(header.resolution.x));
      TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(header.resolution.y));
      TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    }
    if (!header.comment.empty()) TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, header.comment.c_str());
    if (!header.iccProfile.empty()) {
      TIFFSetField(tif, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(header.iccProfile.size()),
                   header.iccProfile.data());
    }
    line_.resize(header.RowBytes());
  }

  void WriteRows(const std::uint8_t* rgb, std::uint32_t count) override {
    for (std::uint32_t i = 0; i < count; ++i, ++row_) {
      // libtiff may change the line it is given.
      std::memcpy(line_.data(), rgb + i * line_.size(), line_.size());
      if (TIFFWriteScanline(closer_.tif, line_.data(), row_, 0) < 0) {
        throw FileError(path_, TiffProblem("cannot write TIFF"));
      }
    }
  }

  void Finish() override {
    if (TIFFFlush(closer_.tif) != 1) throw FileError(path_, TiffProblem("cannot write TIFF"));
  }

 private:
  std::string path_;
  ImageHeader header_;
  TiffCloser closer_{nullptr};
  std::vector<std::uint8_t> line_;
  std::uint32_t row_ = 0;
};

}  // namespace

bool IsTiff(const std::uint8_t* head, std::size_t count) {
  return count >= 4 && ((head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
                        (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43)));
}

// libtiff reads the file by its name, seeking where its directories say;
// the stream that recognised it is not needed.
// The stream may be a file opened under another name (a print server's
// spool file), so the file is read through its descriptor, from its start:
// TIFF is never read from a pipe.
std::unique_ptr<ImageSource> OpenTiff(const std::string& path, std::FILE* stream, const std::string&) {
  const int fd = ::dup(::fileno(stream));
  const std::string why = fd < 0 ? ErrnoText() : "";
  std::fclose(stream);
  if (fd < 0) throw FileError(path, "cannot read: " + why);
  if (::lseek(fd, 0, SEEK_SET) != 0) {
    const std::string problem = ErrnoText();
    ::close(fd);
    throw FileError(path, "cannot read from its start: " + problem);
  }
  return std::make_unique<TiffSource>(path, fd);
}

std::unique_ptr<ImageSink> CreateTiffSink(int fd, const std::string& path, const ImageHeader& header,
                                          const WriteOptions&) {
  if (IsStdio(path)) throw FileError("standard output", "TIFF cannot be written to a pipe; use PNG or PPM");
  return std::make_unique<TiffSink>(fd, path, header);
}

}  // namespace k7730::host
