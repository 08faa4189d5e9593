// What the "Module Settings" form asks for: new printer defaults for the
// three choices, a settings record to store, or the module's defaults.
#pragma once

#include <pappl/pappl.h>

#include <string>

namespace k7730::printer_app {

// Reads the posted form and applies it; returns the sentence to show.
std::string ApplyForm(pappl_client_t* client, pappl_printer_t* printer);

}  // namespace k7730::printer_app
