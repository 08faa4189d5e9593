// The exported profile operations: open with the colour-space test, close,
// header, tag table and element reads.
#include <algorithm>
#include <cstring>

#include "formats/byte_reader.h"
#include "cmm/profile_file.h"
#include "k7730fe_cmm.h"

using k7730::platform::FileId;
using k7730::platform::kInvalidFile;
using k7730::platform::kNoFile;
namespace cmm = k7730::cmm;

extern "C" {

K7730_API int32_t K7730_CDECL SDKCMOpenProfile(const char* path, K7730_ProfileRef* ref) {
  if (path == nullptr || ref == nullptr) return -1;
  cmm::OpenReport report;
  FileId file = cmm::OpenProfileFile(path, &report);
  if (file == kInvalidFile) {
    // A refused file was opened and closed again: the word no longer names
    // it, so that a stray close cannot hit a file opened later under the
    // same number.
    if (report.reason != cmm::Refusal::NotOpened) *ref = 0;
    return -1;
  }
  K7730_ProfileRef word = 0;
  if (!cmm::RefOfFile(file, &word)) {
    k7730::platform::FileClose(file);
    return -1;
  }
  *ref = word;
  return 0;
}

K7730_API int32_t K7730_CDECL SDKCMCloseProfile(K7730_ProfileRef* ref) {
  FileId file = cmm::FileOfRef(ref);
  if (file == kNoFile) return 0;
  return k7730::platform::FileClose(file) ? 1 : 0;
}

K7730_API void K7730_CDECL SDKCMGetProfileHeader(K7730_ProfileRef* ref, K7730_ProfileHeader* header) {
  FileId file = cmm::FileOfRef(ref);
  if (file == kNoFile || header == nullptr) return;
  // A short read leaves the rest of the caller's record as it was.
  cmm::ReadAt(file, 0, header, cmm::kHeaderBytes);
  cmm::HeaderToHostOrder(header);
}

K7730_API void K7730_CDECL SDKCMGetTagTableInfo(K7730_ProfileRef* ref, uint32_t* count, K7730_TagTable* table) {
  FileId file = cmm::FileOfRef(ref);
  if (file == kNoFile || count == nullptr) return;
  // The count is lowered to the entries the file really holds, so that a
  // caller sizing its table from it never receives more than it allocated.
  std::uint32_t usable = cmm::UsableTagCount(file, nullptr);
  *count = usable;
  if (table == nullptr) return;

  const std::uint32_t bytes = K7730_TAG_TABLE_BYTES(usable);
  auto* raw = reinterpret_cast<std::uint8_t*>(table);
  std::uint32_t got = cmm::ReadAt(file, cmm::kTagTableOffset, raw, bytes);
  std::uint32_t whole = got >= 4 ? (got - 4) / cmm::kTagEntryBytes : 0;
  std::memcpy(raw, &usable, 4);
  for (std::uint32_t i = 0; i < std::min(usable, whole); ++i) {
    std::uint8_t* e = raw + 4 + i * cmm::kTagEntryBytes;
    K7730_TagEntry host{k7730::LoadBigEndian32(e), k7730::LoadBigEndian32(e + 4), k7730::LoadBigEndian32(e + 8)};
    std::memcpy(e, &host, sizeof host);
  }
}

K7730_API int32_t K7730_CDECL SDKCMGetPartialProfileElement(K7730_ProfileRef* ref, uint32_t tag, uint32_t offset,
                                                            uint32_t* count, void* buffer) {
  FileId file = cmm::FileOfRef(ref);
  if (file == kNoFile || count == nullptr) return -1;
  K7730_TagEntry entry;
  if (cmm::FindTag(file, tag, &entry) != cmm::TagLookup::Found) return -1;
  if (buffer == nullptr) {
    *count = entry.size;
    return 0;
  }
  // The slice is not held to the element: bytes past its end come from the
  // rest of the file, never from beyond the file.
  *count = cmm::ReadAt(file, static_cast<std::uint64_t>(entry.offset) + offset, buffer, *count);
  return 0;
}

}  // extern "C"
