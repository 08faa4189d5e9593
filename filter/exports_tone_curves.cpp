// Host-fed tone tables for the input and output directions.
#include <cstring>

#include "filter/filter_instance.h"

using namespace k7730;

namespace {

// Switches a direction's tables off, or stores four host tables and
// switches them on; a missing table leaves them off.
std::uint16_t SetToneTables(std::uint32_t& enabledWord, ToneCurveSet& set, std::uint8_t enable,
                            const std::uint8_t* const tables[4]) {
  enabledWord = 0;
  if (enable != 1) return K7730_OK;
  for (int c = 0; c < 4; ++c) {
    if (tables[c] == nullptr) return K7730_ERR_BAD_ARGUMENT;
  }
  // Channels 0..3 become free-hand tables read in the set's polarity;
  // channel 4, the gammas, the points and the polarity stay.
  for (int c = 0; c < 4; ++c) {
    set.mode[c] = kModeFreeHand;
    set.pointCount[c] = 0;
    std::memcpy(set.tables[c], tables[c], 256);
  }
  enabledWord = 1;
  return K7730_OK;
}

// Checks the instance, then sets the direction chosen by `enabledWord` and `set`.
std::uint32_t SetDirection(FilterInstance* inst, std::uint32_t K7730_SettingsBlock::*enabledWord,
                           ToneCurveSet K7730_SettingsBlock::*set, std::uint8_t enable,
                           const std::uint8_t* const tables[4], std::uint16_t* err) {
  if (inst == nullptr) return Report(err, K7730_ERR_BAD_ARGUMENT);
  return Report(err, SetToneTables(inst->settings.*enabledWord, inst->settings.*set, enable, tables));
}

}  // namespace

extern "C" {

K7730_API std::uint32_t K7730_CDECL plugin_filter_setInputToneCurve(
    K7730_FilterInstance* inst, std::uint8_t enable, const std::uint8_t* table1,
    const std::uint8_t* table2, const std::uint8_t* table3, const std::uint8_t* table4,
    std::uint16_t* err) {
  const std::uint8_t* const tables[4] = {table1, table2, table3, table4};
  return SetDirection(inst, &K7730_SettingsBlock::inputCurveEnabled,
                      &K7730_SettingsBlock::inputCurves, enable, tables, err);
}

K7730_API std::uint32_t K7730_CDECL plugin_filter_setOutputToneCurve(
    K7730_FilterInstance* inst, std::uint8_t enable, const std::uint8_t* table1,
    const std::uint8_t* table2, const std::uint8_t* table3, const std::uint8_t* table4,
    std::uint16_t* err) {
  const std::uint8_t* const tables[4] = {table1, table2, table3, table4};
  return SetDirection(inst, &K7730_SettingsBlock::outputCurveEnabled,
                      &K7730_SettingsBlock::outputCurves, enable, tables, err);
}

}  // extern "C"
