// The printer's "Module Settings" web page: the three choices as printer
// defaults, the stored settings record (upload, download, reset), the
// profiles and curves it names, and its tone curves drawn as SVG.
#pragma once

#include <pappl/pappl.h>

namespace k7730::printer_app {

// The printer-creation callback: adds the page and its link to a printer.
void AddSettingsPage(pappl_printer_t* printer, void* data);
// The system's event callback: a deleted printer's stored settings record
// goes with it, so a new printer of the same name starts afresh.
void ForgetDeletedPrinter(pappl_system_t* system, pappl_printer_t* printer, pappl_job_t* job, pappl_event_t event,
                          void* data);

}  // namespace k7730::printer_app
