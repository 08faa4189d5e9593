#include "host/core/soft_proof.h"

#include <cstring>

#include "formats/byte_reader.h"
#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

namespace k7730::host {

namespace {

constexpr std::uint32_t kRelativeColorimetric = 1;

// An open profile that closes itself: the engine needs its profiles only
// while it builds the ColorWorld.
struct OpenProfile {
  const ModuleApi& api;
  K7730_ProfileRef ref {};
  bool open = false;
  OpenProfile(const ModuleApi& a, const std::string& path) : api(a) {
    open = api.openProfile(path.c_str(), &ref) == 0;
    if (!open) throw FileError(path, "the colour engine cannot open this profile for the proof");
  }
  ~OpenProfile() {
    if (open) api.closeProfile(&ref);
  }
  OpenProfile(const OpenProfile&) = delete;
  OpenProfile& operator=(const OpenProfile&) = delete;
};

// The proof's conversion starts from the printer profile. The colour engine
// keeps the 16-bit tables of a matrix/TRC source once per process, and the
// page's own conversion (from an sRGB-like profile) needs them at the same
// time; so the printer profile must bring lookup tables (an A2B tag), as
// printer profiles do.
bool HasLookupTables(const std::string& path) {
  constexpr std::size_t kHeaderBytes = 128, kEntryBytes = 12;
  constexpr std::uint32_t kMaxTags = 1024;
  const std::vector<std::uint8_t> bytes = ReadFileBytes(path, std::size_t{64} << 20);
  if (bytes.size() < kHeaderBytes + 4) return false;
  const std::uint32_t count = LoadBigEndian32(bytes.data() + kHeaderBytes);
  if (count > kMaxTags || bytes.size() < kHeaderBytes + 4 + std::size_t{count} * kEntryBytes) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint32_t tag = LoadBigEndian32(bytes.data() + kHeaderBytes + 4 + i * kEntryBytes);
    if (tag == 0x41324230 || tag == 0x41324231 || tag == 0x41324232) return true;  // 'A2B0'..'A2B2'
  }
  return false;
}

}  // namespace

std::string ScreenProfilePath(const LoadedModule& module) {
  const std::string& path = module.Path();
  const auto slash = path.rfind('/');
  return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "A17D50.ICC";
}

ProofSink::ProofSink(const LoadedModule& module, const std::string& printerProfile, const std::string& screenProfile,
                     std::uint32_t width, std::unique_ptr<ImageSink> next)
    : api_(module.Api()), width_(width), next_(std::move(next)) {
  if (!api_.CanMatch()) {
    throw FileError(module.Path(), "this module build has no colour engine exports for the proof");
  }
  if (!HasLookupTables(printerProfile)) {
    throw FileError(printerProfile, "a printer profile without lookup tables (A2B): the proof cannot be made from it");
  }
  {
    OpenProfile printer(api_, printerProfile);
    OpenProfile screen(api_, screenProfile);
    world_ = api_.createColorWorld(kRelativeColorimetric, &printer.ref, nullptr, &screen.ref, nullptr);
  }
  if (world_ == 0) {
    throw HostError(printerProfile + ", " + screenProfile +
                    ": the colour engine cannot convert the printer's colours back for the proof");
  }
}

ProofSink::~ProofSink() {
  if (world_ != 0) api_.disposeColorWorld(world_);
}

void ProofSink::WriteRows(const std::uint8_t* rgb, std::uint32_t count) {
  if (count == 0) return;
  const std::size_t rowBytes = std::size_t{width_} * 3;
  rows_.resize(rowBytes * count);
  K7730_PixelMap source{static_cast<std::int32_t>(width_), static_cast<std::int32_t>(count), 3,
                        static_cast<std::uint32_t>(rowBytes), const_cast<std::uint8_t*>(rgb)};
  K7730_PixelMap target{static_cast<std::int32_t>(width_), static_cast<std::int32_t>(count), 3,
                        static_cast<std::uint32_t>(rowBytes), rows_.data()};
  if (api_.matchPixelMap(world_, &source, &target) != 0) {
    throw HostError("the colour engine refused to convert a band for the proof");
  }
  next_->WriteRows(rows_.data(), count);
}

}  // namespace k7730::host
