// What the profile fuzzers read of an opened profile through the exports:
// the header, the tag table, and for each listed tag its size, the whole
// element (up to 4 kB) and the 12-byte slice at offset 8. Reads that give
// more than was asked for are findings.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "k7730fe_cmm.h"

namespace k7730::fuzz {

// `onElement(bytes, count)` is called with each element read.
template <typename OnElement>
void ReadProfile(K7730_ProfileRef* ref, OnElement onElement) {
  K7730_ProfileHeader header;
  SDKCMGetProfileHeader(ref, &header);
  std::uint32_t count = 0;
  SDKCMGetTagTableInfo(ref, &count, nullptr);
  std::vector<std::uint8_t> table(K7730_TAG_TABLE_BYTES(count));
  std::uint32_t again = 0;
  SDKCMGetTagTableInfo(ref, &again, reinterpret_cast<K7730_TagTable*>(table.data()));
  if (again != count) Finding("the tag count changed between two reads");
  for (std::uint32_t i = 0; i < count && i < 64; ++i) {
    std::uint32_t signature = 0;
    std::memcpy(&signature, table.data() + 4 + 12 * i, 4);
    std::uint32_t size = 0;
    if (SDKCMGetPartialProfileElement(ref, signature, 0, &size, nullptr) != 0) continue;
    std::uint32_t want = size < 4096 ? size : 4096;
    std::vector<std::uint8_t> element(want);
    if (SDKCMGetPartialProfileElement(ref, signature, 0, &want, element.data()) != 0 || want > element.size())
      Finding("an element read returned more than asked for");
    std::uint8_t slice[12];
    std::uint32_t sliceCount = sizeof slice;
    SDKCMGetPartialProfileElement(ref, signature, 8, &sliceCount, slice);
    if (sliceCount > sizeof slice) Finding("a slice read returned more than asked for");
    onElement(element.data(), want);
  }
}

}  // namespace k7730::fuzz
