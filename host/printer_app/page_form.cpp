#include "host/printer_app/page_form.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "host/printer_app/app_context.h"
#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/core/settings_record.h"
#include "host/core/vendor_options.h"

namespace k7730::printer_app {

namespace {

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

}  // namespace

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

}  // namespace k7730::printer_app
