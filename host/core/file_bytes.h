// Whole-file reading and all-or-nothing file writing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace k7730::host {

// Reads a whole file; refuses files larger than maxBytes. Throws HostError.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path, std::size_t maxBytes);

// Creates the file next to `path` under a temporary name, lets `write` fill
// it through the descriptor, then renames it over `path`. When `write`
// throws, the temporary file is removed and `path` is left as it was.
// While it is written the temporary file is listed as pending, for the
// program's own interrupt handler (see temporary_files.h). Safe to call
// from several threads at once.
void WriteFileAtomically(const std::string& path, const std::function<void(int fd)>& write);

// Writes all bytes to a descriptor or throws HostError naming `path`.
void WriteAll(int fd, const std::string& path, const void* data, std::size_t size);

// "No such file or directory" and the like for the current errno.
std::string ErrnoText();

}  // namespace k7730::host
