#include "host/printer_app/raster_callbacks.h"

#include <malloc.h>
#include <pthread.h>

#include <chrono>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>

#include "host/core/filter_session.h"
#include "host/core/band_runner.h"
#include "host/core/raster_page.h"
#include "host/core/settings_record.h"
#include "host/core/vendor_options.h"
#include "host/image/image_formats.h"
#include "host/image/fitted_page.h"
#include "host/printer_app/app_context.h"
#include "host/printer_app/device_output.h"
#include "host/printer_app/devices.h"
#include "host/printer_app/printer_record.h"

namespace k7730::printer_app {

namespace {

// A job's data while a thread prints it: the thread, and its state for the job.
struct Claim {
  std::thread::id owner;
  void* data = nullptr;
  std::unique_ptr<host::ImageHeader> colour;   // an image document's colour facts
};

// The job data of a job that has ended, by how it ended.
Claim kPrinted, kRefused;

std::mutex& ClaimLock() {
  static std::mutex lock;
  return lock;
}

Claim* ClaimOf(pappl_job_t* job) { return static_cast<Claim*>(papplJobGetData(job)); }

#if K7730_PAPPL_VERSION <= 10301
[[noreturn]] void WaitForEver() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
}
#endif

// The state this thread keeps for a job it has claimed.
void SetOwnJobData(pappl_job_t* job, void* data) {
  const std::lock_guard guard(ClaimLock());
  if (Claim* claim = ClaimOf(job); claim != nullptr && claim->owner == std::this_thread::get_id()) claim->data = data;
}

// This thread's state for the job, or null when it does not print the job.
void* OwnJobData(pappl_job_t* job) {
  const std::lock_guard guard(ClaimLock());
  const Claim* claim = ClaimOf(job);
  return claim != nullptr && claim->owner == std::this_thread::get_id() ? claim->data : nullptr;
}

// The colour facts the image filter kept for this thread's job, or null.
const host::ImageHeader* OwnImageColour(pappl_job_t* job) {
  const std::lock_guard guard(ClaimLock());
  const Claim* claim = ClaimOf(job);
  return claim != nullptr && claim->owner == std::this_thread::get_id() ? claim->colour.get() : nullptr;
}

// For a thread that does not print the job: whether it printed.
bool JobPrinted(pappl_job_t* job) {
  const std::lock_guard guard(ClaimLock());
  return ClaimOf(job) == &kPrinted;
}

// The raster lines PAPPL hands the driver, as the module takes them: 8-bit
// RGB as it comes, 8-bit grey expanded to R = G = B. Apple raster clients
// send grey (PAPPL always lists "W8" in urf-supported), and PAPPL passes any
// 8-bit page of a PWG raster client on with the client's own header.
enum class LineForm {
  kRgb,           // taken as it is
  kGrey,          // W or sGrey: 0 is black
  kInvertedGrey,  // K: 0 is white
};

// The form of the page's lines. Only 8-bit chunky grey of one byte per
// pixel is expanded; anything else is taken for RGB and left to the RGB
// check, which names what it is.
LineForm FormOf(const cups_page_header2_t& h) {
  if (h.cupsBitsPerColor != 8 || h.cupsBitsPerPixel != 8 || h.cupsColorOrder != CUPS_ORDER_CHUNKED ||
      h.cupsBytesPerLine != h.cupsWidth) {
    return LineForm::kRgb;
  }
  switch (h.cupsColorSpace) {
    case CUPS_CSPACE_W:
    case CUPS_CSPACE_SW: return LineForm::kGrey;
    case CUPS_CSPACE_K: return LineForm::kInvertedGrey;
    default: return LineForm::kRgb;
  }
}

// The page as the module and the device see it: 8-bit RGB of the same size
// (sRGB from sGrey, device RGB from device grey and black).
cups_page_header2_t RgbHeader(const cups_page_header2_t& header, LineForm form) {
  cups_page_header2_t rgb = header;
  if (form == LineForm::kRgb) return rgb;
  rgb.cupsColorSpace = header.cupsColorSpace == CUPS_CSPACE_SW ? CUPS_CSPACE_SRGB : CUPS_CSPACE_RGB;
  rgb.cupsBitsPerPixel = 24;
  rgb.cupsNumColors = 3;
  rgb.cupsBytesPerLine = header.cupsWidth * 3;
  return rgb;
}

// One line of `width` pixels into `rgb`, width x 3 bytes.
void ToRgb(LineForm form, const std::uint8_t* line, std::uint32_t width, std::uint8_t* rgb) {
  if (form == LineForm::kRgb) {
    std::memcpy(rgb, line, std::size_t{width} * 3);
    return;
  }
  const std::uint8_t flip = form == LineForm::kInvertedGrey ? 0xFF : 0x00;
  for (std::uint32_t x = 0; x < width; ++x) {
    const std::uint8_t v = line[x] ^ flip;
    rgb[3 * x] = rgb[3 * x + 1] = rgb[3 * x + 2] = v;
  }
}

// One page on its way through the module; the runner keeps what the module
// releases until the page is complete, so that a page refused half way
// leaves nothing on the device.
struct PageState {
  cups_page_header2_t header{};   // as the module and the device see it: 8-bit RGB
  LineForm form = LineForm::kRgb;  // how the lines PAPPL hands over become RGB
  std::uint32_t width = 0, height = 0;   // of the page PAPPL hands over
  std::uint32_t linesIn = 0;
  // A page of none of the media's sizes, gathered whole and then fitted
  // onto the job's medium; null for a page the medium's size.
  std::unique_ptr<host::FittedPage> fitted;
  std::unique_ptr<host::BandRunner> run;
};

// The job's output, for the printer's device, opened with the first page.
std::function<std::unique_ptr<JobOutput>()> OutputOf(pappl_job_t* job) {
  std::string deviceUri = papplPrinterGetDeviceURI(papplJobGetPrinter(job));
  std::string jobName = papplJobGetName(job) != nullptr ? papplJobGetName(job) : "job";
  return [deviceUri, jobName] { return OpenJobOutput(deviceUri, jobName); };
}

struct JobState {
  explicit JobState(pappl_job_t* job) : out(OutputOf(job)) {}
  host::JobStages stages;                         // the job's choices
  std::unique_ptr<host::FilterSession> session;
  std::string pageProfile;                        // the input profile a page's colour space named for the session
  std::unique_ptr<PageState> page;
  PwgOutput out;
  bool failed = false;
  unsigned pagesStarted = 0;
};

JobState* StateOf(pappl_job_t* job) { return static_cast<JobState*>(OwnJobData(job)); }

bool Refuse(pappl_job_t* job, const char* why, pappl_jreason_t reason) noexcept {
  try {
    if (JobState* state = StateOf(job); state != nullptr) {
      if (state->failed) return false;   // the first reason is the one to keep
      state->failed = true;
      state->page.reset();
    }
  } catch (...) {
    // The claim could not be looked at; the reason is given all the same.
  }
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "%s", why);
  papplJobSetMessage(job, "%s", why);
  papplJobSetReasons(job, reason, PAPPL_JREASON_NONE);
  return false;
}

