// "delete" and "default -d": the sub-commands that find a printer by its
// printer-id, done here where papplMainloop's own fail (see the .cpp).
#pragma once

#include <optional>

#include "host/printer_app/command_line.h"

namespace k7730::printer_app {

// Runs "delete", or "default" naming a printer, against the running
// server; nothing for any other command, or where PAPPL's own work.
std::optional<int> RunPrinterIdCommand(const CommandLine& line);

}  // namespace k7730::printer_app
