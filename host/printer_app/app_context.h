// What the whole process shares: what main reads from the environment
// and the command line, and for the server, the module, loaded once, and
// the stored settings records. Each job opens a module instance of its
// own; instances share no state, so pages of different printers run at
// once.
#pragma once

#include <pappl/pappl.h>

#include <memory>
#include <string>

#include "host/core/module_api.h"
#include "host/printer_app/record_store.h"

namespace k7730::printer_app {

struct AppContext {
  pappl_system_t* system = nullptr;
  std::string moduleFromProgram;   // the installed module, relative to the program's folder
  std::string moduleNamed;         // $K7730FE_MODULE: the module to load instead (empty: none)
  std::string version;             // the program's, as the server reports it
  std::string defaultStateFolder;  // when the command line names none (DefaultStateFolder)
  std::string rootSocketFolder = "/run";  // $SNAP_COMMON: where root's server has its socket
  bool loopbackOnly = true;        // no other machine reaches the server
  bool loadingState = false;       // printers come from the state file, not a client
  std::unique_ptr<host::LoadedModule> module;
  RecordStore records{""};
};

// The one context of the process, set up before the server runs.
AppContext& App();

}  // namespace k7730::printer_app