bool Refuse(pappl_job_t* job, const std::string& why, pappl_jreason_t reason) noexcept {
  return Refuse(job, why.c_str(), reason);
}

// Runs a callback's work: whatever it throws ends the job with the reason
// instead of crossing into PAPPL.
template <typename Work>
bool Guarded(pappl_job_t* job, pappl_jreason_t reason, Work&& work) noexcept {
  try {
    return work();
  } catch (const std::exception& e) {
    return Refuse(job, e.what(), reason);
  } catch (...) {
    return Refuse(job, "the page could not be printed (unknown failure)", reason);
  }
}

// A job's pages, bands and module instance are freed on the job's thread,
// into that thread's heap, where glibc keeps the pages of memory for later
// use by that heap alone; with a thread per job they would stay with the
// server for good. Handing them back after each job keeps an idle server
// near its size at start.
void GiveFreedMemoryBack() noexcept {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

// Ends this thread's hold on the job: its state (with the module instance
// and the output) is freed and later threads on the job learn how it ended.
void ReleaseJob(pappl_job_t* job, bool printed) noexcept {
  try {
    const std::unique_ptr<JobState> state(StateOf(job));
    EndJobClaim(job, printed);
  } catch (...) {
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The job's state could not be released.");
  }
  GiveFreedMemoryBack();
}

// A choice's value: the job's own, else the printer's current default
// (empty when neither names it).
struct Choice {
  std::string value;
  bool fromJob = false;
};

Choice ChoiceOf(pappl_job_t* job, ipp_t* defaults, const char* name) {
  ipp_attribute_t* attr = papplJobGetAttribute(job, name);
  const bool fromJob = attr != nullptr;
  if (attr == nullptr) attr = ippFindAttribute(defaults, (std::string(name) + "-default").c_str(), IPP_TAG_ZERO);
  const char* value = attr != nullptr ? ippGetString(attr, 0, nullptr) : nullptr;
  return {value != nullptr ? value : "", fromJob};
}

// The intent from k7730-intent and the standard print-rendering-intent: a
// job's own value over a printer default, and of two values given alike
// the module's own attribute, which names the intent exactly.
std::string IntentOf(const Choice& vendor, const Choice& standard) {
  const bool vendorNamesOne = !vendor.value.empty() && vendor.value != host::kAsSettings;
  if (vendorNamesOne && (vendor.fromJob || !standard.fromJob)) return vendor.value;
  return host::IntentForRenderingIntent(standard.value);
}

host::JobStages StagesFrom(pappl_job_t* job, ipp_t* defaults) {
  host::JobStages stages;
  for (const host::VendorOption& option : host::VendorOptions()) {
    Choice choice = ChoiceOf(job, defaults, option.name);
    if (std::strcmp(option.name, host::kIntentOption) == 0) {
      choice.value = IntentOf(choice, ChoiceOf(job, defaults, host::kRenderingIntentOption));
    }
    papplLogJob(job, PAPPL_LOGLEVEL_DEBUG, "%s=%s", option.name, choice.value.empty() ? "(none)" : choice.value.c_str());
    host::ApplyVendorOption(option.name, choice.value, stages);
  }
  return stages;
}

// The job's own value of each choice, else the printer's current default.
host::JobStages StagesOf(pappl_job_t* job) {
  ipp_t* defaults = papplPrinterGetDriverAttributes(papplJobGetPrinter(job));
  try {
    host::JobStages stages = StagesFrom(job, defaults);
    ippDelete(defaults);
    return stages;
  } catch (...) {
    ippDelete(defaults);
    throw;
  }
}

// A module instance with the printer's record in force and the job's
// choices, matching colours from the document's own profile when it has
// one. A profile that gives way is said in the job's message: the job
// prints all the same.
std::unique_ptr<host::FilterSession> OpenSession(pappl_job_t* job, const host::JobStages& stages,
                                                 const host::DocumentColour& colour) {
  auto session = SessionWithRecord(papplPrinterGetName(papplJobGetPrinter(job)));
  if (const std::string note = host::ApplyJobStages(*session, stages, colour); !note.empty()) {
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s", note.c_str());
  }
  if (const std::string& note = session->FallbackNote(); !note.empty()) {
    papplLogJob(job, PAPPL_LOGLEVEL_WARN, "%s", note.c_str());
    papplJobSetMessage(job, "%s", note.c_str());
  }
  if (!session->InputProfileNote().empty()) {
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "colour matching from %s", session->InputProfileNote().c_str());
  }
  return session;
}

