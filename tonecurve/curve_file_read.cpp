// Loading a native tone-curve file: its first bytes are read through the
// file wrappers and checked and read in memory (curve_file_parse.h).
#include <cstdint>

#include "tonecurve/curve_file.h"
#include "tonecurve/curve_file_io.h"
#include "formats/curve_file_parse.h"
#include "platform/file_wrappers.h"
#include "platform/path_utils.h"

namespace k7730 {
namespace {

// The file's size and its first bytes, up to the read limit.
struct FileBytes {
  std::uint32_t size = 0;
  std::uint32_t held = 0;
  std::uint8_t bytes[kCurveFileReadLimit];

  ByteView View() const { return ByteView(bytes, held); }
};

// kCurveFileOk, 1101 when the file does not open, 1103 when its size or
// bytes cannot be read.
int ReadFileStart(const char* path, FileBytes& file) {
  FileHandle handle;
  FileInit(&handle);
  if (FileOpenRead(&handle, path) != 0) {
    FileInit(&handle);  // a failed open may leave the invalid handle behind
    return kCurveFileCannotOpen;
  }
  int status = kCurveFileCannotRead;
  if (FileGetSize(&handle, &file.size) == 0) {
    file.held = file.size < kCurveFileReadLimit ? file.size : static_cast<std::uint32_t>(kCurveFileReadLimit);
    if (curvefile::ReadExactly(&handle, file.bytes, file.held)) status = kCurveFileOk;
  }
  FileClose(&handle);
  return status;
}

int Check(const char* path, int numbering) {
  FileBytes file;
  const int status = ReadFileStart(path, file);
  if (status != kCurveFileOk) return status;
  return CheckCurveBytes(file.View(), file.size, numbering);
}

int ReadNative(ToneCurveSet& set, const char* path) {
  FileBytes file;
  const int status = ReadFileStart(path, file);
  if (status != kCurveFileOk) return status;
  int numbering = kNormalNumbering;
  if (CheckCurveBytes(file.View(), file.size, kNormalNumbering) != kCurveFileOk) {
    numbering = kAlternativeNumbering;
    const int alternative = CheckCurveBytes(file.View(), file.size, kAlternativeNumbering);
    if (alternative != kCurveFileOk) return alternative;
  }
  return ParseCurveBytes(file.View(), numbering, set);
}

}  // namespace

int CheckCurveFile(const char* path, int numbering, int* status) {
  const int result = Check(path, numbering);
  if (status != nullptr) *status = result;
  return result == kCurveFileOk ? 1 : 0;
}

int ReadCurveFile(ToneCurveSet& set, const char* path) {
  if (HasExtension(path, "AMP")) return LoadRawTables(set, path);
  return ReadNative(set, path);
}

}  // namespace k7730
