// The printer's "Print a Photo" web page, for a person with a browser and
// no driver: pick a photo, a medium, fit or fill and the module's choices,
// see the soft proof of the print next to the photo as sent, and print it
// as a job of the printer.
#pragma once

#include <pappl/pappl.h>

namespace k7730::printer_app {

// For the printer-creation callback: adds the page, its link and the proof.
void AddPrintPage(pappl_printer_t* printer);

}  // namespace k7730::printer_app
