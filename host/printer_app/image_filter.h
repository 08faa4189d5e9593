// Photo documents (every format of the host's format table with a MIME
// type) through the host's own image readers (the ones k7730-print uses),
// then placed on the page by PAPPL's image filter, which feeds the raster
// callbacks. PAPPL's built-in filters print a cut JPEG as
// grey, end a too-large one without a reason, and on any libpng error
// report it and go on reading for ever, so that the job never ends and the
// server no longer stops (not fixed upstream as of 1.3.1).
#pragma once

#include <pappl/pappl.h>

namespace k7730::printer_app {

// Registers the one filter for both formats, to the driver's format, so
// that PAPPL takes it before its own.
void AddImageFilters(pappl_system_t* system);

}  // namespace k7730::printer_app
