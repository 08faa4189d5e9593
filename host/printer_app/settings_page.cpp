#include "host/printer_app/settings_page.h"

#include <unistd.h>

#include <cstdint>
#include <tuple>
#include <string>
#include <vector>

#include "host/printer_app/app_context.h"
#include "host/core/filter_session.h"
#include "host/printer_app/page_form.h"
#include "host/core/settings_record.h"
#include "host/printer_app/tone_curve_svg.h"
#include "host/core/vendor_options.h"

namespace k7730::printer_app {

namespace {

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
