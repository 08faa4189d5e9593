#include "cmm/profile_file.h"

#include <algorithm>
#include <cstring>

#include "formats/byte_reader.h"

namespace k7730::cmm {

platform::FileId FileOfRef(const K7730_ProfileRef* ref) {
  if (ref == nullptr) return platform::kNoFile;
  return static_cast<platform::FileId>(*ref);
}

bool RefOfFile(platform::FileId file, K7730_ProfileRef* ref) {
  if (file == platform::kNoFile || file == platform::kInvalidFile) return false;
  *ref = static_cast<K7730_ProfileRef>(file);
  return true;
}

std::uint32_t ReadAt(platform::FileId file, std::uint64_t offset, void* buffer, std::uint32_t count) {
  if (offset > static_cast<std::uint64_t>(INT64_MAX)) return 0;
  if (!platform::FileSeek(file, static_cast<std::int64_t>(offset), platform::SeekFrom::Start)) return 0;
  std::uint32_t done = 0;
  platform::FileRead(file, buffer, count, &done);  // a failed read still reports what arrived
  return done;
}

std::uint64_t SizeOf(platform::FileId file) {
  std::uint64_t size = 0;
  if (!platform::FileSize(file, &size)) return 0;
  return size;
}

namespace {

void Swap32At(std::uint8_t* bytes, std::size_t offset) {
  std::uint32_t v = LoadBigEndian32(bytes + offset);
  std::memcpy(bytes + offset, &v, 4);
}

void Swap16At(std::uint8_t* bytes, std::size_t offset) {
  std::uint16_t v = LoadBigEndian16(bytes + offset);
  std::memcpy(bytes + offset, &v, 2);
}

}  // namespace

void HeaderToHostOrder(K7730_ProfileHeader* record) {
  auto* bytes = reinterpret_cast<std::uint8_t*>(record);
  for (std::size_t offset = 0; offset < 24; offset += 4) Swap32At(bytes, offset);
  for (std::size_t offset = 24; offset < 36; offset += 2) Swap16At(bytes, offset);
  // 36..83: signature, platform, flags, manufacturer, model, the two device
  // attribute words (each on its own, so they stay in file order), intent,
  // illuminant and creator.
  for (std::size_t offset = 36; offset < 84; offset += 4) Swap32At(bytes, offset);
}

std::uint32_t UsableTagCount(platform::FileId file, std::uint32_t* stored) {
  std::uint8_t raw[4] = {};
  std::uint32_t count = 0;
  if (ReadAt(file, kTagTableOffset, raw, 4) == 4) count = LoadBigEndian32(raw);
  if (stored != nullptr) *stored = count;
  std::uint64_t size = SizeOf(file);
  std::uint64_t room = size >= kTagTableOffset + 4 ? (size - kTagTableOffset - 4) / kTagEntryBytes : 0;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(count, room));
}

namespace {

bool AcceptedColorSpace(std::uint32_t space) {
  return space == K7730_SIG_RGB || space == K7730_SIG_CMYK || space == K7730_SIG_LAB;
}

bool AcceptedPcs(std::uint32_t pcs) { return pcs == K7730_SIG_XYZ || pcs == K7730_SIG_LAB; }

// A file shorter than the size its header states has been cut short:
// whatever is missing may be exactly what a transform needs.
Refusal CheckHeader(platform::FileId file, OpenReport& report) {
  K7730_ProfileHeader& header = report.header;
  const std::uint32_t got = ReadAt(file, 0, &header, kHeaderBytes);
  HeaderToHostOrder(&header);
  report.fileSize = SizeOf(file);
  if (got >= 4 && header.size > report.fileSize) return Refusal::CutShort;
  if (got != kHeaderBytes) return Refusal::NotAccepted;
  if (!AcceptedColorSpace(header.colorSpace) || !AcceptedPcs(header.pcs)) return Refusal::NotAccepted;
  return Refusal::None;
}

}  // namespace

platform::FileId OpenProfileFile(const char* path, OpenReport* report) {
  OpenReport local;
  OpenReport& r = report != nullptr ? *report : local;
  r = OpenReport{};
  const platform::FileId file = platform::FileOpen(path, platform::FileMode::ReadShared);
  if (file == platform::kInvalidFile || file == platform::kNoFile) {
    r.reason = Refusal::NotOpened;
    return platform::kInvalidFile;
  }
  r.reason = CheckHeader(file, r);
  if (r.reason == Refusal::None) return file;
  platform::FileClose(file);
  return platform::kInvalidFile;
}

TagLookup FindTag(platform::FileId file, std::uint32_t signature, K7730_TagEntry* entry) {
  std::uint32_t stored = 0;
  std::uint32_t usable = UsableTagCount(file, &stored);
  if (usable != stored) return TagLookup::Unreadable;  // the table claims more than the file holds
  const std::uint64_t fileSize = SizeOf(file);

  // The entries are read in batches rather than one by one; the first match wins.
  constexpr std::uint32_t kBatch = 64;
  std::uint8_t raw[kBatch * kTagEntryBytes];
  for (std::uint32_t first = 0; first < usable; first += kBatch) {
    std::uint32_t n = std::min(kBatch, usable - first);
    std::uint64_t at = kTagTableOffset + 4 + static_cast<std::uint64_t>(first) * kTagEntryBytes;
    if (ReadAt(file, at, raw, n * kTagEntryBytes) != n * kTagEntryBytes) return TagLookup::Unreadable;
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::uint8_t* e = raw + i * kTagEntryBytes;
      if (LoadBigEndian32(e) != signature) continue;
      K7730_TagEntry found{signature, LoadBigEndian32(e + 4), LoadBigEndian32(e + 8)};
      if (static_cast<std::uint64_t>(found.offset) + found.size > fileSize) return TagLookup::Unreadable;
      *entry = found;
      return TagLookup::Found;
    }
  }
  return TagLookup::Absent;
}

}  // namespace k7730::cmm
