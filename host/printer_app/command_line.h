// The command line as papplMainloop reads it, so that main can answer some
// sub-commands itself before handing the arguments on.
#pragma once

#include <map>
#include <string>

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

}  // namespace k7730::printer_app
