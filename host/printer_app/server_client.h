// The sub-commands' side of a running server: the domain socket a server
// listens on for the local sub-commands, connections to it, and the
// sub-commands that find a printer by its printer-id ("delete" and
// "default -d"), done here where papplMainloop's own fail.
#pragma once

#include <cups/cups.h>

#include <memory>
#include <optional>
#include <string>

#include "host/printer_app/command_line.h"

namespace k7730::printer_app {

struct CloseHttp {
  void operator()(http_t* http) const { httpClose(http); }
};
using Connection = std::unique_ptr<http_t, CloseHttp>;

// A connection to the server of this user, else to root's; empty when
// neither answers. Never starts a server.
Connection ConnectToServer(const std::string& baseName);

// The server's socket that exists but that this user may not use (the
// service's is open to root and the lpadmin group only); empty when none.
std::string ClosedServerSocket(const std::string& baseName);

// Runs "delete", or "default" naming a printer, against the running
// server; nothing for any other command, or where PAPPL's own work.
std::optional<int> RunPrinterIdCommand(const CommandLine& line);

}  // namespace k7730::printer_app
