// The PAPPL system of the printer application: where it listens, where it
// keeps its state, the module it loads, which devices its printers may use.
#pragma once

#include <pappl/pappl.h>

#include "host/printer_app/server_options.h"

namespace k7730::printer_app {

// The server's system, ready to run. Returns null, after saying why on
// standard error, when the module cannot be loaded, a folder cannot be
// made, or a listener or the local socket cannot be had (another server
// answering on the socket keeps it).
pappl_system_t* CreateServer(const ServerOptions& options);

}  // namespace k7730::printer_app
