#include "host/printer_app/state_saving.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <new>
#include <span>
#include <utility>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

namespace k7730::printer_app {

namespace {

// IPP's longest text and name values.
constexpr std::size_t kMaxText = 1023;
constexpr std::size_t kMaxName = 255;

struct Option {
  const char* key;
  std::string value;
  std::size_t maxBytes = kMaxName;
};
using Options = std::vector<Option>;

template <std::size_t N>
std::string Field(const char (&text)[N]) {
  return std::string(text, strnlen(text, N));
}

// "Name value": the loader takes everything after the first space as it is.
void AddLine(std::string& out, std::string_view name, std::string_view value) {
  out.append(name).append(" ").append(LineValue(value, kMaxText)).append("\n");
}

void AddNumber(std::string& out, std::string_view name, long value) { AddLine(out, name, std::to_string(value)); }

// Name key="value" ...: the loader reads the values with backslash escapes.
void AddOptions(std::string& out, std::string_view name, const Options& options) {
  out.append(name);
  for (const Option& option : options) {
    out.append(" ").append(option.key).append("=\"");
    for (char c : LineValue(option.value, option.maxBytes)) {
      if (c == '\\' || c == '"') out.push_back('\\');
      out.push_back(c);
    }
    out.push_back('"');
  }
  out.append(name.starts_with('<') ? ">\n" : "\n");
}

// PAPPL's getters cut a value to the buffer byte by byte; with room to
// spare, LineValue makes the cut, between characters.
template <typename Object>
void AddText(std::string& out, const char* name, char* (*get)(Object*, char*, std::size_t), Object* object) {
  char buffer[4 * (kMaxText + 1)];
  if (get(object, buffer, sizeof buffer) != nullptr) AddLine(out, name, buffer);
}

void AddContact(std::string& out, const pappl_contact_t& contact) {
  Options options;
  if (contact.name[0] != '\0') options.push_back({"name", Field(contact.name)});
  if (contact.email[0] != '\0') options.push_back({"email", Field(contact.email)});
  if (contact.telephone[0] != '\0') options.push_back({"telephone", Field(contact.telephone)});
  AddOptions(out, "Contact", options);
}

void AddSystem(std::string& out, pappl_system_t* system) {
  AddText(out, "DNSSDName", papplSystemGetDNSSDName, system);
  AddText(out, "Location", papplSystemGetLocation, system);
  AddText(out, "GeoLocation", papplSystemGetGeoLocation, system);
  AddText(out, "Organization", papplSystemGetOrganization, system);
  AddText(out, "OrganizationalUnit", papplSystemGetOrganizationalUnit, system);
  pappl_contact_t contact;
  AddContact(out, *papplSystemGetContact(system, &contact));
  AddText(out, "AdminGroup", papplSystemGetAdminGroup, system);
  AddText(out, "DefaultPrintGroup", papplSystemGetDefaultPrintGroup, system);
  char password[256];
  if (papplSystemGetPassword(system, password, sizeof password)[0] != '\0') AddLine(out, "Password", password);
  AddNumber(out, "DefaultPrinterID", papplSystemGetDefaultPrinterID(system));
  int width = 0;
  int height = 0;
  const std::size_t size = papplSystemGetMaxImageSize(system, &width, &height);
  AddLine(out, "MaxImageSize", std::to_string(size) + " " + std::to_string(width) + " " + std::to_string(height));
  AddNumber(out, "NextPrinterID", papplSystemGetNextPrinterID(system));
  if (const char* uuid = papplSystemGetUUID(system)) AddLine(out, "UUID", uuid);
}

// The keyword of a value that is one of PAPPL's bits, the n-th bit naming
// the n-th keyword; nothing for no bit, several bits or an unknown one.
const char* BitKeyword(unsigned value, std::span<const char* const> keywords) {
  for (std::size_t i = 0; i < keywords.size(); ++i) {
    if (value == 1u << i) return keywords[i];
  }
  return nullptr;
}

constexpr const char* kColorModes[] = {"auto", "auto-monochrome", "bi-level", "color", "monochrome",
                                       "process-monochrome"};
constexpr const char* kContents[] = {"auto", "graphic", "photo", "text", "text-and-graphic"};
constexpr const char* kIdentifyActions[] = {"display", "flash", "sound", "speak"};
constexpr const char* kLabelModes[] = {"applicator", "cutter",  "cutter-delayed", "kiosk",   "peel-off",
                                       "peel-off-prepeel", "rewind", "rfid", "tear-off"};
constexpr const char* kMediaTrackings[] = {"continuous", "gap", "mark", "web"};
constexpr const char* kScalings[] = {"auto", "auto-fit", "fill", "fit", "none"};
constexpr const char* kSides[] = {"one-sided", "two-sided-long-edge", "two-sided-short-edge"};

void AddKeyword(std::string& out, const char* name, unsigned value, std::span<const char* const> keywords) {
  if (const char* keyword = BitKeyword(value, keywords)) AddLine(out, name, keyword);
}

void AddMediaCol(std::string& out, const std::string& name, const pappl_media_col_t& media) {
  Options options;
  const auto number = [&](const char* key, int value) {
    if (value != 0) options.push_back({key, std::to_string(value)});
  };
  const auto text = [&](const char* key, std::string value) {
    if (!value.empty()) options.push_back({key, std::move(value)});
  };
  number("bottom", media.bottom_margin);
  number("left", media.left_margin);
  number("left-offset", media.left_offset);
  number("right", media.right_margin);
  text("name", Field(media.size_name));
  number("width", media.size_width);
  number("length", media.size_length);
  text("source", Field(media.source));
  number("top", media.top_margin);
  number("top-offset", media.top_offset);
  const char* tracking = BitKeyword(media.tracking, kMediaTrackings);
  text("tracking", tracking != nullptr ? tracking : "");
  text("type", Field(media.type));
  AddOptions(out, name, options);
}

void AddMedia(std::string& out, const pappl_pr_driver_data_t& data) {
  AddMediaCol(out, "media-col-default", data.media_default);
  for (int i = 0; i < data.num_source && i < PAPPL_MAX_SOURCE; ++i) {
    if (data.media_ready[i].size_name[0] != '\0') {
      AddMediaCol(out, "media-col-ready" + std::to_string(i), data.media_ready[i]);
    }
  }
}

void AddEnum(std::string& out, const char* name, const char* attribute, int value) {
  if (value != 0) AddLine(out, name, ippEnumString(attribute, value));
}

void AddDefaults(std::string& out, const pappl_pr_driver_data_t& data) {
  AddKeyword(out, "identify-actions-default", data.identify_default, kIdentifyActions);
  AddKeyword(out, "label-mode-configured", data.mode_configured, kLabelModes);
  if (data.tear_offset_configured != 0) AddNumber(out, "label-tear-offset-configured", data.tear_offset_configured);
  AddMedia(out, data);
  AddEnum(out, "orientation-requested-default", "orientation-requested", data.orient_default);
  if (data.bin_default > 0 && data.bin_default < data.num_bin && data.bin_default < PAPPL_MAX_BIN &&
      data.bin[data.bin_default] != nullptr) {
    AddLine(out, "output-bin-default", data.bin[data.bin_default]);
  }
  AddKeyword(out, "print-color-mode-default", data.color_default, kColorModes);
  AddKeyword(out, "print-content-optimize-default", data.content_default, kContents);
  if (data.darkness_default != 0) AddNumber(out, "print-darkness-default", data.darkness_default);
  AddEnum(out, "print-quality-default", "print-quality", data.quality_default);
  AddKeyword(out, "print-scaling-default", data.scaling_default, kScalings);
  if (data.speed_default != 0) AddNumber(out, "print-speed-default", data.speed_default);
  if (data.darkness_configured != 0) AddNumber(out, "printer-darkness-configured", data.darkness_configured);
  AddKeyword(out, "sides-default", data.sides_default, kSides);
  if (data.x_default != 0) {
    AddLine(out, "printer-resolution-default",
            std::to_string(data.x_default) + "x" + std::to_string(data.y_default) + "dpi");
  }
}

// The driver's own xxx-default attributes, the module's k7730-* ones.
void AddVendorDefaults(std::string& out, pappl_printer_t* printer, const pappl_pr_driver_data_t& data) {
  ipp_t* attrs = papplPrinterGetDriverAttributes(printer);
  for (int i = 0; i < data.num_vendor && i < PAPPL_MAX_VENDOR; ++i) {
    const std::string name = std::string(data.vendor[i]) + "-default";
    ipp_attribute_t* attr = ippFindAttribute(attrs, name.c_str(), IPP_TAG_ZERO);
    char value[kMaxText + 1];
    if (attr != nullptr && ippAttributeString(attr, value, sizeof value) > 0) AddLine(out, name, value);
  }
  ippDelete(attrs);
}

struct JobList {
  std::string text;
  std::time_t now;
  bool failed = false;
};

std::string Or(const char* text) { return text != nullptr ? text : ""; }

// A job that has not ended when the state is saved is written as ended:
// its attributes stay in memory only, so after a restart it could not be
// printed as it was sent (and one being printed would be printed twice).
// Written this way, the restarted server keeps it in its history and
// removes its spool file with it.
Options JobState(pappl_job_t* job, std::time_t now) {
  int state = papplJobGetState(job);
  unsigned reasons = papplJobGetReasons(job);
  std::time_t completed = papplJobGetTimeCompleted(job);
  if (state < IPP_JSTATE_CANCELED) {
    const bool canceled = papplJobIsCanceled(job);
    state = canceled ? IPP_JSTATE_CANCELED : IPP_JSTATE_ABORTED;
    reasons = (reasons & ~unsigned{PAPPL_JREASON_JOB_PRINTING}) |
              (canceled ? PAPPL_JREASON_JOB_CANCELED_BY_USER : PAPPL_JREASON_ABORTED_BY_SYSTEM);
    if (completed == 0) completed = now;
  }
  Options options{{"state", std::to_string(state)}};
  if (reasons != 0) options.push_back({"state_reasons", std::to_string(static_cast<int>(reasons))});
  const auto time = [&](const char* key, std::time_t value) {
    if (value != 0) options.push_back({key, std::to_string(static_cast<long>(value))});
  };
  time("created", papplJobGetTimeCreated(job));
  time("processing", papplJobGetTimeProcessed(job));
  time("completed", completed);
  return options;
}

// Called by PAPPL with the printer's lock held; reads the job's own fields,
// which change only under the printer's lock or are plain numbers.
void AddJob(pappl_job_t* job, void* data) {
  auto& list = *static_cast<JobList*>(data);
  try {
    Options options{{"id", std::to_string(papplJobGetID(job))},
                    {"name", Or(papplJobGetName(job))},
                    {"username", Or(papplJobGetUsername(job))},
                    {"format", Or(papplJobGetFormat(job))}};
    if (const char* filename = papplJobGetFilename(job)) options.push_back({"filename", filename, kMaxText});
    for (Option& option : JobState(job, list.now)) options.push_back(std::move(option));
    if (const int n = papplJobGetImpressions(job); n != 0) options.push_back({"impressions", std::to_string(n)});
    if (const int n = papplJobGetImpressionsCompleted(job); n != 0) {
      options.push_back({"imcompleted", std::to_string(n)});
    }
    AddOptions(list.text, "Job", options);
  } catch (const std::exception&) {
    list.failed = true;
  }
}

void AddPrinterSettings(std::string& out, pappl_printer_t* printer) {
  AddText(out, "DNSSDName", papplPrinterGetDNSSDName, printer);
  AddText(out, "Location", papplPrinterGetLocation, printer);
  AddText(out, "GeoLocation", papplPrinterGetGeoLocation, printer);
  AddText(out, "Organization", papplPrinterGetOrganization, printer);
  AddText(out, "OrganizationalUnit", papplPrinterGetOrganizationalUnit, printer);
  pappl_contact_t contact;
  AddContact(out, *papplPrinterGetContact(printer, &contact));
  if (papplPrinterIsHoldingNewJobs(printer)) out += "HoldNewJobs\n";
  AddText(out, "PrintGroup", papplPrinterGetPrintGroup, printer);
  AddNumber(out, "MaxActiveJobs", papplPrinterGetMaxActiveJobs(printer));
  AddNumber(out, "MaxCompletedJobs", papplPrinterGetMaxCompletedJobs(printer));
  AddNumber(out, "NextJobId", papplPrinterGetNextJobID(printer));
  AddNumber(out, "ImpressionsCompleted", papplPrinterGetImpressionsCompleted(printer));
}

// One printer's section. The driver data is copied without the printer's
// lock (PAPPL has no locked copy); a change being made meanwhile is saved
// again right after it, as every change asks for a save once it is made.
void AddPrinter(std::string& out, pappl_printer_t* printer, std::time_t now) {
  AddOptions(out, "<Printer",
             {{"id", std::to_string(papplPrinterGetID(printer))},
              {"name", Or(papplPrinterGetName(printer))},
              {"did", Or(papplPrinterGetDeviceID(printer)), kMaxText},
              {"uri", Or(papplPrinterGetDeviceURI(printer)), kMaxText},
              {"driver", Or(papplPrinterGetDriverName(printer))}});
  AddPrinterSettings(out, printer);
  auto data = std::make_unique<pappl_pr_driver_data_t>();   // dither tables and all: kept off the stack
  papplPrinterGetDriverData(printer, data.get());
  AddDefaults(out, *data);
  AddVendorDefaults(out, printer, *data);
  JobList jobs{{}, now};
  papplPrinterIterateAllJobs(printer, AddJob, &jobs, 1, 0);
  if (jobs.failed) throw std::bad_alloc();
  out += jobs.text;
  out += "</Printer>\n";
}

struct PrinterList {
  std::vector<PrinterKey> keys;
  bool failed = false;
};

// Called with the system's lock held: nothing here may take another lock.
void CollectPrinter(pappl_printer_t* printer, void* data) {
  auto& list = *static_cast<PrinterList*>(data);
  try {
    list.keys.push_back({printer, papplPrinterGetID(printer)});
  } catch (const std::exception&) {
    list.failed = true;
  }
}

// Enter and Leave for one scope.
class GuardedPrinter {
 public:
  GuardedPrinter(PrinterGuard& guard, const PrinterKey& key) : guard_(guard), entered_(guard.Enter(key)) {}
  ~GuardedPrinter() {
    if (entered_) guard_.Leave();
  }
  GuardedPrinter(const GuardedPrinter&) = delete;
  GuardedPrinter& operator=(const GuardedPrinter&) = delete;
  explicit operator bool() const { return entered_; }

