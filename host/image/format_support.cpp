#include "host/image/format_support.h"

#include <sys/stat.h>
#include <unistd.h>

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

std::vector<std::uint8_t> ReadWholeStream(const std::string& path, std::FILE* stream, const std::string& consumed,
                                          std::uint64_t maxBytes, const char* format) {
  const auto tooLarge = [&] {
    return FileError(path, std::string("a ") + format + " file of more than " + std::to_string(maxBytes >> 20) +
                               " MiB is not read");
  };
  if (consumed.size() > maxBytes) throw tooLarge();
  std::vector<std::uint8_t> bytes(consumed.begin(), consumed.end());
  // A regular file says its size: one allocation, refused before it.
  const std::uint64_t size = FileSizeOf(stream);
  if (size > maxBytes) throw tooLarge();
  constexpr std::size_t kPiece = std::size_t{1} << 16;
  bytes.reserve(static_cast<std::size_t>(size) + kPiece);
  for (;;) {
    const std::size_t at = bytes.size();
    bytes.resize(at + kPiece);
    const std::size_t got = std::fread(bytes.data() + at, 1, kPiece, stream);
    bytes.resize(at + got);
    if (bytes.size() > maxBytes) throw tooLarge();
    if (got < kPiece) break;
  }
  if (std::ferror(stream) != 0) throw FileError(path, "cannot read: " + ErrnoText());
  return bytes;
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

}  // namespace k7730::host
