#include "host/core/profile_report.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

namespace k7730::host {

namespace {

constexpr std::uint32_t Sig(const char (&s)[5]) {
  return (std::uint32_t(std::uint8_t(s[0])) << 24) | (std::uint32_t(std::uint8_t(s[1])) << 16) |
         (std::uint32_t(std::uint8_t(s[2])) << 8) | std::uint32_t(std::uint8_t(s[3]));
}

constexpr std::uint32_t kColorants[3] = {Sig("rXYZ"), Sig("gXYZ"), Sig("bXYZ")};
constexpr std::uint32_t kTrcs[3] = {Sig("rTRC"), Sig("gTRC"), Sig("bTRC")};
constexpr std::uint32_t kLutTags[6] = {Sig("A2B0"), Sig("A2B1"), Sig("A2B2"), Sig("B2A0"), Sig("B2A1"), Sig("B2A2")};

// The tables a page's build reads: the filter takes any intent above 2 as
// perceptual.
std::uint32_t IntentTag(ProfileRole role, std::uint16_t intent) {
  const std::uint32_t index = intent <= 2 ? intent : 0;
  return (role == ProfileRole::Source ? Sig("A2B0") : Sig("B2A0")) + index;
}

// One profile opened through the module's exports, closed with the object.
class ModuleProfile {
 public:
  ModuleProfile(const ModuleApi& api, const std::string& path) : api_(api) {
    open_ = api_.openProfile(path.c_str(), &ref_) == 0;
    if (!open_) return;
    api_.getProfileHeader(&ref_, &header_);
    std::uint32_t count = 0;
    api_.getTagTableInfo(&ref_, &count, nullptr);
    tagCount_ = count;
  }
  ~ModuleProfile() {
    if (open_) api_.closeProfile(&ref_);
  }
  ModuleProfile(const ModuleProfile&) = delete;
  ModuleProfile& operator=(const ModuleProfile&) = delete;

  bool open() const { return open_; }
  const K7730_ProfileHeader& header() const { return header_; }
  std::uint32_t tagCount() const { return tagCount_; }

  // The tag table; only called once its size is known to fit the file.
  std::vector<K7730_TagEntry> Tags() {
    std::vector<std::uint8_t> raw(K7730_TAG_TABLE_BYTES(tagCount_));
    std::uint32_t count = 0;
    api_.getTagTableInfo(&ref_, &count, reinterpret_cast<K7730_TagTable*>(raw.data()));
    std::vector<K7730_TagEntry> entries(tagCount_);
    for (std::uint32_t i = 0; i < tagCount_; ++i) {
      std::memcpy(&entries[i], raw.data() + 4 + 12 * i, sizeof(K7730_TagEntry));
    }
    return entries;
  }

  // Up to `count` bytes from the start of the element; empty when absent.
  std::vector<std::uint8_t> ElementStart(std::uint32_t tag, std::uint32_t count) {
    std::vector<std::uint8_t> bytes(count);
    if (api_.getPartialProfileElement(&ref_, tag, 0, &count, bytes.data()) != 0) return {};
    bytes.resize(std::min<std::size_t>(count, bytes.size()));
    return bytes;
  }

