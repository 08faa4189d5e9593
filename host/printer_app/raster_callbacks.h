// The raster callbacks of the driver: each page PAPPL renders (from JPEG,
// PNG, PWG or Apple raster) goes through the module in bands of up to 128
// lines and on to the device as a PWG raster page. A page of none of the
// media's sizes is gathered whole and fitted onto the job's medium first,
// so that the device only ever gets pages of its media. Pages of different
// printers run at the same time: each job has a module instance of its own.
//
// Which thread prints a job. PAPPL 1.3 can start one job on two threads:
// when two of its threads look for the next job at once, both see the
// printer free and the job pending (it only becomes processing once its
// thread has started), and both start it. Both threads then run the
// driver's callbacks for the same job and the same job data. The first
// thread to claim the job prints it. A second thread that arrives while the
// first still prints must not return: PAPPL would finish the job twice and
// keep it twice in its list of completed jobs, which PAPPL later frees
// twice. A job thread of PAPPL's claims the job first thing in our image
// filter, holding nothing yet, and a second one ends there (the first
// thread's finish undoes what the second one's start did); anywhere else
// it waits for ever. A second thread that arrives after the job has ended
// (PAPPL has already marked it processing again) answers as the first one
// did and prints nothing, so that PAPPL's finish marks the job ended again.
#pragma once

#include <pappl/pappl.h>

#include <cstdint>
#include <string>

#include "host/core/image.h"
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

enum class JobClaim { kOwn, kEndedPrinted, kEndedRefused };

// Claims the job for this thread (kOwn also when this thread holds the
// claim already); does not return while another thread prints it: with
// `endThread` a thread of PAPPL's own for the job ends, else it waits.
JobClaim ClaimJob(pappl_job_t* job, bool endThread = false);

// Ends this thread's claim; later threads on the job learn how it ended.
void EndJobClaim(pappl_job_t* job, bool printed);

// Keeps what an image document says about its colours (its embedded
// profile, or why that could not be read) for the module session of the
// job, which starts once PAPPL has placed the image. Only the thread that
// claimed the job keeps it.
void KeepImageColour(pappl_job_t* job, const host::ImageHeader& header);

}  // namespace k7730::printer_app
