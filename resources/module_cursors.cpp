// The module's cursors. Hand-drawn ones are pixel art ('.' clear,
// '#' black, 'o' white); the spinning ball and the drive lamps are computed
// frame by frame.
#include <cmath>
#include <initializer_list>
#include <numbers>

#include "resources/cursor_names.h"
#include "resources/pictures.h"

namespace k7730::res {
namespace {

Cursor Empty(const char* name, int hotX, int hotY) {
  return {name, hotX, hotY,
          std::vector<CursorPixel>(static_cast<std::size_t>(kCursorSize) * kCursorSize,
                                   CursorPixel::Clear)};
}

void Put(Cursor& c, int x, int y, CursorPixel pixel) {
  if (x >= 0 && y >= 0 && x < kCursorSize && y < kCursorSize) {
    c.pixels[static_cast<std::size_t>(y) * kCursorSize + x] = pixel;
  }
}

Cursor FromArt(const char* name, int hotX, int hotY, std::initializer_list<const char*> rows) {
  Cursor c = Empty(name, hotX, hotY);
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; row[x] != '\0'; ++x) {
      if (row[x] == '#') Put(c, x, y, CursorPixel::Black);
      if (row[x] == 'o') Put(c, x, y, CursorPixel::White);
    }
    ++y;
  }
  return c;
}

Cursor OpenHand() {
  return FromArt("HAND0", 8, 8, {
      ".......##.......",
      "...##.#oo###....",
      "..#oo##oo#oo#...",
      "..#oo##oo#oo#.#.",
      "...#oo#oo#oo##o#",
      "...#oo#oo#oo#oo#",
      ".##.#ooooooo#oo#",
      "#oo##oooooooooo#",
      "#ooo#ooooooooo#.",
      ".#oooooooooooo#.",
      "..#ooooooooooo#.",
      "..#oooooooooo#..",
      "...#ooooooooo#..",
      "....#oooooooo#..",
      ".....#oooooo#...",
      ".....#oooooo#...",
  });
}

Cursor GrabbingHand() {
  return FromArt("HAND1", 8, 8, {
      "................",
      "................",
      "................",
      "....##.##.##....",
      "...#oo#oo#oo##..",
      "...#oooooooo#o#.",
      "....#ooooooooo#.",
      "...##ooooooooo#.",
      "..#oooooooooo#..",
      "..#ooooooooooo#.",
      "...#oooooooooo#.",
      "....#ooooooooo#.",
      ".....#oooooooo#.",
      "......#oooooo#..",
      "......#oooooo#..",
  });
}

Cursor ArrowWithCross() {
  return FromArt("XARROW", 0, 0, {
      "#...............",
      "##..............",
      "#o#.............",
      "#oo#............",
      "#ooo#...........",
      "#oooo#..........",
      "#ooooo#.........",
      "#oooooo#........",
      "#ooooooo#.......",
      "#oooo#####......",
      "#oo#oo#.........",
      "#o#.#oo#..#...#.",
      "##..#oo#...#.#..",
      "#....#oo#...#...",
      ".....#oo#..#.#..",
      "......##..#...#.",
  });
}

Cursor Plus() {
  return FromArt("PLUS", 7, 7, {
      "......###......",
      "......#o#......",
      "......#o#......",
      "......#o#......",
      "......#o#......",
      "......#o#......",
      "#######o#######",
      "#ooooooooooooo#",
      "#######o#######",
      "......#o#......",
      "......#o#......",
      "......#o#......",
      "......#o#......",
      "......#o#......",
      "......###......",
  });
}

Cursor Trash() {
  return FromArt("TRASH", 7, 7, {
      ".....#####.....",
      "..###########..",
      "..#ooooooooo#..",
      "..###########..",
      "...#ooooooo#...",
      "...#o#o#o#o#...",
      "...#o#o#o#o#...",
      "...#o#o#o#o#...",
      "...#o#o#o#o#...",
      "...#o#o#o#o#...",
      "...#o#o#o#o#...",
      "...#o#o#o#o#...",
      "...#ooooooo#...",
      "....#######....",
  });
}

