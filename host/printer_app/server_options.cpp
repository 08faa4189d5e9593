#include "host/printer_app/server_options.h"

#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

#include "host/core/host_error.h"
#include "host/printer_app/device_policy.h"
#include "host/printer_app/record_store.h"

namespace k7730::printer_app {

using host::HostError;

namespace {

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

bool Flag(const std::string& name, const std::string& value) {
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

}  // namespace

std::string DefaultSocket() {
  if (::getuid() == 0) return "/run/k7730-printer-app.sock";
  return std::string(papplGetTempDir()) + "/k7730-printer-app" + std::to_string(::getuid()) + ".sock";
}

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
  o.trustedNetwork = Flag("trusted-network", get("trusted-network", "false"));
  o.serverHostname = get("server-hostname", "");
  o.stateFolder = get("state-directory", DefaultStateFolder());
  o.socket = get("server-socket", DefaultSocket());
  o.logFile = get("log-file", o.logFile);
  o.logLevel = Level(get("log-level", "info"));
  o.backendFolders = SplitFolderList(get("backend-directories", kDefaultBackendFolders));
  if (o.stateFolder.empty()) throw BadOption("state-directory", "", "give a folder");
  o.loopbackOnly = IsLoopbackOnly(o.listenHost, o.port);
  CheckNetworkAccess(o);
  return o;
}

}  // namespace k7730::printer_app
