#include "host/print/settings_command.h"

#include <filesystem>

#include "host/core/filter_session.h"
#include "host/core/host_error.h"
#include "host/core/module_api.h"
#include "host/core/settings_record.h"

namespace k7730::host {
namespace {

enum class Answer { Confirmed, Cancelled };

// The correction dialog through plugin_filter_preference mode 3: 1 is OK,
// 0 with no error Cancel; an error means no dialog was shown.
Answer RunCorrectionDialog(const FilterSession& session) {
  std::uint32_t size = 0;
  std::uint16_t err = 0;
  const std::uint32_t result = session.Module().Api().preference(
      session.Instance(), K7730_PREF_DIALOG, K7730_DIALOG_CORRECTION, nullptr, &size, &err);
  if (err == K7730_ERR_BAD_ARGUMENT) {
    throw FileError(session.Module().Path(),
                    "no dialog can be shown: the module needs its GTK window system (K7730fe_gtk.so beside it, "
                    "with GTK 3 installed) and a display (DISPLAY)");
  }
  if (err != K7730_OK) throw FileError(session.Module().Path(), "the dialog failed: " + DescribeErrorCode(err));
  return result == 1 ? Answer::Confirmed : Answer::Cancelled;
}

}  // namespace

void StoreSettings(const std::string& path, const std::vector<std::uint8_t>& block, const Console& console) {
  for (const std::string& passing : PassingPaths(block)) {
    console.Warning(path + ": the settings name " + passing +
                    ", which may be gone when they are used; keep such files in a lasting place");
  }
  WriteSettingsFile(path, block);
  console.Info("k7730-print: saved the settings to " + path + ": " + SummariseSettings(block));
}

int EditSettings(const Options& o, const std::string& modulePath, const Console& console) {
  LoadedModule module(modulePath);
  FilterSession session(module);
  StageOptions stages = o.stages;
  if (std::filesystem::exists(o.recordFile)) {
    stages.settingsFile = o.recordFile;
  } else {
    console.Info("k7730-print: " + o.recordFile + " does not exist; starting from the module's defaults");
    StoreSettings(o.recordFile, session.StorableBlock(), console);
  }
  session.ApplyStages(stages, nullptr, "", console);
  if (RunCorrectionDialog(session) == Answer::Cancelled) {
    console.Info("k7730-print: cancelled; " + o.recordFile + " is unchanged");
    return 0;
  }
  StoreSettings(o.recordFile, session.StorableBlock(), console);
  return 0;
}

}  // namespace k7730::host
