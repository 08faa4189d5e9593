// JPEG through libjpeg-turbo, row by row. libjpeg reports errors through
// its error manager, which here jumps back by longjmp; as with PNG, the
// functions that call setjmp own no C++ objects.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/image/image_formats.h"

namespace k7730::host {

namespace {

// Even a progressive JPEG with runs of empty blocks does not pack more than
// this into one byte; a header claiming more is refused before decoding.
constexpr std::uint64_t kBestJpegRatio = 1u << 14;
// What libjpeg may hold for one image (a progressive image keeps all its
// coefficients); beyond it the file is refused rather than decoded.
constexpr long kMaxJpegWorkMemory = 1L << 30;
constexpr unsigned kExifMarker = JPEG_APP0 + 1;
constexpr unsigned kMaxMarkerBytes = 65533;
constexpr char kExifSignature[] = "Exif\0\0";

struct JpegError {
  jpeg_error_mgr manager {};
  std::jmp_buf jump {};
  char message[JMSG_LENGTH_MAX] = "";
};

extern "C" void OnJpegError(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, error->message);
  std::longjmp(error->jump, 1);
}
extern "C" void OnJpegMessage(j_common_ptr) {}

void InstallErrors(JpegError& error, jpeg_error_mgr*& slot) {
  slot = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  error.manager.output_message = OnJpegMessage;
}

struct DecodeState {
  jpeg_decompress_struct info {};
  JpegError error;
  bool created = false;
  DecodeState() = default;
  DecodeState(const DecodeState&) = delete;
  DecodeState& operator=(const DecodeState&) = delete;
  ~DecodeState() {
    if (created) jpeg_destroy_decompress(&info);
  }
};

// The Exif block of the first APP1 marker that carries one.
std::vector<std::uint8_t> FindExif(const jpeg_decompress_struct& info) {
  for (jpeg_saved_marker_ptr m = info.marker_list; m != nullptr; m = m->next) {
    if (m->marker == kExifMarker && m->data_length >= 6 && std::memcmp(m->data, kExifSignature, 6) == 0) {
      return {m->data, m->data + m->data_length};
    }
  }
  return {};
}

Resolution DensityOf(const jpeg_decompress_struct& info) {
  if (info.X_density == 0 || info.Y_density == 0) return {};
  if (info.density_unit == 1) return {double(info.X_density), double(info.Y_density)};
  if (info.density_unit == 2) return {info.X_density * 2.54, info.Y_density * 2.54};
  return {};
}

bool StartDecoding(DecodeState& s, std::FILE* file, JOCTET** profile, unsigned* profileLength) {
  InstallErrors(s.error, s.info.err);
  if (setjmp(s.error.jump)) return false;
  jpeg_create_decompress(&s.info);
  s.created = true;
  s.info.mem->max_memory_to_use = kMaxJpegWorkMemory;
  jpeg_stdio_src(&s.info, file);
  jpeg_save_markers(&s.info, JPEG_APP0 + 2, 0xFFFF);
  jpeg_save_markers(&s.info, kExifMarker, 0xFFFF);
  jpeg_read_header(&s.info, TRUE);
  if (!jpeg_read_icc_profile(&s.info, profile, profileLength)) *profile = nullptr;
  return true;
}

bool BeginOutput(DecodeState& s) {
  if (setjmp(s.error.jump)) return false;
  s.info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&s.info);
  return true;
}

bool DecodeRows(DecodeState& s, std::uint8_t* rgb, std::uint32_t count, std::size_t rowBytes) {
  if (setjmp(s.error.jump)) return false;
  for (std::uint32_t i = 0; i < count;) {
    JSAMPROW row = rgb + i * rowBytes;
    i += jpeg_read_scanlines(&s.info, &row, 1);
  }
  return true;
}

bool EndDecoding(DecodeState& s) {
  if (setjmp(s.error.jump)) return false;
  jpeg_finish_decompress(&s.info);
  return true;
}

