// The sub-commands main answers itself before papplMainloop: the lists
// that need no server (drivers, devices; papplMainloop would make a whole
// system for one and look for network printers for the other), the check
// that a server runs for those that need one (papplMainloop would start a
// server of its own), and the printer-id commands PAPPL gets wrong
// (printer_id_commands.h).
#pragma once

#include <optional>

#include "host/printer_app/command_line.h"

namespace k7730::printer_app {

// The exit status, or nothing to leave the command to papplMainloop.
std::optional<int> RunOwnSubcommand(const CommandLine& line);

// "drivers": the driver list, in papplMainloop's format.
int ListDrivers(const CommandLine& line);

// "devices": the device URIs this program prints to, each with its use,
// and the programs of the back-end folders (-o backend-directories=DIR:...
// as for the server) that a printer may run.
int ListDevices(const CommandLine& line);

}  // namespace k7730::printer_app
