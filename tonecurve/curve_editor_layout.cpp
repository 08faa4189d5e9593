// Laying out the editor around its 256 x 256 drawing area: the template's
// dialog units give no exact pixel size, so the area, its two gradient bars
// and the column of buttons are placed in pixels when the dialog starts.
#include <algorithm>

#include "resources/tonecurve_dialog.h"
#include "tonecurve/curve_editor_dialog.h"

namespace k7730 {
namespace {

// The controls of the right-hand column, moved as one.
constexpr int kRightColumn[] = {
    res::kTcCopy,       res::kTcPaste,      res::kTcReset,      res::kTcLoad,
    res::kTcSave,       res::kTcOk,         res::kTcCancel,     res::kTcSeparator1,
    res::kTcSeparator2, res::kTcSeparator3, res::kTcChannelList, res::kTcInputReadout,
    res::kTcOutputReadout,
};

ui::PixelRect Sized(int left, int top, const ui::PixelRect& size) {
  return {left, top, left + size.Width(), top + size.Height()};
}

}  // namespace

void ToneCurveEditor::LayOut(ui::DialogWindow& dialog) {
  const ui::PixelRect frame = dialog.ItemRect(res::kTcAreaFrame);
  const ui::PixelRect area{frame.left, frame.top, frame.left + kAreaSize, frame.top + kAreaSize};
  area_.Create(dialog, area);

  // The bars take the size of their bitmaps: under the area and left of it.
  const ui::PixelRect inputBar = dialog.ItemRect(res::kTcInputBarSize);
  dialog.MoveItem(res::kTcInputBar, Sized(area.left, area.bottom + 2, inputBar));
  const ui::PixelRect outputBar = dialog.ItemRect(res::kTcOutputBarSize);
  dialog.MoveItem(res::kTcOutputBar, Sized(area.left - 2 - outputBar.Width(), area.top, outputBar));

  const int columnEdge = std::max(area.right, dialog.ItemRect(res::kTcGammaBox).right);
  const int shift = columnEdge - frame.right;
  for (int id : kRightColumn) {
    const ui::PixelRect r = dialog.ItemRect(id);
    dialog.MoveItem(id, {r.left + shift, r.top, r.right + shift, r.bottom});
  }

  const int right = dialog.ItemRect(res::kTcCopy).right + 10;
  const int bottom = std::max(dialog.ItemRect(res::kTcOutputReadout).bottom,
                              dialog.ItemRect(res::kTcInputBar).bottom) + 10;
  dialog.ExtendTo(right, bottom);
}

}  // namespace k7730
