#include "host/printer_app/app_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/printer_app/app_context.h"
#include "host/printer_app/job_output.h"
#include "host/printer_app/driver.h"
#include "host/printer_app/image_filter.h"
#include "host/printer_app/settings_page.h"
#include "host/printer_app/state_saver.h"

namespace k7730::printer_app {

namespace {

constexpr int kDefaultPort = 8631;
constexpr const char* kName = "K7730 Printer Application";

std::string Option(const char* name, int count, cups_option_t* options, const char* fallback = "") {
  const char* v = cupsGetOption(name, count, options);
  return v != nullptr ? v : fallback;
}

// The socket papplMainloop's sub-commands connect to, unless told otherwise.
std::string DefaultSocket() {
  if (::getuid() == 0) return "/var/run/k7730-printer-app.sock";
  const char* tmp = std::getenv("TMPDIR");
  return std::string(tmp != nullptr ? tmp : "/tmp") + "/k7730-printer-app" + std::to_string(::getuid()) + ".sock";
}

pappl_loglevel_t LogLevel(const std::string& name) {
  if (name == "debug") return PAPPL_LOGLEVEL_DEBUG;
  if (name == "warn") return PAPPL_LOGLEVEL_WARN;
  if (name == "error") return PAPPL_LOGLEVEL_ERROR;
  return PAPPL_LOGLEVEL_INFO;
}

bool MakeFolders(const std::string& state) {
  for (const std::string& dir : {state, state + "/spool"}) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
      std::fprintf(stderr, "k7730-printer-app: cannot create %s: %s\n", dir.c_str(), std::strerror(errno));
      return false;
    }
  }
  return true;
}

bool LoadModule() {
  try {
    App().module = std::make_unique<host::LoadedModule>(host::DefaultModulePath(App().moduleFromProgram));
    if (!App().module->CanRunPages()) App().module->Require(nullptr, "plugin_filter_do", "running pages");
    return true;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "k7730-printer-app: %s\n", e.what());
    return false;
  }
}

bool AddListeners(pappl_system_t* system, const std::string& host, const std::string& socket) {
  const bool network = host == "*";
  if (!papplSystemAddListeners(system, network ? nullptr : host.c_str())) {
    std::fprintf(stderr, "k7730-printer-app: cannot listen on %s port %d\n", host.c_str(),
                 papplSystemGetHostPort(system));
    return false;
  }
  if (socket != "none") papplSystemAddListeners(system, socket.c_str());
  return true;
}

}  // namespace

AppContext& App() {
  static AppContext context;
  return context;
}

pappl_system_t* CreateSystem(int count, cups_option_t* options, void*) {
  const std::string state = Option("state-directory", count, options, DefaultStateFolder().c_str());
  if (!MakeFolders(state) || !LoadModule()) return nullptr;
  App().records = RecordStore(state);
  const int port = std::atoi(Option("server-port", count, options, std::to_string(kDefaultPort).c_str()).c_str());
  const std::string host = Option("listen-hostname", count, options, "localhost");
  const std::string auth = Option("auth-service", count, options);
  const pappl_soptions_t soptions = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE |
                                    PAPPL_SOPTIONS_WEB_LOG | PAPPL_SOPTIONS_WEB_SECURITY;
  pappl_system_t* system =
      papplSystemCreate(soptions, kName, port, "_print,_universal", (state + "/spool").c_str(),
                        Option("log-file", count, options, "-").c_str(),
                        LogLevel(Option("log-level", count, options, "info")), auth.empty() ? nullptr : auth.c_str(),
                        false);
  if (system == nullptr) return nullptr;
  App().system = system;
  if (!AddListeners(system, host, Option("server-socket", count, options, DefaultSocket().c_str()))) {
    papplSystemDelete(system);
    return nullptr;
  }
  int numDrivers = 0;
  pappl_pr_driver_t* drivers = Drivers(&numDrivers);
  papplSystemSetPrinterDrivers(system, numDrivers, drivers, nullptr, AddSettingsPage, DriverCallback, nullptr);
  AddDevices();
  AddImageFilters(system);
  papplSystemSetFooterHTML(system, "K7730 photo printer application");
  const std::string stateFile = state + "/k7730-printer-app.state";
  papplSystemLoadState(system, stateFile.c_str());
  SaveStateTo(system, stateFile);
  return system;
}

}  // namespace k7730::printer_app
