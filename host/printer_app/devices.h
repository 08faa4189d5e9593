// The devices a printer of this server writes to, and which of them it may
// use. The kinds of device are one table: each scheme with what the command
// line says of it, the check that allows a device of it and the output a
// job of it writes to. The usage texts, the "devices" listing, the policy's
// messages and the job outputs all take the schemes from there:
//   file:///FOLDER                   one PWG raster file per job in the
//                                    folder
//   k7730-command:///path/to/program the job on the standard input of a
//                                    new run of the program
// A client names the device when it adds a printer, so nothing it names is
// opened or run unless the administrator allowed that place:
//   k7730-command:///PROGRAM  only a program inside one of the back-end
//                             folders the server was started with; the
//                             folder, every folder below it on the way and
//                             the program are owned by root and writable
//                             by nobody else, and the path stays inside
//                             (no "..", no symbolic link leading out)
//   file:///FOLDER            a folder that exists and that the server's
//                             own user may write, outside the server's
//                             state folder
// The checks run when a printer is added and again when a job's output
// opens, so a folder or program changed since is caught before anything
// is written. PAPPL's device for these schemes only stands in.
#pragma once

#include <pappl/pappl.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "host/printer_app/device_output.h"

namespace k7730::printer_app {

// The back-end folders when the server is not told otherwise: the
// package's own and the administrator's.
constexpr const char* kDefaultBackendFolders = "/usr/lib/k7730fe/backend:/etc/k7730fe/backend";

constexpr const char* kFileScheme = "file";
constexpr const char* kCommandScheme = "k7730-command";

// Each scheme's URI form and note for the usage of "add", every line
// indented by `indent`, the second and later schemes begun with "or ".
std::string AddUsageLines(std::size_t indent);
// Each scheme's URI form, then what it does indented by four.
std::string DeviceListing();

// Registers every device scheme with PAPPL as a stand-in device.
void AddDevices();

struct DevicePolicy {
  std::vector<std::string> backendFolders;
  std::string stateFolder;
};

// Set once, before the server runs.
void SetDevicePolicy(DevicePolicy policy);

// "A:B:C" as its folders; empty parts are dropped.
std::vector<std::string> SplitFolderList(const std::string& list);

// Empty when a printer may use `deviceUri`; else why not, in words.
std::string DeviceProblem(const std::string& deviceUri);
// The same for the path of a file: device and of a k7730-command: device.
std::string FolderProblem(const std::string& folder);
std::string ProgramProblem(const std::string& program);

// The scheme and the path of a device URI; both empty when it is not one.
struct DeviceUri {
  std::string scheme, path;
};
DeviceUri ParseDeviceUri(const std::string& uri);

// The programs a k7730-command device may name, full paths, sorted.
std::vector<std::string> PermittedPrograms();

// The output for a job of a printer with `deviceUri`, checked against the
// policy again. Nothing is opened until the first write.
std::unique_ptr<JobOutput> OpenJobOutput(const std::string& deviceUri, const std::string& jobName);

}  // namespace k7730::printer_app
