// What a print job asks of the module: the queue's PPD (its settings file,
// module and option defaults) and the job's own options, turned into the
// same stage options the print command takes.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "host/core/stage_options.h"

namespace k7730::host {

// What the filter takes from the queue's PPD.
struct PpdFacts {
  std::string settingsFile;                      // *k7730SettingsFile, empty when none
  std::string moduleFile;                        // *k7730ModuleFile, empty when none
  std::map<std::string, std::string> defaults;   // default choice of each k7730-* option
};

// Reads the PPD named by `path` (the PPD environment variable); no path
// gives empty facts. Throws HostError when a named PPD does not open.
PpdFacts ReadPpd(const char* path);

struct JobStages {
  std::string settingsFile;   // applied first, before every other stage option
  StageOptions stages;        // the rest, in the print command's order
  bool intentGiven = false;   // k7730-intent without k7730-color-match: applies when the settings match colours
};

// Parses the job's option string (libcups syntax) over the PPD's defaults.
// Throws HostError naming the option and its value when a value is unknown.
JobStages ParseJobOptions(const char* options, const PpdFacts& ppd);

}  // namespace k7730::host
