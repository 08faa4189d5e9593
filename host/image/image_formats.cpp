#include "host/image/image_formats.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

namespace k7730::host {

void CheckImageSize(const std::string& path, std::uint64_t width, std::uint64_t height) {
  if (width == 0 || height == 0) throw FileError(path, "the image is empty (zero width or height)");
  if (width > kMaxImageSide || height > kMaxImageSide || width * height * 3 > kMaxImageBytes) {
    throw FileError(path, "the image is too large (" + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels)");
  }
}

void CheckImageData(const std::string& path, std::uint64_t decodedBytes, std::uint64_t storedBytes,
                    std::uint64_t bestRatio) {
  if (storedBytes != 0 && decodedBytes / bestRatio > storedBytes) {
    throw FileError(path, "damaged image: its " + std::to_string(storedBytes) + " bytes of data cannot hold the " +
                              std::to_string(decodedBytes) + " bytes its header claims");
  }
}

std::uint64_t FileSizeOf(std::FILE* file) {
  struct stat st {};
  if (file == nullptr || ::fstat(::fileno(file), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t FileSizeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

OwnedFile::OwnedFile(int fd, const char* mode, const std::string& path) {
  const int own = ::dup(fd);
  if (own < 0 || (file = ::fdopen(own, mode)) == nullptr) {
    if (own >= 0) ::close(own);
    throw FileError(path, "cannot open: " + ErrnoText());
  }
}

OwnedFile::~OwnedFile() {
  if (file != nullptr) std::fclose(file);
}

void OwnedFile::Close(const std::string& path) {
  std::FILE* f = file;
  file = nullptr;
  if (f != nullptr && std::fclose(f) != 0) throw FileError(path, "cannot write: " + ErrnoText());
}

namespace {

std::string LowerExtension(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  return path.substr(dot + 1);
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

enum class Signature { Png, Tiff, Ppm, Jpeg, Unknown };

Signature Recognise(const std::uint8_t* head, std::size_t n) {
  static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (n >= 8 && std::memcmp(head, kPng, 8) == 0) return Signature::Png;
  if (n >= 4 && ((head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
                 (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43)))) {
    return Signature::Tiff;
  }
  if (n >= 3 && head[0] == 0xFF && head[1] == 0xD8 && head[2] == 0xFF) return Signature::Jpeg;
  if (n >= 2 && head[0] == 'P' && head[1] >= '1' && head[1] <= '7') return Signature::Ppm;
  return Signature::Unknown;
}

struct OpenedHead {
  std::FILE* file = nullptr;
  std::uint8_t head[8] = {};
  std::size_t count = 0;
};

OpenedHead ReadHead(const std::string& path) {
  OpenedHead h;
  h.file = IsStdio(path) ? ::fdopen(::dup(STDIN_FILENO), "rb") : std::fopen(path.c_str(), "rb");
  if (h.file == nullptr) throw FileError(path, "cannot open: " + ErrnoText());
  h.count = std::fread(h.head, 1, sizeof h.head, h.file);
  if (std::ferror(h.file) != 0) {
    const std::string why = ErrnoText();
    std::fclose(h.file);
    throw FileError(path, "cannot read: " + why);
  }
  return h;
}

ImageFormat FormatOf(Signature kind) {
  switch (kind) {
    case Signature::Tiff: return ImageFormat::Tiff;
    case Signature::Ppm: return ImageFormat::Ppm;
    case Signature::Jpeg: return ImageFormat::Jpeg;
    default: return ImageFormat::Png;
  }
}

}  // namespace

ImageFormat FormatFromName(const std::string& path) {
  ImageFormat format;
  if (FormatFromWord(LowerExtension(path), format)) return format;
  throw FileError(path, "cannot tell the output format from the name (use .png, .tif, .tiff, .jpg, .jpeg or .ppm)");
}

bool FormatFromWord(const std::string& word, ImageFormat& format) {
  const std::string w = Lower(word);
  if (w == "png") format = ImageFormat::Png;
  else if (w == "tif" || w == "tiff") format = ImageFormat::Tiff;
  else if (w == "ppm" || w == "pnm") format = ImageFormat::Ppm;
  else if (w == "jpg" || w == "jpeg") format = ImageFormat::Jpeg;
  else return false;
  return true;
}

const char* FormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::Png: return "PNG";
    case ImageFormat::Tiff: return "TIFF";
    case ImageFormat::Ppm: return "PPM";
    case ImageFormat::Jpeg: return "JPEG";
  }
  return "?";
}

const char* FormatExtension(ImageFormat format) {
  switch (format) {
    case ImageFormat::Png: return "png";
    case ImageFormat::Tiff: return "tif";
    case ImageFormat::Ppm: return "ppm";
    case ImageFormat::Jpeg: return "jpg";
  }
  return "";
}

std::unique_ptr<ImageSource> OpenImage(const std::string& path, ImageFormat* format) {
  OpenedHead h = ReadHead(path);
  const Signature kind = Recognise(h.head, h.count);
  if (format != nullptr) *format = FormatOf(kind);
  if (IsStdio(path) && kind == Signature::Tiff) {
    std::fclose(h.file);
    throw FileError("standard input", "only PNG, JPEG and binary PPM are read from standard input");
  }
  switch (kind) {
    case Signature::Png: return OpenPng(path, h.file, h.count);
    case Signature::Ppm:
      return OpenPpm(path, h.file, std::string(reinterpret_cast<const char*>(h.head), h.count));
    case Signature::Jpeg:
      return OpenJpeg(path, h.file, std::string(reinterpret_cast<const char*>(h.head), h.count));
    case Signature::Tiff:
      std::fclose(h.file);
      return OpenTiff(path);
    case Signature::Unknown: break;
  }
  std::fclose(h.file);
  throw FileError(path, "not an image this program reads (PNG, TIFF, JPEG or binary PPM)");
}

ImageFormat DetectFormat(const std::string& path) {
  OpenedHead h = ReadHead(path);
  std::fclose(h.file);
  switch (Recognise(h.head, h.count)) {
    case Signature::Png: return ImageFormat::Png;
    case Signature::Tiff: return ImageFormat::Tiff;
    case Signature::Ppm: return ImageFormat::Ppm;
    case Signature::Jpeg: return ImageFormat::Jpeg;
    case Signature::Unknown: break;
  }
  throw FileError(path, "not an image this program reads (PNG, TIFF, JPEG or binary PPM)");
}

std::unique_ptr<ImageSink> CreateImageSink(ImageFormat format, int fd, const std::string& path,
                                           const ImageHeader& header, const WriteOptions& options) {
  switch (format) {
    case ImageFormat::Png: return CreatePngSink(fd, path, header);
    case ImageFormat::Tiff: return CreateTiffSink(fd, path, header);
    case ImageFormat::Ppm: return CreatePpmSink(fd, path, header);
    case ImageFormat::Jpeg: return CreateJpegSink(fd, path, header, options.jpegQuality);
  }
  throw FileError(path, "unknown output format");
}

namespace {

Image ReadWhole(ImageSource& source) {
  Image image;
  static_cast<ImageHeader&>(image) = source.Header();
  image.rgb.resize(image.RowBytes() * image.height);
  source.ReadRows(image.rgb.data(), image.height);
  return image;
}

// Opens a file for one format's reader, which takes the stream from the
// start.
std::FILE* OpenForReading(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) throw FileError(path, "cannot open: " + ErrnoText());
  return file;
}

}  // namespace

Image ReadImage(const std::string& path) { return ReadWhole(*OpenImage(path)); }

Image ReadPng(const std::string& path) { return ReadWhole(*OpenPng(path, OpenForReading(path), 0)); }
Image ReadTiff(const std::string& path) { return ReadWhole(*OpenTiff(path)); }
Image ReadPpm(const std::string& path) { return ReadWhole(*OpenPpm(path, OpenForReading(path), "")); }
Image ReadJpeg(const std::string& path) { return ReadWhole(*OpenJpeg(path, OpenForReading(path), "")); }

void WriteImage(const std::string& path, const Image& image, const WriteOptions& options) {
  const ImageFormat format = FormatFromName(path);
  WriteFileAtomically(path, [&](int fd) {
    const std::unique_ptr<ImageSink> sink = CreateImageSink(format, fd, path, image, options);
    sink->WriteRows(image.rgb.data(), image.height);
    sink->Finish();
  });
}

}  // namespace k7730::host
