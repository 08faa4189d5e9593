// Setting the colour-matching profiles and intent directly.
#include <cstring>

#include "filter/filter_instance.h"
#include "stages/profile_check.h"

using namespace k7730;

namespace {

// A path the field can hold (terminator included) that names a usable
// RGB profile.
bool Acceptable(const char* path) {
  return path != nullptr && std::strlen(path) < K7730_PATH_FIELD && ProfileUsable(path);
}

// Switches colour matching off, or stores the profiles and intent and
// switches it on; an unusable profile or intent leaves it off.
std::uint16_t SetIcc(K7730_SettingsBlock& s, std::uint8_t enable, const char* inputProfile,
                     const char* outputProfile, std::uint16_t intent) {
  s.iccEnabled = 0;
  if (enable != 1) return K7730_OK;
  if (!Acceptable(inputProfile) || !Acceptable(outputProfile) || intent > 2) {
    return K7730_ERR_BAD_ARGUMENT;
  }
  std::memset(s.inputProfilePath, 0, sizeof s.inputProfilePath);
  std::memset(s.outputProfilePath, 0, sizeof s.outputProfilePath);
  std::strcpy(s.inputProfilePath, inputProfile);
  std::strcpy(s.outputProfilePath, outputProfile);
  s.intent = intent;
  s.iccEnabled = 1;
  return K7730_OK;
}

}  // namespace

extern "C" {

K7730_API std::uint32_t K7730_CDECL plugin_filter_setIccProfile(K7730_FilterInstance* inst,
                                                                std::uint8_t enable,
                                                                const char* inputProfile,
                                                                const char* outputProfile,
                                                                std::uint16_t intent,
                                                                std::uint16_t* err) {
  if (inst == nullptr) return Report(err, K7730_ERR_BAD_ARGUMENT);
  return Report(err, SetIcc(inst->settings, enable, inputProfile, outputProfile, intent));
}

}  // extern "C"
