#include "devices.h"

namespace k7730::printer_app {

namespace {
thread_local std::string lastProblem;
}  // namespace

void AddDevices() {
  AddFolderDevice();
  AddCommandDevice();
}

std::string LastDeviceProblem() {
  std::string problem = std::move(lastProblem);
  lastProblem.clear();
  return problem;
}

ssize_t DeviceFailed(pappl_device_t* device, const std::string& problem) {
  lastProblem = problem;
  papplDeviceError(device, "%s", problem.c_str());
  return -1;
}

std::string DevicePath(const char* uri) {
  char scheme[32], userpass[256], host[256], resource[1024];
  int port = 0;
  if (httpSeparateURI(HTTP_URI_CODING_ALL, uri, scheme, sizeof scheme, userpass, sizeof userpass, host, sizeof host,
                      &port, resource, sizeof resource) < HTTP_URI_STATUS_OK) {
    return "";
  }
  return resource;
}

}  // namespace k7730::printer_app
