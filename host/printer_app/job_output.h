// Where a job's PWG raster goes, named by the printer's device URI:
//   file:///FOLDER                   one file per job in the folder,
//                                    "<job name>.pwg" ("-2", "-3", ... when
//                                    taken), given its name when the job
//                                    is complete
//   k7730-command:///path/to/program the job on the standard input of a
//                                    new run of the program, so that an
//                                    installer can chain the printer's own
//                                    back end
// Each job opens an output of its own: PAPPL can run a streamed raster job
// beside a queued one on the same printer device, and one would close the
// other's device. PAPPL's device for these schemes only stands in.
// The device is checked against the device policy again when the job's
// output opens. An output that cannot take the data throws HostError with
// the reason at the first write, so the job ends aborted with it instead of the queue
// waiting for the device.
#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "host/printer_app/device_policy.h"

namespace k7730::printer_app {

class JobOutput {
 public:
  virtual ~JobOutput() = default;
  // Throws HostError with the reason when the output takes no more.
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
  // Completes the output; throws HostError when that fails.
  virtual void Close() = 0;
};

// The output for a job of a printer with `deviceUri`. Nothing is opened
// until the first write.
std::unique_ptr<JobOutput> OpenJobOutput(const std::string& deviceUri, const std::string& jobName);

// Registers every device scheme with PAPPL as a stand-in device.
void AddDevices();

// The outputs of each scheme.
std::unique_ptr<JobOutput> OpenFolderOutput(const std::string& folder, const std::string& jobName);
std::unique_ptr<JobOutput> OpenCommandOutput(const std::string& program);

}  // namespace k7730::printer_app