 private:
  const ModuleApi& api_;
  K7730_ProfileRef ref_ = 0;
  bool open_ = false;
  K7730_ProfileHeader header_{};
  std::uint32_t tagCount_ = 0;
};

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at) {
  if (b.size() < at + 4) return 0;
  return (std::uint32_t(b[at]) << 24) | (std::uint32_t(b[at + 1]) << 16) | (std::uint32_t(b[at + 2]) << 8) |
         std::uint32_t(b[at + 3]);
}

const K7730_TagEntry* Find(const std::vector<K7730_TagEntry>& tags, std::uint32_t signature) {
  for (const K7730_TagEntry& e : tags) {
    if (e.signature == signature) return &e;
  }
  return nullptr;
}

// The lookup tables the profile has, "'A2B0', 'B2A0'" or "none".
std::string LutTagsOf(const std::vector<K7730_TagEntry>& tags) {
  std::string list;
  for (std::uint32_t tag : kLutTags) {
    if (Find(tags, tag) != nullptr) list += (list.empty() ? "" : ", ") + QuotedSignature(tag);
  }
  return list.empty() ? "none" : list;
}

// Why a lookup-table element cannot serve an RGB side (three channels on
// the device side and three on the connection side); empty when it can.
std::string LutElementProblem(ModuleProfile& profile, std::uint32_t tag) {
  const std::vector<std::uint8_t> start = profile.ElementStart(tag, 11);
  const std::uint32_t type = Be32(start, 0);
  if (type == Sig("mAB ") || type == Sig("mBA ")) {
    return "uses ICC v4 lookup elements (" + QuotedSignature(tag) + " is " + QuotedSignature(type) +
           "), which the module does not read";
  }
  if (type != Sig("mft1") && type != Sig("mft2")) {
    return "its " + QuotedSignature(tag) + " element is of type " + QuotedSignature(type) +
           ", which the module does not read";
  }
  if (start.size() < 11) return "its " + QuotedSignature(tag) + " element is cut short";
  const int in = start[8], out = start[9], grid = start[10];
  if (in != 3 || out != 3 || grid < 2) {
    return "its " + QuotedSignature(tag) + " table has " + std::to_string(in) + " inputs, " + std::to_string(out) +
           " outputs and " + std::to_string(grid) + " grid points; the module needs 3 inputs and 3 outputs";
  }
  return "";
}

// Why the module cannot decode a parametric TRC; empty when it can: a known
// function type, all its parameters, a gamma above zero and, where the
// curve starts at -b / a, a slope a that is not zero.
std::string ParametricProblem(const std::vector<std::uint8_t>& start, std::uint32_t tag, std::uint32_t size) {
  static constexpr std::uint32_t kParameters[5] = {1, 3, 4, 5, 7};
  const std::uint32_t function = start.size() >= 10 ? (start[8] << 8) | start[9] : 0xFFFF;
  if (function >= 5) {
    return "a TRC of a type the module does not read (" + QuotedSignature(tag) + " is a 'para' of function type " +
           std::to_string(function) + ")";
  }
  if (size < 12 + 4 * kParameters[function] || start.size() < 12 + 4 * kParameters[function]) {
    return "its " + QuotedSignature(tag) + " curve is cut short";
  }
  const bool flatOrInfinite = static_cast<std::int32_t>(Be32(start, 12)) <= 0;
  const bool noStart = (function == 1 || function == 2) && Be32(start, 16) == 0;
  if (flatOrInfinite || noStart) {
    return "its " + QuotedSignature(tag) + " curve has parameters that make no curve (" +
           (flatOrInfinite ? "a gamma of zero or below" : "a zero slope") + ")";
  }
  return "";
}

// Why the module cannot decode a TRC element; empty when it can.
std::string TrcProblem(ModuleProfile& profile, std::uint32_t tag, const K7730_TagEntry& entry) {
  const std::vector<std::uint8_t> start = profile.ElementStart(tag, 40);
  const std::uint32_t type = Be32(start, 0);
  if (type == Sig("curv")) return "";
  if (type == Sig("para")) return ParametricProblem(start, tag, entry.size);
  return "a TRC of a type the module does not read (" + QuotedSignature(tag) + " is " + QuotedSignature(type) + ")";
}

// Why the matrix/TRC tags cannot stand in for a missing lookup table.
std::string MatrixTrcProblem(ModuleProfile& profile, const std::vector<K7730_TagEntry>& tags,
                             std::uint32_t lutTag, std::uint16_t intent) {
  std::string trcProblem;
  bool anyTrc = false;
  for (int k = 0; k < 3; ++k) {
    if (Find(tags, kColorants[k]) == nullptr) break;  // the module stops at the first missing colorant
    const K7730_TagEntry* trc = Find(tags, kTrcs[k]);
    if (trc == nullptr) continue;
    const std::string problem = TrcProblem(profile, kTrcs[k], *trc);
    if (problem.empty()) anyTrc = true;
    if (trcProblem.empty()) trcProblem = problem;
  }
  if (anyTrc) return "";
  if (!trcProblem.empty()) return trcProblem;
  return std::string("no table for ") + IntentName(intent) + " (no " + QuotedSignature(lutTag) +
         " and no matrix/TRC tags; its tables: " + LutTagsOf(tags) + ")";
}

std::string CutShortText(std::uint64_t headerSize, std::uint64_t fileSize) {
  return "cut short (its header gives " + std::to_string(headerSize) + " bytes, the file has " +
         std::to_string(fileSize) + ")";
}

// The module refuses at open a profile whose header claims more bytes than
// the file holds; the header's size word tells that case from the others.
std::string CutShortAtOpen(const std::string& path) {
  std::error_code ec;
  const std::uint64_t fileSize = std::filesystem::file_size(path, ec);
  if (ec || fileSize < 4) return "";
  std::vector<std::uint8_t> start(4);
  std::ifstream file(path, std::ios::binary);
  if (!file.read(reinterpret_cast<char*>(start.data()), 4)) return "";
  const std::uint64_t headerSize = Be32(start, 0);
  return headerSize > fileSize ? CutShortText(headerSize, fileSize) : "";
}

std::string ProblemOfOpenProfile(ModuleProfile& profile, const std::string& path, ProfileRole role,
                                 std::uint16_t intent) {
  const K7730_ProfileHeader& h = profile.header();
  if (h.colorSpace != Sig("RGB ")) {
    return "not an RGB profile (its data colour space is " + QuotedSignature(h.colorSpace) + ")";
  }
  std::error_code ec;
  const std::uint64_t fileSize = std::filesystem::file_size(path, ec);
  if (ec) return "";  // nothing more can be judged safely
  if (h.size > fileSize) return CutShortText(h.size, fileSize);
  if (132 + 12ull * profile.tagCount() > fileSize) {
    return "cut short (its tag table of " + std::to_string(profile.tagCount()) +
           " entries runs past the end of the file)";
  }
  const std::vector<K7730_TagEntry> tags = profile.Tags();
  for (const K7730_TagEntry& e : tags) {
    if (std::uint64_t{e.offset} + e.size > fileSize) {
      return "cut short (its " + QuotedSignature(e.signature) + " element runs past the end of the file)";
    }
  }
  const std::uint32_t lutTag = IntentTag(role, intent);
  if (Find(tags, lutTag) != nullptr) return LutElementProblem(profile, lutTag);
  return MatrixTrcProblem(profile, tags, lutTag, intent);
}

const char* ClassName(std::uint32_t deviceClass) {
  switch (deviceClass) {
    case Sig("scnr"): return "input";
    case Sig("mntr"): return "display";
    case Sig("prtr"): return "output";
    case Sig("link"): return "device link";
    case Sig("spac"): return "colour space";
    case Sig("abst"): return "abstract";
    case Sig("nmcl"): return "named colour";
    default: return "unknown";
  }
}

// What the build reads for the intent: the lookup table, or the TRCs.
std::string IntentReading(ModuleProfile& profile, const std::vector<K7730_TagEntry>& tags, ProfileRole role,
                          std::uint16_t intent) {
  const std::uint32_t lutTag = IntentTag(role, intent);
  const std::string head = std::string(IntentName(intent)) + " reads ";
  if (Find(tags, lutTag) != nullptr) {
    return head + QuotedSignature(lutTag) + " (" + QuotedSignature(Be32(profile.ElementStart(lutTag, 4), 0)) + ")";
  }
  std::string trcTypes;
  for (std::uint32_t trc : kTrcs) {
    if (Find(tags, trc) == nullptr) continue;
    const std::string type = QuotedSignature(Be32(profile.ElementStart(trc, 4), 0));
    if (trcTypes.find(type) == std::string::npos) trcTypes += (trcTypes.empty() ? "" : ", ") + type;
  }
  return head + "the matrix and TRCs (no " + QuotedSignature(lutTag) + "; TRCs " +
         (trcTypes.empty() ? std::string("none") : trcTypes) + ")";
}

}  // namespace

