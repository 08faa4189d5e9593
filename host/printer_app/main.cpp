// k7730-printer-app: an IPP Everywhere printer application that runs every
// page through the K7730fe module. The standard printer-application command
// line comes from papplMainloop (server, add, printers, submit, jobs,
// status, shutdown, options, default, modify, pause, resume, cancel);
// drivers, devices and delete are answered here (command_line.h), and no
// sub-command starts a server. "settings" replaces a printer's stored
// settings record.
//
// Where a job goes, file by file (request, driver, module, device):
//   server_command    "server": checks its options, makes the PAPPL system,
//                     registers the driver, filters, devices and callbacks
//   printer_driver    what a printer says it takes; refuses a device the
//                     policy does not allow; hands over the raster callbacks
//   image_filter      photos (the host's image formats with a MIME type)
//                     read and placed on the page
//   raster_callbacks  each page through the module in bands (which thread
//                     prints the job, grey lines made RGB, the document's
//                     own profile, refusals)
//   printer_record    the record a job starts from: stored, else the
//                     printer's defaults
//   devices           the device schemes in one table, the policy on which
//                     devices a printer may use, a job's output opened
//   device_output     the PWG raster stream into a folder or a device program
// Beside the jobs:
//   app_context       what the whole process shares (module, records, the
//                     values main reads from the environment)
//   record_store      each printer's stored settings record
//   settings_page     the printer's "Module Settings" web page, with
//                     settings_view, what a job gets
//   paper_profiles    the stored paper profiles; paper_profiles_page
//                     manages them and publishes printer-icc-profiles
//   print_page        the "Print a Photo" page; photo_proof, its proof
//   web_form          posted forms, uploads and answers of those pages
//   printer_status    Identify-Printer's notice, the supplies (levels unknown)
//   state_saving      PAPPL's state file, read and written without waiting
//                     on PAPPL's locks
//   command_line      the sub-commands answered here; server_client reaches
//                     a running server for them
#include <pappl/pappl.h>

#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "host/printer_app/app_context.h"
#include "host/printer_app/command_line.h"
#include "host/printer_app/devices.h"
#include "host/printer_app/printer_driver.h"
#include "host/printer_app/record_store.h"
#include "host/printer_app/server_command.h"
#include "host/core/settings_record.h"
#include "host/core/temporary_files.h"

using namespace k7730::printer_app;

