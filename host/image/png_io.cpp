// PNG through libpng, row by row. libpng reports errors by longjmp; the
// functions that call setjmp keep no C++ objects of their own, everything
// they fill is owned by their caller, so a jump never skips a destructor.
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/image/format_io.h"
#include "host/image/format_support.h"
#include "host/image/png_idat_writer.h"

namespace k7730::host {

namespace {

// Deflate never packs more than 1032 bytes into one; a filter byte leads
// every row.
constexpr std::uint64_t kBestDeflateRatio = 1032;
constexpr double kMetresPerInch = 0.0254;

struct PngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::FILE* file = nullptr;   // owned
  bool writing = false;
  char message[256] = "";
  // libpng drops a damaged or invalid ancillary chunk with only a warning;
  // the first warning about the iCCP chunk is kept to tell the user.
  char profileWarning[256] = "";

  PngSession() = default;
  PngSession(const PngSession&) = delete;
  PngSession& operator=(const PngSession&) = delete;
  ~PngSession() {
    if (png != nullptr) {
      if (writing) {
        png_destroy_write_struct(&png, info != nullptr ? &info : nullptr);
      } else {
        png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
      }
    }
    if (file != nullptr) std::fclose(file);
  }
};

extern "C" void OnPngError(png_structp png, png_const_charp message) {
  auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
  std::snprintf(session->message, sizeof session->message, "%s", message);
  std::longjmp(png_jmpbuf(png), 1);
}
extern "C" void OnPngWarning(png_structp png, png_const_charp message) {
  auto* session = static_cast<PngSession*>(png_get_error_ptr(png));
  if (session->profileWarning[0] == '\0' && std::strncmp(message, "iCCP", 4) == 0) {
    std::snprintf(session->profileWarning, sizeof session->profileWarning, "%s", message);
  }
}

struct PngLayout {
  std::uint32_t width = 0, height = 0;
  int channels = 0;
  bool interlaced = false;
};

// Reads the header and sets up the conversions to 8-bit RGB(A). Returns
// false when libpng failed; the session holds its message.
bool ReadPngHeader(PngSession& s, const std::string& path, std::size_t signatureBytes, PngLayout& layout,
                   ImageHeader& header) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_init_io(s.png, s.file);
  png_set_sig_bytes(s.png, static_cast<int>(signatureBytes));
  png_set_user_limits(s.png, kMaxImageSide, kMaxImageSide);
  png_read_info(s.png, s.info);
  layout.width = png_get_image_width(s.png, s.info);
  layout.height = png_get_image_height(s.png, s.info);
  CheckImageSize(path, layout.width, layout.height);
  const std::uint64_t rawBytes = (static_cast<std::uint64_t>(png_get_rowbytes(s.png, s.info)) + 1) * layout.height;
  CheckImageData(path, rawBytes, FileSizeOf(s.file), kBestDeflateRatio);
  const int depth = png_get_bit_depth(s.png, s.info);
  const int type = png_get_color_type(s.png, s.info);
  const bool transparency = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;

