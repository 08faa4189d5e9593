// The module's only contact with the operating system: memory, files, the
// module's own location and the dynamic loader. Each system has its own
// implementation folder; nothing outside platform/ includes a system header.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k7730::platform {

#if defined(_WIN32)
inline constexpr char kPathSeparator = '\\';
inline constexpr char kSharedLibraryExtension[] = ".dll";
#else
inline constexpr char kPathSeparator = '/';
inline constexpr char kSharedLibraryExtension[] = ".so";
#endif

// Longest path, terminator included, that the module's path fields hold.
inline constexpr std::size_t kMaxPath = 260;

// ---- Memory ---------------------------------------------------------------
// Zero-filled blocks that are released by their address alone. Release
// ignores null, addresses this allocator did not hand out, and blocks that
// were already released.
void* Allocate(std::size_t bytes);
void Release(void* block);
// Size a live block was allocated with; 0 for any other address.
std::size_t BlockSize(const void* block);
// Number of live blocks (for leak checks).
std::size_t LiveBlockCount();
#if K7730_TEST_HOOKS
// Test builds only (the k7730_test_hooks objects): the allocation after
// `successes` more successful ones fails; a negative value switches failure
// injection off.
void FailAllocationAfter(long successes);
#endif

// ---- Files ----------------------------------------------------------------
// A file handle word: 0 is "no file", kInvalidFile a failed open.
using FileId = std::uintptr_t;
inline constexpr FileId kNoFile = 0;
inline constexpr FileId kInvalidFile = ~static_cast<FileId>(0);

enum class FileMode {
  ReadShared,      // read only, others may read too, must exist
  CreateTruncate,  // write only, created or truncated
  OpenAlways,      // write only, created when missing, kept otherwise
};

FileId FileOpen(const char* path, FileMode mode);
// Reads up to `count` bytes; `done` receives what arrived. False on an error.
bool FileRead(FileId file, void* buffer, std::uint32_t count, std::uint32_t* done);
bool FileWrite(FileId file, const void* buffer, std::uint32_t count, std::uint32_t* done);
enum class SeekFrom { Start, Current };
bool FileSeek(FileId file, std::int64_t offset, SeekFrom from);
bool FileSize(FileId file, std::uint64_t* size);
bool FileClose(FileId file);
bool FileExists(const char* path);
// True when the path names an existing folder.
bool FolderExists(const char* path);

// ---- The module's own file --------------------------------------------------
// Writes the full path of the module's file (terminated) when it fits `capacity`.
bool ModuleFilePath(char* buffer, std::size_t capacity);

// ---- Dynamic loader ---------------------------------------------------------
using LibraryId = std::uintptr_t;  // 0: none
LibraryId LibraryLoad(const char* path);
void* LibrarySymbol(LibraryId library, const char* name);
void LibraryFree(LibraryId library);

}  // namespace k7730::platform
