#include "host/printer_app/command_line.h"

#include <cups/cups.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <span>
#include <set>
#include <string>
#include <vector>

#include "host/core/vendor_options.h"
#include "host/printer_app/devices.h"
#include "host/printer_app/printer_driver.h"
#include "host/printer_app/server_client.h"

namespace k7730::printer_app {

namespace {

const std::set<std::string> kSubcommands = {
    "add",     "autoadd", "cancel", "default", "delete",   "devices", "drivers", "jobs",    "modify",
    "options", "pause",   "printers", "resume", "server", "shutdown", "status",  "submit", "settings"};

// The letters that take a value in the next argument.
constexpr const char* kValueLetters = "dhjmnotuv";

void AddOptions(CommandLine& line, const char* text) {
  cups_option_t* options = nullptr;
  const int count = cupsParseOptions(text, 0, &options);
  for (int i = 0; i < count; ++i) line.options[options[i].name] = options[i].value;
  cupsFreeOptions(count, options);
}

// One "-X" argument and its value; false when it is not one papplMainloop takes.
bool ReadLetter(CommandLine& line, char letter, const char* value) {
  if (letter == 'a') return true;
  if (std::strchr(kValueLetters, letter) == nullptr || value == nullptr) return false;
  if (letter == 'd') line.printerName = value;
  if (letter == 'u') line.printerUri = value;
  if (letter == 'v') line.deviceUri = value;
  if (letter == 'o') AddOptions(line, value);
  return true;
}

// A word that is neither an option nor a value: a sub-command or a file.
bool ReadWord(CommandLine& line, const std::string& word) {
  if (kSubcommands.count(word) != 0) {
    if (!line.subcommand.empty()) return false;
    line.subcommand = word;
    return true;
  }
  if (::access(word.c_str(), R_OK) != 0) return false;
  ++line.files;
  return true;
}

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

// "drivers": the driver list, in papplMainloop's format.
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

// "devices": the device URIs this program prints to, each with its use,
// and the programs of the back-end folders (-o backend-directories=DIR:...
// as for the server) that a printer may run.
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

}  // namespace

CommandLine ReadCommandLine(int argc, char* argv[]) {
  CommandLine line;
  const char* slash = argc > 0 ? std::strrchr(argv[0], '/') : nullptr;
  line.baseName = argc > 0 ? (slash != nullptr ? slash + 1 : argv[0]) : "";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    bool ok = true;
    if (arg == "--") {
      ok = ++i < argc;   // a file name follows, whatever it looks like
      line.files += ok ? 1 : 0;
    } else if (arg.rfind("--", 0) == 0) {
      ok = false;   // --help, --version and unknown long options
    } else if (arg.size() == 2 && arg[0] == '-' && arg[1] != '-') {
      const bool takesValue = std::strchr(kValueLetters, arg[1]) != nullptr;
      ok = ReadLetter(line, arg[1], takesValue && i + 1 < argc ? argv[i + 1] : nullptr);
      if (takesValue) ++i;
    } else if (arg[0] == '-' && arg != "-") {
      ok = false;   // grouped letters: papplMainloop reads them its own way
    } else if (arg != "-") {
      ok = ReadWord(line, arg);
    }
    if (!ok) return line;
  }
  if (line.subcommand.empty()) line.subcommand = "submit";
  line.understood = true;
  return line;
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

std::vector<std::string> MainloopArguments(int argc, char* argv[]) {
  std::vector<std::string> args(argv, argv + argc);
  for (std::size_t i = 1; i + 1 < args.size(); ++i) {
    if (args[i] == "--") break;
    if (args[i] == "-n") {
      args[i] = "-o";
      args[i + 1] = "copies=" + args[i + 1];
    }
    if (args[i].size() == 2 && args[i][0] == '-' && std::strchr(kValueLetters, args[i][1]) != nullptr) ++i;
  }
  return args;
}

namespace {

std::string Choices(std::span<const char* const> values) {
  std::string text;
  for (const char* value : values) text.append(text.empty() ? "" : "|").append(value);
  return text;
}

// The module's choices, for jobs and (as NAME-default) printer defaults.
void PrintModuleChoices() {
  std::puts("Module options (print job; NAME-default=VALUE for the printer's default):");
  for (const host::VendorOption& option : host::VendorOptions()) {
    std::printf("  -o %s=%s\n", option.name, Choices(option.choices).c_str());
  }
  std::printf("  -o %s=%s\n\n", host::kRenderingIntentOption, Choices(host::RenderingIntentChoices()).c_str());
}

}  // namespace

int ShowOptions(const std::function<int()>& mainloop) {
  std::fflush(stdout);
  std::FILE* captured = std::tmpfile();
  const int saved = captured != nullptr ? ::dup(STDOUT_FILENO) : -1;
  if (saved < 0 || ::dup2(::fileno(captured), STDOUT_FILENO) < 0) {
    if (captured != nullptr) std::fclose(captured);
    if (saved >= 0) ::close(saved);
    return mainloop();
  }
  const int status = mainloop();
  std::fflush(stdout);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  std::rewind(captured);
  bool shown = false;
  char text[4096];
  while (std::fgets(text, sizeof text, captured) != nullptr) {
    std::string line = text;
    if (line == "  -c COPIES\n") line = "  -n COPIES\n";
    if (line == "Printer options:\n" && status == 0 && !shown) {
      PrintModuleChoices();
      shown = true;
    }
    std::fputs(line.c_str(), stdout);
  }
  std::fclose(captured);
  if (status == 0 && !shown) PrintModuleChoices();
  return status;
}

}  // namespace k7730::printer_app
