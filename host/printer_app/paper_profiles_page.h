// The printer's "Paper Profiles" web page: upload an ICC printer profile
// under a name, use one as the printer's profile, download one, delete
// one; and the printer's current profile served and published as
// printer-icc-profiles.
#pragma once

#include <pappl/pappl.h>

namespace k7730::printer_app {

// For the printer-creation callback: adds the page, its link and the
// profile downloads, and publishes the printer's current profile.
void AddPaperProfilePages(pappl_printer_t* printer);

// Publishes the printer profile of the printer's record in force again,
// after the record was replaced or removed.
void PublishPrinterProfileOf(pappl_printer_t* printer) noexcept;

}  // namespace k7730::printer_app