std::string QuotedSignature(std::uint32_t s) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((s >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return "'" + text + "'";
}

const char* RoleName(ProfileRole role) { return role == ProfileRole::Source ? "input profile" : "printer profile"; }

const char* IntentName(std::uint16_t intent) {
  switch (intent) {
    case 1: return "relative colorimetric";
    case 2: return "saturation";
    default: return "perceptual";
  }
}

std::string ProfileProblem(const ModuleApi& api, const std::string& path, ProfileRole role, std::uint16_t intent) {
  if (!api.CanReadProfiles()) return "";
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return "does not exist";
  ModuleProfile profile(api, path);
  if (!profile.open()) {
    const std::string cut = CutShortAtOpen(path);
    if (!cut.empty()) return cut;
    return "the module does not open it (it reads RGB, CMYK and Lab profiles with an XYZ or Lab connection "
           "space)";
  }
  return ProblemOfOpenProfile(profile, path, role, intent);
}

std::string DescribeProfile(const ModuleApi& api, const std::string& path, ProfileRole role, std::uint16_t intent) {
  if (!api.CanReadProfiles()) return "(this module build cannot read profile headers)";
  ModuleProfile profile(api, path);
  if (!profile.open()) return "the module does not open it";
  const K7730_ProfileHeader& h = profile.header();
  std::string text = std::string(ClassName(h.deviceClass)) + " profile " + QuotedSignature(h.deviceClass) +
                     ", ICC " + std::to_string(h.version >> 24) + "." + std::to_string((h.version >> 20) & 0xF) +
                     ", " + QuotedSignature(h.colorSpace) + " to " + QuotedSignature(h.pcs);
  const std::string problem = ProblemOfOpenProfile(profile, path, role, intent);
  if (!problem.empty()) return text + "; cannot be used: " + problem;
  return text + "; " + IntentReading(profile, profile.Tags(), role, intent);
}

}  // namespace k7730::host
