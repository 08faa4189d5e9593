// "k7730-printer-app server [-o NAME=VALUE]...": runs the server until it
// is stopped (SIGTERM, SIGINT or Shutdown-System). The server is started
// here rather than by papplMainloop, which would also put a socket of its
// own at the default path, over the one of a server already running.
#pragma once

namespace k7730::printer_app {

// argv[0] is the program, argv[1] "server". Returns the exit status.
int RunServerCommand(int argc, char* argv[]);

}  // namespace k7730::printer_app
