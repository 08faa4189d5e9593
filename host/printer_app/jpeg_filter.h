// JPEG documents through the host's own JPEG reader (the one k7730-print
// uses), checked whole first, then placed on the page by PAPPL's image
// filter, which feeds the raster callbacks. PAPPL's built-in JPEG filter
// prints a cut file as grey and ends a too-large one without a reason.
#pragma once

#include <pappl/pappl.h>

namespace k7730::printer_app {

void AddJpegFilter(pappl_system_t* system);

}  // namespace k7730::printer_app
