#include "host/printer_app/devices.h"

#include <cups/http.h>
#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

namespace k7730::printer_app {

namespace {

// The kinds of device, each with its texts, its check and its output.
struct DeviceScheme {
  const char* name;       // "file": the device URI's scheme
  const char* pathNoun;   // "folder": what the URI's path names
  const char* addNote;    // after the URI in the usage of "add"; '\n' breaks the line
  const char* listing;    // what "devices" says of it; '\n' breaks the line
  pappl_devtype_t type;   // the kind PAPPL gives the stand-in device
  // Empty when a printer may use the path; else why not, in words.
  std::string (*problem)(const std::string& path);
  // The job's output; nothing is opened until the first write.
  std::unique_ptr<JobOutput> (*open)(const std::string& path, const std::string& jobName);
};

const DeviceScheme kSchemes[] = {
    {kFileScheme, "folder", "(the server's user writes it)", "one PWG raster file per job, written into FOLDER",
     PAPPL_DEVTYPE_FILE, FolderProblem, OpenFolderOutput},
    {kCommandScheme, "program", "(a back end in\na back-end folder)",
     "each job on the standard input of a new run of PROGRAM, a program of a\n"
     "back-end folder (-o backend-directories=DIR:..., as for the server)",
     PAPPL_DEVTYPE_CUSTOM_LOCAL, ProgramProblem,
     [](const std::string& program, const std::string&) { return OpenCommandOutput(program); }},
};

// `text` with a line break and `indent` spaces wherever it has a '\n'.
std::string Indented(const std::string& text, std::size_t indent) {
  std::string out;
  for (const char c : text) {
    out.push_back(c);
    if (c == '\n') out.append(indent, ' ');
  }
  return out;
}

template <typename Part>
std::string JoinedWithOr(Part part) {
  std::string text;
  for (const DeviceScheme& scheme : kSchemes) text += (text.empty() ? "" : " or ") + part(scheme);
  return text;
}

// Null for a scheme no printer may use.
const DeviceScheme* FindDeviceScheme(const std::string& name) {
  for (const DeviceScheme& scheme : kSchemes) {
    if (name == scheme.name) return &scheme;
  }
  return nullptr;
}

// "file:///FOLDER".
std::string UriForm(const DeviceScheme& scheme) {
  std::string word = scheme.pathNoun;
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return std::string(scheme.name) + ":///" + word;
}

// "folder or program".
std::string AnyPathNoun() {
  return JoinedWithOr([](const DeviceScheme& scheme) { return std::string(scheme.pathNoun); });
}

// "file:///FOLDER or k7730-command:///PROGRAM".
std::string AnyUriForm() { return JoinedWithOr(UriForm); }

// PAPPL opens, writes and closes the printer's device around every job;
// the job's own output does the work.
bool StandInOpen(pappl_device_t*, const char*, const char*) { return true; }
void StandInClose(pappl_device_t*) {}
ssize_t StandInRead(pappl_device_t*, void*, size_t) { return 0; }
ssize_t StandInWrite(pappl_device_t*, const void*, size_t bytes) { return static_cast<ssize_t>(bytes); }
pappl_preason_t StandInStatus(pappl_device_t*) { return PAPPL_PREASON_NONE; }

DevicePolicy& Policy() {
  static DevicePolicy policy;
  return policy;
}

// Owned by root and writable by root alone: nobody else can swap it.
bool RootOnly(const struct stat& info) { return info.st_uid == 0 && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0; }

std::string JoinFolders() {
  std::string list;
  for (const std::string& folder : Policy().backendFolders) list += (list.empty() ? "" : ", ") + folder;
  return list.empty() ? "none" : list;
}

std::string ServerUser() {
  char buffer[4096];
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) return found->pw_name;
  return "uid " + std::to_string(::geteuid());
}

// The folders above a back-end folder: whoever may rename one of them may
// put a folder of their own in the back-end folder's place. A shared folder
// with the sticky bit (/tmp) lets nobody rename what is not theirs.
std::string AncestorProblem(const std::string& folder) {
  std::string path = folder;
  while (path.size() > 1) {
    path.erase(path.find_last_of('/') == 0 ? 1 : path.find_last_of('/'));
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return "the folder " + path + " cannot be used: " + host::ErrnoText();
    if (info.st_uid != 0 || ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0 && (info.st_mode & S_ISVTX) == 0)) {
      return "the back-end folder " + folder + " lies in " + path + ", which others than root may change";
    }
  }
  return "";
}

std::string FolderCheck(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) {
    return "the back-end folder " + folder + " cannot be used: " + host::ErrnoText();
  }
  if (!S_ISDIR(info.st_mode)) return "the back-end folder " + folder + " is not a folder";
  if (!RootOnly(info)) return "the back-end folder " + folder + " is not owned by root or others than root may change it";
  return AncestorProblem(folder);
}

