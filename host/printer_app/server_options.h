// The options of "k7730-printer-app server", checked before anything
// starts: a bad value is an error naming the option, never a quiet
// fallback to something else.
//   server-port=N                the IPP port, 1 to 65535 (default 8631)
//   listen-hostname=HOST|*       "localhost" by default; any name that
//                                reaches beyond loopback ("*" for every
//                                address) needs auth-service or
//                                trusted-network=true
//   auth-service=SERVICE         a PAM service (/etc/pam.d/SERVICE) whose
//                                login changes need; from other machines
//                                only over TLS
//   admin-group=GROUP            the group a login must belong to
//                                (default lpadmin)
//   trusted-network=true         listen beyond loopback without logins: the
//                                administrator vouches for every machine
//                                that can reach the port
//   server-hostname=NAME         the name in the server's URIs and TLS
//                                certificate
//   state-directory=DIR          the state folder (see DefaultStateFolder)
//   server-socket=PATH|none      the local socket the sub-commands use
//   backend-directories=DIR:...  where k7730-command programs may live
//   log-file=FILE|-|syslog, log-level=fatal|error|warn|info|debug
#pragma once

#include <pappl/pappl.h>

#include <string>
#include <vector>

namespace k7730::printer_app {

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

// Reads and checks the options; throws HostError naming the option at
// fault.
ServerOptions ParseServerOptions(int count, cups_option_t* options);

// The socket PAPPL's sub-commands look for: /run/k7730-printer-app.sock
// for root, else one of the user's own in the temporary folder.
std::string DefaultSocket();

}  // namespace k7730::printer_app
