#include "platform/file_wrappers.h"

namespace k7730 {
namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;

bool Usable(const FileHandle* file) {
  return file != nullptr && *file != platform::kNoFile && *file != platform::kInvalidFile;
}

int Open(FileHandle* file, const char* path, platform::FileMode mode) {
  if (file == nullptr) return kFailed;
  *file = platform::FileOpen(path, mode);
  return Usable(file) ? kOk : kFailed;
}

int Seek(FileHandle* file, std::int32_t offset, platform::SeekFrom from) {
  if (!Usable(file)) return kFailed;
  return platform::FileSeek(*file, offset, from) ? kOk : kFailed;
}

}  // namespace

int FileInit(FileHandle* file) {
  if (file != nullptr) *file = platform::kNoFile;
  return kOk;
}

int FileOpenRead(FileHandle* file, const char* path) {
  return Open(file, path, platform::FileMode::ReadShared);
}

int FileCreateWrite(FileHandle* file, const char* path) {
  return Open(file, path, platform::FileMode::CreateTruncate);
}

int FileRead(FileHandle* file, void* buffer, std::uint16_t* count) {
  if (!Usable(file) || count == nullptr) return kFailed;
  std::uint32_t done = 0;
  if (!platform::FileRead(*file, buffer, *count, &done) || done != *count) return kFailed;
  return kOk;
}

int FileWrite(FileHandle* file, const void* buffer, std::uint16_t* count) {
  if (!Usable(file) || count == nullptr) return kFailed;
  std::uint32_t done = 0;
  const bool ok = platform::FileWrite(*file, buffer, *count, &done);
  if (ok && done == *count) return kOk;
  *count = static_cast<std::uint16_t>(done);
  return kFailed;
}

int FileClose(FileHandle* file) {
  if (file == nullptr || *file == platform::kNoFile) return kOk;
  if (*file != platform::kInvalidFile) platform::FileClose(*file);
  *file = platform::kNoFile;
  return kOk;
}

int FileSeekStart(FileHandle* file, std::int32_t offset) {
  return Seek(file, offset, platform::SeekFrom::Start);
}

int FileSeekCurrent(FileHandle* file, std::int32_t offset) {
  return Seek(file, offset, platform::SeekFrom::Current);
}

int FileGetSize(FileHandle* file, std::uint32_t* size) {
  if (!Usable(file) || size == nullptr) return kFailed;
  std::uint64_t full = 0;
  // A size that does not fit below the failure value fails outright rather
  // than passing on its low 32 bits, which would make a file of gigabytes
  // look like a small one.
  if (!platform::FileSize(*file, &full) || full >= 0xFFFFFFFFu) return kFailed;
  *size = static_cast<std::uint32_t>(full);
  return kOk;
}

}  // namespace k7730
