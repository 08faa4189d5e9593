// SDKCMCreateColorWorld and SDKCMDisposeColorWorld: decode the element the
// intent selects on each side (or the matrix/TRC tags), then sample the
// chain into a ColorWorld.
#include "cmm/color_world_store.h"
#include "cmm/combined_table.h"
#include "cmm/profile_file.h"
#include "cmm/side_decoding.h"
#include "k7730fe_cmm.h"

namespace cmm = k7730::cmm;

extern "C" {

K7730_API K7730_ColorWorld K7730_CDECL SDKCMCreateColorWorld(uint32_t intent, K7730_ProfileRef* source,
                                                             const K7730_CurveLutSet* inputCurves,
                                                             K7730_ProfileRef* destination,
                                                             const K7730_CurveLutSet* outputCurves) {
  if (intent > 3) return 0;
  k7730::platform::FileId sourceFile = cmm::FileOfRef(source);
  k7730::platform::FileId destinationFile = cmm::FileOfRef(destination);
  if (sourceFile == k7730::platform::kNoFile || destinationFile == k7730::platform::kNoFile) return 0;

  cmm::BuildParts parts;
  if (!cmm::DecodeSource(sourceFile, cmm::kSourceTags[intent], parts, nullptr)) return 0;
  if (!cmm::DecodeDestination(destinationFile, cmm::kDestinationTags[intent], parts, nullptr)) return 0;

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
