// The settings record a photo printer starts from, made by the same code
// that writes a record for `k7730-print settings save`.
#pragma once

#include <cstdint>
#include <vector>

#include "host/core/console.h"
#include "host/core/module_api.h"
#include "host/core/stage_options.h"

namespace k7730::host {

// What a photo printer does to a page until someone stores a record of
// their own: mild sharpening and colour matching, perceptual, from the
// module's default input profile (or the photo's own) to its default
// printer profile. The same as `settings save --sharpen mild --color-match`.
StageOptions PhotoPrinterStages();

// The record a fresh module instance holds once `stages` are applied, as a
// record file keeps it (the module's own profiles as empty paths). Throws
// HostError when the module refuses a stage.
std::vector<std::uint8_t> RecordWithStages(const LoadedModule& module, const StageOptions& stages,
                                           const Console& console);

}  // namespace k7730::host
