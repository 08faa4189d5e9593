// The pictures of the module's resources, drawn in code: the 16-colour
// bitmaps of the tone-curve editor and the monochrome cursors. The Windows
// resource generator writes them as resource files, the GTK window system
// shows them as they are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace k7730::res {

// The standard 16-colour palette of Windows, by index.
enum Colour : std::uint8_t {
  kBlack = 0,
  kDarkRed = 1,
  kDarkGreen = 2,
  kDarkYellow = 3,
  kDarkBlue = 4,
  kDarkMagenta = 5,
  kDarkCyan = 6,
  kSilver = 7,  // 192, 192, 192
  kGrey = 8,    // 128, 128, 128
  kRed = 9,
  kGreen = 10,
  kYellow = 11,
  kBlue = 12,
  kMagenta = 13,
  kCyan = 14,
  kWhite = 15,
};

struct PaletteEntry {
  std::uint8_t r, g, b;
};
extern const PaletteEntry kPalette[16];

// A picture of palette indices, row 0 at the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  std::uint8_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  void Set(int x, int y, std::uint8_t c) { pixels[static_cast<std::size_t>(y) * width + x] = c; }
};

struct Bitmap {
  int id;
  Picture picture;
};

// Bitmaps 140 to 149, in id order.
std::vector<Bitmap> EditorBitmaps();

// A cursor pixel: what the AND and XOR masks make of the screen.
enum class CursorPixel : std::uint8_t { Clear, Black, White, Invert };

inline constexpr int kCursorSize = 32;

struct Cursor {
  std::string name;
  int hotX = 0;
  int hotY = 0;
  std::vector<CursorPixel> pixels;  // kCursorSize x kCursorSize, row 0 at the top
  CursorPixel At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * kCursorSize + x]; }
};

// Every module cursor, in the order of resources/cursor_names.h.
std::vector<Cursor> ModuleCursors();

}  // namespace k7730::res
