// Fuzzes the MTF text file as the module's dialog and the print command read
// it.
//
// Input: the file's bytes.
#include <span>

#include "fuzz_support.h"
#include "host/core/host_error.h"
#include "host/core/mtf_file.h"
#include "ui/mtf_file.h"

using k7730::fuzz::Finding;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = k7730::fuzz::TempPath("kernel.mtf");
  if (!k7730::fuzz::WriteFile(path, data, size)) return 0;
  k7730::MtfSettings settings{};
  std::uint16_t status = 0xFFFF;
  const int ok = k7730::ReadMtfFile(path.c_str(), &settings, &status);
  if (ok == 1 ? status != k7730::kMtfOk : status != k7730::kMtfUnsupported)
    Finding("an MTF file read gave an unexpected status");
  try {
    const k7730::host::MtfKernel kernel = k7730::host::ParseMtfText(std::span<const std::uint8_t>(data, size), path);
    k7730::host::CheckMtfRanges(kernel, path);
  } catch (const k7730::host::HostError&) {
  }
  return 0;
}
