// The soft proof of a photo as the printer would print it: the same proof
// `k7730-print --proof` makes, from the printer's record in force and the
// choices of the print page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/core/media.h"
#include "host/core/vendor_options.h"

namespace k7730::printer_app {

struct PhotoChoices {
  const host::Media* media = &host::kMediaList[0];
  host::MediaFit fit = host::MediaFit::Fill;
  host::JobStages stages;   // the module's three choices
};

// The proof as PNG bytes. Only a format the printer prints is taken.
// Throws HostError with the reason for a photo that cannot be read or a
// choice the module refuses.
std::vector<std::uint8_t> ProofOfPhoto(const std::string& printerName, const std::string& photoPath,
                                       const PhotoChoices& choices);

}  // namespace k7730::printer_app
