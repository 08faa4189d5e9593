// Fuzzes the colour engine with two profiles at once: reads their headers,
// tag tables and elements, then builds and disposes a ColorWorld from the
// first to the second for every intent.
//
// Input: a 4-byte little-endian length n, then n bytes of the first profile
// (fewer if the input is shorter), then the second profile.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "k7730fe_cmm.h"

namespace {

std::string TempPath(const char* which) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir != nullptr ? dir : "/tmp") + "/k7730_fuzz_" + std::to_string(::getpid()) + "_" + which;
}

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

void ReadEverything(K7730_ProfileRef* ref) {
  K7730_ProfileHeader header;
  SDKCMGetProfileHeader(ref, &header);
  uint32_t count = 0;
  SDKCMGetTagTableInfo(ref, &count, nullptr);
  std::vector<std::uint8_t> table(K7730_TAG_TABLE_BYTES(count));
  SDKCMGetTagTableInfo(ref, &count, reinterpret_cast<K7730_TagTable*>(table.data()));
  for (uint32_t i = 0; i < count && i < 64; ++i) {
    uint32_t signature = 0;
    std::memcpy(&signature, table.data() + 4 + 12 * i, 4);
    uint32_t size = 0;
    if (SDKCMGetPartialProfileElement(ref, signature, 0, &size, nullptr) != 0) continue;
    uint32_t want = size < 4096 ? size : 4096;
    std::vector<std::uint8_t> element(want);
    SDKCMGetPartialProfileElement(ref, signature, 0, &want, element.data());
    uint32_t slice = 12;
    std::uint8_t bytes[12];
    SDKCMGetPartialProfileElement(ref, signature, 8, &slice, bytes);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::size_t firstSize = 0;
  if (size >= 4) {
    firstSize = std::size_t(data[0]) | std::size_t(data[1]) << 8 | std::size_t(data[2]) << 16 |
                std::size_t(data[3]) << 24;
    data += 4;
    size -= 4;
  }
  if (firstSize > size) firstSize = size;
  static const std::string first = TempPath("a.icc"), second = TempPath("b.icc");
  if (!WriteFile(first, data, firstSize) || !WriteFile(second, data + firstSize, size - firstSize)) return 0;

  K7730_ProfileRef a = 0, b = 0;
  bool aOpen = SDKCMOpenProfile(first.c_str(), &a) == 0;
  bool bOpen = SDKCMOpenProfile(second.c_str(), &b) == 0;
  if (aOpen) ReadEverything(&a);
  if (bOpen) ReadEverything(&b);
  if (aOpen && bOpen) {
    for (uint32_t intent = 0; intent < 4; ++intent) {
      SDKCMDisposeColorWorld(SDKCMCreateColorWorld(intent, &a, nullptr, &b, nullptr));
    }
  }
  if (aOpen) SDKCMCloseProfile(&a);
  if (bOpen) SDKCMCloseProfile(&b);
  return 0;
}
