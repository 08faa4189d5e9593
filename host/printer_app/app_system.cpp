#include "host/printer_app/app_system.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "host/printer_app/app_context.h"
#include "host/printer_app/device_policy.h"
#include "host/printer_app/driver.h"
#include "host/printer_app/image_filter.h"
#include "host/printer_app/job_output.h"
#include "host/printer_app/settings_page.h"
#include "host/printer_app/state_saver.h"

namespace k7730::printer_app {

namespace {

constexpr const char* kName = "K7730 Printer Application";

bool RefuseStart(const std::string& why) {
  std::fprintf(stderr, "k7730-printer-app: %s\n", why.c_str());
  return false;
}

bool MakeFolders(const std::string& state) {
  for (const std::string& dir : {state, state + "/spool", state + "/ssl"}) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
      return RefuseStart("cannot create " + dir + ": " + std::strerror(errno));
    }
  }
  return true;
}

bool LoadModule() {
  try {
    const std::string path = host::DefaultModulePath(App().moduleFromProgram, App().moduleNamed.c_str());
    App().module = std::make_unique<host::LoadedModule>(path);
    if (!App().module->CanRunPages()) App().module->Require(nullptr, "plugin_filter_do", "running pages");
    return true;
  } catch (const std::exception& e) {
    return RefuseStart(e.what());
  }
}

// Whether a server answers on the local socket already: binding would
// remove its socket file and take its clients.
bool SocketAnswers(const std::string& path) {
  sockaddr_un address{};
  if (path.size() >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool answers = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return answers;
}

bool AddListeners(pappl_system_t* system, const ServerOptions& o) {
  if (!papplSystemAddListeners(system, o.listenHost == "*" ? nullptr : o.listenHost.c_str())) {
    return RefuseStart("cannot listen on " + o.listenHost + " port " + std::to_string(o.port) + ": " +
                std::strerror(errno));
  }
  if (o.socket == "none") return true;
  if (SocketAnswers(o.socket)) return RefuseStart("another server answers on " + o.socket + "; it keeps its socket");
  if (!papplSystemAddListeners(system, o.socket.c_str())) {
    return RefuseStart("cannot listen on the socket " + o.socket + ": " + std::strerror(errno));
  }
  return true;
}

// A server that only loopback clients reach does not announce itself to
// the network: other machines would see a printer they cannot reach.
void OnPrinterCreated(pappl_printer_t* printer, void* data) {
  if (App().loopbackOnly) papplPrinterSetDNSSDName(printer, nullptr);
  try {
    AddSettingsPage(printer, data);
  } catch (...) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "The Module Settings page could not be added.");
  }
}

// PAPPL reports a printer's deletion before it frees the printer, holding
// the system's and the printer's locks.
void OnEvent(pappl_system_t* system, pappl_printer_t* printer, pappl_job_t* job, pappl_event_t event, void* data) {
  if (printer == nullptr || (event & PAPPL_EVENT_PRINTER_DELETED) == 0) return;
  KeepDeletedPrinterWhileRead(printer);
  ForgetDeletedPrinter(system, printer, job, event, data);
}

void ClearDnssdName(pappl_printer_t* printer, void*) { papplPrinterSetDNSSDName(printer, nullptr); }

void SayWhereItListens(pappl_system_t* system, const ServerOptions& o) {
  papplLog(system, PAPPL_LOGLEVEL_INFO, "Serving on %s port %d (%s), local socket %s, state in %s.",
           o.listenHost.c_str(), o.port,
           o.loopbackOnly ? "loopback only, not announced by DNS-SD"
                          : (o.authService.empty() ? "network, trusted without logins" : "network, changes need a login"),
           o.socket.c_str(), o.stateFolder.c_str());
}

void SetUp(pappl_system_t* system, const ServerOptions& o) {
  if (!o.serverHostname.empty()) papplSystemSetHostName(system, o.serverHostname.c_str());
  // The server's TLS certificate lives in its own state folder, which the
  // service may write, not in the system's CUPS folder.
  char host[256];
  cupsSetServerCredentials((o.stateFolder + "/ssl").c_str(), papplSystemGetHostName(system, host, sizeof host), 1);
  if (!o.authService.empty()) papplSystemSetAdminGroup(system, o.adminGroup.c_str());
  int numDrivers = 0;
  pappl_pr_driver_t* drivers = Drivers(&numDrivers);
  papplSystemSetPrinterDrivers(system, numDrivers, drivers, nullptr, OnPrinterCreated, DriverCallback, nullptr);
  papplSystemSetEventCallback(system, OnEvent, nullptr);
  AddDevices();
  AddImageFilters(system);
  papplSystemSetFooterHTML(system, "K7730 photo printer application");
  pappl_version_t version{};
  std::snprintf(version.name, sizeof version.name, "%s", "k7730-printer-app");
  std::snprintf(version.sversion, sizeof version.sversion, "%s", App().version.c_str());
  papplSystemSetVersions(system, 1, &version);
}

void LoadState(pappl_system_t* system, const ServerOptions& o) {
  const std::string stateFile = o.stateFolder + "/k7730-printer-app.state";
  App().loadingState = true;
  papplSystemLoadState(system, stateFile.c_str());
  App().loadingState = false;
  if (o.loopbackOnly) {
    papplSystemSetDNSSDName(system, nullptr);
    papplSystemIteratePrinters(system, ClearDnssdName, nullptr);
  }
  SaveStateTo(system, stateFile);
}

}  // namespace

pappl_system_t* CreateServer(const ServerOptions& o) {
  if (!MakeFolders(o.stateFolder) || !LoadModule()) return nullptr;
  App().records = RecordStore(o.stateFolder);
  App().loopbackOnly = o.loopbackOnly;
  SetDevicePolicy({o.backendFolders, o.stateFolder});
  const pappl_soptions_t soptions = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE |
                                    PAPPL_SOPTIONS_WEB_LOG | PAPPL_SOPTIONS_WEB_SECURITY;
  pappl_system_t* system =
      papplSystemCreate(soptions, kName, o.port, "_print,_universal", (o.stateFolder + "/spool").c_str(),
                        o.logFile.c_str(), o.logLevel, o.authService.empty() ? nullptr : o.authService.c_str(), false);
  if (system == nullptr) {
    RefuseStart("cannot create the server");
    return nullptr;
  }
  App().system = system;
  if (!AddListeners(system, o)) {
    papplSystemDelete(system);
    App().system = nullptr;
    return nullptr;
  }
  SetUp(system, o);
  LoadState(system, o);
  SayWhereItListens(system, o);
  return system;
}

}  // namespace k7730::printer_app
