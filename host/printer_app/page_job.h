// The raster callbacks of the driver: each page PAPPL renders (from JPEG,
// PNG, PWG or Apple raster) goes through the module in bands of up to 128
// lines and on to the device as a PWG raster page. Pages of different
// printers run at the same time: each job has a module instance of its own.
#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <string>

#include "host/core/media.h"

namespace k7730::printer_app {

// The driver's own format. PAPPL lists it in document-format-supported
// unless it is application/octet-stream, which it lists anyway; our filters
// are registered to it, so PAPPL takes them before its own, and every
// document passes the raster callbacks and the module.
constexpr const char* kDeviceFormat = "application/octet-stream";

// The largest page side taken, in pixels: the longest side of any medium
// (8 inches at 300 dpi, 2400) and 4 inches more, room for bleed and raster
// sent at other sizes: 3600.
constexpr std::uint32_t kPageSideAllowance = 1200;
constexpr std::uint32_t kMaxPageSide = host::LongestMediaSidePixels() + kPageSideAllowance;

void SetRasterCallbacks(pappl_pr_driver_data_t* data);

// Ends the job with a reason the client reads as job-state-message and
// job-state-reasons; the first reason given is kept. Returns false.
bool RefuseJob(pappl_job_t* job, const char* why, pappl_jreason_t reason) noexcept;
inline bool RefuseJob(pappl_job_t* job, const std::string& why, pappl_jreason_t reason) {
  return RefuseJob(job, why.c_str(), reason);
}

}  // namespace k7730::printer_app
