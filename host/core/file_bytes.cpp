#include "host/core/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "host/core/host_error.h"
#include "host/core/temporary_files.h"

namespace k7730::host {

namespace {

// A new file beside `path` under a name of its own, created with the
// permissions a plain create would give (the umask applies).
int CreateTemp(const std::string& path, std::string& temp) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = path + ".partial-";
    for (int i = 0; i < 8; ++i) temp += kLetters[random() % (sizeof kLetters - 1)];
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

std::string ErrnoText() { return std::strerror(errno); }

std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw FileError(path, "cannot open: " + ErrnoText());
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw FileError(path, "not a regular file");
  }
  if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
    ::close(fd);
    throw FileError(path, "too large (" + std::to_string(st.st_size) + " bytes)");
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const std::string why = n < 0 ? ErrnoText() : "file ended early";
      ::close(fd);
      throw FileError(path, "cannot read: " + why);
    }
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  return bytes;
}

void WriteAll(int fd, const std::string& path, const void* data, std::size_t size) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw FileError(path, "cannot write: " + ErrnoText());
    p += n;
    size -= static_cast<std::size_t>(n);
  }
}

void WriteFileAtomically(const std::string& path, const std::function<void(int fd)>& write) {
  std::string temp;
  const int fd = CreateTemp(path, temp);
  if (fd < 0) throw FileError(path, "cannot create: " + ErrnoText());
  const PendingFile pending(temp);
  bool closed = false;
  try {
    write(fd);
    if (::fsync(fd) != 0 && errno != EINVAL) throw FileError(path, "cannot write: " + ErrnoText());
    closed = true;
    if (::close(fd) != 0) throw FileError(path, "cannot write: " + ErrnoText());
  } catch (...) {
    if (!closed) ::close(fd);
    ::unlink(temp.c_str());
    throw;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string why = ErrnoText();
    ::unlink(temp.c_str());
    throw FileError(path, "cannot write: " + why);
  }
}

}  // namespace k7730::host
