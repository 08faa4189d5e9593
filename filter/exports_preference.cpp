// Whole-block settings exchange, stage switches and the dialogs.
#include <cstring>

#include "filter/filter_instance.h"
#include "filter/settings_defaults.h"
#include "ui/settings_dialogs.h"

using namespace k7730;

namespace {

std::uint32_t ReadLe32(const void* bytes) {
  const auto* b = static_cast<const std::uint8_t*>(bytes);
  return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
         (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint32_t SetBlock(FilterInstance& inst, const void* data, const std::uint32_t* size,
                       std::uint16_t* err) {
  if (data == nullptr || size == nullptr || *size != K7730_SETTINGS_SIZE) {
    return Report(err, K7730_ERR_BAD_ARGUMENT);
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (ReadLe32(bytes + offsetof(K7730_SettingsBlock, blockSize)) != K7730_SETTINGS_SIZE ||
      ReadLe32(bytes + offsetof(K7730_SettingsBlock, magic)) != K7730_SETTINGS_MAGIC) {
    return Report(err, K7730_ERR_BAD_BLOCK);
  }
  std::memcpy(&inst.settings, data, K7730_SETTINGS_SIZE);
  return Report(err, K7730_OK);
}

std::uint32_t GetBlock(const FilterInstance& inst, void* data, std::uint32_t* size,
                       std::uint16_t* err) {
  if (size == nullptr) return Report(err, K7730_ERR_BAD_ARGUMENT);
  if (data != nullptr && *size != K7730_SETTINGS_SIZE) {
    *size = 0;
    return Report(err, K7730_ERR_BAD_ARGUMENT);
  }
  *size = K7730_SETTINGS_SIZE;
  if (data != nullptr) {
    K7730_SettingsBlock copy = inst.settings;
    copy.blockSize = K7730_SETTINGS_SIZE;
    copy.magic = K7730_SETTINGS_MAGIC;
    std::memcpy(data, &copy, K7730_SETTINGS_SIZE);
  }
  return Report(err, K7730_OK);
}

std::uint32_t* SwitchFor(K7730_SettingsBlock& s, std::uint16_t selector) {
  switch (selector) {
    case K7730_SWITCH_INPUT_CURVE: return &s.inputCurveEnabled;
    case K7730_SWITCH_OUTPUT_CURVE: return &s.outputCurveEnabled;
    case K7730_SWITCH_ICC: return &s.iccEnabled;
    case K7730_SWITCH_MTF: return &s.mtfEnabled;
    default: return nullptr;
  }
}

std::uint16_t SetSwitch(K7730_SettingsBlock& s, std::uint16_t selector, bool on) {
  std::uint32_t* target = SwitchFor(s, selector);
  if (target == nullptr) return K7730_ERR_BAD_ARGUMENT;
  *target = on ? 1 : 0;
  return K7730_OK;
}

std::uint32_t ShowDialog(FilterInstance& inst, std::uint16_t selector, void* owner,
                         std::uint16_t* err) {
  if (selector > K7730_DIALOG_MTF) return Report(err, K7730_ERR_BAD_ARGUMENT);
  switch (ui::RunSettingsDialog(selector, owner, inst.settings)) {
    case ui::DialogOutcome::Confirmed:
      return Report(err, K7730_OK);
    case ui::DialogOutcome::Cancelled: {
      // Only the correction dialog tells the host whether the user
      // confirmed: a cancel there is no failure, yet the answer is 0.
      const std::uint32_t answer = Report(err, K7730_OK);
      return selector == K7730_DIALOG_CORRECTION ? 0 : answer;
    }
    case ui::DialogOutcome::OutOfMemory:
      return Report(err, K7730_ERR_NO_MEMORY);
    case ui::DialogOutcome::Unavailable:
      break;
  }
  return Report(err, K7730_ERR_BAD_ARGUMENT);
}

// Every mode but the block exchange answers with no block.
bool ExchangesBlock(std::uint16_t mode) {
  return mode == K7730_PREF_SET_BLOCK || mode == K7730_PREF_GET_BLOCK;
}

}  // namespace

extern "C" {

K7730_API std::uint32_t K7730_CDECL plugin_filter_preference(K7730_FilterInstance* inst,
                                                             std::uint16_t mode,
                                                             std::uint16_t selector, void* data,
                                                             std::uint32_t* size,
                                                             std::uint16_t* err) {
  if (size != nullptr && (inst == nullptr || !ExchangesBlock(mode))) *size = 0;
  if (inst == nullptr) return Report(err, K7730_ERR_BAD_ARGUMENT);
  switch (mode) {
    case K7730_PREF_RESET:
      ApplyDefaults(*inst);
      return Report(err, K7730_OK);
    case K7730_PREF_SET_BLOCK:
      return SetBlock(*inst, data, size, err);
    case K7730_PREF_GET_BLOCK:
      return GetBlock(*inst, data, size, err);
    case K7730_PREF_DIALOG:
      return ShowDialog(*inst, selector, data, err);
    case K7730_PREF_SWITCH_ON:
    case K7730_PREF_SWITCH_OFF:
      return Report(err, SetSwitch(inst->settings, selector, mode == K7730_PREF_SWITCH_ON));
    default:
      return Report(err, K7730_ERR_BAD_ARGUMENT);
  }
}

}  // extern "C"
