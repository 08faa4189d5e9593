// Pictures turned upright by their orientation tag (JPEG Exif and TIFF, all
// eight values) and laid out on the printer's media: every size in both
// orientations, fit and fill, with the page size and a pixel checked at
// each edge of the picture area; band heights do not change the page.
// Raster pages of no medium's size, gathered line by line, come out as
// the same layout fits them.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "host/core/host_error.h"
#include "host/core/media.h"
#include "host/image/fitted_page.h"
#include "host/image/image_formats.h"
#include "host/image/laid_out_source.h"
#include "host/image/oriented_source.h"
#include "support/test_images.h"

namespace k7730::host {
namespace {

using Rgb = std::array<int, 3>;

using PageLayoutTest = test::ScratchFolder;

// A source of one colour, or of a colour made from the position.
class PaintedSource : public ImageSource {
 public:
  PaintedSource(std::uint32_t w, std::uint32_t h, std::function<Rgb(std::uint32_t, std::uint32_t)> paint)
      : paint_(std::move(paint)) {
    header_.width = w;
    header_.height = h;
  }
  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    for (std::uint32_t r = 0; r < count; ++r, ++y_) {
      for (std::uint32_t x = 0; x < header_.width; ++x) {
        const Rgb c = paint_(x, y_);
        for (int k = 0; k < 3; ++k) rgb[(r * header_.width + x) * 3 + k] = static_cast<std::uint8_t>(c[k]);
      }
    }
  }

 private:
  std::function<Rgb(std::uint32_t, std::uint32_t)> paint_;
  std::uint32_t y_ = 0;
};

struct Page {
  std::uint32_t width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
  Rgb At(std::uint32_t x, std::uint32_t y) const {
    const std::size_t i = (std::size_t{y} * width + x) * 3;
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
  }
};

Page ReadAll(ImageSource& source, std::uint32_t band) {
  return {source.Header().width, source.Header().height, test::ReadInBands(source, band)};
}

Page LaidOut(std::uint32_t w, std::uint32_t h, const char* media, MediaFit fit, std::uint32_t band,
             std::function<Rgb(std::uint32_t, std::uint32_t)> paint) {
  auto picture = std::make_unique<PaintedSource>(w, h, std::move(paint));
  const PageLayout layout = LayOut(*FindMedia(media), w, h, fit);
  auto page = LayOutOnPage(std::move(picture), layout);
  EXPECT_DOUBLE_EQ(page->Header().resolution.x, 300.0);
  return ReadAll(*page, band);
}

void ExpectNear(const Rgb& got, const Rgb& want, const std::string& where) {
  for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], want[k], 1) << where << " channel " << k;
}

TEST_F(PageLayoutTest, EveryMediaInBothOrientationsFitAndFill) {
  const Rgb colour = {200, 40, 90}, white = {255, 255, 255};
  auto solid = [&](std::uint32_t, std::uint32_t) { return colour; };
  // A 3:2 picture: exact on 4x6, a margin of 50 and 100 page pixels on the
  // longer sides of 5x7 and 6x8 when fitted.
  struct Case { const char* media; std::uint32_t shortSide, longSide, fitMargin; };
  for (const Case& c : {Case{"4x6", 1200, 1800, 0}, Case{"5x7", 1500, 2100, 50}, Case{"6x8", 1800, 2400, 100}}) {
    for (const bool landscape : {true, false}) {
      const std::uint32_t w = landscape ? 300 : 200, h = landscape ? 200 : 300;
      const std::string what = std::string(c.media) + (landscape ? " landscape" : " portrait");
      const Page fill = LaidOut(w, h, c.media, MediaFit::Fill, 128, solid);
      ASSERT_EQ(fill.width, landscape ? c.longSide : c.shortSide) << what;
      ASSERT_EQ(fill.height, landscape ? c.shortSide : c.longSide) << what;
      const std::uint32_t mx = fill.width / 2, my = fill.height / 2, right = fill.width - 1, bottom = fill.height - 1;
      for (const auto& [x, y] : {std::pair{0u, my}, std::pair{right, my}, std::pair{mx, 0u}, std::pair{mx, bottom}}) {
        ExpectNear(fill.At(x, y), colour, what + " fill at " + std::to_string(x) + "," + std::to_string(y));
      }

      const Page fit = LaidOut(w, h, c.media, MediaFit::Fit, 128, solid);
      ASSERT_EQ(fit.width, fill.width);
      ASSERT_EQ(fit.height, fill.height);
      // The margins lie across the page's longer side, top and bottom in
      // landscape, left and right in portrait.
      const std::uint32_t m = c.fitMargin;
      auto at = [&](std::uint32_t along, std::uint32_t across) {
        return landscape ? fit.At(along, across) : fit.At(across, along);
      };
      const std::uint32_t alongMid = (landscape ? fit.width : fit.height) / 2;
      const std::uint32_t acrossEnd = (landscape ? fit.height : fit.width) - 1;
      ExpectNear(at(0, (acrossEnd + 1) / 2), colour, what + " fit, first column");
      ExpectNear(at(landscape ? fit.width - 1 : fit.height - 1, (acrossEnd + 1) / 2), colour, what + " fit, last column");
      ExpectNear(at(alongMid, m), colour, what + " fit, first picture row");
      ExpectNear(at(alongMid, acrossEnd - m), colour, what + " fit, last picture row");
      if (m > 0) {
        ExpectNear(at(alongMid, m - 1), white, what + " fit, margin before");
        ExpectNear(at(alongMid, acrossEnd - m + 1), white, what + " fit, margin after");
      }
    }
  }
}

