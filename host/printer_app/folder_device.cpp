#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "devices.h"

namespace k7730::printer_app {

namespace {

// The file is made at the first write, so a job refused before its first
// page leaves nothing in the folder.
struct FolderRun {
  std::string folder;
  std::string jobName;
  int fd = -1;
  std::string problem;
};

std::string SafeName(const std::string& name) {
  std::string safe;
  for (char c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.';
    safe += plain ? c : '_';
  }
  if (safe.empty() || safe[0] == '.') safe.insert(0, "job");
  return safe.substr(0, 200);
}

// "<name>.pwg", else "<name>-2.pwg" and on: a job never overwrites another.
void MakeFile(FolderRun& run) {
  struct stat info {};
  if (::stat(run.folder.c_str(), &info) != 0) {
    run.problem = "the device folder " + run.folder + " cannot be used: " + std::strerror(errno);
    return;
  }
  if (!S_ISDIR(info.st_mode)) {
    run.problem = "the device " + run.folder + " is not a folder";
    return;
  }
  const std::string base = run.folder + "/" + SafeName(run.jobName);
  for (int n = 1; n < 10000; ++n) {
    const std::string path = base + (n == 1 ? "" : "-" + std::to_string(n)) + ".pwg";
    run.fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (run.fd >= 0) return;
    if (errno != EEXIST) {
      run.problem = "cannot write " + path + ": " + std::strerror(errno);
      return;
    }
  }
  run.problem = "the device folder " + run.folder + " has no free name for " + base + ".pwg";
}

bool Open(pappl_device_t* device, const char* uri, const char* name) {
  auto* run = new FolderRun;
  run->folder = DevicePath(uri);
  run->jobName = name != nullptr ? name : "job";
  if (run->folder.empty()) run->problem = std::string("the device URI ") + uri + " names no folder";
  papplDeviceSetData(device, run);
  return true;
}

ssize_t Write(pappl_device_t* device, const void* buffer, size_t bytes) {
  auto* run = static_cast<FolderRun*>(papplDeviceGetData(device));
  if (run->fd < 0 && run->problem.empty()) MakeFile(*run);
  const auto* data = static_cast<const char*>(buffer);
  for (size_t done = 0; run->problem.empty() && done < bytes;) {
    const ssize_t n = ::write(run->fd, data + done, bytes - done);
    if (n > 0) done += static_cast<size_t>(n);
    else if (errno != EINTR) run->problem = "cannot write to the device folder " + run->folder + ": " + std::strerror(errno);
  }
  if (!run->problem.empty()) return DeviceFailed(device, run->problem);
  return static_cast<ssize_t>(bytes);
}

void Close(pappl_device_t* device) {
  auto* run = static_cast<FolderRun*>(papplDeviceGetData(device));
  if (run == nullptr) return;
  if (run->fd >= 0 && ::close(run->fd) != 0) papplDeviceError(device, "cannot finish the file: %s", std::strerror(errno));
  delete run;
  papplDeviceSetData(device, nullptr);
}

ssize_t Read(pappl_device_t*, void*, size_t) { return 0; }
pappl_preason_t Status(pappl_device_t*) { return PAPPL_PREASON_NONE; }

}  // namespace

void AddFolderDevice() {
  papplDeviceAddScheme(kFileScheme, PAPPL_DEVTYPE_FILE, nullptr, Open, Close, Read, Write, Status, nullptr);
}

}  // namespace k7730::printer_app
