#include "host/printer_app/server_command.h"

#include <grp.h>
#include <malloc.h>
#include <pappl/pappl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <set>
#include <string>
#include <vector>

#include "host/core/host_error.h"
#include "host/core/module_api.h"
#include "host/printer_app/app_context.h"
#include "host/printer_app/devices.h"
#include "host/printer_app/image_filter.h"
#include "host/printer_app/printer_driver.h"
#include "host/printer_app/printer_status.h"
#include "host/printer_app/record_store.h"
#include "host/printer_app/paper_profiles_page.h"
#include "host/printer_app/print_page.h"
#include "host/printer_app/settings_page.h"
#include "host/printer_app/state_saving.h"

namespace k7730::printer_app {

using host::HostError;

namespace {

constexpr int kDefaultPort = 8631;

struct ServerOptions {
  int port = kDefaultPort;
  std::string listenHost = "localhost";
  bool loopbackOnly = true;   // every address of listenHost is a loopback one
  std::string authService, adminGroup = "lpadmin";
  bool trustedNetwork = false;
  std::string serverHostname;
  std::string stateFolder, socket, logFile = "-";
  pappl_loglevel_t logLevel = PAPPL_LOGLEVEL_INFO;
  std::vector<std::string> backendFolders;
};

const std::set<std::string>& KnownOptions() {
  static const std::set<std::string> known = {
      "server-port",     "listen-hostname", "auth-service",        "admin-group", "trusted-network",
      "server-hostname", "state-directory", "server-socket",       "log-file",    "log-level",
      "backend-directories"};
  return known;
}

HostError BadOption(const std::string& name, const std::string& value, const std::string& why) {
  return HostError("server option " + name + "=" + value + ": " + why);
}

int Port(const std::string& value) {
  char* end = nullptr;
  errno = 0;
  const long port = std::strtol(value.c_str(), &end, 10);
  if (value.empty() || *end != '\0' || errno != 0 || port < 1 || port > 65535) {
    throw BadOption("server-port", value, "not a port number (1 to 65535)");
  }
  return static_cast<int>(port);
}

pappl_loglevel_t Level(const std::string& value) {
  static const std::pair<const char*, pappl_loglevel_t> kLevels[] = {{"fatal", PAPPL_LOGLEVEL_FATAL},
                                                                      {"error", PAPPL_LOGLEVEL_ERROR},
                                                                      {"warn", PAPPL_LOGLEVEL_WARN},
                                                                      {"info", PAPPL_LOGLEVEL_INFO},
                                                                      {"debug", PAPPL_LOGLEVEL_DEBUG}};
  for (const auto& [name, level] : kLevels) {
    if (value == name) return level;
  }
  throw BadOption("log-level", value, "use fatal, error, warn, info or debug");
}

bool YesOrNo(const std::string& name, const std::string& value) {
  if (value == "true" || value == "yes") return true;
  if (value == "false" || value == "no") return false;
  throw BadOption(name, value, "use true or false");
}

// True when every address the name stands for is a loopback one.
bool IsLoopbackOnly(const std::string& host, int port) {
  if (host == "*") return false;
  http_addrlist_t* list = httpAddrGetList(host.c_str(), AF_UNSPEC, std::to_string(port).c_str());
  if (list == nullptr) throw BadOption("listen-hostname", host, "no such host name or address");
  bool loopback = true;
  for (http_addrlist_t* a = list; a != nullptr; a = a->next) loopback = loopback && httpAddrLocalhost(&a->addr);
  httpAddrFreeList(list);
  return loopback;
}

bool GroupExists(const std::string& name) {
  char buffer[16384];
  struct group entry {};
  struct group* found = nullptr;
  return ::getgrnam_r(name.c_str(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr;
}

// Logins are the only thing that keeps other machines from changing the
// server, so they must be real: a PAM service that exists and a group
// that exists (PAPPL lets any login in when the group is unknown).
void CheckNetworkAccess(const ServerOptions& o) {
  if (!o.authService.empty()) {
    if (::access(("/etc/pam.d/" + o.authService).c_str(), R_OK) != 0) {
      throw BadOption("auth-service", o.authService, "no such PAM service in /etc/pam.d");
    }
    if (!GroupExists(o.adminGroup)) throw BadOption("admin-group", o.adminGroup, "no such group");
    return;
  }
  if (!o.loopbackOnly && !o.trustedNetwork) {
    throw BadOption("listen-hostname", o.listenHost,
                    "other machines could add printers and change every setting without a login; give "
                    "auth-service=SERVICE (logins over TLS), or trusted-network=true if every machine that "
                    "can reach the port may do so");
  }
}

// The socket PAPPL's sub-commands look for: /run/k7730-printer-app.sock
// for root, else one of the user's own in the temporary folder.
std::string DefaultSocket() {
  if (::getuid() == 0) return "/run/k7730-printer-app.sock";
  return std::string(papplGetTempDir()) + "/k7730-printer-app" + std::to_string(::getuid()) + ".sock";
}

// Reads and checks the options; throws HostError naming the option at
// fault.
ServerOptions ParseServerOptions(int count, cups_option_t* options) {
  for (int i = 0; i < count; ++i) {
    if (KnownOptions().count(options[i].name) == 0) {
      throw HostError(std::string("unknown server option ") + options[i].name + " (see --help)");
    }
  }
  const auto get = [&](const char* name, const std::string& fallback) {
    const char* v = cupsGetOption(name, count, options);
    return v != nullptr ? std::string(v) : fallback;
  };
  ServerOptions o;
  o.port = Port(get("server-port", std::to_string(kDefaultPort)));
  o.listenHost = get("listen-hostname", "localhost");
  o.authService = get("auth-service", "");
  o.adminGroup = get("admin-group", o.adminGroup);
  o.trustedNetwork = YesOrNo("trusted-network", get("trusted-network", "false"));
  o.serverHostname = get("server-hostname", "");
  o.stateFolder = get("state-directory", App().defaultStateFolder);
  o.socket = get("server-socket", DefaultSocket());
  o.logFile = get("log-file", o.logFile);
  o.logLevel = Level(get("log-level", "info"));
  o.backendFolders = SplitFolderList(get("backend-directories", kDefaultBackendFolders));
  if (o.stateFolder.empty()) throw BadOption("state-directory", "", "give a folder");
  o.loopbackOnly = IsLoopbackOnly(o.listenHost, o.port);
  CheckNetworkAccess(o);
  return o;
}

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
  SetSupplies(printer);
  try {
    AddSettingsPage(printer, data);
  } catch (...) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "The Module Settings page could not be added.");
  }
  try {
    AddPaperProfilePages(printer);
  } catch (...) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "The Paper Profiles page could not be added.");
  }
  try {
    AddPrintPage(printer);
  } catch (...) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_ERROR, "The Print a Photo page could not be added.");
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