namespace {

constexpr const char* kVersion = K7730_PRINTER_APP_VERSION;
// Where the descriptions of the usage text begin.
constexpr std::size_t kDescriptionColumn = 35;

void Usage(void*) {
  std::fputs(
      "Usage: k7730-printer-app SUB-COMMAND [OPTIONS] [FILES]\n"
      "\n"
      "Sub-commands: server, status, shutdown, add, modify, delete, default,\n"
      "printers, options, pause, resume, submit, jobs, cancel, drivers, devices,\n"
      "settings. All but server, drivers, devices and settings talk to the running\n"
      "server (its local socket, or the server of -u URI); none starts one.\n"
      "\n"
      "  server -o server-port=N          IPP port (default 8631), loopback only\n"
      "  server -o listen-hostname='*'    open the server to the network; needs\n"
      "                                   auth-service or trusted-network=true\n"
      "  server -o auth-service=SERVICE   changes need a login (a PAM service in\n"
      "                                   /etc/pam.d), from other machines over TLS\n"
      "  server -o admin-group=GROUP      the group a login must be in (lpadmin)\n"
      "  server -o trusted-network=true   every machine that reaches the port may\n"
      "                                   change the server without a login\n"
      "  server -o state-directory=DIR    state folder (records, PAPPL state, spool)\n"
      "  server -o server-socket=PATH     the local socket (none: no socket)\n"
      "  server -o backend-directories=D  the folders (D1:D2) device programs may\n"
      "                                   come from: root's, writable by root only\n"
      "                                   (/usr/lib/k7730fe/backend:/etc/k7730fe/backend)\n"
      "  server -o log-file=FILE -o log-level=fatal|error|warn|info|debug\n"
      "  add -d NAME -m k7730 -v URI      add a printer writing to URI, one of\n",
      stdout);
  // The device schemes, under the column of the descriptions. Nothing may
  // leave PAPPL's callback.
  try {
    std::fputs(AddUsageLines(kDescriptionColumn).c_str(), stdout);
  } catch (...) {
  }
  std::puts(
      "  delete -d NAME                   remove a printer\n"
      "  status                           whether a server runs (exit status 0 only then)\n"
      "  settings -d NAME FILE            store FILE as the printer's settings record\n"
      "  settings -d NAME -o reset=true   remove it again (the printer's defaults apply)\n"
      "\n"
      "Options: -d PRINTER, -u PRINTER-URI, -o NAME=VALUE, -m DRIVER and -v DEVICE-URI\n"
      "(add, modify), -j JOB-ID or -a for all (cancel), -n COPIES and -t TITLE (submit).\n"
      "The module's choices: -o k7730-sharpen=settings|mild|medium|strong|off,\n"
      "-o k7730-color-match=settings|on|off,\n"
      "-o k7730-intent=settings|perceptual|relative|saturation and the standard\n"
      "-o print-rendering-intent=auto|perceptual|relative|saturation (auto: the\n"
      "settings record's intent; k7730-intent wins when both are given). For the\n"
      "printer's defaults (modify), add -default to the name.");
}

// "settings": the record is read by every job, so a replaced record
// applies from the next job on, whether the server runs or not.
int SettingsCommand(const char*, int count, cups_option_t* options, int numFiles, char** files, void*) {
  const char* printer = cupsGetOption("printer-name", count, options);
  const char* folder = cupsGetOption("state-directory", count, options);
  const char* reset = cupsGetOption("reset", count, options);
  if (printer == nullptr || (numFiles != 1 && reset == nullptr)) {
    std::fputs("k7730-printer-app settings: give -d PRINTER and one settings record file\n", stderr);
    return 1;
  }
  const RecordStore store(folder != nullptr ? folder : App().defaultStateFolder);
  try {
    if (reset != nullptr) {
      store.Remove(printer);
      std::printf("%s: the stored settings record is removed\n", printer);
    } else {
      store.Replace(printer, k7730::host::ReadSettingsFile(files[0]), files[0]);
      std::printf("%s: %s is stored as %s\n", printer, files[0], store.PathFor(printer).c_str());
    }
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "k7730-printer-app settings: %s\n", e.what());
    return 1;
  } catch (...) {
    std::fputs("k7730-printer-app settings: the record could not be stored\n", stderr);
    return 1;
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  std::signal(SIGPIPE, SIG_IGN);   // a device program that quits fails the write instead
  App().moduleFromProgram = K7730_MODULE_FROM_PROGRAM;
  if (const char* named = std::getenv("K7730FE_MODULE")) App().moduleNamed = named;
  k7730::host::SetTemporaryFolder(std::getenv("TMPDIR"));
  App().defaultStateFolder =
      DefaultStateFolder(std::getenv("K7730_PRINTER_APP_STATE"), std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
  if (const char* snap = std::getenv("SNAP_COMMON")) App().rootSocketFolder = snap;
  App().version = kVersion;
  if (argc > 1 && std::string(argv[1]) == "server") return RunServerCommand(argc, argv);
  const CommandLine line = ReadCommandLine(argc, argv);
  if (const auto status = RunOwnSubcommand(line)) return *status;
  int numDrivers = 0;
  pappl_pr_driver_t* drivers = Drivers(&numDrivers);
  std::vector<std::string> args = MainloopArguments(argc, argv);
  std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  const auto mainloop = [&] {
    return papplMainloop(static_cast<int>(args.size()), pointers.data(), kVersion, nullptr, numDrivers, drivers,
                         nullptr, DriverCallback, "settings", SettingsCommand, nullptr, Usage, nullptr);
  };
  return line.understood && line.subcommand == "options" ? ShowOptions(mainloop) : mainloop();
}
