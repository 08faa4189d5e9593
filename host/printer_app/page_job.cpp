#include "host/printer_app/page_job.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/printer_app/app_context.h"
#include "host/printer_app/job_claim.h"
#include "host/core/filter_session.h"
#include "host/core/host_error.h"
#include "host/core/page_run.h"
#include "host/printer_app/pwg_output.h"
#include "host/core/raster_page.h"
#include "host/core/settings_record.h"
#include "host/core/vendor_options.h"

namespace k7730::printer_app {

using host::HostError;

namespace {

// One page on its way through the module: lines are gathered into bands,
// the lines the module releases are kept until the page is complete, so
// that a page refused half way leaves nothing on the device.
struct PageState {
  cups_page_header2_t header{};
  std::size_t rowBytes = 0;
  std::unique_lock<std::mutex> lock;
  std::unique_ptr<host::ModulePage> run;
  std::vector<std::uint8_t> band, printed;
  std::uint32_t bandFill = 0, linesIn = 0;
};

struct JobState {
  explicit JobState(pappl_job_t* job)
      : out(papplPrinterGetDeviceURI(papplJobGetPrinter(job)), papplJobGetName(job) != nullptr ? papplJobGetName(job) : "job") {}
  std::unique_ptr<host::FilterSession> session;
  std::unique_ptr<PageState> page;
  PwgOutput out;
  bool failed = false;
  unsigned pagesStarted = 0;
};

JobState* StateOf(pappl_job_t* job) { return static_cast<JobState*>(OwnJobData(job)); }

bool Refuse(pappl_job_t* job, const std::string& why, pappl_jreason_t reason) {
  if (JobState* state = StateOf(job); state != nullptr) {
    if (state->failed) return false;   // the first reason is the one to keep
    state->failed = true;
    state->page.reset();
  }
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", why.c_str());
  papplJobSetMessage(job, "%s", why.c_str());
  papplJobSetReasons(job, reason, PAPPL_JREASON_NONE);
  return false;
}

// The job's own value of each choice, else the printer's current default.
host::JobStages StagesOf(pappl_job_t* job) {
  host::JobStages stages;
  ipp_t* defaults = papplPrinterGetDriverAttributes(papplJobGetPrinter(job));
  try {
    for (const host::VendorOption& option : host::VendorOptions()) {
      ipp_attribute_t* attr = papplJobGetAttribute(job, option.name);
      if (attr == nullptr) attr = ippFindAttribute(defaults, (std::string(option.name) + "-default").c_str(), IPP_TAG_ZERO);
      const char* value = attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
      papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "%s=%s", option.name, value != nullptr ? value : "(none)");
      host::ApplyVendorOption(option.name, value != nullptr ? value : "", stages);
    }
  } catch (...) {
    ippDelete(defaults);
    throw;
  }
  ippDelete(defaults);
  return stages;
}

bool StartJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  switch (ClaimJob(job)) {
    case JobClaim::kEndedPrinted: return true;
    case JobClaim::kEndedRefused: return false;
    case JobClaim::kOwn: break;
  }
  auto state = std::make_unique<JobState>(job);
  JobState* raw = state.get();
  SetOwnJobData(job, state.release());
  try {
    const host::JobStages stages = StagesOf(job);
    AppContext& app = App();
    const char* printer = papplPrinterGetName(papplJobGetPrinter(job));
    raw->session = std::make_unique<host::FilterSession>(*app.module);
    if (auto record = app.records.Load(printer)) {
      // A stored record names the module's own profiles with empty paths.
      host::FillEmptyProfilePaths(*record, raw->session->Defaults());
      raw->session->SetBlock(*record, app.records.PathFor(printer));
    }
    if (const std::string note = host::ApplyJobStages(*raw->session, stages); !note.empty()) {
      papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s", note.c_str());
    }
    return true;
  } catch (const std::exception& e) {
    return Refuse(job, e.what(), PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR);
  }
}

std::string PageProblem(const cups_page_header2_t& header) {
  if (std::string problem = host::UnsupportedPageProblem(header); !problem.empty()) return problem;
  if (header.cupsWidth > kMaxPageSide || header.cupsHeight > kMaxPageSide) {
    return "the page has " + std::to_string(header.cupsWidth) + " x " + std::to_string(header.cupsHeight) +
           " pixels; this printer takes at most " + std::to_string(kMaxPageSide) + " on a side";
  }
  return "";
}

