#include "window/gtk/gtk_pictures.h"

#include <map>
#include <vector>

#include "resources/pictures.h"

namespace k7730::ui::gtk {
namespace {

// An 8-bit RGB or RGBA picture whose pixels GDK allocates and owns.
GdkPixbuf* NewPixbuf(int width, int height, bool alpha) {
  return gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha ? TRUE : FALSE, 8, width, height);
}

GdkPixbuf* FromPicture(const res::Picture& picture) {
  GdkPixbuf* pixbuf = NewPixbuf(picture.width, picture.height, false);
  if (pixbuf == nullptr) return nullptr;
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const res::PaletteEntry& c = res::kPalette[picture.At(x, y) & 15];
      guchar* p = pixels + y * stride + x * 3;
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  return pixbuf;
}

GdkPixbuf* FromCursor(const res::Cursor& cursor) {
  GdkPixbuf* pixbuf = NewPixbuf(res::kCursorSize, res::kCursorSize, true);
  if (pixbuf == nullptr) return nullptr;
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < res::kCursorSize; ++y) {
    for (int x = 0; x < res::kCursorSize; ++x) {
      const res::CursorPixel pixel = cursor.At(x, y);
      const guchar level = pixel == res::CursorPixel::White ? 255 : 0;
      guchar* p = pixels + y * stride + x * 4;
      p[0] = p[1] = p[2] = level;
      p[3] = pixel == res::CursorPixel::Clear ? 0 : 255;
    }
  }
  return pixbuf;
}

}  // namespace

GdkPixbuf* EditorBitmap(int id) {
  // Drawn once, on the first request, for every later dialog.
  static const std::map<int, GdkPixbuf*> bitmaps = [] {
    std::map<int, GdkPixbuf*> made;
    for (const res::Bitmap& bitmap : res::EditorBitmaps()) made[bitmap.id] = FromPicture(bitmap.picture);
    return made;
  }();
  const auto found = bitmaps.find(id);
  return found != bitmaps.end() ? found->second : nullptr;
}

GdkCursor* NewModuleCursor(GdkDisplay* display, const char* name) {
  static const std::vector<res::Cursor> cursors = res::ModuleCursors();
  if (display == nullptr || name == nullptr) return nullptr;
  for (const res::Cursor& cursor : cursors) {
    if (cursor.name != name) continue;
    GdkPixbuf* picture = FromCursor(cursor);
    if (picture == nullptr) return nullptr;
    GdkCursor* made = gdk_cursor_new_from_pixbuf(display, picture, cursor.hotX, cursor.hotY);
    g_object_unref(picture);
    return made;
  }
  return nullptr;
}

}  // namespace k7730::ui::gtk