// The server's system, ready to run. Returns null, after saying why on
// standard error, when the module cannot be loaded, a folder cannot be
// made, or a listener or the local socket cannot be had (another server
// answering on the socket keeps it).
pappl_system_t* CreateServer(const ServerOptions& o) {
  if (!MakeFolders(o.stateFolder) || !LoadModule()) return nullptr;
  App().records = RecordStore(o.stateFolder);
  App().loopbackOnly = o.loopbackOnly;
  SetDevicePolicy({o.backendFolders, o.stateFolder});
  pappl_soptions_t soptions = PAPPL_SOPTIONS_MULTI_QUEUE | PAPPL_SOPTIONS_WEB_INTERFACE | PAPPL_SOPTIONS_WEB_LOG |
                              PAPPL_SOPTIONS_WEB_SECURITY;
  // Only loopback clients reach it: TLS would protect nothing, and the
  // printer would list an ipps URI no client can use.
  if (o.loopbackOnly) soptions |= PAPPL_SOPTIONS_NO_TLS;
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

struct Options {
  int count = 0;
  cups_option_t* list = nullptr;
  ~Options() { cupsFreeOptions(count, list); }
};

// "-o NAME=VALUE" and "-oNAME=VALUE", nothing else.
bool ReadArguments(int argc, char* argv[], Options& options) {
  for (int i = 2; i < argc; ++i) {
    const char* value = nullptr;
    if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      value = argv[++i];
    } else if (std::strncmp(argv[i], "-o", 2) == 0 && argv[i][2] != '\0') {
      value = argv[i] + 2;
    } else {
      std::fprintf(stderr, "k7730-printer-app server: unexpected argument '%s' (use -o NAME=VALUE)\n", argv[i]);
      return false;
    }
    options.count = cupsParseOptions(value, options.count, &options.list);
  }
  return true;
}

// PAPPL 1.3.1's papplSystemDelete does not free what clients set through
// Set-System-Attributes (not fixed as of 1.3.1); freed here, so that the
// leak check of the server sees only what is its own.
void ReleaseSystemTexts(pappl_system_t* system) {
#if K7730_PAPPL_VERSION <= 10301
  papplSystemSetLocation(system, nullptr);
  papplSystemSetGeoLocation(system, nullptr);
  papplSystemSetOrganization(system, nullptr);
  papplSystemSetOrganizationalUnit(system, nullptr);
#else
  (void)system;
#endif
}

// A page is megabytes, allocated on whichever thread runs its job. glibc
// raises its mmap threshold to the largest block freed, after which pages
// come from the threads' heaps and their memory stays with the process
// when the page is done; a fixed threshold gives each page back.
void GiveLargeBlocksBack() {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

}  // namespace

int RunServerCommand(int argc, char* argv[]) {
  Options arguments;
  if (!ReadArguments(argc, argv, arguments)) return 1;
  ServerOptions options;
  try {
    options = ParseServerOptions(arguments.count, arguments.list);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "k7730-printer-app server: %s\n", e.what());
    return 1;
  }
  GiveLargeBlocksBack();
  pappl_system_t* system = CreateServer(options);
  if (system == nullptr) return 1;
  papplSystemRun(system);
  ReleaseSystemTexts(system);
  papplSystemDelete(system);
  return 0;
}

}  // namespace k7730::printer_app