class JpegSource : public ImageSource {
 public:
  JpegSource(const std::string& path, std::FILE* stream) : path_(path), file_(stream) {
    JOCTET* profile = nullptr;
    unsigned profileLength = 0;
    if (!StartDecoding(s_, file_.file, &profile, &profileLength)) Fail();
    if (profile != nullptr) {
      header_.iccProfile.assign(profile, profile + profileLength);
      std::free(profile);
    }
    const jpeg_decompress_struct& info = s_.info;
    CheckImageSize(path, info.image_width, info.image_height);
    CheckImageData(path, std::uint64_t{info.image_width} * info.image_height * info.num_components,
                   FileSizeOf(file_.file), kBestJpegRatio);
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
      throw FileError(path, "a CMYK JPEG: the printer takes RGB pages");
    }
    if (info.num_components == 1) header_.notices.push_back("greyscale JPEG expanded to RGB");
    header_.width = info.image_width;
    header_.height = info.image_height;
    header_.resolution = DensityOf(info);
    header_.exif = FindExif(info);
    if (!BeginOutput(s_)) Fail();
  }

  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    if (count > header_.height - done_) throw FileError(path_, "read past the end of the JPEG");
    if (!DecodeRows(s_, rgb, count, header_.RowBytes())) Fail();
    done_ += count;
    if (done_ == header_.height && !EndDecoding(s_)) Fail();
  }

 private:
  [[noreturn]] void Fail() const {
    const std::string why = s_.error.message;
    if (why.find("precision") != std::string::npos) {
      throw FileError(path_, "a JPEG of more than 8 bits per sample (" + why + "); save it as 8-bit JPEG, PNG or TIFF");
    }
    throw FileError(path_, "damaged or unreadable JPEG: " + why);
  }

  std::string path_;
  OwnedFile file_;
  DecodeState s_;
  std::uint32_t done_ = 0;
};

struct EncodeState {
  jpeg_compress_struct info {};
  JpegError error;
  bool created = false;
  EncodeState() = default;
  EncodeState(const EncodeState&) = delete;
  EncodeState& operator=(const EncodeState&) = delete;
  ~EncodeState() {
    if (created) jpeg_destroy_compress(&info);
  }
};

bool StartEncoding(EncodeState& s, std::FILE* file, const ImageHeader& header, int quality) {
  InstallErrors(s.error, s.info.err);
  if (setjmp(s.error.jump)) return false;
  jpeg_create_compress(&s.info);
  s.created = true;
  jpeg_stdio_dest(&s.info, file);
  s.info.image_width = header.width;
  s.info.image_height = header.height;
  s.info.input_components = 3;
  s.info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&s.info);
  jpeg_set_quality(&s.info, quality, TRUE);
  if (header.resolution.Known()) {
    s.info.density_unit = 1;
    s.info.X_density = static_cast<UINT16>(std::lround(std::min(header.resolution.x, 65535.0)));
    s.info.Y_density = static_cast<UINT16>(std::lround(std::min(header.resolution.y, 65535.0)));
  }
  jpeg_start_compress(&s.info, TRUE);
  if (!header.exif.empty() && header.exif.size() <= kMaxMarkerBytes) {
    jpeg_write_marker(&s.info, kExifMarker, header.exif.data(), static_cast<unsigned>(header.exif.size()));
  }
  if (!header.comment.empty() && header.comment.size() <= kMaxMarkerBytes) {
    jpeg_write_marker(&s.info, JPEG_COM, reinterpret_cast<const JOCTET*>(header.comment.data()),
                      static_cast<unsigned>(header.comment.size()));
  }
  if (!header.iccProfile.empty()) {
    jpeg_write_icc_profile(&s.info, header.iccProfile.data(), static_cast<unsigned>(header.iccProfile.size()));
  }
  return true;
}

bool EncodeRows(EncodeState& s, const std::uint8_t* rgb, std::uint32_t count, std::size_t rowBytes) {
  if (setjmp(s.error.jump)) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    JSAMPROW row = const_cast<JSAMPROW>(rgb + i * rowBytes);
    jpeg_write_scanlines(&s.info, &row, 1);
  }
  return true;
}

bool EndEncoding(EncodeState& s) {
  if (setjmp(s.error.jump)) return false;
  jpeg_finish_compress(&s.info);
  return true;
}

class JpegSink : public ImageSink {
 public:
  JpegSink(int fd, const std::string& path, const ImageHeader& header, int quality)
      : path_(path), file_(fd, "wb", path), rowBytes_(header.RowBytes()) {
    if (!StartEncoding(s_, file_.file, header, quality)) Fail();
  }
  void WriteRows(const std::uint8_t* rgb, std::uint32_t count) override {
    if (!EncodeRows(s_, rgb, count, rowBytes_)) Fail();
  }
  void Finish() override {
    if (!EndEncoding(s_)) Fail();
    file_.Close(path_);
  }

 private:
  [[noreturn]] void Fail() const { throw FileError(path_, std::string("cannot write JPEG: ") + s_.error.message); }

  std::string path_;
  OwnedFile file_;
  std::size_t rowBytes_;
  EncodeState s_;
};

}  // namespace

std::unique_ptr<ImageSource> OpenJpeg(const std::string& path, std::FILE* stream) {
  return std::make_unique<JpegSource>(path, stream);
}

std::unique_ptr<ImageSink> CreateJpegSink(int fd, const std::string& path, const ImageHeader& header, int quality) {
  return std::make_unique<JpegSink>(fd, path, header, quality);
}

}  // namespace k7730::host
