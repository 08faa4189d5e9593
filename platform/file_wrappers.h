// Thin wrappers around the platform's files with one status convention:
// 0 success, 1 failure. Byte counts are 16-bit, and a short read fails.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace k7730 {

using FileHandle = platform::FileId;

int FileInit(FileHandle* file);
int FileOpenRead(FileHandle* file, const char* path);
int FileCreateWrite(FileHandle* file, const char* path);
// Succeeds only when exactly *count bytes arrive; *count is left as it was
// on failure.
int FileRead(FileHandle* file, void* buffer, std::uint16_t* count);
// On failure *count receives the bytes that were written.
int FileWrite(FileHandle* file, const void* buffer, std::uint16_t* count);
int FileClose(FileHandle* file);
int FileSeekStart(FileHandle* file, std::int32_t offset);
int FileSeekCurrent(FileHandle* file, std::int32_t offset);
// The file's size; fails for a size of 0xFFFFFFFF bytes or more.
int FileGetSize(FileHandle* file, std::uint32_t* size);

}  // namespace k7730
