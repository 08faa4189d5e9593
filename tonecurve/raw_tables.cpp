#include <cstdint>

#include "tonecurve/curve_file.h"
#include "tonecurve/curve_file_io.h"
#include "formats/curve_file_parse.h"
#include "formats/curve_reset.h"
#include "platform/file_wrappers.h"

namespace k7730 {
namespace {

bool ReadTables(FileHandle* file, ToneCurveSet& set) {
  std::uint32_t size = 0;
  if (FileGetSize(file, &size) != 0) return false;
  if (size != kRawThreeTables && size != kRawFiveTables) return false;
  std::uint8_t bytes[kRawFiveTables];
  if (!curvefile::ReadExactly(file, bytes, size)) return false;
  return ParseRawTableBytes(ByteView(bytes, size), set);
}

}  // namespace

int LoadRawTables(ToneCurveSet& set, const char* path) {
  FileHandle file;
  FileInit(&file);
  bool ok = false;
  if (FileOpenRead(&file, path) == 0) {
    ok = ReadTables(&file, set);
  } else {
    FileInit(&file);
  }
  FileClose(&file);
  if (ok) return kCurveFileOk;
  ResetCurveSet(set);
  return kRawTablesUnusable;
}

}  // namespace k7730