std::unique_ptr<JobState> NewJobState(pappl_job_t* job) {
  auto state = std::make_unique<JobState>(job);
  state->stages = StagesOf(job);
  state->session = OpenSession(job, state->stages, {.image = OwnImageColour(job), .name = "the document", .inputProfile = ""});
  return state;
}

bool StartJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  bool claimed = false;
  const bool started = Guarded(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR, [&] {
    switch (ClaimJob(job)) {
      case JobClaim::kEndedPrinted: return true;
      case JobClaim::kEndedRefused: return false;
      case JobClaim::kOwn: break;
    }
    claimed = true;
    std::unique_ptr<JobState> state = NewJobState(job);
    SetOwnJobData(job, state.get());
    state.release();
    return true;
  });
  // PAPPL calls no end-job callback when starting fails.
  if (!started && claimed) ReleaseJob(job, false);
  return started;
}

std::string PageProblem(const cups_page_header2_t& header) {
  if (std::string problem = host::UnsupportedPageProblem(header, host::RgbSpaces::kWithAdobeRgb); !problem.empty()) {
    return problem;
  }
  if (header.cupsWidth > kMaxPageSide || header.cupsHeight > kMaxPageSide) {
    return "the page has " + std::to_string(header.cupsWidth) + " x " + std::to_string(header.cupsHeight) +
           " pixels; this printer takes at most " + std::to_string(kMaxPageSide) + " on a side";
  }
  return "";
}

