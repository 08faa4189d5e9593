// The Canvas on a GDI device context. Pens and brushes are made as the
// colours come and deleted, with the old objects selected back, when the
// canvas goes away.
#pragma once

#include <windows.h>

#include "window/canvas.h"

namespace k7730::ui::win32 {

class GdiCanvas final : public Canvas {
 public:
  explicit GdiCanvas(HDC dc) : dc_(dc) {}
  ~GdiCanvas() override;

  void FillRect(const PixelRect& rect, Rgb colour) override;
  void Line(PixelPoint from, PixelPoint to, Rgb colour) override;

 private:
  void UsePen(Rgb colour);

  HDC dc_;
  HPEN pen_ = nullptr;
  HGDIOBJ previousPen_ = nullptr;
  Rgb penColour_;
};

}  // namespace k7730::ui::win32
