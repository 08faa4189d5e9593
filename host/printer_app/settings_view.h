// What a job of the printer gets without options of its own, in one view
// on the Module Settings page: the record in force and where it came from,
// the printer's defaults for the module's three choices over it, the
// profiles, intent and sharpening that result, and the tone curves drawn
// as SVG.
#pragma once

#include <pappl/pappl.h>

#include <string>

namespace k7730::printer_app {

// The printer's current default of one of the module's choices
// ("settings" when none is set).
std::string CurrentDefault(pappl_printer_t* printer, const char* option);

// Writes the view; `downloadPath` serves the record in force. Throws
// HostError when the record cannot be read or the module refuses it.
void ShowSettingsInForce(pappl_client_t* client, pappl_printer_t* printer, const std::string& downloadPath);

}  // namespace k7730::printer_app