// The job's medium (its own or the printer's default), else the first of
// the printer's media.
const host::Media& JobMedium(const pappl_pr_options_t& options) {
  for (const host::Media& m : host::kMediaList) {
    if (std::strcmp(options.media.size_name, m.pwgName) == 0) return m;
  }
  return host::kMediaList[0];
}

// A page the device could not take as it is (a Letter page from an office
// program through a driverless queue, say) goes out fitted onto the job's
// medium, so that the device only ever gets pages of its media.
void FitOntoMedium(pappl_job_t* job, PageState& page, const host::Media& medium, const std::string& name) {
  page.fitted = std::make_unique<host::FittedPage>(medium, page.width, page.height);
  const host::PageLayout& layout = page.fitted->Layout();
  cups_page_header2_t& h = page.header;
  h.cupsWidth = layout.pageWidth;
  h.cupsHeight = layout.pageHeight;
  h.cupsBytesPerLine = layout.pageWidth * 3;
  h.HWResolution[0] = h.HWResolution[1] = static_cast<unsigned>(host::kPrinterDpi);
  h.PageSize[0] = layout.landscape ? medium.heightPoints : medium.widthPoints;
  h.PageSize[1] = layout.landscape ? medium.widthPoints : medium.heightPoints;
  h.cupsPageSize[0] = static_cast<float>(h.PageSize[0]);
  h.cupsPageSize[1] = static_cast<float>(h.PageSize[1]);
  papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s: %u x %u pixels is none of the printer's media; fitted onto %s %s",
              name.c_str(), page.width, page.height, medium.name, layout.landscape ? "landscape" : "portrait");
}

bool BeginPage(pappl_job_t* job, JobState& state, const pappl_pr_options_t& options, unsigned number) {
  const std::string name = "page " + std::to_string(number);
  const cups_page_header2_t& given = options.header;
  auto page = std::make_unique<PageState>();
  page->form = FormOf(given);
  page->header = RgbHeader(given, page->form);
  if (const std::string problem = PageProblem(page->header); !problem.empty()) {
    return Refuse(job, name + ": " + problem, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  }
  page->width = page->header.cupsWidth;
  page->height = page->header.cupsHeight;
  if (host::MediaOfPage(page->width, page->height) == nullptr) FitOntoMedium(job, *page, JobMedium(options), name);
  if (page->form != LineForm::kRgb) papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s: grey lines expanded to RGB", name.c_str());
  // A page in another colour space than the last one (Adobe RGB from a
  // client that says so) gets a session matching from its profile.
  if (std::string profile = host::PageInputProfile(given); profile != state.pageProfile) {
    papplLogJob(job, PAPPL_LOGLEVEL_INFO, "%s: %s", name.c_str(),
                profile.empty() ? "sRGB, as the settings take it" : ("Adobe RGB, input profile " + profile).c_str());
    state.session = OpenSession(job, state.stages, {.image = nullptr, .name = name, .inputProfile = profile});
    state.pageProfile = std::move(profile);
  }
  page->run = std::make_unique<host::BandRunner>(*state.session, page->header.cupsWidth, page->header.cupsHeight, name);
  state.page = std::move(page);
  ++state.pagesStarted;
  return true;
}

bool StartPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned number) {
  return Guarded(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR, [&] {
    JobState* state = StateOf(job);
    if (state == nullptr) return JobPrinted(job);
    return !state->failed && BeginPage(job, *state, *options, number);
  });
}