  if (depth == 16) {
    header.notices.push_back("16-bit PNG converted to 8 bits per sample");
    png_set_scale_16(s.png);
  }
  if (type == PNG_COLOR_TYPE_PALETTE) {
    header.notices.push_back("palette PNG expanded to RGB");
    png_set_palette_to_rgb(s.png);
  }
  if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    header.notices.push_back("greyscale PNG expanded to RGB");
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
    png_set_gray_to_rgb(s.png);
  }
  if ((type & PNG_COLOR_MASK_ALPHA) != 0 || transparency) {
    header.notices.push_back("transparency composited onto white paper");
    if (transparency) png_set_tRNS_to_alpha(s.png);
  }
  layout.interlaced = png_get_interlace_type(s.png, s.info) != PNG_INTERLACE_NONE;
  png_set_interlace_handling(s.png);
  png_read_update_info(s.png, s.info);
  layout.channels = png_get_channels(s.png, s.info);
  if (png_get_bit_depth(s.png, s.info) != 8 || (layout.channels != 3 && layout.channels != 4)) {
    std::snprintf(s.message, sizeof s.message, "unsupported PNG layout");
    return false;
  }

  png_charp name = nullptr;
  int compression = 0;
  png_bytep profile = nullptr;
  png_uint_32 profileLength = 0;
  if (png_get_iCCP(s.png, s.info, &name, &compression, &profile, &profileLength) != 0 && profile != nullptr) {
    header.iccProfile.assign(profile, profile + profileLength);
  } else if (s.profileWarning[0] != '\0') {
    header.iccProblem = std::string("its iCCP chunk was rejected (") + s.profileWarning + ")";
  }
  png_uint_32 xPerMetre = 0, yPerMetre = 0;
  int unit = 0;
  if (png_get_pHYs(s.png, s.info, &xPerMetre, &yPerMetre, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
    header.resolution = {xPerMetre * kMetresPerInch, yPerMetre * kMetresPerInch};
  }
  return true;
}

bool ReadPngRows(PngSession& s, png_bytep* rows, std::uint32_t count) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  for (std::uint32_t i = 0; i < count; ++i) png_read_row(s.png, rows[i], nullptr);
  return true;
}

bool ReadPngEnd(PngSession& s) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_read_end(s.png, nullptr);
  return true;
}

void CompositeRow(const std::uint8_t* rgba, std::uint32_t width, std::uint8_t* rgb) {
  for (std::uint32_t x = 0; x < width; ++x) {
    for (int c = 0; c < 3; ++c) rgb[x * 3 + c] = OverWhite(rgba[x * 4 + c], rgba[x * 4 + 3], false);
  }
}

// Non-interlaced images are decoded row by row as they are asked for; an
// interlaced image has its rows spread over seven passes and is decoded
// whole on the first call.
class PngSource : public ImageSource {
 public:
  PngSource(const std::string& path, std::FILE* stream, std::size_t signatureBytes) : path_(path) {
    s_.file = stream;
    s_.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s_, OnPngError, OnPngWarning);
    if (s_.png != nullptr) s_.info = png_create_info_struct(s_.png);
    if (s_.png == nullptr || s_.info == nullptr) throw FileError(path, "out of memory reading PNG");
    if (!ReadPngHeader(s_, path, signatureBytes, layout_, header_)) Fail();
    header_.width = layout_.width;
    header_.height = layout_.height;
  }

  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    if (count > layout_.height - done_) throw FileError(path_, "read past the end of the PNG");
    if (layout_.interlaced) {
      DecodeWhole();
      std::memcpy(rgb, whole_.data() + std::size_t{done_} * header_.RowBytes(), std::size_t{count} * header_.RowBytes());
    } else {
      const std::size_t stride = std::size_t{layout_.width} * layout_.channels;
      if (layout_.channels == 4) scratch_.resize(stride);
      for (std::uint32_t i = 0; i < count; ++i) {
        std::uint8_t* row = rgb + i * header_.RowBytes();
        png_bytep target = layout_.channels == 4 ? scratch_.data() : row;
        if (!ReadPngRows(s_, &target, 1)) Fail();
        if (layout_.channels == 4) CompositeRow(scratch_.data(), layout_.width, row);
      }
    }
    done_ += count;
    if (done_ == layout_.height && !ReadPngEnd(s_)) Fail();
  }

 private:
  [[noreturn]] void Fail() const {
    throw FileError(path_, std::string("damaged or unreadable PNG: ") + s_.message);
  }

  void DecodeWhole() {
    if (!whole_.empty()) return;
    const std::size_t stride = std::size_t{layout_.width} * layout_.channels;
    std::vector<std::uint8_t> pixels(stride * layout_.height);
    std::vector<png_bytep> rows(layout_.height);
    for (std::uint32_t y = 0; y < layout_.height; ++y) rows[y] = pixels.data() + y * stride;
    for (int pass = png_set_interlace_handling(s_.png); pass > 0; --pass) {
      if (!ReadPngRows(s_, rows.data(), layout_.height)) Fail();
    }
    if (layout_.channels == 3) {
      whole_ = std::move(pixels);
      return;
    }
    whole_.resize(header_.RowBytes() * layout_.height);
    for (std::uint32_t y = 0; y < layout_.height; ++y) {
      CompositeRow(rows[y], layout_.width, whole_.data() + y * header_.RowBytes());
    }
  }

  std::string path_;
  PngSession s_;
  PngLayout layout_;
  std::uint32_t done_ = 0;
  std::vector<std::uint8_t> scratch_, whole_;
};