// A ring with a bar across it, centred on the hot spot.
Cursor Stop() {
  Cursor c = Empty("STOP", 8, 8);
  for (int y = 0; y <= 16; ++y) {
    for (int x = 0; x <= 16; ++x) {
      const double d = std::hypot(x - 8.0, y - 8.0);
      const bool bar = std::abs((x - 8) - (8 - y)) <= 1 && d < 7.5;
      if (d <= 8.5 && d >= 6.0) Put(c, x, y, CursorPixel::Black);
      else if (d < 6.0) Put(c, x, y, bar ? CursorPixel::Black : CursorPixel::White);
    }
  }
  return c;
}

// Frame `frame` (0..7) of the spinning ball: four quarters, alternately
// black and white, turned by an eighth of a quarter from frame to frame.
Cursor BeachBall(int frame, const char* name) {
  Cursor c = Empty(name, 8, 8);
  const double turn = frame * std::numbers::pi / 16.0;
  for (int y = 0; y <= 16; ++y) {
    for (int x = 0; x <= 16; ++x) {
      const double d = std::hypot(x - 8.0, y - 8.0);
      if (d > 8.5) continue;
      if (d > 7.5) {
        Put(c, x, y, CursorPixel::Black);
        continue;
      }
      double angle = std::atan2(y - 8.0, x - 8.0) + turn;
      angle = std::fmod(angle + 4 * std::numbers::pi, 2 * std::numbers::pi);
      const int quarter = static_cast<int>(angle / (std::numbers::pi / 2));
      Put(c, x, y, quarter % 2 == 0 ? CursorPixel::Black : CursorPixel::White);
    }
  }
  return c;
}

// Frame `frame` (0..3) of the busy drive: a box with four lamps, lamp
// `frame` lit.
Cursor DriveLamps(int frame, const char* name) {
  Cursor c = Empty(name, 8, 6);
  for (int y = 0; y <= 12; ++y) {
    for (int x = 0; x <= 16; ++x) {
      const bool edge = x == 0 || y == 0 || x == 16 || y == 12;
      Put(c, x, y, edge ? CursorPixel::Black : CursorPixel::White);
    }
  }
  for (int lamp = 0; lamp < 4; ++lamp) {
    const int left = 2 + lamp * 4;
    for (int y = 8; y <= 10; ++y) {
      for (int x = left; x <= left + 2; ++x) {
        const bool lit = lamp == frame;
        const bool rim = x == left || x == left + 2 || y == 8 || y == 10;
        Put(c, x, y, lit || rim ? CursorPixel::Black : CursorPixel::White);
      }
    }
  }
  for (int x = 2; x <= 14; ++x) Put(c, x, 3, CursorPixel::Black);
  return c;
}

Cursor Pen() {
  return FromArt("PEN", 0, 15, {
      "...........###..",
      "..........#ooo#.",
      ".........#ooo#..",
      "........#ooo#...",
      ".......#ooo#....",
      "......#ooo#.....",
      ".....#ooo#......",
      "....#ooo#.......",
      "...#ooo#........",
      "..##oo#.........",
      "..#o##..........",
      ".#oo#...........",
      ".###............",
      "##..............",
      "#...............",
      "#...............",
  });
}

}  // namespace

std::vector<Cursor> ModuleCursors() {
  std::vector<Cursor> cursors = {OpenHand(), GrabbingHand(), ArrowWithCross(), Plus(), Trash(), Stop()};
  for (int frame = 0; frame < 8; ++frame) cursors.push_back(BeachBall(frame, res::kModuleCursorNames[6 + frame]));
  for (int frame = 0; frame < 4; ++frame) cursors.push_back(DriveLamps(frame, res::kModuleCursorNames[14 + frame]));
  cursors.push_back(Pen());
  return cursors;
}

}  // namespace k7730::res
