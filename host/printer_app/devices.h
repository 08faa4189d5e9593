// The devices a printer writes its PWG raster to:
//   file:///FOLDER                   one file per job in the folder,
//                                    "<job name>.pwg" ("-2", "-3", ... when
//                                    taken), made at the job's first byte
//   k7730-command:///path/to/program the job on the standard input of a
//                                    new run of the program, so that an
//                                    installer can chain the printer's own
//                                    back end
// A device that cannot take the data fails the job's first write with the
// reason, so the job ends aborted with it instead of the queue waiting.
#pragma once

#include <pappl/pappl.h>

#include <string>

namespace k7730::printer_app {

constexpr const char* kFileScheme = "file";
constexpr const char* kCommandScheme = "k7730-command";

// Registers both schemes with PAPPL; call once before the server runs.
void AddDevices();

// Why the last device write on this thread failed; empty when none did.
// Reading it clears it.
std::string LastDeviceProblem();

// For the devices: records the problem for LastDeviceProblem and PAPPL's
// log, and returns -1 for the write callback.
ssize_t DeviceFailed(pappl_device_t* device, const std::string& problem);

// The path part of a device URI; empty when the URI does not parse.
std::string DevicePath(const char* uri);

// Registration of each scheme.
void AddCommandDevice();
void AddFolderDevice();

}  // namespace k7730::printer_app
