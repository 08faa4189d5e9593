#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "resources/cursor_names.h"
#include "resources/pictures.h"
#include "window/cursor_table.h"
#include "window/scripted/scripted_ui.h"

namespace k7730::res {
namespace {

std::map<int, Picture> BitmapsById() {
  std::map<int, Picture> byId;
  for (const Bitmap& b : EditorBitmaps()) byId[b.id] = b.picture;
  return byId;
}

int Grey(std::uint8_t colour) { return kPalette[colour].r; }

// Mean grey of the columns x0 .. x0 + 15 (or rows, for a vertical bar).
double MeanGrey(const Picture& p, int from, bool horizontal) {
  int sum = 0, count = 0;
  for (int a = from; a < from + 16; ++a) {
    const int across = horizontal ? p.height : p.width;
    for (int b = 0; b < across; ++b) {
      sum += Grey(horizontal ? p.At(a, b) : p.At(b, a));
      ++count;
    }
  }
  return static_cast<double>(sum) / count;
}

TEST(EditorBitmaps, ActiveToolIsTheInverseOfTheNormalOne) {
  const auto bitmaps = BitmapsById();
  for (int id : {140, 142, 144}) {
    const Picture& normal = bitmaps.at(id);
    const Picture& active = bitmaps.at(id + 1);
    int glyph = 0;
    for (int y = 0; y < normal.height; ++y)
      for (int x = 0; x < normal.width; ++x) {
        EXPECT_EQ(Grey(active.At(x, y)), 255 - Grey(normal.At(x, y))) << id << " at " << x << "," << y;
        if (x > 1 && y > 1 && x < normal.width - 2 && y < normal.height - 2 && normal.At(x, y) == kBlack) ++glyph;
      }
    EXPECT_GT(glyph, 15) << "bitmap " << id << " has a sign inside its border";
  }
}

TEST(EditorBitmaps, RampsRunTheirWayAndKeepTheArrowInTheMiddle) {
  const auto bitmaps = BitmapsById();
  // Away from the arrow the dithered bars follow their gradient.
  for (auto [id, rising, horizontal] : std::vector<std::tuple<int, bool, bool>>{
           {146, false, true}, {149, true, true}, {147, true, false}, {148, false, false}}) {
    const Picture& p = bitmaps.at(id);
    double previous = rising ? -1 : 256;
    for (int from = 0; from < 256; from += 16) {
      if (horizontal && from >= 112 && from < 144) continue;
      const double mean = MeanGrey(p, from, horizontal);
      if (rising) EXPECT_GT(mean, previous) << id << " at " << from;
      else EXPECT_LT(mean, previous) << id << " at " << from;
      previous = mean;
    }
    const double first = MeanGrey(p, 0, horizontal), last = MeanGrey(p, 240, horizontal);
    EXPECT_NEAR(rising ? first : last, 8, 12) << id;
    EXPECT_NEAR(rising ? last : first, 247, 12) << id;
  }
  // The arrow: a solid black shaft across the middle row of both bars.
  for (int id : {146, 149}) {
    const Picture& p = bitmaps.at(id);
    for (int x = 120; x < 136; ++x) EXPECT_EQ(p.At(x, 5), kBlack) << id << " column " << x;
  }
}

TEST(ModuleCursors, EveryNameTheCursorTableLoadsIsDrawn) {
  ui::ScopedScriptedUi scripted;
  ui::LoadEditorCursors();
  std::set<std::string> drawn;
  for (const Cursor& c : ModuleCursors()) drawn.insert(c.name);
  std::set<std::string> loaded;
  for (const std::string& name : scripted->loadedCursors)
    if (name[0] != '#') loaded.insert(name);
  ui::ReleaseEditorCursors();
  EXPECT_EQ(drawn, loaded);
  EXPECT_EQ(drawn.size(), std::size(res::kModuleCursorNames));
}

TEST(ModuleCursors, HotSpotsLieOnOrNextToTheirPicture) {
  for (const Cursor& c : ModuleCursors()) {
    ASSERT_EQ(c.pixels.size(), static_cast<std::size_t>(kCursorSize * kCursorSize)) << c.name;
    ASSERT_TRUE(c.hotX >= 0 && c.hotY >= 0 && c.hotX < kCursorSize && c.hotY < kCursorSize) << c.name;
    bool nearHotSpot = false;
    for (int y = std::max(c.hotY - 1, 0); y <= std::min(c.hotY + 1, kCursorSize - 1); ++y)
      for (int x = std::max(c.hotX - 1, 0); x <= std::min(c.hotX + 1, kCursorSize - 1); ++x)
        nearHotSpot |= c.At(x, y) != CursorPixel::Clear;
    EXPECT_TRUE(nearHotSpot) << c.name;
  }
}

TEST(ModuleCursors, AnimationFramesDiffer) {
  std::set<std::vector<CursorPixel>> frames;
  int animated = 0;
  for (const Cursor& c : ModuleCursors())
    if (c.name.rfind("BEACH_", 0) == 0 || c.name.rfind("SCSI_", 0) == 0) {
      frames.insert(c.pixels);
      ++animated;
    }
  EXPECT_EQ(animated, 12);
  EXPECT_EQ(frames.size(), 12u);
}

}  // namespace
}  // namespace k7730::res
