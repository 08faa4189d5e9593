// "k7730-printer-app server [-o NAME=VALUE]...": makes the server's PAPPL
// system (where it listens, where it keeps its state, the module it loads,
// which devices its printers may use) and runs it until it is stopped
// (SIGTERM, SIGINT or Shutdown-System). The server is started here rather
// than by papplMainloop, which would also put a socket of its own at the
// default path, over the one of a server already running.
//
// The options are checked before anything starts: a bad value is an error
// naming the option, never a quiet fallback to something else.
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

namespace k7730::printer_app {

// argv[0] is the program, argv[1] "server". Returns the exit status.
int RunServerCommand(int argc, char* argv[]);

}  // namespace k7730::printer_app
