// SDKCMCreateColorWorld and SDKCMDisposeColorWorld: decode the element the
// intent selects on each side (or the matrix/TRC tags), then sample the
// chain into a ColorWorld.
#include "cmm/color_world_store.h"
#include "cmm/combined_table.h"
#include "cmm/curve_decoding.h"
#include "cmm/element_loader.h"
#include "cmm/lut_element.h"
#include "cmm/matrix_trc.h"
#include "cmm/profile_file.h"
#include "k7730fe_cmm.h"

namespace cmm = k7730::cmm;

namespace {

// A2B0..A2B2 and B2A0..B2A2; intent 3 uses the intent-1 tags.
constexpr std::uint32_t kSourceTags[4] = {0x41324230, 0x41324231, 0x41324232, 0x41324231};
constexpr std::uint32_t kDestinationTags[4] = {0x42324130, 0x42324131, 0x42324132, 0x42324131};
constexpr std::uint16_t kMatrixGridPoints = 17;

// Owns what a build makes until the finished ColorWorld takes it.
struct BuildParts {
  cmm::LoadedElement sourceElement;
  cmm::LoadedElement destinationElement;
  cmm::ProfileTransform source;
  cmm::ProfileTransform destination;
  cmm::WideTables* wide = nullptr;
  ~BuildParts() { cmm::ReleaseWideTables(wide); }
};

// Only an element that is not listed sends a side to its matrix/TRC tags;
// one that is listed but cannot be loaded fails the build.
bool DecodeSource(k7730::platform::FileId file, std::uint32_t tag, BuildParts& parts) {
  cmm::ProfileTransform& side = parts.source;
  const cmm::ElementStatus status = parts.sourceElement.Load(file, tag);
  if (status == cmm::ElementStatus::Loaded)
    return cmm::ParseLutTag(parts.sourceElement.data(), parts.sourceElement.size(), cmm::LutSide::Source, &side);
  if (status != cmm::ElementStatus::Absent) return false;
  parts.wide = cmm::NewWideTables();
  if (parts.wide == nullptr || !cmm::AllocateSourceCurves(parts.wide)) return false;
  if (!cmm::LoadSourceMatrixTrc(file, &side, parts.wide->sourceCurves)) return false;
  side.inChannels = side.outChannels = 3;
  side.gridPoints = kMatrixGridPoints;
  side.clut = nullptr;
  cmm::SetIdentityCurves(side.outputCurves, 3);
  return true;
}

bool DecodeDestination(k7730::platform::FileId file, std::uint32_t tag, BuildParts& parts) {
  cmm::ProfileTransform& side = parts.destination;
  const cmm::ElementStatus status = parts.destinationElement.Load(file, tag);
  if (status == cmm::ElementStatus::Loaded)
    return cmm::ParseLutTag(parts.destinationElement.data(), parts.destinationElement.size(),
                            cmm::LutSide::Destination, &side);
  if (status != cmm::ElementStatus::Absent) return false;
  if (!cmm::LoadDestinationMatrixTrc(file, &side)) return false;
  side.inChannels = side.outChannels = 3;
  side.gridPoints = kMatrixGridPoints;
  side.clut = nullptr;
  cmm::SetIdentityCurves(side.inputCurves, 3);
  cmm::InvertCurves8(side.outputCurves);
  return true;
}

}  // namespace

extern "C" {

K7730_API K7730_ColorWorld K7730_CDECL SDKCMCreateColorWorld(uint32_t intent, K7730_ProfileRef* source,
                                                             const K7730_CurveLutSet* inputCurves,
                                                             K7730_ProfileRef* destination,
                                                             const K7730_CurveLutSet* outputCurves) {
  if (intent > 3) return 0;
  k7730::platform::FileId sourceFile = cmm::FileOfRef(source);
  k7730::platform::FileId destinationFile = cmm::FileOfRef(destination);
  if (sourceFile == k7730::platform::kNoFile || destinationFile == k7730::platform::kNoFile) return 0;

  BuildParts parts;
  if (!DecodeSource(sourceFile, kSourceTags[intent], parts)) return 0;
  if (!DecodeDestination(destinationFile, kDestinationTags[intent], parts)) return 0;

  cmm::ColorWorldHeader* block =
      cmm::BuildCombinedTable(parts.source, inputCurves, parts.destination, outputCurves, parts.wide);
  if (block == nullptr) return 0;
  K7730_ColorWorld handle = cmm::RegisterColorWorld(block, parts.wide);
  if (handle == 0) {
    k7730::platform::Release(block);
    return 0;
  }
  parts.wide = nullptr;  // the ColorWorld owns it now
  return handle;
}

K7730_API void K7730_CDECL SDKCMDisposeColorWorld(K7730_ColorWorld world) { cmm::DisposeColorWorld(world); }

}  // extern "C"
