// The MTF dialog's fields: the 25 coefficients (the ring hidden) and the
// scale, shown from and read into the working copy.
#include <cstring>

#include "resources/mtf_dialog.h"
#include "formats/decimal_text.h"
#include "ui/mtf_dialog_state.h"
#include "platform/path_utils.h"

namespace k7730::ui {
namespace {

constexpr int kFieldCharacters = 14;  // what a reading takes of a field

// The integer in a field, when the text is one and lies in lo..hi. A text
// longer than a reading takes is refused rather than cut into a valid one.
bool ReadInteger(const DialogWindow& dialog, int id, std::int32_t lo, std::int32_t hi,
                 bool allowEmpty, std::int32_t& value) {
  char text[kFieldCharacters + 2] = "";
  dialog.GetItemText(id, text, sizeof text);
  if (std::strlen(text) > kFieldCharacters) return false;
  if (text[0] == '\0' && !allowEmpty) return false;
  if (!IsIntegerText(text)) return false;
  const std::int32_t parsed = ParseDecimal(text);  // saturates, never wraps
  if (parsed < lo || parsed > hi) return false;
  value = parsed;
  return true;
}

}  // namespace

void MtfDialog::ShowFields(DialogWindow& dialog) {
  dialog.SetItemText(res::kMfFileName, PathFileName(state_.currentPath));
  for (int i = 0; i < 25; ++i) {
    const std::int32_t value = state_.working.coefficients[i];
    if (value == 0) {
      dialog.SetItemText(res::kMfFirstCoefficient + i, "");
    } else {
      dialog.SetItemInt(res::kMfFirstCoefficient + i, value);
    }
  }
  dialog.SetItemInt(res::kMfScale, state_.working.scale);
}

int MtfDialog::ReadFields(DialogWindow& dialog, int& focusId) {
  int status = kMtfOk;
  for (int i = 0; i < 25; ++i) {
    const int id = res::kMfFirstCoefficient + i;
    std::int32_t& word = state_.working.coefficients[i];
    if (!ReadInteger(dialog, id, -9999, 9999, true, word)) {
      word = 0;
      status = kMtfCoefficientRange;
      focusId = id;  // a later invalid field replaces an earlier one
    }
  }
  if (!ReadInteger(dialog, res::kMfScale, 1, 99999, false, state_.working.scale)) {
    state_.working.scale = 0;
    focusId = res::kMfScale;
    return kMtfScaleRange;
  }
  return status;
}

}  // namespace k7730::ui
