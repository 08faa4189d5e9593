#include <cstdint>

#include "tonecurve/curve_file.h"
#include "tonecurve/curve_file_io.h"
#include "tonecurve/curve_reset.h"
#include "ui/file_wrappers.h"

namespace k7730 {
namespace {

using curvefile::kTableBytes;
using curvefile::ReadExactly;

constexpr std::uint32_t kThreeTables = 3 * kTableBytes;  // channels 1..3
constexpr std::uint32_t kFiveTables = 5 * kTableBytes;   // channels 0..3 and one unread

bool ReadTables(FileHandle* file, ToneCurveSet& set) {
  std::uint32_t size = 0;
  if (FileGetSize(file, &size) != 0) return false;
  if (size != kThreeTables && size != kFiveTables) return false;

  ResetCurveSetForRawTables(set);
  const int first = size == kThreeTables ? 1 : 0;
  for (int c = first; c <= 3; ++c) {
    if (!ReadExactly(file, set.tables[c], kTableBytes)) return false;
  }
  if (size == kFiveTables) {
    // Fold the common table into the colour channels: the channel's table
    // acts first, the common table second.
    for (int c = 1; c <= 3; ++c) {
      for (std::uint8_t& entry : set.tables[c]) entry = set.tables[0][entry];
    }
  }
  FillIdentityTable(set.tables[0]);
  return true;
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
