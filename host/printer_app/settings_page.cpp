#include "host/printer_app/settings_page.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/filter_session.h"
#include "host/core/host_error.h"
#include "host/core/settings_record.h"
#include "host/core/vendor_options.h"
#include "host/printer_app/app_context.h"
#include "host/printer_app/printer_status.h"
#include "k7730fe.h"

namespace k7730::printer_app {

namespace {

// Each curve's name and colour in the pictures of the tone curves.
struct Channel {
  const char* name;
  const char* colour;
};

constexpr Channel kInput[K7730_CURVE_CHANNELS] = {
    {"common", "#222"}, {"red", "#d22"}, {"green", "#2a2"}, {"blue", "#22d"}, {"fourth", "#999"}};
constexpr Channel kOutput[K7730_CURVE_CHANNELS] = {
    {"common", "#222"}, {"cyan", "#0aa"}, {"magenta", "#c0c"}, {"yellow", "#cc0"}, {"fourth", "#999"}};

bool IsIdentity(const std::uint8_t* table) {
  for (int i = 0; i < 256; ++i) {
    if (table[i] != i) return false;
  }
  return true;
}

// A tone-curve set drawn as an SVG picture: the finished table of each of
// its five channels as a line over a 256 x 256 grid. `output` picks the
// channel names and colours of the printer adjustment (cyan, magenta,
// yellow) instead of the image adjustment (red, green, blue).
std::string ToneCurveSvg(const K7730_ToneCurveSet& set, bool output, const std::string& title) {
  const Channel* channels = output ? kOutput : kInput;
  std::ostringstream svg;
  svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"k7730-curve\" width=\"264\" height=\"264\" "
         "viewBox=\"-4 -4 264 264\" role=\"img\" aria-label=\""
      << title << "\"><title>" << title << "</title>"
      << "<rect x=\"0\" y=\"0\" width=\"256\" height=\"256\" fill=\"#fff\" stroke=\"#888\"/>"
      << "<path d=\"M64 0V256M128 0V256M192 0V256M0 64H256M0 128H256M0 192H256\" stroke=\"#ddd\"/>";
  for (int c = K7730_CURVE_CHANNELS - 1; c >= 0; --c) {
    const std::uint8_t* table = set.tables[c];
    if (c > 0 && IsIdentity(table)) continue;   // an untouched channel would hide the common curve
    svg << "<polyline data-channel=\"" << channels[c].name << "\" fill=\"none\" stroke=\"" << channels[c].colour
        << "\" stroke-width=\"1.5\" points=\"";
    for (int x = 0; x < 256; ++x) svg << (x ? " " : "") << x << "," << 255 - table[x];
    svg << "\"/>";
  }
  svg << "</svg>";
  return svg.str();
}

// What the form asks for: new printer defaults for the three choices, a
// settings record to store, or the module's defaults.
constexpr std::size_t kMaxRecordUpload = 64 * 1024;

struct FormOptions {
  int count = 0;
  cups_option_t* options = nullptr;
  ~FormOptions() { cupsFreeOptions(count, options); }
  const char* Get(const char* name) const { return cupsGetOption(name, count, options); }
};

// PAPPL keeps an uploaded file in the temporary folder under a name of hex
// digits and passes that name as the field's value. Only such a file is
// read (and removed): a plain field naming some other file is refused.
bool IsUploadName(const std::string& path) {
  const std::string folder = std::string(papplGetTempDir()) + "/";
  if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return false;
  const std::string name = path.substr(folder.size());
  return name.find_first_not_of("0123456789abcdef") == std::string::npos;
}

std::vector<std::uint8_t> TakeUpload(const std::string& value) {
  struct stat info {};
  if (!IsUploadName(value) || ::lstat(value.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw host::HostError("the settings record did not arrive as a file upload");
  }
  struct Remove {
    std::string path;
    ~Remove() { ::unlink(path.c_str()); }
  } remove{value};
  return host::ReadFileBytes(value, kMaxRecordUpload);
}

// The new defaults as PAPPL takes them; throws for an unknown value.
int CollectChoices(const FormOptions& form, cups_option_t** vendor) {
  int count = 0;
  for (const host::VendorOption& option : host::VendorOptions()) {
    const char* value = form.Get(option.name);
    if (value == nullptr) continue;
    host::JobStages check;
    host::ApplyVendorOption(option.name, value, check);
    count = cupsAddOption(option.name, value, count, vendor);
  }
  return count;
}

void SetDefaults(pappl_printer_t* printer, int count, cups_option_t* vendor) {
  pappl_pr_driver_data_t data;
  papplPrinterGetDriverData(printer, &data);
  if (!papplPrinterSetDriverDefaults(printer, &data, count, vendor)) {
    throw host::HostError("the printer refused the new defaults");
  }
}

// Everything is checked before anything is stored: a refused form changes
// nothing.
std::string Apply(pappl_printer_t* printer, const FormOptions& form) {
  cups_option_t* vendor = nullptr;
  int count = 0;
  try {
    count = CollectChoices(form, &vendor);
    std::vector<std::uint8_t> record;
    if (const char* upload = form.Get("record"); upload != nullptr && upload[0] != '\0') {
      record = TakeUpload(upload);   // empty when the form's file field was left empty
      if (!record.empty()) host::CheckSettingsBytes("the uploaded settings record", record);
    }
    SetDefaults(printer, count, vendor);
    cupsFreeOptions(count, vendor);
    if (record.empty()) return "The defaults were saved.";
    App().records.Replace(papplPrinterGetName(printer), record, "the uploaded settings record");
    return "The defaults were saved and the uploaded settings record is stored.";
  } catch (...) {
    cupsFreeOptions(count, vendor);
    throw;
  }
}

// Reads the posted form and applies it; returns the sentence to show.
std::string ApplyForm(pappl_client_t* client, pappl_printer_t* printer) {
  FormOptions form;
  form.count = papplClientGetForm(client, &form.options);
  if (!papplClientIsValidForm(client, form.count, form.options)) return "Invalid form data; reload the page.";
  const std::string name = papplPrinterGetName(printer);
  try {
    const char* action = form.Get("action");
    if (action != nullptr && std::string(action) == "Use the module defaults") {
      App().records.Remove(name);
      return "The stored settings record was removed; jobs start from the module's defaults.";
    }
    return Apply(printer, form);
  } catch (const std::exception& e) {
    return std::string("Not saved: ") + e.what();
  }
}

constexpr const char* kPageLabel = "Module Settings";

// The record jobs start from: the stored one, else the module's defaults.
std::vector<std::uint8_t> RecordInUse(pappl_printer_t* printer) {
  if (auto stored = App().records.Load(papplPrinterGetName(printer))) return *stored;
  const host::FilterSession session(*App().module);
  return session.GetBlock();
}

std::string CurrentDefault(pappl_printer_t* printer, const char* option) {
  ipp_t* attrs = papplPrinterGetDriverAttributes(printer);
  ipp_attribute_t* attr = ippFindAttribute(attrs, (std::string(option) + "-default").c_str(), IPP_TAG_ZERO);
  std::string value = attr != nullptr ? ippGetString(attr, 0, nullptr) : host::kAsSettings;
  ippDelete(attrs);
  return value;
}

void ShowChoices(pappl_client_t* client, pappl_printer_t* printer) {
  papplClientHTMLPuts(client, "<table class=\"form\"><tbody>\n");
  for (const host::VendorOption& option : host::VendorOptions()) {
    const std::string current = CurrentDefault(printer, option.name);
    papplClientHTMLPrintf(client, "<tr><th><label for=\"%s\">%s:</label></th><td><select name=\"%s\" id=\"%s\">",
                          option.name, option.label, option.name, option.name);
    for (const char* choice : option.choices) {
      papplClientHTMLPrintf(client, "<option value=\"%s\"%s>%s</option>", choice,
                            current == choice ? " selected" : "", choice);
    }
    papplClientHTMLPuts(client, "</select></td></tr>\n");
  }
  papplClientHTMLPuts(client,
                      "<tr><th><label for=\"record\">Settings record:</label></th><td><input type=\"file\" "
                      "name=\"record\" id=\"record\" accept=\".k7730,.set,application/octet-stream\"> "
                      "(4340 bytes, as <code>k7730-print settings save</code> writes it)</td></tr>\n"
                      "<tr><th></th><td><input type=\"submit\" name=\"action\" value=\"Save\"> "
                      "<input type=\"submit\" name=\"action\" value=\"Use the module defaults\"></td></tr>\n"
                      "</tbody></table></form>\n");
}

void ShowField(pappl_client_t* client, const char* label, const std::string& value) {
  papplClientHTMLPrintf(client, "<tr><th>%s:</th><td>", label);
  papplClientHTMLEscape(client, value.empty() ? "(none)" : value.c_str(), 0);
  papplClientHTMLPuts(client, "</td></tr>\n");
}

std::string Field(const char* text, std::size_t size) { return std::string(text, strnlen(text, size)); }

void ShowRecord(pappl_client_t* client, pappl_printer_t* printer, const std::string& downloadPath) {
  const bool stored = App().records.Load(papplPrinterGetName(printer)).has_value();
  const K7730_SettingsBlock s = host::DecodeSettings(RecordInUse(printer));
  papplClientHTMLPrintf(client, "<h2 class=\"title\">%s</h2><table class=\"list\"><tbody>\n",
                        stored ? "The stored settings record" : "The module's default settings (none stored)");
  const auto onOff = [](std::uint32_t v) { return std::string(v == 1 ? "on" : "off"); };
  ShowField(client, "Colour matching", onOff(s.iccEnabled));
  ShowField(client, "Input profile", Field(s.inputProfilePath, sizeof s.inputProfilePath));
  ShowField(client, "Printer profile", Field(s.outputProfilePath, sizeof s.outputProfilePath));
  const std::string mtfName = Field(s.mtfName, sizeof s.mtfName);
  ShowField(client, "Sharpening", onOff(s.mtfEnabled) + (mtfName.empty() ? "" : ", " + mtfName));
  ShowField(client, "Input tone curves", onOff(s.inputCurveEnabled));
  ShowField(client, "Output tone curves", onOff(s.outputCurveEnabled));
  papplClientHTMLPuts(client, "</tbody></table>\n");
  for (const auto& [curves, output, title] : {std::tuple{&s.inputCurves, false, "Input tone curves"},
                                              std::tuple{&s.outputCurves, true, "Output tone curves"}}) {
    // HTMLPrintf escapes its strings, so the picture goes out as it is.
    papplClientHTMLPuts(client, "<figure style=\"display:inline-block;margin:0 16px 0 0\">");
    papplClientHTMLPuts(client, ToneCurveSvg(*curves, output, title).c_str());
    papplClientHTMLPrintf(client, "<figcaption>%s</figcaption></figure>", title);
  }
  papplClientHTMLPrintf(client, "<p><a class=\"btn\" href=\"%s\" download=\"%s.k7730\">Download the record</a></p>\n",
                        downloadPath.c_str(), papplPrinterGetName(printer));
}

pappl_printer_t* PrinterOf(void* data) {
  return papplSystemFindPrinter(App().system, nullptr, static_cast<int>(reinterpret_cast<std::intptr_t>(data)),
                                nullptr);
}

bool ServePageOrThrow(pappl_client_t* client, void* data) {
  pappl_printer_t* printer = PrinterOf(data);
  if (printer == nullptr) return false;
  char path[1024];
  papplPrinterGetPath(printer, "k7730", path, sizeof path);
  std::string status;
  if (papplClientGetMethod(client) == HTTP_STATE_POST) {
    if (!papplClientHTMLAuthorize(client)) return true;
    status = ApplyForm(client, printer);
  }
  papplClientHTMLPrinterHeader(client, printer, kPageLabel, 0, nullptr, nullptr);
  ShowIdentifyNotice(client, printer);
  if (!status.empty()) {
    papplClientHTMLPuts(client, "<div class=\"banner\" id=\"k7730-status\">");
    papplClientHTMLEscape(client, status.c_str(), 0);
    papplClientHTMLPuts(client, "</div>\n");
  }
  try {
    papplClientHTMLStartForm(client, path, true);
    ShowChoices(client, printer);
    char record[1024];
    ShowRecord(client, printer, papplPrinterGetPath(printer, "k7730.record", record, sizeof record));
  } catch (const std::exception& e) {
    papplClientHTMLPuts(client, "<p class=\"error\">");
    papplClientHTMLEscape(client, e.what(), 0);
    papplClientHTMLPuts(client, "</p>\n");
  }
  papplClientHTMLPrinterFooter(client);
  return true;
}

bool ServeRecordOrThrow(pappl_client_t* client, void* data) {
  pappl_printer_t* printer = PrinterOf(data);
  if (printer == nullptr) return false;
  std::vector<std::uint8_t> record;
  try {
    record = RecordInUse(printer);
  } catch (const std::exception&) {
    return papplClientRespond(client, HTTP_STATUS_SERVER_ERROR, nullptr, nullptr, 0, 0);
  }
  if (!papplClientRespond(client, HTTP_STATUS_OK, nullptr, "application/octet-stream", 0, record.size())) return false;
  http_t* http = papplClientGetHTTP(client);
  httpWrite2(http, reinterpret_cast<const char*>(record.data()), record.size());
  httpFlushWrite(http);
  return true;
}

// PAPPL's resource callbacks are C: nothing thrown may pass them.
bool ServePage(pappl_client_t* client, void* data) {
  try {
    return ServePageOrThrow(client, data);
  } catch (...) {
    return false;
  }
}

bool ServeRecord(pappl_client_t* client, void* data) {
  try {
    return ServeRecordOrThrow(client, data);
  } catch (...) {
    return false;
  }
}

}  // namespace

void AddSettingsPage(pappl_printer_t* printer, void*) {
  char page[1024], record[1024];
  papplPrinterGetPath(printer, "k7730", page, sizeof page);
  papplPrinterGetPath(printer, "k7730.record", record, sizeof record);
  void* id = reinterpret_cast<void*>(static_cast<std::intptr_t>(papplPrinterGetID(printer)));
  papplSystemAddResourceCallback(App().system, page, "text/html", ServePage, id);
  papplSystemAddResourceCallback(App().system, record, "application/octet-stream", ServeRecord, id);
  papplPrinterAddLink(printer, kPageLabel, page, PAPPL_LOPTIONS_NAVIGATION | PAPPL_LOPTIONS_STATUS);
}

// PAPPL calls this with the system's and the printer's locks held, so it
// touches nothing of PAPPL's but the printer's name. The printer's pages
// go with the printer (PAPPL removes every resource under its path).
void ForgetDeletedPrinter(pappl_system_t*, pappl_printer_t* printer, pappl_job_t*, pappl_event_t event, void*) {
  if ((event & PAPPL_EVENT_PRINTER_DELETED) == 0 || printer == nullptr) return;
  try {
    App().records.Remove(papplPrinterGetName(printer));
  } catch (...) {
    // The record stays behind; a new printer of that name would find it.
  }
}

}  // namespace k7730::printer_app
