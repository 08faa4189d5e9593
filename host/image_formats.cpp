#include "image_formats.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "file_bytes.h"
#include "host_error.h"

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
  if (decodedBytes / bestRatio > storedBytes) {
    throw FileError(path, "damaged image: its " + std::to_string(storedBytes) + " bytes of data cannot hold the " +
                              std::to_string(decodedBytes) + " bytes its header claims");
  }
}

std::uint64_t FileSizeOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || st.st_size < 0) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

namespace {

std::string LowerExtension(const std::string& path) {
  const auto slash = path.find_last_of('/');
  const auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace

ImageFormat FormatFromName(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == "png") return ImageFormat::Png;
  if (ext == "tif" || ext == "tiff") return ImageFormat::Tiff;
  if (ext == "ppm" || ext == "pnm") return ImageFormat::Ppm;
  throw FileError(path, "cannot tell the output format from the name (use .png, .tif, .tiff or .ppm)");
}

const char* FormatName(ImageFormat format) {
  switch (format) {
    case ImageFormat::Png: return "PNG";
    case ImageFormat::Tiff: return "TIFF";
    case ImageFormat::Ppm: return "PPM";
  }
  return "?";
}

Image ReadImage(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError(path, "cannot open: " + ErrnoText());
  std::uint8_t head[8] = {};
  const ssize_t got = ::read(fd, head, sizeof head);
  ::close(fd);
  if (got < 0) throw FileError(path, "cannot read: " + ErrnoText());
  const auto n = static_cast<std::size_t>(got);
  static const std::uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (n >= 8 && std::memcmp(head, kPng, 8) == 0) return ReadPng(path);
  if (n >= 4 && ((head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
                 (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43)))) {
    return ReadTiff(path);
  }
  if (n >= 2 && head[0] == 'P' && head[1] >= '1' && head[1] <= '7') return ReadPpm(path);
  throw FileError(path, "not an image this program reads (PNG, TIFF or binary PPM)");
}

void WriteImage(const std::string& path, const Image& image) {
  const ImageFormat format = FormatFromName(path);
  WriteFileAtomically(path, [&](int fd) {
    switch (format) {
      case ImageFormat::Png: WritePng(fd, path, image); break;
      case ImageFormat::Tiff: WriteTiff(fd, path, image); break;
      case ImageFormat::Ppm: WritePpm(fd, path, image); break;
    }
  });
}

}  // namespace k7730::host
