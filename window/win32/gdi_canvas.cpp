#include "window/win32/gdi_canvas.h"

namespace k7730::ui::win32 {
namespace {

COLORREF Colour(Rgb c) { return RGB(c.r, c.g, c.b); }

}  // namespace

GdiCanvas::~GdiCanvas() {
  if (pen_ == nullptr) return;
  SelectObject(dc_, previousPen_);
  DeleteObject(pen_);
}

void GdiCanvas::FillRect(const PixelRect& rect, Rgb colour) {
  HBRUSH brush = CreateSolidBrush(Colour(colour));
  if (brush == nullptr) return;
  const RECT r{rect.left, rect.top, rect.right, rect.bottom};
  ::FillRect(dc_, &r, brush);
  DeleteObject(brush);
}

// One pen serves every line of a colour: the curve alone is 255 segments.
void GdiCanvas::UsePen(Rgb colour) {
  if (pen_ != nullptr && penColour_ == colour) return;
  HPEN pen = CreatePen(PS_SOLID, 1, Colour(colour));
  if (pen == nullptr) return;
  HGDIOBJ replaced = SelectObject(dc_, pen);
  if (pen_ == nullptr) {
    previousPen_ = replaced;
  } else {
    DeleteObject(pen_);
  }
  pen_ = pen;
  penColour_ = colour;
}

void GdiCanvas::Line(PixelPoint from, PixelPoint to, Rgb colour) {
  UsePen(colour);
  MoveToEx(dc_, from.x, from.y, nullptr);
  LineTo(dc_, to.x, to.y);
}

}  // namespace k7730::ui::win32
