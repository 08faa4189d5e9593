// The "k7730-command:///path/to/program" device: every job's PWG raster
// goes to the standard input of a new run of the program, so that an
// installer can chain the printer's own back end.
#pragma once

#include <string>

namespace k7730::printer_app {

constexpr const char* kCommandScheme = "k7730-command";

// Registers the scheme with PAPPL; call once before the server runs.
void AddCommandDevice();

// Why the last write to a command device on this thread failed; empty
// when none did.
std::string LastCommandDeviceProblem();

}  // namespace k7730::printer_app
