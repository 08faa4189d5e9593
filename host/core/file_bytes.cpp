#include "host/core/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "host/core/host_error.h"

namespace k7730::host {

namespace {

// The temporary file being written, so that an interrupt removes it too.
char pendingTemp[4096];

extern "C" void RemovePendingTemp(int signal) {
  if (pendingTemp[0] != '\0') ::unlink(pendingTemp);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

void TrackTemp(const std::string& temp) {
  if (temp.size() >= sizeof pendingTemp) return;
  std::memcpy(pendingTemp, temp.c_str(), temp.size() + 1);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, RemovePendingTemp);
}

void ForgetTemp() {
  pendingTemp[0] = '\0';
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) std::signal(sig, SIG_DFL);
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
  std::string temp = path + ".partial-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw FileError(path, "cannot create: " + ErrnoText());
  TrackTemp(temp);
  bool closed = false;
  try {
    write(fd);
    // mkstemp makes the file private; give it the permissions a plain
    // create would have given.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    if (::fsync(fd) != 0 && errno != EINVAL) throw FileError(path, "cannot write: " + ErrnoText());
    closed = true;
    if (::close(fd) != 0) throw FileError(path, "cannot write: " + ErrnoText());
  } catch (...) {
    if (!closed) ::close(fd);
    ::unlink(temp.c_str());
    ForgetTemp();
    throw;
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const std::string why = ErrnoText();
    ::unlink(temp.c_str());
    ForgetTemp();
    throw FileError(path, "cannot write: " + why);
  }
  ForgetTemp();
}

}  // namespace k7730::host