TEST_F(PageLayoutTest, FillCutsTheOverhangEquallyAndBandsDoNotChangeThePage) {
  // 240 x 80, red rising 1 a column: filled onto a 4x6 landscape page
  // (scale 15) the page shows columns 60 to 180 of the picture.
  auto ramp = [](std::uint32_t x, std::uint32_t y) { return Rgb{int(x), int(y), 128}; };
  const Page page = LaidOut(240, 80, "4x6", MediaFit::Fill, 7, ramp);
  ASSERT_EQ(page.width, 1800u);
  EXPECT_NEAR(page.At(0, 600)[0], 59.5, 1.0);
  EXPECT_NEAR(page.At(1799, 600)[0], 179.5, 1.0);
  EXPECT_NEAR(page.At(900, 0)[1], 0, 1.0);
  EXPECT_NEAR(page.At(900, 1199)[1], 79, 1.0);
  EXPECT_EQ(LaidOut(240, 80, "4x6", MediaFit::Fill, 1200, ramp).rgb, page.rgb);
  // An enlarged picture and a shrunk one, each read in odd bands.
  for (const auto& [w, h] : {std::pair{37u, 53u}, std::pair{1600u, 1199u}}) {
    auto noise = [](std::uint32_t x, std::uint32_t y) { return Rgb{int(x * 7 % 256), int(y * 13 % 256), int((x ^ y) % 256)}; };
    EXPECT_EQ(LaidOut(w, h, "5x7", MediaFit::Fit, 13, noise).rgb, LaidOut(w, h, "5x7", MediaFit::Fit, 2100, noise).rgb)
        << w << " x " << h;
  }
}

TEST_F(PageLayoutTest, PictureOfThePageSizeIsKeptPixelForPixel) {
  // Fill at a scale of exactly 1: sharp noise must not be softened.
  auto noise = [](std::uint32_t x, std::uint32_t y) { return Rgb{int((x * 37 + y * 11) % 256), int(y * 91 % 256), int((x ^ y) % 256)}; };
  const Page page = LaidOut(1200, 1800, "4x6", MediaFit::Fill, 128, noise);
  const Page picture{1200, 1800, test::ReadInBands(*std::make_unique<PaintedSource>(1200, 1800, noise), 1800)};
  EXPECT_TRUE(page.rgb == picture.rgb);
}

// The upright picture, 32 x 16: four quadrants of distinct colours.
Rgb Upright(std::uint32_t x, std::uint32_t y) {
  static const Rgb quadrant[4] = {{220, 30, 30}, {30, 200, 30}, {30, 30, 220}, {240, 240, 60}};
  return quadrant[(y >= 8 ? 2 : 0) + (x >= 16 ? 1 : 0)];
}

