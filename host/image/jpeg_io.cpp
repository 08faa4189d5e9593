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
#include <jerror.h>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/image/exif_orientation.h"
#include "host/image/format_io.h"
#include "host/image/format_support.h"

namespace k7730::host {

namespace {

// Even a progressive JPEG with runs of empty blocks does not pack more than
// this into one byte; a header claiming more is refused before decoding.
constexpr std::uint64_t kBestJpegRatio = 1u << 14;
// A progressive or multi-scan JPEG is decoded whole: libjpeg keeps every
// DCT coefficient (128 bytes per 8 x 8 block and component) until the last
// scan. Up to this many pixels that is at most 137 MiB, which keeps the
// print command within 200 MB; larger ones are refused before decoding.
constexpr std::uint64_t kMaxWholeDecodePixels = 6000u * 4000u;
// What libjpeg may hold for one image; beyond it the file is refused.
constexpr long kMaxJpegWorkMemory = 160L << 20;
// Real encoders write about ten scans; a file with thousands of tiny scans
// only costs time, each scan going over the whole coefficient buffer.
constexpr int kMaxJpegScans = 500;
constexpr unsigned kExifMarker = JPEG_APP0 + 1;
constexpr unsigned kMaxMarkerBytes = 65533;
constexpr char kExifSignature[] = "Exif\0\0";

struct JpegError {
  jpeg_error_mgr manager {};
  std::jmp_buf jump {};
  char message[JMSG_LENGTH_MAX] = "";
  // libjpeg reports damaged data (a file cut short, corrupt entropy-coded
  // data) only as a warning and goes on with grey blocks; the first such
  // warning is kept here and stops the image.
  char warning[JMSG_LENGTH_MAX] = "";
};

extern "C" void OnJpegError(j_common_ptr info) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  (*info->err->format_message)(info, error->message);
  std::longjmp(error->jump, 1);
}

// Warnings that say nothing about the pixels.
bool HarmlessWarning(int code) { return code == JWRN_JFIF_MAJOR || code == JWRN_ADOBE_XFORM; }

extern "C" void OnJpegMessage(j_common_ptr info, int level) {
  auto* error = reinterpret_cast<JpegError*>(info->err);
  if (level >= 0 || HarmlessWarning(info->err->msg_code)) return;
  info->err->num_warnings++;
  if (error->warning[0] == '\0') (*info->err->format_message)(info, error->warning);
}

void InstallErrors(JpegError& error, jpeg_error_mgr*& slot) {
  slot = jpeg_std_error(&error.manager);
  error.manager.error_exit = OnJpegError;
  error.manager.emit_message = OnJpegMessage;
}

// A libjpeg source that gives the bytes already read to recognise the
// format first, then reads on through the stream: a pipe cannot be rewound.
struct StreamSource {
  jpeg_source_mgr manager {};
  std::FILE* file = nullptr;
  std::string consumed;
  bool consumedGiven = false;
  JOCTET buffer[1 << 16];
};

struct DecodeState {
  jpeg_decompress_struct info {};
  JpegError error;
  jpeg_progress_mgr progress {};
  StreamSource stream;
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

// Called between scans and rows while decoding: stops a file with more
// scans than any encoder writes, and a damaged one at its first warning
// rather than after all its scans.
extern "C" void OnJpegProgress(j_common_ptr common) {
  if (!common->is_decompressor) return;
  auto* info = reinterpret_cast<j_decompress_ptr>(common);
  auto* error = reinterpret_cast<JpegError*>(common->err);
  if (error->warning[0] != '\0') {
    std::snprintf(error->message, sizeof error->message, "%s", error->warning);
  } else if (info->input_scan_number > kMaxJpegScans) {
    std::snprintf(error->message, sizeof error->message, "more than %d scans", kMaxJpegScans);
  } else {
    return;
  }
  std::longjmp(error->jump, 1);
}

// Whether libjpeg must hold the whole image's coefficients: a progressive
// file, or a sequential one whose first scan lacks some components.
bool DecodedWhole(const jpeg_decompress_struct& info) {
  return info.progressive_mode || info.comps_in_scan < info.num_components;
}

// The embedded profile: null when there is none. A chain of APP2 markers
// that libjpeg finds broken (a missing or repeated segment) is reported
// through `iccProblem` rather than dropped.
void ReadProfile(DecodeState& s, JOCTET** profile, unsigned* profileLength, std::string& iccProblem) {
  const long before = s.error.manager.num_warnings;
  if (!jpeg_read_icc_profile(&s.info, profile, profileLength)) *profile = nullptr;
  if (s.error.manager.num_warnings != before) {
    iccProblem = std::string("its ICC profile markers are damaged (") + s.error.warning + ")";
    s.error.warning[0] = '\0';
    s.error.manager.num_warnings = before;
  }
}

extern "C" void InitStream(j_decompress_ptr) {}
extern "C" void TermStream(j_decompress_ptr) {}

extern "C" boolean FillStream(j_decompress_ptr info) {
  auto* src = reinterpret_cast<StreamSource*>(info->src);
  std::size_t n = 0;
  if (!src->consumedGiven && !src->consumed.empty()) {
    n = src->consumed.size();
    std::memcpy(src->buffer, src->consumed.data(), n);
  } else {
    n = std::fread(src->buffer, 1, sizeof src->buffer, src->file);
  }
  src->consumedGiven = true;
  if (n == 0) {
    // As libjpeg's own stdio source: warn, then end the data with EOI.
    WARNMS(info, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    n = 2;
  }
  src->manager.next_input_byte = src->buffer;
  src->manager.bytes_in_buffer = n;
  return TRUE;
}

extern "C" void SkipStream(j_decompress_ptr info, long count) {
  auto* src = reinterpret_cast<StreamSource*>(info->src);
  while (count > static_cast<long>(src->manager.bytes_in_buffer)) {
    count -= static_cast<long>(src->manager.bytes_in_buffer);
    FillStream(info);
  }
  if (count > 0) {
    src->manager.next_input_byte += count;
    src->manager.bytes_in_buffer -= static_cast<std::size_t>(count);
  }
}

void UseStream(jpeg_decompress_struct& info, StreamSource& src) {
  src.manager.init_source = InitStream;
  src.manager.fill_input_buffer = FillStream;
  src.manager.skip_input_data = SkipStream;
  src.manager.resync_to_restart = jpeg_resync_to_restart;
  src.manager.term_source = TermStream;
  info.src = &src.manager;
}

bool StartDecoding(DecodeState& s, std::FILE* file, JOCTET** profile, unsigned* profileLength,
                   std::string& iccProblem) {
  InstallErrors(s.error, s.info.err);
  if (setjmp(s.error.jump)) return false;
  jpeg_create_decompress(&s.info);
  s.created = true;
  s.info.mem->max_memory_to_use = kMaxJpegWorkMemory;
  s.progress.progress_monitor = OnJpegProgress;
  s.info.progress = &s.progress;
  s.stream.file = file;
  UseStream(s.info, s.stream);
  jpeg_save_markers(&s.info, JPEG_APP0 + 2, 0xFFFF);
  jpeg_save_markers(&s.info, kExifMarker, 0xFFFF);
  jpeg_read_header(&s.info, TRUE);
  if (s.error.warning[0] != '\0') return true;
  ReadProfile(s, profile, profileLength, iccProblem);
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
  JpegSource(const std::string& path, std::FILE* stream, std::string consumed) : path_(path), file_(stream) {
    s_.stream.consumed = std::move(consumed);
    JOCTET* profile = nullptr;
    unsigned profileLength = 0;
    if (!StartDecoding(s_, file_.file, &profile, &profileLength, header_.iccProblem)) Fail();
    CheckWarnings();
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
    CheckWholeDecode();
    if (info.num_components == 1) header_.notices.push_back("greyscale JPEG expanded to RGB");
    header_.width = info.image_width;
    header_.height = info.image_height;
    header_.resolution = DensityOf(info);
    header_.exif = FindExif(info);
    header_.orientation = ExifOrientation(header_.exif);
    if (!BeginOutput(s_)) Fail();
    CheckWarnings();
  }

  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    if (count > header_.height - done_) throw FileError(path_, "read past the end of the JPEG");
    if (!DecodeRows(s_, rgb, count, header_.RowBytes())) Fail();
    CheckWarnings();
    done_ += count;
    if (done_ == header_.height && !EndDecoding(s_)) Fail();
    if (done_ == header_.height) CheckWarnings();
  }

 private:
  void CheckWarnings() const {
    if (s_.error.warning[0] != '\0') {
      throw FileError(path_, std::string("damaged JPEG: ") + s_.error.warning);
    }
  }

  void CheckWholeDecode() const {
    const jpeg_decompress_struct& info = s_.info;
    if (!DecodedWhole(info) || std::uint64_t{info.image_width} * info.image_height <= kMaxWholeDecodePixels) return;
    throw FileError(path_, std::string(info.progressive_mode ? "a progressive" : "a multi-scan") + " JPEG of " +
                               std::to_string(info.image_width) + " x " + std::to_string(info.image_height) +
                               " pixels: such JPEGs are decoded whole and are accepted up to 24 megapixels "
                               "(6000 x 4000); save it as a baseline JPEG, PNG or TIFF");
  }

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

bool IsJpeg(const std::uint8_t* head, std::size_t count) {
  return count >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF;
}

std::unique_ptr<ImageSource> OpenJpeg(const std::string& path, std::FILE* stream, const std::string& consumed) {
  return std::make_unique<JpegSource>(path, stream, consumed);
}

std::unique_ptr<ImageSink> CreateJpegSink(int fd, const std::string& path, const ImageHeader& header,
                                          const WriteOptions& options) {
  return std::make_unique<JpegSink>(fd, path, header, options.jpegQuality);
}

}  // namespace k7730::host
