// Which devices a printer of this server may write to. A client names the
// device when it adds a printer, so nothing it names is opened or run
// unless the administrator allowed that place:
//   k7730-command:///PROGRAM  only a program inside one of the back-end
//                             folders the server was started with; the
//                             folder, every folder below it on the way and
//                             the program are owned by root and writable
//                             by nobody else, and the path stays inside
//                             (no "..", no symbolic link leading out)
//   file:///FOLDER            a folder that exists and that the server's
//                             own user may write, outside the server's
//                             state folder
// The checks run when a printer is added and again when a job starts, so a
// folder or program changed since is caught before anything is written.
#pragma once

#include <string>
#include <vector>

namespace k7730::printer_app {

// The back-end folders when the server is not told otherwise: the
// package's own and the administrator's.
constexpr const char* kDefaultBackendFolders = "/usr/lib/k7730fe/backend:/etc/k7730fe/backend";

struct DevicePolicy {
  std::vector<std::string> backendFolders;
  std::string stateFolder;
};

// Set once, before the server runs.
void SetDevicePolicy(DevicePolicy policy);
const DevicePolicy& CurrentDevicePolicy();

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

}  // namespace k7730::printer_app
