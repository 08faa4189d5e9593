// Fuzzes tone-curve files as the module's editor and the print command read
// them: the native file in both numberings and as a raw table file (by the
// name's extension), and the print command's native and raw parsers. A set
// that takes a file must keep finished tables any page can use.
//
// Input: the file's bytes.
#include <span>

#include "fuzz_support.h"
#include "host/core/host_error.h"
#include "host/core/tone_curve_file.h"
#include "tonecurve/curve_file.h"

using k7730::fuzz::Finding;

namespace {

void CheckSet(const k7730::ToneCurveSet& set, int status) {
  if (status != k7730::kCurveFileOk && status != k7730::kCurveFileCannotOpen &&
      status != k7730::kCurveFileCannotRead && status != k7730::kCurveFileUnsupported &&
      status != k7730::kRawTablesUnusable)
    Finding("a tone-curve file read gave an unexpected status");
  // A free-hand channel of a foreign file keeps whatever count it stored;
  // a control-point channel's count must fit its points.
  for (int c = 0; c < k7730::kCurveChannels; ++c)
    if (set.mode[c] == k7730::kModePoints && (set.pointCount[c] < 0 || set.pointCount[c] > k7730::kMaxCurvePoints))
      Finding("a control-point curve holds more points than its record");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string native = k7730::fuzz::TempPath("curves.tcv");
  static const std::string raw = k7730::fuzz::TempPath("curves.amp");
  if (!k7730::fuzz::WriteFile(native, data, size) || !k7730::fuzz::WriteFile(raw, data, size)) return 0;
  for (const std::string* path : {&native, &raw}) {
    k7730::ToneCurveSet set{};
    CheckSet(set, k7730::ReadCurveFile(set, path->c_str()));
  }
  for (int numbering : {k7730::kNormalNumbering, k7730::kAlternativeNumbering}) {
    int status = 0;
    k7730::CheckCurveFile(native.c_str(), numbering, &status);
  }
  const std::span<const std::uint8_t> bytes(data, size);
  try {
    k7730::host::ParseNativeToneCurves(bytes, native);
  } catch (const k7730::host::HostError&) {
  }
  try {
    k7730::host::ParseRawTables(bytes, raw);
  } catch (const k7730::host::HostError&) {
  }
  return 0;
}
