#include "host/printer_app/job_output.h"

#include "host/core/host_error.h"
#include "host/printer_app/device_schemes.h"

namespace k7730::printer_app {

namespace {

// PAPPL opens, writes and closes the printer's device around every job;
// the job's own output does the work.
bool StandInOpen(pappl_device_t*, const char*, const char*) { return true; }
void StandInClose(pappl_device_t*) {}
ssize_t StandInRead(pappl_device_t*, void*, size_t) { return 0; }
ssize_t StandInWrite(pappl_device_t*, const void*, size_t bytes) { return static_cast<ssize_t>(bytes); }
pappl_preason_t StandInStatus(pappl_device_t*) { return PAPPL_PREASON_NONE; }

}  // namespace

std::unique_ptr<JobOutput> OpenJobOutput(const std::string& deviceUri, const std::string& jobName) {
  if (const std::string problem = DeviceProblem(deviceUri); !problem.empty()) throw host::HostError(problem);
  const DeviceUri uri = ParseDeviceUri(deviceUri);
  const DeviceScheme* scheme = FindDeviceScheme(uri.scheme);
  if (scheme == nullptr) throw host::HostError("no device handles " + deviceUri);
  return scheme->open(uri.path, jobName);
}

void AddDevices() {
  for (const DeviceScheme& scheme : DeviceSchemes()) {
    papplDeviceAddScheme(scheme.name, scheme.type, nullptr, StandInOpen, StandInClose, StandInRead, StandInWrite,
                         StandInStatus, nullptr);
  }
}

}  // namespace k7730::printer_app
