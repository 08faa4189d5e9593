// Writes the settings record an installed print queue starts with: mild
// sharpening and colour matching from the module's default source profile to
// its default printer profile. The record names the profiles where the
// installation puts them, not where this build keeps them, so it is made
// with the built module and then pointed at the installed folder.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "host/core/console.h"
#include "host/core/filter_session.h"
#include "host/core/host_error.h"
#include "host/core/module_api.h"
#include "host/core/settings_record.h"

using namespace k7730::host;

namespace {

void StorePath(char (&field)[K7730_PATH_FIELD], const std::string& path) {
  if (path.size() >= sizeof field) throw HostError("the path " + path + " does not fit a settings record");
  std::memset(field, 0, sizeof field);
  std::memcpy(field, path.data(), path.size());
}

std::vector<std::uint8_t> QueueSettings(const std::string& modulePath, const std::string& installedFolder) {
  const LoadedModule module(modulePath);
  FilterSession session(module);
  StageOptions stages;
  stages.mtfKernel.emplace();
  SharpenPreset("mild", *stages.mtfKernel);
  stages.mtfSource = "mild sharpening";
  stages.colorMatch = true;
  session.ApplyStages(stages, nullptr, "", Console{.quiet = true});

  K7730_SettingsBlock block = DecodeSettings(session.GetBlock());
  StorePath(block.inputProfilePath, installedFolder + "/A17D50.ICC");
  StorePath(block.outputProfilePath, installedFolder + "/K77302.ICC");
  std::vector<std::uint8_t> bytes(sizeof block);
  std::memcpy(bytes.data(), &block, sizeof block);
  // Through the module again, so the record written is one it accepts.
  session.SetBlock(bytes, "the queue's settings");
  return session.GetBlock();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_queue_settings MODULE OUTPUT INSTALLED_MODULE_FOLDER\n");
    return 2;
  }
  try {
    WriteSettingsFile(argv[2], QueueSettings(argv[1], argv[3]));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_queue_settings: %s\n", e.what());
    return 1;
  }
  return 0;
}
