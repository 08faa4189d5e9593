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