bool StartPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned number) {
  JobState* state = StateOf(job);
  if (state == nullptr) return JobPrinted(job);
  if (state->failed) return false;
  const std::string name = "page " + std::to_string(number);
  if (const std::string problem = PageProblem(options->header); !problem.empty()) {
    return Refuse(job, name + ": " + problem, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  }
  try {
    auto page = std::make_unique<PageState>();
    page->header = options->header;
    page->rowBytes = std::size_t{page->header.cupsWidth} * 3;
    page->lock = std::unique_lock(App().pageLock);
    page->run = std::make_unique<host::ModulePage>(*state->session, page->header.cupsWidth,
                                                   page->header.cupsHeight, false, name);
    page->run->StartCopy();
    page->band.resize(kBandLines * page->rowBytes);
    page->printed.reserve(page->header.cupsHeight * page->rowBytes);
    state->page = std::move(page);
    ++state->pagesStarted;
    return true;
  } catch (const std::exception& e) {
    return Refuse(job, e.what(), PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR);
  }
}

void RunBand(PageState& page) {
  const auto released = page.run->Band(page.band.data(), page.bandFill);
  page.printed.insert(page.printed.end(), released.begin(), released.end());
  page.bandFill = 0;
}

bool WriteLine(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned y, const unsigned char* line) {
  JobState* state = StateOf(job);
  if (state == nullptr) return JobPrinted(job);
  if (state->failed || !state->page) return false;
  PageState& page = *state->page;
  if (y != page.linesIn || y >= page.header.cupsHeight) {
    return Refuse(job, "line " + std::to_string(y) + " arrived out of order", PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  }
  try {
    std::memcpy(page.band.data() + page.bandFill * page.rowBytes, line, page.rowBytes);
    ++page.bandFill;
    ++page.linesIn;
    if (page.bandFill == kBandLines || page.linesIn == page.header.cupsHeight) RunBand(page);
    return true;
  } catch (const std::exception& e) {
    return Refuse(job, e.what(), PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR);
  }
}

bool EndPage(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned number) {
  JobState* state = StateOf(job);
  if (state == nullptr) return JobPrinted(job);
  if (state->failed || !state->page) return false;
  std::unique_ptr<PageState> page = std::move(state->page);
  if (page->linesIn < page->header.cupsHeight) {
    return Refuse(job, "page " + std::to_string(number) + ": the document ends at line " +
                           std::to_string(page->linesIn) + " of " + std::to_string(page->header.cupsHeight),
                  PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  }
  try {
    page->run->FinishCopy();
    page->run->End();
    page->run.reset();
    page->lock.unlock();
    state->out.WritePage(page->header, page->printed);
    return true;
  } catch (const std::exception& e) {
    return Refuse(job, e.what(), PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR);
  }
}

// Completes the job's output; false when the job did not print.
bool FinishJob(pappl_job_t* job, JobState& state) {
  if (!state.failed && state.pagesStarted == 0) {
    // PAPPL refused the document before any page reached the driver.
    Refuse(job, "the document has no page this printer can take: it takes 8-bit sRGB or RGB raster, JPEG and PNG",
           PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
    state.failed = true;
  }
  try {
    state.out.Close();
  } catch (const std::exception& e) {
    return Refuse(job, e.what(), PAPPL_JREASON_ERRORS_DETECTED);
  }
  return !state.failed;
}

bool EndJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  std::unique_ptr<JobState> state(StateOf(job));
  if (!state) return JobPrinted(job);
  const bool printed = FinishJob(job, *state);
  EndJobClaim(job, printed);
  return printed;
}

// A job in the driver's own format would bypass the module.
bool PrintFile(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  return Refuse(job, "documents in the printer's own format are not taken: send JPEG, PNG or PWG raster",
                PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
}

}  // namespace

bool RefuseJob(pappl_job_t* job, const std::string& why, pappl_jreason_t reason) {
  return Refuse(job, why, reason);
}

void SetRasterCallbacks(pappl_pr_driver_data_t* data) {
  data->printfile_cb = PrintFile;
  data->rstartjob_cb = StartJob;
  data->rstartpage_cb = StartPage;
  data->rwriteline_cb = WriteLine;
  data->rendpage_cb = EndPage;
  data->rendjob_cb = EndJob;
}

}  // namespace k7730::printer_app
