#include "filter/settings_defaults.h"

#include <bit>
#include <cstring>

#include "formats/curve_reset.h"
#include "tonecurve/page_luts.h"
#include "platform/path_utils.h"

namespace k7730 {

// The stored block is little-endian and is exchanged with hosts byte for
// byte, so the in-memory record must be little-endian too.
static_assert(std::endian::native == std::endian::little,
              "the SettingsBlock is kept in memory in its stored byte order");

void DefaultModuleFilePath(const char* name, char* field) {
  char folder[platform::kMaxPath];
  GetModuleFolder(folder);
  JoinModuleFile(folder, name, field);
}

void ApplyDefaults(FilterInstance& inst) {
  K7730_SettingsBlock& s = inst.settings;
  std::memset(&s, 0, sizeof s);
  s.magic = K7730_SETTINGS_MAGIC;
  s.blockSize = K7730_SETTINGS_SIZE;
  s.iccEnabled = 0;
  s.intent = 0;
  DefaultModuleFilePath(kDefaultInputProfile, s.inputProfilePath);
  DefaultModuleFilePath(kDefaultOutputProfile, s.outputProfilePath);
  s.mtfEnabled = 0;
  s.mtf.coefficients[12] = 100;
  s.mtf.scale = 100;
  s.inputCurveEnabled = 0;
  s.outputCurveEnabled = 0;
  ResetCurveSet(s.inputCurves);
  ResetCurveSet(s.outputCurves);
  ResetLutRecords(inst.inputLuts);
  ResetLutRecords(inst.outputLuts);
  inst.swapRB = 0;
  s.lineFilterEnabled = 0;
}

}  // namespace k7730
