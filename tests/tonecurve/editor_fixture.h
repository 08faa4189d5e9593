// Running the tone-curve editor on the scripted window system: a set, a
// direction and what the user does while the dialog is open.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

#include "resources/tonecurve_dialog.h"
#include "tonecurve/curve_editor.h"
#include "formats/curve_reset.h"
#include "formats/curve_table.h"
#include "window/cursor_table.h"
#include "window/scripted/scripted_ui.h"

namespace k7730::editor_test {

using ui::PixelPoint;
using ui::VirtualArea;
using ui::VirtualDialog;

// The pixel of the 256 x 256 area where a curve point sits.
inline PixelPoint At(int input, int output) { return {input, 255 - output}; }

inline ToneCurveSet FreshSet() {
  ToneCurveSet set{};
  ResetCurveSet(set);
  return set;
}

inline bool SameBytes(const ToneCurveSet& a, const ToneCurveSet& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

inline std::vector<std::uint8_t> TableOf(const ToneCurveSet& set, int c) {
  return {set.tables[c], set.tables[c] + 256};
}

// Gives a channel control points (input, output pairs) and their table.
inline void SetPoints(ToneCurveSet& set, int c, std::initializer_list<std::pair<int, int>> points) {
  set.mode[c] = kModePoints;
  set.pointCount[c] = static_cast<std::int16_t>(points.size());
  int k = 0;
  for (auto [input, output] : points) {
    set.points[c][k].input = static_cast<std::uint16_t>(input);
    set.points[c][k].output = static_cast<std::uint16_t>(output);
    ++k;
  }
  ComputeCurveTable(set.points[c], set.pointCount[c], set.tables[c]);
}

class EditorTest : public ::testing::Test {
 protected:
  // Opens the editor on `set` and lets `user` act; the editor's result.
  int Edit(ToneCurveSet& set, int direction, std::function<void(VirtualDialog&)> user) {
    ui_->OnDialog("TONECURVE", std::move(user));
    return EditToneCurve(0x777, set, direction);
  }
  ui::CursorId Cursor() { return ui_->currentCursor; }
  ui::CursorId Module(const char* name) { return ui_->ModuleCursorHandle(name); }
  static ui::CursorId System(int id) { return ui::ScriptedUi::SystemCursorHandle(id); }

  ui::ScopedScriptedUi ui_;
};

}  // namespace k7730::editor_test
