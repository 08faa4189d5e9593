#include "cmm/side_decoding.h"

#include "cmm/curve_decoding.h"
#include "cmm/lut_element.h"
#include "cmm/matrix_trc.h"
#include "cmm/profile_file.h"

namespace k7730::cmm {
namespace {

constexpr std::uint16_t kMatrixGridPoints = 17;

// What a report says before decoding starts: the table the intent selects,
// the tables listed, and whether the tag table fits the file at all.
void StartReport(platform::FileId file, std::uint32_t tag, SideReport* report) {
  if (report == nullptr) return;
  report->lutTag = tag;
  std::uint32_t stored = 0;
  if (UsableTagCount(file, &stored) != stored) {
    Refuse(report, Refusal::TagTableCutShort);
    report->counts[0] = stored;
    return;
  }
  for (int k = 0; k < 6; ++k) {
    K7730_TagEntry entry;
    const std::uint32_t listed = (k < 3 ? kSourceTags[k] : kDestinationTags[k - 3]);
    if (FindTag(file, listed, &entry) != TagLookup::Absent) report->lutTagsListed |= 1u << k;
  }
}

// Loads lookup table `tag`: Loaded, Absent (the caller falls back to the
// matrix/TRC tags), or a failure already reported.
ElementStatus LoadLut(platform::FileId file, std::uint32_t tag, LoadedElement& element, SideReport* report) {
  StartReport(file, tag, report);
  const ElementStatus status = element.Load(file, tag);
  if (status == ElementStatus::Loaded && report != nullptr) element.view().U32(0, &report->lutType);
  if (status != ElementStatus::Loaded && status != ElementStatus::Absent) Refuse(report, RefusalOf(status), tag);
  return status;
}

bool ParseLut(LoadedElement& element, std::uint32_t tag, LutSide side, ProfileTransform* out, SideReport* report) {
  if (ParseLutTag(element.data(), element.size(), side, out, report)) return true;
  if (report != nullptr) report->tag = tag;
  return false;
}

void SetMatrixShape(ProfileTransform& side) {
  side.inChannels = side.outChannels = 3;
  side.gridPoints = kMatrixGridPoints;
  side.clut = nullptr;
}

}  // namespace

// Only an element that is not listed sends a side to its matrix/TRC tags;
// one that is listed but cannot be loaded fails the build.
bool DecodeSource(platform::FileId file, std::uint32_t tag, BuildParts& parts, SideReport* report) {
  ProfileTransform& side = parts.source;
  const ElementStatus status = LoadLut(file, tag, parts.sourceElement, report);
  if (status == ElementStatus::Loaded) return ParseLut(parts.sourceElement, tag, LutSide::Source, &side, report);
  if (status != ElementStatus::Absent) return false;
  parts.wide = NewWideTables();
  if (parts.wide == nullptr || !AllocateSourceCurves(parts.wide)) {
    Refuse(report, Refusal::NoMemory);
    return false;
  }
  if (!LoadSourceMatrixTrc(file, &side, parts.wide->sourceCurves, report)) return false;
  SetMatrixShape(side);
  SetIdentityCurves(side.outputCurves, 3);
  return true;
}

bool DecodeDestination(platform::FileId file, std::uint32_t tag, BuildParts& parts, SideReport* report) {
  ProfileTransform& side = parts.destination;
  const ElementStatus status = LoadLut(file, tag, parts.destinationElement, report);
  if (status == ElementStatus::Loaded)
    return ParseLut(parts.destinationElement, tag, LutSide::Destination, &side, report);
  if (status != ElementStatus::Absent) return false;
  if (!LoadDestinationMatrixTrc(file, &side, report)) return false;
  SetMatrixShape(side);
  SetIdentityCurves(side.inputCurves, 3);
  InvertCurves8(side.outputCurves);
  return true;
}

}  // namespace k7730::cmm
