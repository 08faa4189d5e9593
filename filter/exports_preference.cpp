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

std::uint32_t Fail(std::uint16_t* err, std::uint16_t code) {
  SetError(err, code);
  return 0;
}

std::uint32_t SetBlock(FilterInstance& inst, const void* data, const std::uint32_t* size,
                       std::uint16_t* err) {
  if (data == nullptr || size == nullptr || *size != K7730_SETTINGS_SIZE) {
    return Fail(err, K7730_ERR_BAD_ARGUMENT);
  }
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (ReadLe32(bytes + offsetof(K7730_SettingsBlock, blockSize)) != K7730_SETTINGS_SIZE ||
      ReadLe32(bytes + offsetof(K7730_SettingsBlock, magic)) != K7730_SETTINGS_MAGIC) {
    return Fail(err, K7730_ERR_BAD_BLOCK);
  }
  std::memcpy(&inst.settings, data, K7730_SETTINGS_SIZE);
  SetError(err, K7730_OK);
  return 1;
}

std::uint32_t GetBlock(const FilterInstance& inst, void* data, std::uint32_t* size,
                       std::uint16_t* err) {
  if (size == nullptr) return Fail(err, K7730_ERR_BAD_ARGUMENT);
  if (data != nullptr && *size != K7730_SETTINGS_SIZE) {
    *size = 0;
    return Fail(err, K7730_ERR_BAD_ARGUMENT);
  }
  *size = K7730_SETTINGS_SIZE;
  if (data != nullptr) {
    K7730_SettingsBlock copy = inst.settings;
    copy.blockSize = K7730_SETTINGS_SIZE;
    copy.magic = K7730_SETTINGS_MAGIC;
    std::memcpy(data, &copy, K7730_SETTINGS_SIZE);
  }
  SetError(err, K7730_OK);
  return 1;
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

std::uint32_t ShowDialog(FilterInstance& inst, std::uint16_t selector, void* owner,
                         std::uint16_t* err) {
  if (selector > K7730_DIALOG_MTF) return Fail(err, K7730_ERR_BAD_ARGUMENT);
  switch (ui::RunSettingsDialog(selector, owner, inst.settings)) {
    case ui::DialogOutcome::Confirmed:
      SetError(err, K7730_OK);
      return 1;
    case ui::DialogOutcome::Cancelled:
      // Only the correction dialog tells the host whether the user confirmed.
      SetError(err, K7730_OK);
      return selector == K7730_DIALOG_CORRECTION ? 0 : 1;
    case ui::DialogOutcome::OutOfMemory:
      return Fail(err, K7730_ERR_NO_MEMORY);
    case ui::DialogOutcome::Unavailable:
      break;
  }
  return Fail(err, K7730_ERR_BAD_ARGUMENT);
}

}  // namespace

extern "C" {

K7730_API std::uint32_t K7730_CDECL plugin_filter_preference(K7730_FilterInstance* inst,
                                                             std::uint16_t mode,
                                                             std::uint16_t selector, void* data,
                                                             std::uint32_t* size,
                                                             std::uint16_t* err) {
  if (inst == nullptr) {
    if (size != nullptr) *size = 0;
    return Fail(err, K7730_ERR_BAD_ARGUMENT);
  }
  switch (mode) {
    case K7730_PREF_RESET:
      if (size != nullptr) *size = 0;
      ApplyDefaults(*inst);
      SetError(err, K7730_OK);
      return 1;
    case K7730_PREF_SET_BLOCK:
      return SetBlock(*inst, data, size, err);
    case K7730_PREF_GET_BLOCK:
      return GetBlock(*inst, data, size, err);
    case K7730_PREF_DIALOG:
      if (size != nullptr) *size = 0;
      return ShowDialog(*inst, selector, data, err);
    case K7730_PREF_SWITCH_ON:
    case K7730_PREF_SWITCH_OFF: {
      if (size != nullptr) *size = 0;
      std::uint32_t* target = SwitchFor(inst->settings, selector);
      if (target == nullptr) return Fail(err, K7730_ERR_BAD_ARGUMENT);
      *target = mode == K7730_PREF_SWITCH_ON ? 1 : 0;
      SetError(err, K7730_OK);
      return 1;
    }
    default:
      if (size != nullptr) *size = 0;
      return Fail(err, K7730_ERR_BAD_ARGUMENT);
  }
}

}  // extern "C"