bool WriteLine(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned y, const unsigned char* line) {
  return Guarded(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR, [&] {
    JobState* state = StateOf(job);
    if (state == nullptr) return JobPrinted(job);
    if (state->failed || !state->page) return false;
    PageState& page = *state->page;
    if (y != page.linesIn || y >= page.height) {
      return Refuse(job, "line " + std::to_string(y) + " arrived out of order", PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
    }
    ToRgb(page.form, line, page.width, page.fitted ? page.fitted->Line(y) : page.run->NextLine());
    if (!page.fitted) page.run->Push();
    ++page.linesIn;
    return true;
  });
}

bool EndPage(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned number) {
  return Guarded(job, PAPPL_JREASON_DOCUMENT_UNPRINTABLE_ERROR, [&] {
    JobState* state = StateOf(job);
    if (state == nullptr) return JobPrinted(job);
    if (state->failed || !state->page) return false;
    const std::unique_ptr<PageState> page = std::move(state->page);
    if (page->linesIn < page->height) {
      return Refuse(job, "page " + std::to_string(number) + ": the document ends at line " +
                             std::to_string(page->linesIn) + " of " + std::to_string(page->height),
                    PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
    }
    if (page->fitted) {
      const std::unique_ptr<host::ImageSource> laidOut = page->fitted->LaidOut();
      page->run->Pull([&](std::uint8_t* rows, std::uint32_t, std::uint32_t count) { laidOut->ReadRows(rows, count); });
    }
    page->run->Deliver([&](std::span<const std::uint8_t> lines) { state->out.WritePage(page->header, lines); });
    return true;
  });
}

// Completes the job's output; false when the job did not print.
bool FinishJob(pappl_job_t* job, JobState& state) {
  if (!state.failed && state.pagesStarted == 0) {
    // PAPPL refused the document before any page reached the driver.
    Refuse(job,
           "the document has no page this printer can take: it takes 8-bit sRGB, RGB or grey raster, " +
               host::FormatList(host::FormatListItem::Name, " and ", host::Printable),
           PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  }
  state.out.Close();
  return !state.failed;
}

bool EndJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  bool own = false;
  const bool printed = Guarded(job, PAPPL_JREASON_ERRORS_DETECTED, [&] {
    JobState* state = StateOf(job);
    if (state == nullptr) return JobPrinted(job);
    own = true;
    return FinishJob(job, *state);
  });
  if (own) ReleaseJob(job, printed);
  return printed;
}

// Only a document PAPPL could not type comes here (a raw-socket or
// spooled file without a name PAPPL knows): it would bypass the module.
bool PrintFile(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*) {
  return Refuse(job,
                "the format of the document is not known: send " +
                    host::FormatList(host::FormatListItem::Name, ", ", host::Printable) + ", PWG raster or Apple raster",
                PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
}

}  // namespace

JobClaim ClaimJob(pappl_job_t* job, bool endThread) {
  {
    const std::lock_guard guard(ClaimLock());
    Claim* claim = ClaimOf(job);
    if (claim == nullptr) {
      auto* own = new Claim;
      own->owner = std::this_thread::get_id();
      papplJobSetData(job, own);
      return JobClaim::kOwn;
    }
    if (claim == &kPrinted) return JobClaim::kEndedPrinted;
    if (claim == &kRefused) return JobClaim::kEndedRefused;
    if (claim->owner == std::this_thread::get_id()) return JobClaim::kOwn;
  }
#if K7730_PAPPL_VERSION <= 10301
  // PAPPL 1.3.1 starts one job on two threads at times (not fixed as of
  // 1.3.1, Debian 12's; see raster_callbacks.h).
  papplLogJob(job, PAPPL_LOGLEVEL_WARN, "Another thread prints this job already; this one stops here.");
  if (endThread) pthread_exit(nullptr);
  WaitForEver();
#else
  (void)endThread;
  papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "Another thread prints this job already.");
  return JobClaim::kEndedRefused;
#endif
}

void EndJobClaim(pappl_job_t* job, bool printed) {
  const std::lock_guard guard(ClaimLock());
  Claim* claim = ClaimOf(job);
  if (claim == nullptr || claim == &kPrinted || claim == &kRefused || claim->owner != std::this_thread::get_id()) {
    return;
  }
  delete claim;
  papplJobSetData(job, printed ? &kPrinted : &kRefused);
}

bool RefuseJob(pappl_job_t* job, const char* why, pappl_jreason_t reason) noexcept {
  return Refuse(job, why, reason);
}

void KeepImageColour(pappl_job_t* job, const host::ImageHeader& header) {
  auto colour = std::make_unique<host::ImageHeader>();
  colour->iccProfile = header.iccProfile;
  colour->iccProblem = header.iccProblem;
  const std::lock_guard guard(ClaimLock());
  if (Claim* claim = ClaimOf(job); claim != nullptr && claim->owner == std::this_thread::get_id()) {
    claim->colour = std::move(colour);
  }
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
