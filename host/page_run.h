// Pushes one page through an open filter instance in bands, the way a print
// host does, and collects the lines the module releases.
#pragma once

#include <cstdint>
#include <string>

#include "console.h"
#include "filter_session.h"
#include "image.h"

namespace k7730::host {

struct PageRunOptions {
  std::uint32_t bandHeight = 128;
  bool swap = false;
  bool progress = false;      // draw the terminal bar for long pages
  std::string imagePath;      // for messages
};

struct PageRunReport {
  std::uint32_t bands = 0;
};

// `page` is handed to the module band by band and is changed in place by
// the first stages; the corrected page is returned. Throws HostError with
// the module's ErrorCode when any step fails.
Image RunPage(FilterSession& session, Image& page, const PageRunOptions& options, StepTimer& timer,
              PageRunReport& report);

}  // namespace k7730::host
