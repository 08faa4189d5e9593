#include "window/gtk/gtk_pictures.h"

#include <map>
#include <vector>

#include "tools/win32_resources/pictures.h"

namespace k7730::ui::gtk {
namespace {

// An 8-bit RGB or RGBA picture whose pixels GDK allocates and owns.
GdkPixbuf* NewPixbuf(int width, int height, bool alpha) {
  return gdk_pixbuf_new(GDK_COLORSPACE_RGB, alpha ? TRUE : FALSE, 8, width, height);
}

GdkPixbuf* FromPicture(const resgen::Picture& picture) {
  GdkPixbuf* pixbuf = NewPixbuf(picture.width, picture.height, false);
  if (pixbuf == nullptr) return nullptr;
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const resgen::PaletteEntry& c = resgen::kPalette[picture.At(x, y) & 15];
      guchar* p = pixels + y * stride + x * 3;
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  return pixbuf;
}

GdkPixbuf* FromCursor(const resgen::Cursor& cursor) {
  GdkPixbuf* pixbuf = NewPixbuf(resgen::kCursorSize, resgen::kCursorSize, true);
  if (pixbuf == nullptr) return nullptr;
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf);
  const int stride = gdk_pixbuf_get_rowstride(pixbuf);
  for (int y = 0; y < resgen::kCursorSize; ++y) {
    for (int x = 0; x < resgen::kCursorSize; ++x) {
      const resgen::CursorPixel pixel = cursor.At(x, y);
      const guchar level = pixel == resgen::CursorPixel::White ? 255 : 0;
      guchar* p = pixels + y * stride + x * 4;
      p[0] = p[1] = p[2] = level;
      p[3] = pixel == resgen::CursorPixel::Clear ? 0 : 255;
    }
  }
  return pixbuf;
}

}  // namespace

GdkPixbuf* EditorBitmap(int id) {
  // Drawn once, on the first request, for every later dialog.
  static const std::map<int, GdkPixbuf*> bitmaps = [] {
    std::map<int, GdkPixbuf*> made;
    for (const resgen::Bitmap& bitmap : resgen::EditorBitmaps()) made[bitmap.id] = FromPicture(bitmap.picture);
    return made;
  }();
  const auto found = bitmaps.find(id);
  return found != bitmaps.end() ? found->second : nullptr;
}

GdkCursor* NewModuleCursor(GdkDisplay* display, const char* name) {
  static const std::vector<resgen::Cursor> cursors = resgen::ModuleCursors();
  if (display == nullptr || name == nullptr) return nullptr;
  for (const resgen::Cursor& cursor : cursors) {
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
