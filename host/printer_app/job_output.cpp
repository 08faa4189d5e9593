#include "host/printer_app/job_output.h"

#include "host/core/host_error.h"

namespace k7730::printer_app {

namespace {

struct Uri {
  std::string scheme, path;
};

Uri ParseUri(const std::string& uri) {
  char scheme[32], userpass[256], host[256], resource[1024];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri.c_str(), scheme, sizeof scheme, userpass, sizeof userpass, host,
                      sizeof host, &port, resource, sizeof resource) < HTTP_URI_STATUS_OK) {
    return {};
  }
  return {scheme, resource};
}

// PAPPL opens, writes and closes the printer's device around every job;
// the job's own output does the work.
bool StandInOpen(pappl_device_t*, const char*, const char*) { return true; }
void StandInClose(pappl_device_t*) {}
ssize_t StandInRead(pappl_device_t*, void*, size_t) { return 0; }
ssize_t StandInWrite(pappl_device_t*, const void*, size_t bytes) { return static_cast<ssize_t>(bytes); }
pappl_preason_t StandInStatus(pappl_device_t*) { return PAPPL_PREASON_NONE; }

}  // namespace

std::unique_ptr<JobOutput> OpenJobOutput(const std::string& deviceUri, const std::string& jobName) {
  const Uri uri = ParseUri(deviceUri);
  if (uri.path.empty()) throw host::HostError("the device URI " + deviceUri + " names no folder or program");
  if (uri.scheme == kFileScheme) return OpenFolderOutput(uri.path, jobName);
  if (uri.scheme == kCommandScheme) return OpenCommandOutput(uri.path);
  throw host::HostError("no device handles " + deviceUri + ": use file:///FOLDER or k7730-command:///PROGRAM");
}

void AddDevices() {
  papplDeviceAddScheme(kFileScheme, PAPPL_DEVTYPE_FILE, nullptr, StandInOpen, StandInClose, StandInRead,
                       StandInWrite, StandInStatus, nullptr);
  papplDeviceAddScheme(kCommandScheme, PAPPL_DEVTYPE_CUSTOM_LOCAL, nullptr, StandInOpen, StandInClose, StandInRead,
                       StandInWrite, StandInStatus, nullptr);
}

}  // namespace k7730::printer_app
