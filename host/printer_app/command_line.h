// The command line as papplMainloop reads it, and the sub-commands main
// answers itself before handing the arguments on: the lists that need no
// server (drivers, devices; papplMainloop would make a whole system for one
// and look for network printers for the other), the check that a server
// runs for those that need one (papplMainloop would start a server of its
// own), and the printer-id commands PAPPL gets wrong (server_client.h).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace k7730::printer_app {

struct CommandLine {
  // False when papplMainloop would refuse the arguments or answers them
  // without a sub-command (--help, --version): it is left to report them.
  bool understood = false;
  std::string baseName;     // the program's file name, which names its socket
  std::string subcommand;   // "submit" when none is given
  std::string printerName;  // -d
  std::string printerUri;   // -u
  std::string deviceUri;    // -v
  std::map<std::string, std::string> options;   // -o NAME=VALUE
  int files = 0;
};

CommandLine ReadCommandLine(int argc, char* argv[]);

// The exit status, or nothing to leave the command to papplMainloop.
std::optional<int> RunOwnSubcommand(const CommandLine& line);

// The arguments for papplMainloop, with "-n COPIES" given as "-o
// copies=COPIES": PAPPL 1.3.1's submit reads -n into an option it never
// sends, so that the job would print once.
std::vector<std::string> MainloopArguments(int argc, char* argv[]);

// "options" as `mainloop` prints it (papplMainloop), with its "-c COPIES",
// which submit refuses, given as the -n that works, and the module's
// choices added. Returns the mainloop's status.
int ShowOptions(const std::function<int()>& mainloop);

}  // namespace k7730::printer_app
