// POSIX files. The handle word holds the descriptor plus one, so that 0
// stays "no file" even for descriptor 0.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/platform.h"

namespace k7730::platform {
namespace {

int Descriptor(FileId file) {
  if (file == kNoFile || file == kInvalidFile) return -1;
  return static_cast<int>(file - 1);
}

}  // namespace

FileId FileOpen(const char* path, FileMode mode) {
  if (path == nullptr || path[0] == '\0') return kInvalidFile;
  int flags = O_CLOEXEC;
  switch (mode) {
    case FileMode::ReadShared: flags |= O_RDONLY; break;
    case FileMode::CreateTruncate: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case FileMode::OpenAlways: flags |= O_WRONLY | O_CREAT; break;
  }
  int fd;
  do {
    fd = ::open(path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return kInvalidFile;
  if (mode == FileMode::ReadShared) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {  // a folder is no file
      ::close(fd);
      return kInvalidFile;
    }
  }
  return static_cast<FileId>(fd) + 1;
}

bool FileRead(FileId file, void* buffer, std::uint32_t count, std::uint32_t* done) {
  if (done != nullptr) *done = 0;
  int fd = Descriptor(file);
  if (fd < 0 || (buffer == nullptr && count != 0)) return false;
  std::uint32_t total = 0;
  auto* out = static_cast<unsigned char*>(buffer);
  while (total < count) {
    ssize_t n = ::read(fd, out + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (done != nullptr) *done = total;
      return false;
    }
    if (n == 0) break;  // end of file
    total += static_cast<std::uint32_t>(n);
  }
  if (done != nullptr) *done = total;
  return true;
}

bool FileWrite(FileId file, const void* buffer, std::uint32_t count, std::uint32_t* done) {
  if (done != nullptr) *done = 0;
  int fd = Descriptor(file);
  if (fd < 0 || (buffer == nullptr && count != 0)) return false;
  std::uint32_t total = 0;
  const auto* in = static_cast<const unsigned char*>(buffer);
  while (total < count) {
    ssize_t n = ::write(fd, in + total, count - total);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (done != nullptr) *done = total;
      return false;
    }
    total += static_cast<std::uint32_t>(n);
  }
  if (done != nullptr) *done = total;
  return true;
}

bool FileSeek(FileId file, std::int64_t offset, SeekFrom from) {
  int fd = Descriptor(file);
  if (fd < 0) return false;
  return ::lseek(fd, static_cast<off_t>(offset), from == SeekFrom::Start ? SEEK_SET : SEEK_CUR) >= 0;
}

bool FileSize(FileId file, std::uint64_t* size) {
  int fd = Descriptor(file);
  if (fd < 0 || size == nullptr) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0) return false;
  *size = static_cast<std::uint64_t>(st.st_size);
  return true;
}

bool FileClose(FileId file) {
  int fd = Descriptor(file);
  if (fd < 0) return false;
  return ::close(fd) == 0;
}

bool FileExists(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  struct stat st;
  return ::stat(path, &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  struct stat st;
  return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace k7730::platform
