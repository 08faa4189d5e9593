// PNG through libpng. libpng reports errors by longjmp; the functions that
// call setjmp keep no C++ objects of their own, everything they fill is
// owned by their caller, so a jump never skips a destructor.
#include <png.h>
#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "file_bytes.h"
#include "host_error.h"
#include "image_formats.h"

namespace k7730::host {

namespace {

struct PngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  FILE* file = nullptr;
  bool writing = false;
  char message[256] = "";

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
extern "C" void OnPngWarning(png_structp, png_const_charp) {}

constexpr std::uint64_t kBestDeflateRatio = 1032;

struct PngLayout {
  std::uint32_t width = 0, height = 0;
  int channels = 0;
};

// Returns false when libpng failed; the session holds its message.
bool ReadPngCore(PngSession& s, const std::string& path, PngLayout& layout, Image& image,
                 std::vector<std::uint8_t>& pixels, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_init_io(s.png, s.file);
  png_set_user_limits(s.png, kMaxImageSide, kMaxImageSide);
  png_read_info(s.png, s.info);
  layout.width = png_get_image_width(s.png, s.info);
  layout.height = png_get_image_height(s.png, s.info);
  CheckImageSize(path, layout.width, layout.height);
  // Deflate never packs more than 1032 bytes into one; a filter byte leads
  // every row.
  const std::uint64_t rawBytes = (static_cast<std::uint64_t>(png_get_rowbytes(s.png, s.info)) + 1) * layout.height;
  CheckImageData(path, rawBytes, FileSizeOf(path), kBestDeflateRatio);
  const int depth = png_get_bit_depth(s.png, s.info);
  const int type = png_get_color_type(s.png, s.info);
  const bool transparency = png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;

  if (depth == 16) {
    image.notices.push_back("16-bit PNG converted to 8 bits per sample");
    png_set_scale_16(s.png);
  }
  if (type == PNG_COLOR_TYPE_PALETTE) {
    image.notices.push_back("palette PNG expanded to RGB");
    png_set_palette_to_rgb(s.png);
  }
  if (type == PNG_COLOR_TYPE_GRAY || type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    image.notices.push_back("greyscale PNG expanded to RGB");
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(s.png);
    png_set_gray_to_rgb(s.png);
  }
  if ((type & PNG_COLOR_MASK_ALPHA) != 0 || transparency) {
    image.notices.push_back("transparency composited onto white paper");
    if (transparency) png_set_tRNS_to_alpha(s.png);
  }
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
  if (png_get_iCCP(s.png, s.info, &name, &compression, &profile, &profileLength) != 0 &&
      profile != nullptr) {
    image.iccProfile.assign(profile, profile + profileLength);
  }

  const std::size_t stride = static_cast<std::size_t>(layout.width) * layout.channels;
  pixels.resize(stride * layout.height);
  rows.resize(layout.height);
  for (std::uint32_t y = 0; y < layout.height; ++y) rows[y] = pixels.data() + y * stride;
  png_read_image(s.png, rows.data());
  png_read_end(s.png, nullptr);
  return true;
}

bool WritePngCore(PngSession& s, const Image& image, std::vector<png_bytep>& rows) {
  if (setjmp(png_jmpbuf(s.png))) return false;
  png_init_io(s.png, s.file);
  png_set_IHDR(s.png, s.info, image.width, image.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.iccProfile.empty()) {
    // A profile libpng finds unsound is left out with a warning rather
    // than failing the page.
    png_set_benign_errors(s.png, 1);
    png_set_iCCP(s.png, s.info, "ICC profile", PNG_COMPRESSION_TYPE_BASE, image.iccProfile.data(),
                 static_cast<png_uint_32>(image.iccProfile.size()));
  }
  // Fast deflate: pages are large and mostly photographic, where higher
  // levels gain little.
  png_set_compression_level(s.png, 3);
  png_write_info(s.png, s.info);
  png_write_image(s.png, rows.data());
  png_write_end(s.png, nullptr);
  return true;
}

}  // namespace

Image ReadPng(const std::string& path) {
  PngSession s;
  s.file = std::fopen(path.c_str(), "rb");
  if (s.file == nullptr) throw FileError(path, "cannot open: " + ErrnoText());
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, OnPngError, OnPngWarning);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.png == nullptr || s.info == nullptr) throw FileError(path, "out of memory reading PNG");

  Image image;
  PngLayout layout;
  std::vector<std::uint8_t> pixels;
  std::vector<png_bytep> rows;
  if (!ReadPngCore(s, path, layout, image, pixels, rows)) {
    throw FileError(path, std::string("damaged or unreadable PNG: ") + s.message);
  }
  image.width = layout.width;
  image.height = layout.height;
  if (layout.channels == 3) {
    image.rgb = std::move(pixels);
  } else {
    const std::size_t count = static_cast<std::size_t>(layout.width) * layout.height;
    image.rgb.resize(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint8_t* p = &pixels[i * 4];
      for (int c = 0; c < 3; ++c) image.rgb[i * 3 + c] = OverWhite(p[c], p[3], false);
    }
  }
  return image;
}

void WritePng(int fd, const std::string& path, const Image& image) {
  PngSession s;
  s.writing = true;
  const int own = ::dup(fd);
  if (own < 0 || (s.file = ::fdopen(own, "wb")) == nullptr) {
    if (own >= 0) ::close(own);
    throw FileError(path, "cannot write: " + ErrnoText());
  }
  s.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &s, OnPngError, OnPngWarning);
  if (s.png != nullptr) s.info = png_create_info_struct(s.png);
  if (s.png == nullptr || s.info == nullptr) throw FileError(path, "out of memory writing PNG");
  std::vector<png_bytep> rows(image.height);
  for (std::uint32_t y = 0; y < image.height; ++y) {
    rows[y] = const_cast<png_bytep>(image.rgb.data() + y * image.RowBytes());
  }
  if (!WritePngCore(s, image, rows)) throw FileError(path, std::string("cannot write PNG: ") + s.message);
  FILE* file = s.file;
  s.file = nullptr;
  if (std::fclose(file) != 0) throw FileError(path, "cannot write: " + ErrnoText());
}

}  // namespace k7730::host
