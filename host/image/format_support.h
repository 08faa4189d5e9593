// What the format readers and writers share: limits checked before any
// buffer is allocated, file sizes, and stdio streams over descriptors.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/core/image.h"

namespace k7730::host {

// "-" stands for standard input or output.
inline bool IsStdio(const std::string& path) { return path == "-"; }

// Throws HostError when the size is zero or beyond kMaxImageSide and
// kMaxImageBytes.
void CheckImageSize(const std::string& path, std::uint64_t width, std::uint64_t height);

// Throws HostError when `decodedBytes` of image data cannot come out of the
// `storedBytes` the file holds at `bestRatio`, the best compression its
// coding reaches: the header claims more than the file describes, and its
// buffers are never allocated. A `storedBytes` of 0 (a pipe) is not checked.
void CheckImageData(const std::string& path, std::uint64_t decodedBytes, std::uint64_t storedBytes,
                    std::uint64_t bestRatio);

// The size of a regular file; 0 for a pipe or when it cannot be learnt.
std::uint64_t FileSizeOf(std::FILE* file);
std::uint64_t FileSizeOf(const std::string& path);

// The most of its file a reader that takes the file whole (WebP, HEIF)
// holds in memory; a larger file is refused as it is read.
constexpr std::uint64_t kMaxWholeFileBytes = std::uint64_t{256} << 20;

// The `consumed` bytes followed by the rest of `stream`, read in pieces as
// they come (a pipe cannot say its size); throws HostError naming `path`
// when they are over `maxBytes` or cannot be read. `format` names the
// file in the refusal.
std::vector<std::uint8_t> ReadWholeStream(const std::string& path, std::FILE* stream, const std::string& consumed,
                                          std::uint64_t maxBytes, const char* format);

// A stdio stream over a duplicate of `fd` that closes itself; throws
// HostError naming `path` when it cannot be had.
struct OwnedFile {
  std::FILE* file = nullptr;
  OwnedFile() = default;
  explicit OwnedFile(std::FILE* owned) : file(owned) {}
  OwnedFile(int fd, const char* mode, const std::string& path);
  OwnedFile(const OwnedFile&) = delete;
  OwnedFile& operator=(const OwnedFile&) = delete;
  ~OwnedFile();
  // Flushes and closes, reporting a failed write.
  void Close(const std::string& path);
};

}  // namespace k7730::host
