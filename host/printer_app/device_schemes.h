// The kinds of device a printer of this server writes to, in one table:
// each scheme with what the command line says of it, the check that allows
// a device of it and the output a job of it writes to. The usage texts,
// the "devices" listing, the device policy's messages and the job outputs
// all take the schemes from here.
#pragma once

#include <pappl/pappl.h>

#include <cstddef>
#include <memory>
#include <span>
#include <string>

#include "host/printer_app/job_output.h"

namespace k7730::printer_app {

constexpr const char* kFileScheme = "file";
constexpr const char* kCommandScheme = "k7730-command";

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

std::span<const DeviceScheme> DeviceSchemes();
// Null for a scheme no printer may use.
const DeviceScheme* FindDeviceScheme(const std::string& name);

// "file:///FOLDER".
std::string UriForm(const DeviceScheme& scheme);
// "folder or program".
std::string AnyPathNoun();
// "file:///FOLDER or k7730-command:///PROGRAM".
std::string AnyUriForm();
// Each scheme's URI form and note for the usage of "add", every line
// indented by `indent`, the second and later schemes begun with "or ".
std::string AddUsageLines(std::size_t indent);
// Each scheme's URI form, then what it does indented by four.
std::string DeviceListing();

}  // namespace k7730::printer_app
