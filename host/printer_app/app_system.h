// The PAPPL system of the printer application: where it listens, where it
// keeps its state, the module it loads.
#pragma once

#include <pappl/pappl.h>

namespace k7730::printer_app {

// The system callback of papplMainloop. Options (-o NAME=VALUE):
//   server-port=N            the IPP port (default 8631)
//   listen-hostname=HOST     "localhost" by default; "*" opens the server
//                            to the network
//   auth-service=SERVICE     a PAM service whose login IPP changes need
//   state-directory=DIR      the state folder (see DefaultStateFolder)
//   server-socket=PATH|none  the local socket the sub-commands use
//   log-file=FILE, log-level=LEVEL
// Returns null, after saying why, when the module cannot be loaded.
pappl_system_t* CreateSystem(int numOptions, cups_option_t* options, void* data);

}  // namespace k7730::printer_app
