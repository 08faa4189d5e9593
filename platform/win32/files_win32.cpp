// Win32 files. The handle word holds the HANDLE itself; INVALID_HANDLE_VALUE
// is kInvalidFile.
#include <windows.h>

#include "platform/platform.h"

namespace k7730::platform {
namespace {

constexpr DWORD kAlreadyExists = ERROR_ALREADY_EXISTS;  // 183
static_assert(kAlreadyExists == 183);

HANDLE Handle(FileId file) { return reinterpret_cast<HANDLE>(file); }

bool Usable(FileId file) { return file != kNoFile && file != kInvalidFile; }

struct OpenRule {
  DWORD access;
  DWORD sharing;
  DWORD disposition;
  bool existsIsFine;  // whether "already exists" after the call still means success
};

OpenRule RuleFor(FileMode mode) {
  switch (mode) {
    case FileMode::ReadShared: return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, false};
    case FileMode::CreateTruncate: return {GENERIC_WRITE, 0, CREATE_ALWAYS, true};
    case FileMode::OpenAlways: return {GENERIC_WRITE, 0, OPEN_ALWAYS, true};
  }
  return {GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, false};
}

}  // namespace

// The last-error value is cleared before the call and judged after it: an
// open counts only when the system reports no error (or, for the writing
// modes, that the file already existed). A handle that came back together
// with another error is closed here rather than leaked.
FileId FileOpen(const char* path, FileMode mode) {
  if (path == nullptr || path[0] == '\0') return kInvalidFile;
  const OpenRule rule = RuleFor(mode);
  ::SetLastError(0);
  HANDLE handle = ::CreateFileA(path, rule.access, rule.sharing, nullptr, rule.disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = ::GetLastError();
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return kInvalidFile;
  if (error != 0 && !(rule.existsIsFine && error == kAlreadyExists)) {
    ::CloseHandle(handle);
    return kInvalidFile;
  }
  return reinterpret_cast<FileId>(handle);
}

bool FileRead(FileId file, void* buffer, std::uint32_t count, std::uint32_t* done) {
  if (done != nullptr) *done = 0;
  if (!Usable(file) || (buffer == nullptr && count != 0)) return false;
  std::uint32_t total = 0;
  auto* out = static_cast<unsigned char*>(buffer);
  while (total < count) {
    DWORD n = 0;
    if (!::ReadFile(Handle(file), out + total, count - total, &n, nullptr)) {
      if (done != nullptr) *done = total;
      return false;
    }
    if (n == 0) break;  // end of file
    total += n;
  }
  if (done != nullptr) *done = total;
  return true;
}

bool FileWrite(FileId file, const void* buffer, std::uint32_t count, std::uint32_t* done) {
  if (done != nullptr) *done = 0;
  if (!Usable(file) || (buffer == nullptr && count != 0)) return false;
  std::uint32_t total = 0;
  const auto* in = static_cast<const unsigned char*>(buffer);
  while (total < count) {
    DWORD n = 0;
    if (!::WriteFile(Handle(file), in + total, count - total, &n, nullptr) || n == 0) {
      if (done != nullptr) *done = total;
      return false;
    }
    total += n;
  }
  if (done != nullptr) *done = total;
  return true;
}

bool FileSeek(FileId file, std::int64_t offset, SeekFrom from) {
  if (!Usable(file)) return false;
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return ::SetFilePointerEx(Handle(file), distance, nullptr, from == SeekFrom::Start ? FILE_BEGIN : FILE_CURRENT) != 0;
}

// The full 64-bit size, so that a file of more than 4 GiB is not taken for
// the small file its low 32 bits describe.
bool FileSize(FileId file, std::uint64_t* size) {
  if (!Usable(file) || size == nullptr) return false;
  LARGE_INTEGER full;
  if (!::GetFileSizeEx(Handle(file), &full) || full.QuadPart < 0) return false;
  *size = static_cast<std::uint64_t>(full.QuadPart);
  return true;
}

bool FileClose(FileId file) {
  if (!Usable(file)) return false;
  return ::CloseHandle(Handle(file)) != 0;
}

bool FileExists(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  const DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  const DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace k7730::platform
