// Where a job's pages go once they are corrected: a PWG raster stream
// written to the job's own output, which is a file in a folder or the
// standard input of a device program. Each job opens an output of its own:
// PAPPL can run a streamed raster job beside a queued one on the same
// printer device, and one would close the other's device. Nothing is
// opened until the first page, so a job whose first page is refused writes
// nothing at all. An output that cannot take the data throws HostError
// with the reason at the first write, so the job ends aborted with it
// instead of the queue waiting for the device.
#pragma once

#include <cups/raster.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace k7730::printer_app {

class JobOutput {
 public:
  virtual ~JobOutput() = default;
  // Throws HostError with the reason when the output takes no more.
  virtual void Write(std::span<const std::uint8_t> bytes) = 0;
  // Completes the output; throws HostError when that fails.
  virtual void Close() = 0;
};

// One file per job in `folder`, "<job name>.pwg" ("-2", "-3", ... when
// taken), given its name only when the job is complete.
std::unique_ptr<JobOutput> OpenFolderOutput(const std::string& folder, const std::string& jobName);
// The job on the standard input of a new run of `program`, so that an
// installer can chain the printer's own back end; a failing run fails the
// job.
std::unique_ptr<JobOutput> OpenCommandOutput(const std::string& program);

// Corrected pages to a job's output as a PWG raster stream.
class PwgOutput {
 public:
  // `open` gives the job's output; it is called with the first page.
  explicit PwgOutput(std::function<std::unique_ptr<JobOutput>()> open) : open_(std::move(open)) {}
  ~PwgOutput();
  PwgOutput(const PwgOutput&) = delete;
  PwgOutput& operator=(const PwgOutput&) = delete;

  // Writes one page of 8-bit sRGB lines; throws HostError with the
  // output's reason when it takes no more.
  void WritePage(const cups_page_header2_t& header, std::span<const std::uint8_t> pixels);
  // Ends the stream and the output.
  void Close();

 private:
  static ssize_t Write(void* self, unsigned char* buffer, size_t bytes) noexcept;

  std::function<std::unique_ptr<JobOutput>()> open_;
  std::unique_ptr<JobOutput> output_;
  cups_raster_t* raster_ = nullptr;
  bool failed_ = false;    // the output failed inside libcups' write
  std::string problem_;   // and why, when known
};

}  // namespace k7730::printer_app
