// Reading an open ICC profile file: header, tag table and element bytes,
// always through the file itself (nothing is cached) and always checked
// against the file's real size.
#pragma once

#include <cstdint>

#include "cmm/refusal.h"
#include "k7730fe_cmm.h"
#include "platform/platform.h"

namespace k7730::cmm {

inline constexpr std::uint32_t kHeaderBytes = 128;
inline constexpr std::uint32_t kTagTableOffset = 128;
inline constexpr std::uint32_t kTagEntryBytes = 12;

// What opening a profile came to: None, NotOpened (no such file, or it
// cannot be read), CutShort (the header states more bytes than the file
// holds, or the header itself is cut), NotAccepted (a data colour space
// other than RGB, CMYK and Lab, or a connection space other than XYZ and
// Lab). The header's words are in host order when they were read.
struct OpenReport {
  Refusal reason = Refusal::None;
  K7730_ProfileHeader header{};
  std::uint64_t fileSize = 0;
};

// Opens `path` for shared reading and checks its header: the open file, or
// kInvalidFile (with nothing left open) when the engine refuses it. The
// reason goes to `report` (may be null).
platform::FileId OpenProfileFile(const char* path, OpenReport* report);

// The file held in a ProfileRef word; kNoFile for a null pointer or word.
platform::FileId FileOfRef(const K7730_ProfileRef* ref);
// The word that stands for `file`; false when it does not fit 32 bits.
bool RefOfFile(platform::FileId file, K7730_ProfileRef* ref);

// Reads up to `count` bytes at `offset`; returns the number that arrived
// (0 when the position cannot be reached).
std::uint32_t ReadAt(platform::FileId file, std::uint64_t offset, void* buffer, std::uint32_t count);

// The file's size, 0 when it cannot be learnt.
std::uint64_t SizeOf(platform::FileId file);

// Turns the 128 big-endian header bytes in `record` into host order, in place.
void HeaderToHostOrder(K7730_ProfileHeader* record);

// The tag count the file really has room for: the stored count, lowered to
// the whole entries between offset 132 and the end of the file. `stored`
// (optional) receives the count as written in the file.
std::uint32_t UsableTagCount(platform::FileId file, std::uint32_t* stored);

// What a tag lookup found. A table that claims more entries than the file
// holds, or an element that runs past the end of the file, is damage, not
// absence: the caller must not fall back as if the tag were not there.
enum class TagLookup { Found, Absent, Unreadable };

// Looks up `signature`; the first entry in table order wins.
TagLookup FindTag(platform::FileId file, std::uint32_t signature, K7730_TagEntry* entry);

}  // namespace k7730::cmm
