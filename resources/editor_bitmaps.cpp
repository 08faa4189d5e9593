// The tone-curve editor's bitmaps 140 to 149: three tool buttons (gamma
// sign, pencil, curve), each normal and inverted, and the dithered
// gradient bars with their polarity arrow.
#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "resources/pictures.h"

namespace k7730::res {

const PaletteEntry kPalette[16] = {
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
};

namespace {

constexpr int kToolWidth = 27;
constexpr int kToolHeight = 23;
constexpr int kRampLength = 256;
constexpr int kRampThickness = 12;

Picture Blank(int width, int height, std::uint8_t colour) {
  return {width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, colour)};
}

// '#' is black; every other character leaves the pixel as it is.
void DrawArt(Picture& p, int left, int top, std::initializer_list<const char*> rows) {
  int y = top;
  for (const char* row : rows) {
    for (int x = 0; row[x] != '\0'; ++x) {
      if (row[x] == '#') p.Set(left + x, y, kBlack);
    }
    ++y;
  }
}

// A tool button face: white with a one-pixel black border.
Picture ToolFace() {
  Picture p = Blank(kToolWidth, kToolHeight, kWhite);
  for (int x = 0; x < kToolWidth; ++x) {
    p.Set(x, 0, kBlack);
    p.Set(x, kToolHeight - 1, kBlack);
  }
  for (int y = 0; y < kToolHeight; ++y) {
    p.Set(0, y, kBlack);
    p.Set(kToolWidth - 1, y, kBlack);
  }
  return p;
}

Picture GammaSign() {
  Picture p = ToolFace();
  DrawArt(p, 6, 4, {
      "##...........##",
      "#.#.........#..",
      "...#.......#...",
      "....#.....#....",
      ".....#...#.....",
      "......#.#......",
      ".......#.......",
      "......#.#......",
      ".....#...#.....",
      ".....#...#.....",
      ".....#...#.....",
      "......###......",
  });
  return p;
}

Picture Pencil() {
  Picture p = ToolFace();
  DrawArt(p, 6, 3, {
      "...........###.",
      "..........#...#",
      ".........#...#.",
      "........#...#..",
      ".......#...#...",
      "......#...#....",
      ".....#...#.....",
      "....#...#......",
      "...#...#.......",
      "..##..#........",
      "..#.##.........",
      ".#..#..........",
      ".###...........",
      "##.............",
      "#..............",
  });
  return p;
}

// An S-shaped curve (3t^2 - 2t^3) with three control-point handles.
Picture CurveSign() {
  Picture p = ToolFace();
  constexpr int kLeft = 4, kTop = 3, kSpan = 18, kRise = 16;
  int previous = -1;
  for (int i = 0; i <= kSpan; ++i) {
    const double t = static_cast<double>(i) / kSpan;
    const int y = kTop + kRise - static_cast<int>(std::lround(kRise * (3 * t * t - 2 * t * t * t)));
    const int from = previous < 0 ? y : previous;
    for (int yy = std::min(from, y); yy <= std::max(from, y); ++yy) p.Set(kLeft + i, yy, kBlack);
    previous = y;
  }
  for (int handle : {0, kSpan / 2, kSpan}) {
    const double t = static_cast<double>(handle) / kSpan;
    const int cy = kTop + kRise - static_cast<int>(std::lround(kRise * (3 * t * t - 2 * t * t * t)));
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) p.Set(kLeft + handle + dx, cy + dy, kBlack);
    }
  }
  return p;
}

// Black and white swapped, and every other colour replaced by the palette
// colour nearest to its complement.
Picture Inverted(const Picture& source) {
  Picture p = source;
  for (std::uint8_t& c : p.pixels) {
    const PaletteEntry e = kPalette[c];
    int best = 0, bestDistance = 1 << 30;
    for (int k = 0; k < 16; ++k) {
      const int dr = kPalette[k].r - (255 - e.r), dg = kPalette[k].g - (255 - e.g),
                db = kPalette[k].b - (255 - e.b);
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) bestDistance = distance, best = k;
    }
    c = static_cast<std::uint8_t>(best);
  }
  return p;
}

// Ordered (4 x 4 Bayer) dither of a grey level over the four greys of the
// palette: black 0, grey 128, silver 192, white 255.
std::uint8_t DitheredGrey(int level, int x, int y) {
  static constexpr int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  static constexpr int kLevels[] = {0, 128, 192, 255};
  static constexpr std::uint8_t kColours[] = {kBlack, kGrey, kSilver, kWhite};
  int band = 0;
  while (band < 2 && level > kLevels[band + 1]) ++band;
  const int low = kLevels[band], high = kLevels[band + 1];
  const int threshold = (kBayer[y & 3][x & 3] * 2 + 1) * (high - low) / 32;
  return level - low > threshold ? kColours[band + 1] : kColours[band];
}

// A horizontal bar, `level(x)` giving the grey of each column.
template <typename Level>
Picture HorizontalRamp(Level level) {
  Picture p = Blank(kRampLength, kRampThickness, kWhite);
  for (int y = 0; y < kRampThickness; ++y) {
    for (int x = 0; x < kRampLength; ++x) p.Set(x, y, DitheredGrey(level(x), x, y));
  }
  return p;
}

template <typename Level>
Picture VerticalRamp(Level level) {
  Picture p = Blank(kRampThickness, kRampLength, kWhite);
  for (int y = 0; y < kRampLength; ++y) {
    for (int x = 0; x < kRampThickness; ++x) p.Set(x, y, DitheredGrey(level(y), x, y));
  }
  return p;
}

// The left-right arrow in the middle of a horizontal bar: a click on the bar
// switches the polarity. Drawn in black inside a white outline so that it
// stands out on the mid grey.
void DrawSwitchArrow(Picture& p) {
  static constexpr const char* kArrow[] = {
      "...#.........#...",
      "..##.........##..",
      ".###############.",
      "#################",
      ".###############.",
      "..##.........##..",
      "...#.........#...",
  };
  constexpr int kWidth = 17, kHeight = 7;
  const int left = (kRampLength - kWidth) / 2, top = (kRampThickness - kHeight) / 2;
  auto black = [&](int x, int y) {
    return x >= 0 && y >= 0 && x < kWidth && y < kHeight && kArrow[y][x] == '#';
  };
  for (int y = -1; y <= kHeight; ++y) {
    for (int x = -1; x <= kWidth; ++x) {
      if (black(x, y)) {
        p.Set(left + x, top + y, kBlack);
        continue;
      }
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          if (black(x + dx, y + dy) && top + y >= 0 && top + y < kRampThickness) {
            p.Set(left + x, top + y, kWhite);
          }
        }
      }
    }
  }
}

}  // namespace

std::vector<Bitmap> EditorBitmaps() {
  const Picture gamma = GammaSign(), pencil = Pencil(), curve = CurveSign();
  Picture whiteToBlack = HorizontalRamp([](int x) { return 255 - x; });
  Picture blackToWhite = HorizontalRamp([](int x) { return x; });
  DrawSwitchArrow(whiteToBlack);
  DrawSwitchArrow(blackToWhite);
  return {
      {140, gamma},
      {141, Inverted(gamma)},
      {142, pencil},
      {143, Inverted(pencil)},
      {144, curve},
      {145, Inverted(curve)},
      {146, whiteToBlack},
      {147, VerticalRamp([](int y) { return y; })},
      {148, VerticalRamp([](int y) { return 255 - y; })},
      {149, blackToWhite},
  };
}

}  // namespace k7730::res
