#include "host/printer_app/own_commands.h"

#include <sys/stat.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "host/printer_app/device_policy.h"
#include "host/printer_app/device_schemes.h"
#include "host/printer_app/driver.h"
#include "host/printer_app/printer_id_commands.h"
#include "host/printer_app/server_connection.h"

namespace k7730::printer_app {

namespace {

// The sub-commands that talk to a server, and those of them that talk to
// the one a -u URI names instead.
const std::set<std::string> kNeedServer = {"add",     "cancel", "default", "delete", "jobs",     "modify", "options",
                                           "pause",   "printers", "resume", "shutdown", "status", "submit"};
const std::set<std::string> kTakeUri = {"add",   "cancel", "default", "delete", "jobs", "modify",
                                        "options", "pause", "resume",  "status", "submit"};

bool ServerAnswers(const CommandLine& line) {
  if (kTakeUri.count(line.subcommand) != 0 && !line.printerUri.empty()) return true;
  return static_cast<bool>(ConnectToServer(line.baseName));
}

// PAPPL refuses a file: device whose folder it cannot write before the
// driver sees it, and names no reason; the local server's folder is
// checked here first so that the command can.
bool DeviceFolderMissing(const CommandLine& line) {
  if ((line.subcommand != "add" && line.subcommand != "modify") || !line.printerUri.empty()) return false;
  const DeviceUri uri = ParseDeviceUri(line.deviceUri);
  struct stat info {};
  if (uri.scheme != kFileScheme || uri.path.empty() || ::stat(uri.path.c_str(), &info) == 0) return false;
  std::fprintf(stderr, "%s: the device folder %s does not exist\n", line.baseName.c_str(), uri.path.c_str());
  return true;
}

}  // namespace

int ListDrivers(const CommandLine& line) {
  if (line.options.count("device-id") != 0) {
    std::fprintf(stderr, "%s: drivers are not chosen by device ID here; add printers with -m %s\n",
                 line.baseName.c_str(), kDriverName);
    return 1;
  }
  int count = 0;
  const pappl_pr_driver_t* drivers = Drivers(&count);
  for (int i = 0; i < count; ++i) {
    std::printf("%s \"%s\" \"%s\"\n", drivers[i].name, drivers[i].description,
                drivers[i].device_id != nullptr ? drivers[i].device_id : "");
  }
  return 0;
}

int ListDevices(const CommandLine& line) {
  const auto folders = line.options.find("backend-directories");
  DevicePolicy policy;
  policy.backendFolders =
      SplitFolderList(folders != line.options.end() ? folders->second : kDefaultBackendFolders);
  SetDevicePolicy(policy);
  std::fputs(DeviceListing().c_str(), stdout);
  for (const std::string& program : PermittedPrograms()) {
    std::printf("%s://%s\n    a back-end program the server may run\n", kCommandScheme, program.c_str());
  }
  return 0;
}

std::optional<int> RunOwnSubcommand(const CommandLine& line) {
  if (!line.understood) return std::nullopt;
  if (line.subcommand == "drivers") return ListDrivers(line);
  if (line.subcommand == "devices") return ListDevices(line);
  // papplMainloop refuses files given to other sub-commands before it connects.
  if (kNeedServer.count(line.subcommand) == 0 || (line.files > 0 && line.subcommand != "submit")) return std::nullopt;
  if (DeviceFolderMissing(line)) return 1;
  if (!ServerAnswers(line)) {
    if (const std::string closed = ClosedServerSocket(line.baseName); !closed.empty()) {
      std::fprintf(stderr, "%s: the server's socket %s is not open to this user (root and the lpadmin group only)\n",
                   line.baseName.c_str(), closed.c_str());
      return 1;
    }
    std::fprintf(stderr, "%s: no server is running (start one with '%s server')\n", line.baseName.c_str(),
                 line.baseName.c_str());
    return 1;
  }
  return RunPrinterIdCommand(line);
}

}  // namespace k7730::printer_app
