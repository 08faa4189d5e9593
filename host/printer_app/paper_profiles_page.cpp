#include "host/printer_app/paper_profiles_page.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/filter_session.h"
#include "host/core/host_error.h"
#include "host/core/settings_record.h"
#include "host/printer_app/app_context.h"
#include "host/printer_app/paper_profiles.h"
#include "host/printer_app/printer_driver.h"
#include "host/printer_app/printer_record.h"
#include "host/printer_app/web_form.h"
#include "k7730fe.h"

namespace k7730::printer_app {

namespace {

constexpr const char* kPageLabel = "Paper Profiles";
constexpr const char* kUpload = "Upload";
constexpr const char* kUse = "Use for this printer";
constexpr const char* kUseDefault = "Use the module's profile";
constexpr const char* kDelete = "Delete";

PaperProfiles Store() { return PaperProfiles(App().records.Folder()); }

std::string PathUnder(pappl_printer_t* printer, const char* leaf) {
  char path[1024];
  return papplPrinterGetPath(printer, leaf, path, sizeof path);
}

// The record in force with the module's own profiles filled in.
K7730_SettingsBlock RecordOf(pappl_printer_t* printer) {
  RecordInForce record = PrinterRecord(papplPrinterGetName(printer));
  host::FillEmptyProfilePaths(record.block, host::FilterSession(*App().module).Defaults());
  return host::DecodeSettings(record.block);
}

std::string PrinterProfileOf(pappl_printer_t* printer) {
  const K7730_SettingsBlock s = RecordOf(printer);
  return std::string(s.outputProfilePath, strnlen(s.outputProfilePath, K7730_PATH_FIELD));
}

// A printer profile as the page and printer-icc-profiles name it: the
// paper profile's name, else the file's name.
std::string ProfileLabel(const std::string& path) {
  if (std::string name = Store().NameOf(path); !name.empty()) return name;
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Publish(pappl_printer_t* printer) {
  char host[256];
  pappl_system_t* system = papplPrinterGetSystem(printer);
  const std::string uri = std::string("http://") + papplSystemGetHostName(system, host, sizeof host) + ":" +
                          std::to_string(papplSystemGetHostPort(system)) + PathUnder(printer, "k7730-profile.icc");
  if (!PublishPrinterProfile(printer, ProfileLabel(PrinterProfileOf(printer)), uri)) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN, "The printer's profile could not be published.");
  }
}

// Names `path` as the printer profile of the printer's record (empty: the
// module's own) and stores the record.
void SetPrinterProfile(pappl_printer_t* printer, const std::string& path) {
  if (path.size() >= K7730_PATH_FIELD) throw host::FileError(path, "the path is too long for the settings record");
  const std::string name = papplPrinterGetName(printer);
  std::vector<std::uint8_t> block = PrinterRecord(name).block;
  char* field = reinterpret_cast<char*>(block.data() + offsetof(K7730_SettingsBlock, outputProfilePath));
  std::memset(field, 0, K7730_PATH_FIELD);
  std::memcpy(field, path.data(), path.size());
  App().records.Replace(name, block, "the paper profile");
  Publish(printer);
}

struct InUse {
  std::string path;
  std::string printers;
};

void NoteUser(pappl_printer_t* printer, void* data) {
  auto& use = *static_cast<InUse*>(data);
  try {
    const RecordInForce record = PrinterRecord(papplPrinterGetName(printer));
    const K7730_SettingsBlock s = host::DecodeSettings(record.block);
    if (use.path == std::string(s.outputProfilePath, strnlen(s.outputProfilePath, K7730_PATH_FIELD))) {
      use.printers += (use.printers.empty() ? "" : ", ") + std::string(papplPrinterGetName(printer));
    }
  } catch (...) {
    // A printer whose record cannot be read names no profile.
  }
}

void Delete(const std::string& name) {
  InUse use{Store().PathOf(name), ""};
  papplSystemIteratePrinters(App().system, NoteUser, &use);
  if (!use.printers.empty()) {
    throw host::HostError(name + " is the profile of " + use.printers + "; use another profile there first");
  }
  Store().Remove(name);
}

std::string Upload(pappl_printer_t* printer, const WebForm& form) {
  const std::string name = form.Text("name");
  if (const std::string problem = PaperProfiles::NameProblem(name); !problem.empty()) throw host::HostError(problem);
  const std::string file = form.Text("profile");
  if (file.empty()) throw host::HostError("choose a profile file to upload");
  const std::vector<std::uint8_t> bytes = TakeUpload(file, kMaxPaperProfileBytes, "the profile");
  const std::uint32_t intent = RecordOf(printer).intent;
  Store().Add(name, bytes, static_cast<std::uint16_t>(intent <= 2 ? intent : 0));
  return "The paper profile " + name + " is stored.";
}

std::string Act(pappl_printer_t* printer, const WebForm& form) {
  const std::string action = form.Text("action"), name = form.Text("name");
  if (action == kUpload) return Upload(printer, form);
  if (action == kUse) {
    SetPrinterProfile(printer, Store().PathOf(name));
    return name + " is now this printer's profile.";
  }
  if (action == kUseDefault) {
    SetPrinterProfile(printer, "");
    return "The module's own printer profile is this printer's profile again.";
  }
  if (action == kDelete) {
    Delete(name);
    return "The paper profile " + name + " was deleted.";
  }
  return "Nothing was asked for.";
}

// PAPPL reads at most this much of a posted form and drops the rest
// without a word, so a larger upload would arrive without its file.
constexpr std::int64_t kMaxFormBytes = std::int64_t{2} << 20;

std::string ApplyForm(pappl_client_t* client, pappl_printer_t* printer) {
  const std::int64_t length = httpGetLength2(papplClientGetHTTP(client));
  WebForm form;
  form.count = papplClientGetForm(client, &form.options);
  if (length > kMaxFormBytes) {
    return "Not done: the upload has " + std::to_string(length) + " bytes; a profile may have at most " +
           std::to_string(kMaxPaperProfileBytes >> 10) + " KiB";
  }
  if (!papplClientIsValidForm(client, form.count, form.options)) return "Invalid form data; reload the page.";
  try {
    return Act(printer, form);
  } catch (const std::exception& e) {
    return std::string("Not done: ") + e.what();
  }
}

void ShowProfiles(pappl_client_t* client, pappl_printer_t* printer, const std::string& page) {
  const std::string current = PrinterProfileOf(printer);
  papplClientHTMLPuts(client, "<p id=\"k7730-current\">This printer's profile: <b>");
  papplClientHTMLEscape(client, ProfileLabel(current).c_str(), 0);
  papplClientHTMLPuts(client, "</b></p>\n<table class=\"list\" id=\"k7730-papers\"><tbody>\n");
  for (const std::string& name : Store().Names()) {
    const bool inUse = Store().NameOf(current) == name;
    papplClientHTMLPrintf(client, "<tr data-name=\"%s\"><td>%s%s</td><td>", name.c_str(), name.c_str(),
                          inUse ? " (in use)" : "");
    papplClientHTMLStartForm(client, page.c_str(), false);
    papplClientHTMLPrintf(client,
                          "<input type=\"hidden\" name=\"name\" value=\"%s\"><input type=\"submit\" name=\"action\" "
                          "value=\"%s\"> <input type=\"submit\" name=\"action\" value=\"%s\"> <a class=\"btn\" "
                          "href=\"%s.icc?name=%s\" download=\"%s.icc\">Download</a></form></td></tr>\n",
                          name.c_str(), kUse, kDelete, page.c_str(), name.c_str(), name.c_str());
  }
  papplClientHTMLPuts(client, "</tbody></table>\n");
  papplClientHTMLStartForm(client, page.c_str(), false);
  papplClientHTMLPrintf(client, "<input type=\"submit\" name=\"action\" value=\"%s\"></form>\n", kUseDefault);
}

void ShowUploadForm(pappl_client_t* client, const std::string& page) {
  papplClientHTMLPuts(client, "<h2 class=\"title\">Add a paper profile</h2>\n");
  papplClientHTMLStartForm(client, page.c_str(), true);
  papplClientHTMLPrintf(client,
                        "<table class=\"form\"><tbody>\n"
                        "<tr><th><label for=\"k7730-name\">Name:</label></th><td><input type=\"text\" name=\"name\" "
                        "id=\"k7730-name\" maxlength=\"48\" pattern=\"[A-Za-z0-9_][A-Za-z0-9_.\\-]*\"> (letters, "
                        "digits, '-', '_' and '.')</td></tr>\n"
                        "<tr><th><label for=\"k7730-profile\">ICC printer profile:</label></th><td><input "
                        "type=\"file\" name=\"profile\" id=\"k7730-profile\" accept=\".icc,.icm\"> (at most %u KiB)"
                        "</td></tr>\n<tr><th></th><td><input type=\"submit\" name=\"action\" value=\"%s\"></td></tr>\n"
                        "</tbody></table></form>\n",
                        static_cast<unsigned>(kMaxPaperProfileBytes >> 10), kUpload);
}

bool ServePageOrThrow(pappl_client_t* client, void* data) {
  pappl_printer_t* printer = PrinterOfPage(data);
  if (printer == nullptr) return false;
  const std::string page = PathUnder(printer, "k7730-papers");
  std::string status;
  if (papplClientGetMethod(client) == HTTP_STATE_POST) {
    if (!papplClientHTMLAuthorize(client)) return true;
    status = ApplyForm(client, printer);
  }
  papplClientHTMLPrinterHeader(client, printer, kPageLabel, 0, nullptr, nullptr);
  ShowStatus(client, status);
  try {
    ShowProfiles(client, printer, page);
    ShowUploadForm(client, page);
  } catch (const std::exception& e) {
    ShowError(client, e.what());
  }
  papplClientHTMLPrinterFooter(client);
  return true;
}

constexpr const char* kIccType = "application/vnd.iccprofile";

// A stored profile by the name in the query; only a valid stored name is
// ever opened.
bool ServeStoredOrThrow(pappl_client_t* client, void*) {
  WebForm query;
  query.count = papplClientGetForm(client, &query.options);
  std::vector<std::uint8_t> bytes;
  try {
    bytes = host::ReadFileBytes(Store().PathOf(query.Text("name")), kMaxPaperProfileBytes);
  } catch (const host::HostError&) {
    return papplClientRespond(client, HTTP_STATUS_NOT_FOUND, nullptr, nullptr, 0, 0);
  }
  return ServeBytes(client, bytes, kIccType);
}

bool ServeCurrentOrThrow(pappl_client_t* client, void* data) {
  pappl_printer_t* printer = PrinterOfPage(data);
  if (printer == nullptr) return false;
  constexpr std::size_t kMaxPrinterProfile = std::size_t{64} << 20;
  return ServeBytes(client, host::ReadFileBytes(PrinterProfileOf(printer), kMaxPrinterProfile), kIccType);
}

}  // namespace

void PublishPrinterProfileOf(pappl_printer_t* printer) noexcept {
  try {
    Publish(printer);
  } catch (...) {
    papplLogPrinter(printer, PAPPL_LOGLEVEL_WARN, "The printer's profile could not be published.");
  }
}

void AddPaperProfilePages(pappl_printer_t* printer) {
  pappl_system_t* system = App().system;
  void* id = PageData(printer);
  const std::string page = PathUnder(printer, "k7730-papers");
  papplSystemAddResourceCallback(system, page.c_str(), "text/html", Guarded<ServePageOrThrow>, id);
  papplSystemAddResourceCallback(system, (page + ".icc").c_str(), kIccType, Guarded<ServeStoredOrThrow>, id);
  papplSystemAddResourceCallback(system, PathUnder(printer, "k7730-profile.icc").c_str(), kIccType,
                                 Guarded<ServeCurrentOrThrow>, id);
  papplPrinterAddLink(printer, kPageLabel, page.c_str(), PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS);
  Publish(printer);
}

}  // namespace k7730::printer_app
