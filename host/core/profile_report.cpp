#include "host/core/profile_report.h"

#include <filesystem>

#include "cmm/profile_diagnosis.h"

namespace k7730::host {

namespace {

using cmm::Refusal;

constexpr std::uint32_t Sig(const char (&s)[5]) {
  return (std::uint32_t(std::uint8_t(s[0])) << 24) | (std::uint32_t(std::uint8_t(s[1])) << 16) |
         (std::uint32_t(std::uint8_t(s[2])) << 8) | std::uint32_t(std::uint8_t(s[3]));
}

constexpr std::uint32_t kLutTags[6] = {Sig("A2B0"), Sig("A2B1"), Sig("A2B2"), Sig("B2A0"), Sig("B2A1"), Sig("B2A2")};

// A page's build takes any intent above 2 as perceptual.
cmm::ProfileDiagnosis Diagnose(const std::string& path, ProfileRole role, std::uint16_t intent) {
  const auto side = role == ProfileRole::Source ? cmm::ProfileSide::Source : cmm::ProfileSide::Destination;
  return cmm::DiagnoseProfile(path.c_str(), side, intent <= 2 ? intent : 0);
}

// The lookup tables the profile lists, "'A2B0', 'B2A0'" or "none".
std::string ListedTables(const cmm::SideReport& r) {
  std::string list;
  for (int k = 0; k < 6; ++k) {
    if (r.lutTagsListed & (1u << k)) list += (list.empty() ? "" : ", ") + QuotedSignature(kLutTags[k]);
  }
  return list.empty() ? "none" : list;
}

std::string LutUnfitText(const cmm::SideReport& r) {
  const std::string tag = QuotedSignature(r.tag);
  if (r.type == Sig("mAB ") || r.type == Sig("mBA ")) {
    return "uses ICC v4 lookup elements (" + tag + " is " + QuotedSignature(r.type) + "), which the module does not read";
  }
  if (r.type != Sig("mft1") && r.type != Sig("mft2")) {
    return "its " + tag + " element is of type " + QuotedSignature(r.type) + ", which the module does not read";
  }
  return "its " + tag + " table has " + std::to_string(r.counts[0]) + " inputs, " + std::to_string(r.counts[1]) +
         " outputs and " + std::to_string(r.counts[2]) + " grid points; the module needs 3 inputs and 3 outputs";
}

// The sentence for each reason the engine gives for one side.
std::string SideProblem(const cmm::SideReport& r, std::uint16_t intent) {
  const std::string tag = QuotedSignature(r.tag);
  switch (r.reason) {
    case Refusal::None: return "";
    case Refusal::TagTableCutShort:
      return "cut short (its tag table of " + std::to_string(r.counts[0]) + " entries runs past the end of the file)";
    case Refusal::ElementCutShort: return "cut short (its " + tag + " element runs past the end of the file)";
    case Refusal::NoMemory: return "there was not enough memory to read it";
    case Refusal::LutUnfit: return LutUnfitText(r);
    case Refusal::LutCutShort:
      return r.type == Sig("mft1") || r.type == Sig("mft2") ? "its " + tag + " element is cut short" : LutUnfitText(r);
    case Refusal::TrcType:
      return "a TRC of a type the module does not read (" + tag + " is " + QuotedSignature(r.type) + ")";
    case Refusal::TrcFunction:
      return "a TRC of a type the module does not read (" + tag + " is a 'para' of function type " +
             std::to_string(r.counts[0]) + ")";
    case Refusal::TrcCutShort: return "its " + tag + " curve is cut short";
    case Refusal::TrcNoGamma: return "its " + tag + " curve has parameters that make no curve (a gamma of zero or below)";
    case Refusal::TrcNoSlope: return "its " + tag + " curve has parameters that make no curve (a zero slope)";
    case Refusal::TrcNoCurve: return "its " + tag + " curve has parameters that make no curve";
    default:
      return std::string("no table for ") + IntentName(intent) + " (no " + QuotedSignature(r.lutTag) +
             " and no matrix/TRC tags; its tables: " + ListedTables(r) + ")";
  }
}

std::string OpenProblem(const cmm::OpenReport& open) {
  if (open.reason == Refusal::CutShort) {
    return "cut short (its header gives " + std::to_string(open.header.size) + " bytes, the file has " +
           std::to_string(open.fileSize) + ")";
  }
  return "the module does not open it (it reads RGB, CMYK and Lab profiles with an XYZ or Lab connection space)";
}

// The filter takes RGB profiles only, whatever else the engine opens.
std::string Problem(const cmm::ProfileDiagnosis& d, std::uint16_t intent) {
  if (d.open.reason != Refusal::None) return OpenProblem(d.open);
  if (d.open.header.colorSpace != Sig("RGB ")) {
    return "not an RGB profile (its data colour space is " + QuotedSignature(d.open.header.colorSpace) + ")";
  }
  return SideProblem(d.side, intent);
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

// What the build read for the intent: the lookup table, or the TRCs.
std::string IntentReading(const cmm::SideReport& r, std::uint16_t intent) {
  const std::string head = std::string(IntentName(intent)) + " reads ";
  if (r.lutType != 0) return head + QuotedSignature(r.lutTag) + " (" + QuotedSignature(r.lutType) + ")";
  std::string trcTypes;
  for (std::uint32_t type : r.trcTypes) {
    if (type == 0) continue;
    const std::string quoted = QuotedSignature(type);
    if (trcTypes.find(quoted) == std::string::npos) trcTypes += (trcTypes.empty() ? "" : ", ") + quoted;
  }
  return head + "the matrix and TRCs (no " + QuotedSignature(r.lutTag) + "; TRCs " +
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
  return Problem(Diagnose(path, role, intent), intent);
}

std::string DescribeProfile(const ModuleApi& api, const std::string& path, ProfileRole role, std::uint16_t intent) {
  if (!api.CanReadProfiles()) return "(this module build cannot read profile headers)";
  const cmm::ProfileDiagnosis d = Diagnose(path, role, intent);
  if (d.open.reason != Refusal::None) return "the module does not open it";
  const K7730_ProfileHeader& h = d.open.header;
  std::string text = std::string(ClassName(h.deviceClass)) + " profile " + QuotedSignature(h.deviceClass) +
                     ", ICC " + std::to_string(h.version >> 24) + "." + std::to_string((h.version >> 20) & 0xF) +
                     ", " + QuotedSignature(h.colorSpace) + " to " + QuotedSignature(h.pcs);
  const std::string problem = Problem(d, intent);
  if (!problem.empty()) return text + "; cannot be used: " + problem;
  return text + "; " + IntentReading(d.side, intent);
}

}  // namespace k7730::host