bool WritePngHeader(PngSession& s, const ImageHeader& header) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_init_io(s.png, s.file);
  png_set_IHDR(s.png, s.info, header.width, header.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!header.iccProfile.empty()) {
    // A profile libpng finds unsound is left out with a warning rather
    // than failing the page.
    png_set_benign_errors(s.png, 1);
    png_set_iCCP(s.png, s.info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, header.iccProfile.data(),
                 static_cast<png_uint_32>(header.iccProfile.size()));
  }
  if (header.resolution.Known()) {
    png_set_pHYs(s.png, s.info, static_cast<png_uint_32>(std::lround(header.resolution.x / kMetresPerInch)),
                 static_cast<png_uint_32>(std::lround(header.resolution.y / kMetresPerInch)), PNG_RESOLUTION_METER);
  }
  if (!header.comment.empty()) {
    png_text text {};
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = const_cast<png_charp>("Comment");
    text.text = const_cast<png_charp>(header.comment.c_str());
    png_set_text(s.png, s.info, &text, 1);
  }
  // The chunks before the image data come from libpng; the image data is
  // written by ParallelIdatWriter.
  png_write_info(s.png, s.info);
  return true;
}

class PngSink : public ImageSink {
 public:
  PngSink(int fd, const std::string& path, const ImageHeader& header) : path_(path), rowBytes_(header.RowBytes()) {
    s_.writing = true;
    OwnedFile out(fd, "wb", path);
    s_.file = out.file;
    out.file = nullptr;
    s_.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s_, OnPngError, OnPngWarning);
    if (s_.png != nullptr) s_.info = png_create_info_struct(s_.png);
    if (s_.png == nullptr || s_.info == nullptr) throw FileError(path, "out of memory writing PNG");
    if (!WritePngHeader(s_, header)) Fail();
    idat_ = std::make_unique<ParallelIdatWriter>(s_.file, path, rowBytes_);
  }

  void WriteRows(const std::uint8_t* rgb, std::uint32_t count) override {
    idat_->AddRows(rgb, count);
  }

  void Finish() override {
    idat_->Finish();
    idat_.reset();
    std::FILE* file = s_.file;
    s_.file = nullptr;
    if (std::fclose(file) != 0) throw FileError(path_, "cannot write: " + ErrnoText());
  }

 private:
  [[noreturn]] void Fail() const { throw FileError(path_, std::string("cannot write PNG: ") + s_.message); }

  std::string path_;
  std::size_t rowBytes_;
  PngSession s_;
  // Declared after the session: destroyed first, while the file is open.
  std::unique_ptr<ParallelIdatWriter> idat_;
};

}  // namespace

bool IsPng(const std::uint8_t* head, std::size_t count) {
  static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return count >= 8 && std::memcmp(head, kPng, 8) == 0;
}

std::unique_ptr<ImageSource> OpenPng(const std::string& path, std::FILE* stream, const std::string& consumed) {
  return std::make_unique<PngSource>(path, stream, consumed.size());
}

std::unique_ptr<ImageSink> CreatePngSink(int fd, const std::string& path, const ImageHeader& header,
                                         const WriteOptions&) {
  return std::make_unique<PngSink>(fd, path, header);
}

}  // namespace k7730::host
