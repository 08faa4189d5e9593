// The printer's "Module Settings" web page: the three choices as printer
// defaults, the stored settings record (upload, download, reset), the
// profiles and curves it names, and its tone curves drawn as SVG.
#pragma once

#include <pappl/pappl.h>

namespace k7730::printer_app {

// The printer-creation callback: adds the page and its link to a printer.
void AddSettingsPage(pappl_printer_t* printer, void* data);
// The printer-deletion callback: removes them again.
void RemoveSettingsPage(pappl_printer_t* printer, pappl_pr_driver_data_t* data);

}  // namespace k7730::printer_app
