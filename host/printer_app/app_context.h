// What every job of the server shares: the module, loaded once, the
// stored settings records, and the lock that keeps the module's
// process-wide state (colour engine tables) to one page at a time.
#pragma once

#include <pappl/pappl.h>

#include <memory>
#include <mutex>
#include <string>

#include "host/core/module_api.h"
#include "host/printer_app/record_store.h"

namespace k7730::printer_app {

struct AppContext {
  pappl_system_t* system = nullptr;
  std::string moduleFromProgram;   // the installed module, relative to the program's folder
  std::string version;             // the program's, as the server reports it
  bool loopbackOnly = true;        // no other machine reaches the server
  bool loadingState = false;       // printers come from the state file, not a client
  std::unique_ptr<host::LoadedModule> module;
  RecordStore records{""};
  std::mutex pageLock;
};

// The one context of the process, set up before the server runs.
AppContext& App();

}  // namespace k7730::printer_app
