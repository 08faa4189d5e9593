// The direct setters of two stages: the MTF kernel with its scale, and the
// colour-matching profiles with the intent. Each switches its stage off
// first and on again only when every value is usable.
#include <cstring>

#include "filter/filter_instance.h"
#include "stages/profile_check.h"

using namespace k7730;

namespace {

constexpr std::int32_t kMaxCoefficient = 9999;
constexpr std::int32_t kMaxScale = 99999;
// Grid positions of the centre 3 x 3, row by row.
constexpr int kCentreCells[9] = {6, 7, 8, 11, 12, 13, 16, 17, 18};

bool ValidMtf(const std::int32_t* coefficients, std::int32_t scale) {
  bool valid = coefficients != nullptr && scale >= 1 && scale <= kMaxScale;
  for (int i = 0; valid && i < 9; ++i) {
    valid = coefficients[i] >= -kMaxCoefficient && coefficients[i] <= kMaxCoefficient;
  }
  return valid;
}

// Switches the MTF filter off, or stores the kernel and switches it on; a
// kernel out of range leaves it off.
std::uint16_t SetMtf(K7730_SettingsBlock& s, std::uint8_t enable,
                     const std::int32_t* coefficients, std::int32_t scale) {
  s.mtfEnabled = 0;
  if (enable != 1) return K7730_OK;
  if (!ValidMtf(coefficients, scale)) return K7730_ERR_BAD_ARGUMENT;
  std::memset(&s.mtf, 0, sizeof s.mtf);
  for (int i = 0; i < 9; ++i) s.mtf.coefficients[kCentreCells[i]] = coefficients[i];
  s.mtf.scale = scale;
  s.mtfEnabled = 1;
  return K7730_OK;
}

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

K7730_API std::uint32_t K7730_CDECL plugin_filter_setMtf(K7730_FilterInstance* inst,
                                                         std::uint8_t enable,
                                                         const std::int32_t* coefficients,
                                                         std::int32_t scale, std::uint16_t* err) {
  if (inst == nullptr) return Report(err, K7730_ERR_BAD_ARGUMENT);
  return Report(err, SetMtf(inst->settings, enable, coefficients, scale));
}

}  // extern "C"
