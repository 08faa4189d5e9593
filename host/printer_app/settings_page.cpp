#include "host/printer_app/settings_page.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/core/settings_record.h"
#include "host/core/vendor_options.h"
#include "host/printer_app/app_context.h"
#include "host/printer_app/paper_profiles_page.h"
#include "host/printer_app/printer_record.h"
#include "host/printer_app/settings_view.h"
#include "host/printer_app/web_form.h"
#include "host/printer_app/printer_status.h"
#include "k7730fe.h"

namespace k7730::printer_app {

namespace {

// What the form asks for: new printer defaults for the three choices, a
// settings record to store, or back to the printer's defaults.
constexpr std::size_t kMaxRecordUpload = 64 * 1024;

// The new defaults as PAPPL takes them; throws for an unknown value.
int CollectChoices(const WebForm& form, cups_option_t** vendor) {
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
std::string Apply(pappl_printer_t* printer, const WebForm& form) {
  cups_option_t* vendor = nullptr;
  int count = 0;
  try {
    count = CollectChoices(form, &vendor);
    std::vector<std::uint8_t> record;
    if (const char* upload = form.Get("record"); upload != nullptr && upload[0] != '\0') {
      // Empty when the form's file field was left empty.
      record = TakeUpload(upload, kMaxRecordUpload, "the settings record");
      if (!record.empty()) host::CheckSettingsBytes("the uploaded settings record", record);
    }
    SetDefaults(printer, count, vendor);
    cupsFreeOptions(count, vendor);
    if (record.empty()) return "The defaults were saved.";
    App().records.Replace(papplPrinterGetName(printer), record, "the uploaded settings record");
    PublishPrinterProfileOf(printer);
    return "The defaults were saved and the uploaded settings record is stored.";
  } catch (...) {
    cupsFreeOptions(count, vendor);
    throw;
  }
}

constexpr const char* kUseDefaults = "Use the printer's defaults";

// Reads the posted form and applies it; returns the sentence to show.
std::string ApplyForm(pappl_client_t* client, pappl_printer_t* printer) {
  WebForm form;
  form.count = papplClientGetForm(client, &form.options);
  if (!papplClientIsValidForm(client, form.count, form.options)) return "Invalid form data; reload the page.";
  const std::string name = papplPrinterGetName(printer);
  try {
    const char* action = form.Get("action");
    if (action != nullptr && std::string(action) == kUseDefaults) {
      App().records.Remove(name);
      PublishPrinterProfileOf(printer);
      return "The stored settings record was removed; jobs start from the printer's defaults.";
    }
    return Apply(printer, form);
  } catch (const std::exception& e) {
    return std::string("Not saved: ") + e.what();
  }
}

constexpr const char* kPageLabel = "Module Settings";

// The record jobs start from: the stored one, else the printer's defaults.
std::vector<std::uint8_t> RecordInUse(pappl_printer_t* printer) {
  return PrinterRecord(papplPrinterGetName(printer)).block;
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
                      "name=\"record\" id=\"record\" accept=\".k77,.k7730,.set,application/octet-stream\"> "
                      "(4340 bytes, as <code>k7730-print settings save</code> writes it)</td></tr>\n"
                      "<tr><th></th><td><input type=\"submit\" name=\"action\" value=\"Save\"> "
                      "<input type=\"submit\" name=\"action\" value=\"Use the printer's defaults\"></td></tr>\n"
                      "</tbody></table></form>\n");
}

bool ServePageOrThrow(pappl_client_t* client, void* data) {
  pappl_printer_t* printer = PrinterOfPage(data);
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
  ShowStatus(client, status);
  try {
    papplClientHTMLStartForm(client, path, true);
    ShowChoices(client, printer);
    char record[1024];
    ShowSettingsInForce(client, printer, papplPrinterGetPath(printer, "k7730.record", record, sizeof record));
  } catch (const std::exception& e) {
    ShowError(client, e.what());
  }
  papplClientHTMLPrinterFooter(client);
  return true;
}

bool ServeRecordOrThrow(pappl_client_t* client, void* data) {
  pappl_printer_t* printer = PrinterOfPage(data);
  if (printer == nullptr) return false;
  std::vector<std::uint8_t> record;
  try {
    record = RecordInUse(printer);
  } catch (const std::exception&) {
    return papplClientRespond(client, HTTP_STATUS_SERVER_ERROR, nullptr, nullptr, 0, 0);
  }
  return ServeBytes(client, record, "application/octet-stream");
}

}  // namespace

void AddSettingsPage(pappl_printer_t* printer, void*) {
  char page[1024], record[1024];
  papplPrinterGetPath(printer, "k7730", page, sizeof page);
  papplPrinterGetPath(printer, "k7730.record", record, sizeof record);
  void* id = PageData(printer);
  papplSystemAddResourceCallback(App().system, page, "text/html", Guarded<ServePageOrThrow>, id);
  papplSystemAddResourceCallback(App().system, record, "application/octet-stream", Guarded<ServeRecordOrThrow>, id);
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