// Walks from the back-end folder down to the program one name at a time,
// so that no symbolic link and no folder someone else may change lies on
// the way.
std::string WalkToProgram(const std::string& folder, const std::string& rest, const std::string& program) {
  if (std::string problem = FolderCheck(folder); !problem.empty()) return problem;
  std::string path = folder;
  std::size_t start = 0;
  while (start <= rest.size()) {
    const std::size_t end = std::min(rest.find('/', start), rest.size());
    const std::string name = rest.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    if (name == "." || name == "..") return "the device program " + program + " leads out of its back-end folder";
    path += "/" + name;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
      return "the device program " + program + " cannot be used: " + host::ErrnoText();
    }
    if (S_ISLNK(info.st_mode)) return "the device program " + program + " leads through the symbolic link " + path;
    if (!RootOnly(info)) return "the device program " + program + " is not owned by root or others than root may change " + path;
    const bool last = end == rest.size();
    if (!last && !S_ISDIR(info.st_mode)) return "the device program " + program + " cannot be used: " + path + " is not a folder";
    if (last && (!S_ISREG(info.st_mode) || (info.st_mode & S_IXUSR) == 0)) {
      return "the device program " + program + " is not an executable file";
    }
  }
  return "";
}

bool Inside(const std::string& path, const std::string& folder) {
  char realPath[PATH_MAX], realFolder[PATH_MAX];
  if (folder.empty() || ::realpath(path.c_str(), realPath) == nullptr ||
      ::realpath(folder.c_str(), realFolder) == nullptr) {
    return false;
  }
  const std::size_t n = std::strlen(realFolder);
  return std::strncmp(realPath, realFolder, n) == 0 && (realPath[n] == '\0' || realPath[n] == '/');
}

std::string WithoutTrailingSlashes(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

std::string ProgramProblem(const std::string& program) {
  for (const std::string& folder : Policy().backendFolders) {
    if (program.size() > folder.size() + 1 && program.compare(0, folder.size(), folder) == 0 &&
        program[folder.size()] == '/') {
      return WalkToProgram(folder, program.substr(folder.size() + 1), program);
    }
  }
  return "the device program " + program + " is not in a back-end folder of this server (" + JoinFolders() +
         "); an administrator installs back ends there";
}

std::string FolderProblem(const std::string& folder) {
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0) {
    if (errno == ENOENT) return "the device folder " + folder + " does not exist";
    return "the device folder " + folder + " cannot be used: " + host::ErrnoText();
  }
  if (!S_ISDIR(info.st_mode)) return "the device " + folder + " is not a folder";
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return "the device folder " + folder + " cannot be written by the server's user (" + ServerUser() + ")";
  }
  if (Inside(folder, Policy().stateFolder)) return "the device folder " + folder + " is inside the server's state folder";
  return "";
}

void SetDevicePolicy(DevicePolicy policy) {
  for (std::string& folder : policy.backendFolders) folder = WithoutTrailingSlashes(folder);
  Policy() = std::move(policy);
}

std::vector<std::string> SplitFolderList(const std::string& list) {
  std::vector<std::string> folders;
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    if (end > start) folders.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

DeviceUri ParseDeviceUri(const std::string& uri) {
  char scheme[32], userpass[256], host[256], resource[1024];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, userpass, sizeof userpass, host,
                      sizeof host, &port, resource, sizeof resource) < HTTP_URI_STATUS_OK) {
    return {};
  }
  return {scheme, resource};
}

std::string DeviceProblem(const std::string& deviceUri) {
  const DeviceUri uri = ParseDeviceUri(deviceUri);
  if (const DeviceScheme* scheme = FindDeviceScheme(uri.scheme)) {
    if (uri.path.empty() || uri.path == "/") return "the device URI " + deviceUri + " names no " + AnyPathNoun();
    return scheme->problem(uri.path);
  }
  return "no device handles " + deviceUri + ": use " + AnyUriForm();
}

std::vector<std::string> PermittedPrograms() {
  std::vector<std::string> programs;
  for (const std::string& folder : Policy().backendFolders) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) continue;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string path = folder + "/" + entry->d_name;
      if (entry->d_name[0] != '.' && ProgramProblem(path).empty()) programs.push_back(path);
    }
    ::closedir(dir);
  }
  std::sort(programs.begin(), programs.end());
  return programs;
}

std::string AddUsageLines(std::size_t indent) {
  std::string lines;
  for (const DeviceScheme& scheme : kSchemes) {
    lines += std::string(indent, ' ') + (&scheme == kSchemes ? "" : "or ") + UriForm(scheme) + " " +
             Indented(scheme.addNote, indent) + "\n";
  }
  return lines;
}

std::string DeviceListing() {
  std::string lines;
  for (const DeviceScheme& scheme : kSchemes) lines += UriForm(scheme) + "\n    " + Indented(scheme.listing, 4) + "\n";
  return lines;
}

std::unique_ptr<JobOutput> OpenJobOutput(const std::string& deviceUri, const std::string& jobName) {
  if (const std::string problem = DeviceProblem(deviceUri); !problem.empty()) throw host::HostError(problem);
  const DeviceUri uri = ParseDeviceUri(deviceUri);
  const DeviceScheme* scheme = FindDeviceScheme(uri.scheme);
  if (scheme == nullptr) throw host::HostError("no device handles " + deviceUri);
  return scheme->open(uri.path, jobName);
}

void AddDevices() {
  for (const DeviceScheme& scheme : kSchemes) {
    papplDeviceAddScheme(scheme.name, scheme.type, nullptr, StandInOpen, StandInClose, StandInRead, StandInWrite,
                         StandInStatus, nullptr);
  }
}

}  // namespace k7730::printer_app