 private:
  PrinterGuard& guard_;
  bool entered_;
};

// The text of PAPPL's state file, read from the server through PAPPL's
// public getters: the system's settings, and each printer with its
// settings, defaults (the module's k7730-* ones too), ready media and job
// history, in the form papplSystemLoadState reads back.
//
// Locks: the reading never holds the system's lock while it waits for a
// printer's, nor a printer's while it waits for the system's, so it takes
// no part in the lock-order conflicts PAPPL 1.3 has between the two. It
// lists the printers under the system's lock (taking nothing else), then
// reads each one on its own under the guard, which keeps a printer being
// deleted meanwhile from being freed under it. `now` stands for the end
// of the jobs that had not ended. Call with no PAPPL lock held.
std::string StateText(pappl_system_t* system, PrinterGuard& guard, std::time_t now) {
  std::string out;
  AddSystem(out, system);
  PrinterList listed;
  const unsigned long mark = guard.Mark();
  papplSystemIteratePrinters(system, CollectPrinter, &listed);
  if (listed.failed) throw std::bad_alloc();
  guard.Forget(listed.keys, mark);
  for (const PrinterKey& key : listed.keys) {
    const GuardedPrinter reading(guard, key);
    if (reading && !papplPrinterIsDeleted(key.printer)) AddPrinter(out, key.printer, now);
  }
  return out;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The new file's data, then its name in the folder, must reach the disk
// before the old file is gone, or a power cut could leave neither.
void WriteNew(const std::string& fresh, const std::string& text) {
  const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) throw host::FileError(fresh, "cannot create: " + host::ErrnoText());
  try {
    host::WriteAll(fd, fresh, text.data(), text.size());
    if (::fsync(fd) != 0) throw host::FileError(fresh, "cannot write: " + host::ErrnoText());
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) throw host::FileError(fresh, "cannot write: " + host::ErrnoText());
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

constexpr int kTickSeconds = 1;

struct Saver {
  explicit Saver(const std::string& path) : writer(path) {}
  PrinterGuard guard;
  StateWriter writer;
};

void LogErrors(pappl_system_t* system, StateWriter& writer) {
  try {
    for (const std::string& error : writer.TakeErrors()) papplLog(system, PAPPL_LOGLEVEL_ERROR, "%s", error.c_str());
  } catch (...) {
  }
}

// PAPPL calls this on its main loop, with no lock held, after changes; and
// once more after the loop has ended when a change came after the last
// call. The final call waits until the file is written.
bool Save(pappl_system_t* system, void* data) {
  auto& saver = *static_cast<Saver*>(data);
  bool saved = true;
  try {
    saver.writer.Post(StateText(system, saver.guard, std::time(nullptr)));
  } catch (const std::exception& e) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot save the state: %s", e.what());
    saved = false;
  }
  if (papplSystemIsShutdown(system)) saver.writer.Flush();
  LogErrors(system, saver.writer);
  return saved;
}

// Wakes the main loop every second, which otherwise sleeps until the next
// connection (up to half a minute) before it sees a change to save. PAPPL
// runs timers holding the system's lock, so no saving from here.
bool Tick(pappl_system_t* system, void* data) {
  LogErrors(system, static_cast<Saver*>(data)->writer);
  return true;
}

Saver* theSaver = nullptr;   // one system per process

}  // namespace

std::string LineValue(std::string_view value, std::size_t maxBytes) {
  if (value.size() > maxBytes) {
    std::size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    value = value.substr(0, cut);
  }
  std::string line(value);
  for (char& c : line) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return line;
}

void PrinterGuard::BeginDelete(const PrinterKey& key) {
  std::unique_lock lock(mutex_);
  deleting_.push_back({key, marks_});
  left_.wait(lock, [&] { return reading_ != key.printer; });
}

bool PrinterGuard::Enter(const PrinterKey& key) {
  const std::lock_guard lock(mutex_);
  if (std::any_of(deleting_.begin(), deleting_.end(), [&](const Deleting& d) { return d.key == key; })) return false;
  reading_ = key.printer;
  return true;
}

void PrinterGuard::Leave() {
  {
    const std::lock_guard lock(mutex_);
    reading_ = nullptr;
  }
  left_.notify_all();
}

unsigned long PrinterGuard::Mark() {
  const std::lock_guard lock(mutex_);
  return ++marks_;
}

void PrinterGuard::Forget(const std::vector<PrinterKey>& listed, unsigned long mark) {
  const std::lock_guard lock(mutex_);
  std::erase_if(deleting_, [&](const Deleting& d) {
    return d.mark < mark && std::find(listed.begin(), listed.end(), d.key) == listed.end();
  });
}

std::string ReplaceFile(const std::string& path, const std::string& text) {
  // One writer per file at a time, so a fixed name for the new file is
  // enough, and a new file a crash left behind is simply written over.
  const std::string fresh = path + ".new";
  try {
    WriteNew(fresh, text);
    if (::rename(fresh.c_str(), path.c_str()) != 0) throw host::FileError(path, "cannot replace: " + host::ErrnoText());
    SyncFolder(FolderOf(path));
    return "";
  } catch (const std::exception& e) {
    ::unlink(fresh.c_str());
    return e.what();
  }
}

StateWriter::StateWriter(std::string path) : path_(std::move(path)) {
  try {
    thread_ = std::thread(&StateWriter::Run, this);
  } catch (const std::exception& e) {
    // Without a thread of its own, Post writes on the caller's thread.
    errors_.push_back(std::string("Cannot start the thread that writes the state: ") + e.what());
  }
}

StateWriter::~StateWriter() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  for (const std::string& error : errors_) std::fprintf(stderr, "k7730-printer-app: %s\n", error.c_str());
}

