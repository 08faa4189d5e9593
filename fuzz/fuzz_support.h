// Helpers shared by the fuzz targets: the input read as a stream of bytes,
// and input written to a file of this process for parsers that take a path.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace k7730::fuzz {

// Bytes taken one after another; zeros once the input is used up.
class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  void Take(void* out, std::size_t n) {
    auto* o = static_cast<std::uint8_t*>(out);
    for (std::size_t i = 0; i < n; ++i) o[i] = Byte();
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// A file name of this process in $TMPDIR (or /tmp) ending in `suffix`.
inline std::string TempPath(const char* suffix) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/k7730_fuzz_" + std::to_string(::getpid()) + "_" + suffix;
}

inline bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Stops the run in a way every fuzzer engine reports as a finding.
[[noreturn]] inline void Finding(const char* what) {
  std::fprintf(stderr, "fuzz finding: %s\n", what);
  std::abort();
}

}  // namespace k7730::fuzz