// The stored pixels that orientation `o` turns into the upright picture.
std::vector<std::uint8_t> Stored(std::uint16_t o, std::uint32_t& sw, std::uint32_t& sh) {
  const std::uint32_t w = 32, h = 16;
  sw = o >= 5 ? h : w;
  sh = o >= 5 ? w : h;
  std::vector<std::uint8_t> rgb(std::size_t{sw} * sh * 3);
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint32_t sx = x, sy = y;
      switch (o) {
        case 2: sx = w - 1 - x; break;
        case 3: sx = w - 1 - x; sy = h - 1 - y; break;
        case 4: sy = h - 1 - y; break;
        case 5: sx = y; sy = x; break;
        case 6: sx = y; sy = sh - 1 - x; break;
        case 7: sx = sw - 1 - y; sy = sh - 1 - x; break;
        case 8: sx = sw - 1 - y; sy = x; break;
        default: break;
      }
      const Rgb c = Upright(x, y);
      for (int k = 0; k < 3; ++k) rgb[(std::size_t{sy} * sw + sx) * 3 + k] = static_cast<std::uint8_t>(c[k]);
    }
  }
  return rgb;
}

TEST_F(PageLayoutTest, EveryOrientationComesOutUpright) {
  for (std::uint16_t o = 1; o <= 8; ++o) {
    std::uint32_t sw = 0, sh = 0;
    test::JpegFileOptions jpeg;
    jpeg.pixels = Stored(o, sw, sh);
    jpeg.exif = test::ExifWithOrientation(o);
    const std::string name = "o" + std::to_string(o);
    test::WriteJpegFile(Path(name + ".jpg"), sw, sh, jpeg);
    test::WriteTiffFile(Path(name + ".tif"), sw, sh, PHOTOMETRIC_RGB, 3, 8, test::Widen(jpeg.pixels), false,
                        COMPRESSION_NONE, o);
    for (const std::string& file : {name + ".jpg", name + ".tif"}) {
      auto source = TurnUpright(OpenImage(Path(file)));
      EXPECT_EQ(source->Header().orientation, 1);
      const Page page = ReadAll(*source, 5);
      ASSERT_EQ(page.width, 32u) << file;
      ASSERT_EQ(page.height, 16u) << file;
      for (const auto& [x, y] : {std::pair{4u, 4u}, std::pair{27u, 4u}, std::pair{4u, 11u}, std::pair{27u, 11u}}) {
        const Rgb got = page.At(x, y), want = Upright(x, y);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[k], want[k], 12) << file << " at " << x << "," << y;
      }
    }
    // The turned picture's Exif says it is upright now.
    auto turned = TurnUpright(OpenImage(Path(name + ".jpg")));
    EXPECT_EQ(turned->Header().exif, test::ExifWithOrientation(1)) << o;
  }
}

TEST_F(PageLayoutTest, PagesOfNoMediumAreFittedAsTheLayoutFitsThem) {
  const Media& four = *FindMedia("4x6");
  EXPECT_EQ(MediaOfPage(1200, 1800), &four);
  EXPECT_EQ(MediaOfPage(2100, 1500), FindMedia("5x7"));
  EXPECT_EQ(MediaOfPage(1201, 1800), nullptr);
  EXPECT_EQ(MediaOfPage(1200, 1200), nullptr);
  const auto paint = [](std::uint32_t x, std::uint32_t y) { return Rgb{int(x % 251), int(y % 241), int((x + y) % 7 * 30)}; };
  // Letter at 300 dpi both ways round, and a page smaller than any medium.
  for (const auto& [w, h] : {std::pair{2550u, 3300u}, {3300u, 2550u}, {300u, 450u}}) {
    SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
    FittedPage fitted(four, w, h);
    PaintedSource lines(w, h, paint);
    for (std::uint32_t y = 0; y < h; ++y) lines.ReadRows(fitted.Line(y), 1);
    EXPECT_THROW(fitted.Line(h), HostError);
    const Page page = ReadAll(*fitted.LaidOut(), 100);
    const auto expected = LayOutOnPage(std::make_unique<PaintedSource>(w, h, paint), LayOut(four, w, h, MediaFit::Fit));
    EXPECT_EQ(page.width, w > h ? 1800u : 1200u);
    EXPECT_EQ(page.height, w > h ? 1200u : 1800u);
    EXPECT_TRUE(page.rgb == ReadAll(*expected, 128).rgb);
  }
}

}  // namespace
}  // namespace k7730::host
