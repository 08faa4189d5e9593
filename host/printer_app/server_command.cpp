#include "host/printer_app/server_command.h"

#include <pappl/pappl.h>

#include <cstdio>
#include <cstring>
#include <exception>

#include "host/printer_app/app_system.h"
#include "host/printer_app/server_options.h"

namespace k7730::printer_app {

namespace {

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
  pappl_system_t* system = CreateServer(options);
  if (system == nullptr) return 1;
  papplSystemRun(system);
  papplSystemDelete(system);
  return 0;
}

}  // namespace k7730::printer_app
