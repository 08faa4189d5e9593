#include "host/cups/job_options.h"

// The PPD interface is marked deprecated in libcups but is the way a PPD
// driver reads its own queue's file.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <cups/cups.h>
#include <cups/ppd.h>

#include <array>
#include <memory>

#include "host/core/host_error.h"
#include "host/core/mtf_file.h"

namespace k7730::host {

namespace {

// Option names as the job, the PPD and the print command's flags share them.
constexpr const char* kSettingsOption = "k7730-settings";
constexpr const char* kSharpenOption = "k7730-sharpen";
constexpr const char* kIntentOption = "k7730-intent";
constexpr const char* kColorMatchOption = "k7730-color-match";
constexpr const char* kInputCurveOption = "k7730-input-curve";
constexpr const char* kOutputCurveOption = "k7730-output-curve";
constexpr std::array kUiOptions{kSharpenOption, kIntentOption, kColorMatchOption};

// The choice every UI option has in the PPD: leave the stage as the
// settings file has it.
constexpr const char* kAsSettings = "settings";

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

HostError BadValue(const char* name, const std::string& value, const char* accepted) {
  return HostError("option " + std::string(name) + "=" + value + ": takes " + accepted);
}

void ApplySharpen(const std::string& value, StageOptions& s) {
  if (value.empty() || value == kAsSettings) return;
  if (value == "off") {
    s.noMtf = true;
    return;
  }
  MtfKernel kernel;
  if (!SharpenPreset(value, kernel)) throw BadValue(kSharpenOption, value, "mild, medium, strong, off or settings");
  s.mtfKernel = kernel;
  s.mtfSource = std::string(kSharpenOption) + "=" + value;
}

void ApplyColorMatch(const std::string& value, StageOptions& s) {
  if (value.empty() || value == kAsSettings) return;
  if (value == "on") s.colorMatch = true;
  else if (value == "off") s.noColorMatch = true;
  else throw BadValue(kColorMatchOption, value, "on, off or settings");
}

void ApplyIntent(const std::string& value, JobStages& job) {
  if (value.empty() || value == kAsSettings) return;
  static constexpr std::array<const char*, 3> kNames{"perceptual", "relative", "saturation"};
  for (std::uint16_t i = 0; i < kNames.size(); ++i) {
    if (value == kNames[i]) {
      job.stages.intent = i;
      job.intentGiven = true;
      return;
    }
  }
  throw BadValue(kIntentOption, value, "perceptual, relative, saturation or settings");
}

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
  for (const char* name : kUiOptions) {
    if (const ppd_option_t* option = ppdFindOption(ppd.get(), name); option != nullptr) {
      facts.defaults[name] = option->defchoice;
    }
  }
  return facts;
}

JobStages ParseJobOptions(const char* options, const PpdFacts& ppd) {
  const JobOptionList list(options);
  JobStages job;
  job.settingsFile = list.Value(kSettingsOption, ppd);
  if (job.settingsFile.empty()) job.settingsFile = ppd.settingsFile;
  ApplySharpen(list.Value(kSharpenOption, ppd), job.stages);
  ApplyColorMatch(list.Value(kColorMatchOption, ppd), job.stages);
  ApplyIntent(list.Value(kIntentOption, ppd), job);
  if (job.stages.colorMatch || job.stages.noColorMatch) job.intentGiven = false;
  for (const auto& [name, curve] : {std::pair{kInputCurveOption, &job.stages.inputCurve},
                                    std::pair{kOutputCurveOption, &job.stages.outputCurve}}) {
    const std::string file = list.Value(name, ppd);
    if (!file.empty()) *curve = file;
  }
  return job;
}

}  // namespace k7730::host