void StateWriter::Post(std::string text) {
  if (!thread_.joinable()) return Write(text);
  {
    const std::lock_guard lock(mutex_);
    waiting_ = std::move(text);
  }
  changed_.notify_all();
}

void StateWriter::Flush() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !waiting_ && !writing_; });
}

std::vector<std::string> StateWriter::TakeErrors() {
  const std::lock_guard lock(mutex_);
  return std::exchange(errors_, {});
}

void StateWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return waiting_ || stopping_; });
    if (!waiting_) return;
    const std::string text = std::move(*waiting_);
    waiting_.reset();
    writing_ = true;
    lock.unlock();
    Write(text);
    lock.lock();
    writing_ = false;
    changed_.notify_all();
  }
}

void StateWriter::Write(const std::string& text) {
  try {
    const std::string error = ReplaceFile(path_, text);
    if (error.empty()) return;
    const std::lock_guard lock(mutex_);
    errors_.push_back("Cannot save the state: " + error);
  } catch (const std::exception&) {
    // Out of memory for the message: the next save tries again.
  }
}

void SaveStateTo(pappl_system_t* system, const std::string& path) {
  // One system per process. Destroyed when the process ends, after PAPPL
  // has deleted the system: the writer finishes the last file first.
  try {
    static Saver saver(path);
    theSaver = &saver;
    papplSystemSetSaveCallback(system, Save, &saver);
    papplSystemAddTimerCallback(system, std::time(nullptr) + kTickSeconds, kTickSeconds, Tick, &saver);
  } catch (const std::exception& e) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "The state will not be saved: %s", e.what());
  }
}

void KeepDeletedPrinterWhileRead(pappl_printer_t* printer) {
  if (theSaver == nullptr) return;
  try {
    theSaver->guard.BeginDelete({printer, papplPrinterGetID(printer)});
  } catch (...) {
  }
}

}  // namespace k7730::printer_app
