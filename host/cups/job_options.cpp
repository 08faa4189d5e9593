#include "host/cups/job_options.h"

// The PPD interface is marked deprecated in libcups but is the way a PPD
// driver reads its own queue's file.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/cups.h>
#include <cups/ppd.h>

#include <memory>

#include "host/core/host_error.h"

namespace k7730::host {

namespace {

// Options of the job and the PPD beyond the module's three choices.
constexpr const char* kSettingsOption = "k7730-settings";
constexpr const char* kInputCurveOption = "k7730-input-curve";
constexpr const char* kOutputCurveOption = "k7730-output-curve";

struct PpdCloser {
  void operator()(ppd_file_t* ppd) const { ppdClose(ppd); }
};

std::string AttributeValue(ppd_file_t* ppd, const char* name) {
  const ppd_attr_t* attr = ppdFindAttr(ppd, name, nullptr);
  return attr != nullptr && attr->value != nullptr ? attr->value : "";
}

class JobOptionList {
 public:
  explicit JobOptionList(const char* text) { count_ = cupsParseOptions(text != nullptr ? text : "", 0, &options_); }
  ~JobOptionList() { cupsFreeOptions(count_, options_); }
  JobOptionList(const JobOptionList&) = delete;
  JobOptionList& operator=(const JobOptionList&) = delete;

  // The job's value, else the PPD's default; empty when neither has one.
  std::string Value(const char* name, const PpdFacts& ppd) const {
    if (const char* v = cupsGetOption(name, count_, options_); v != nullptr) return v;
    const auto it = ppd.defaults.find(name);
    return it != ppd.defaults.end() ? it->second : "";
  }

 private:
  int count_ = 0;
  cups_option_t* options_ = nullptr;
};

}  // namespace

PpdFacts ReadPpd(const char* path) {
  PpdFacts facts;
  if (path == nullptr || path[0] == '\0') return facts;
  std::unique_ptr<ppd_file_t, PpdCloser> ppd(ppdOpenFile(path));
  if (!ppd) {
    int line = 0;
    const ppd_status_t status = ppdLastError(&line);
    throw FileError(path, std::string("cannot read the PPD: ") + ppdErrorString(status) + " (line " +
                              std::to_string(line) + ")");
  }
  facts.settingsFile = AttributeValue(ppd.get(), "k7730SettingsFile");
  facts.moduleFile = AttributeValue(ppd.get(), "k7730ModuleFile");
  for (const VendorOption& vendor : VendorOptions()) {
    if (const ppd_option_t* option = ppdFindOption(ppd.get(), vendor.name); option != nullptr) {
      facts.defaults[vendor.name] = option->defchoice;
    }
  }
  return facts;
}

JobStages ParseJobOptions(const char* options, const PpdFacts& ppd) {
  const JobOptionList list(options);
  JobStages job;
  job.settingsFile = list.Value(kSettingsOption, ppd);
  if (job.settingsFile.empty()) job.settingsFile = ppd.settingsFile;
  for (const VendorOption& vendor : VendorOptions()) {
    ApplyVendorOption(vendor.name, list.Value(vendor.name, ppd), job);
  }
  for (const auto& [name, curve] : {std::pair{kInputCurveOption, &job.stages.inputCurve},
                                    std::pair{kOutputCurveOption, &job.stages.outputCurve}}) {
    const std::string file = list.Value(name, ppd);
    if (!file.empty()) *curve = file;
  }
  return job;
}

}  // namespace k7730::host
