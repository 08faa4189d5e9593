#include "host/printer_app/server_command.h"

#include <malloc.h>
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
