// Corrected pages to the job's output as a PWG raster stream. The output
// is opened with the first page, so a job whose first page is refused
// writes nothing at all.
#pragma once

#include <cups/raster.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "host/printer_app/job_output.h"

namespace k7730::printer_app {

class PwgOutput {
 public:
  PwgOutput(std::string deviceUri, std::string jobName)
      : deviceUri_(std::move(deviceUri)), jobName_(std::move(jobName)) {}
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

  std::string deviceUri_, jobName_;
  std::unique_ptr<JobOutput> output_;
  cups_raster_t* raster_ = nullptr;
  bool failed_ = false;    // the output failed inside libcups' write
  std::string problem_;   // and why, when known
};

}  // namespace k7730::printer_app
