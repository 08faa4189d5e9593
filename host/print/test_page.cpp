// k7730-testpage: writes a photo-like test page for the demo and for trying
// settings: a landscape with smooth gradients, skin tones, saturated
// patches, grey and colour ramps, and fine detail that shows sharpening.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>

#include "host/image/image_formats.h"

using k7730::host::Image;

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
  double r, g, b;  // 0..1
};

Rgb Mix(Rgb a, Rgb b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

class Canvas {
 public:
  Canvas(std::uint32_t w, std::uint32_t h) {
    image_.width = w;
    image_.height = h;
    image_.rgb.assign(static_cast<std::size_t>(w) * h * 3, 255);
  }
  void Set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= static_cast<int>(image_.width) || y >= static_cast<int>(image_.height)) return;
    std::uint8_t* p = &image_.rgb[(static_cast<std::size_t>(y) * image_.width + x) * 3];
    p[0] = static_cast<std::uint8_t>(std::lround(std::clamp(c.r, 0.0, 1.0) * 255));
    p[1] = static_cast<std::uint8_t>(std::lround(std::clamp(c.g, 0.0, 1.0) * 255));
    p[2] = static_cast<std::uint8_t>(std::lround(std::clamp(c.b, 0.0, 1.0) * 255));
  }
  template <typename F>
  void Fill(int x0, int y0, int w, int h, F colourAt) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) Set(x0 + x, y0 + y, colourAt(x / double(w), y / double(h), x, y));
    }
  }
  const Image& Result() const { return image_; }

 private:
  Image image_;
};

// Sky, sun, hills and a lake: smooth gradients as in a landscape photo.
void DrawLandscape(Canvas& c, int x0, int y0, int w, int h) {
  c.Fill(x0, y0, w, h, [](double u, double v, int, int) {
    Rgb sky = Mix({0.20, 0.42, 0.78}, {0.86, 0.90, 0.95}, v * 1.6);
    const double sun = std::exp(-(std::pow(u - 0.72, 2) + std::pow(v - 0.22, 2)) * 90.0);
    sky = Mix(sky, {1.0, 0.93, 0.70}, sun);
    const double hill1 = 0.52 + 0.07 * std::sin(u * 7.0) + 0.03 * std::sin(u * 23.0);
    const double hill2 = 0.64 + 0.05 * std::sin(u * 4.0 + 1.3);
    if (v > 0.80) {
      const double ripple = 0.04 * std::sin(u * 220.0 + v * 40.0);
      return Mix({0.16, 0.34, 0.52}, {0.40, 0.60, 0.72}, (v - 0.80) * 3.0 + ripple);
    }
    if (v > hill2) return Mix({0.30, 0.52, 0.16}, {0.12, 0.30, 0.08}, (v - hill2) * 5.0);
    if (v > hill1) return Mix({0.38, 0.50, 0.40}, {0.22, 0.38, 0.24}, (v - hill1) * 6.0);
    return sky;
  });
}

// Skin tones from light to dark, each shaded like a rounded face.
void DrawSkinTones(Canvas& c, int x0, int y0, int w, int h) {
  const Rgb tones[] = {{0.96, 0.84, 0.76}, {0.92, 0.74, 0.62}, {0.85, 0.64, 0.50},
                       {0.74, 0.52, 0.38}, {0.55, 0.37, 0.26}, {0.36, 0.24, 0.17}};
  const int n = 6, pw = w / n;
  for (int i = 0; i < n; ++i) {
    c.Fill(x0 + i * pw, y0, pw - 6, h, [&](double u, double v, int, int) {
      const double d = std::hypot(u - 0.45, v - 0.40);
      return Mix(Mix(tones[i], {1, 1, 1}, 0.25 * std::max(0.0, 0.3 - d) / 0.3), Mix(tones[i], {0, 0, 0}, 0.35),
                 (d - 0.25) * 2.0);
    });
  }
}

// Full and half strength primaries and secondaries.
void DrawSaturatedPatches(Canvas& c, int x0, int y0, int w, int h) {
  const Rgb colours[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 1, 1}, {1, 0, 1}, {1, 1, 0},
                         {0.5, 0, 0}, {0, 0.5, 0}, {0, 0, 0.5}, {0, 0.5, 0.5}, {0.5, 0, 0.5}, {0.5, 0.5, 0}};
  const int pw = w / 6, ph = h / 2;
  for (int i = 0; i < 12; ++i) {
    c.Fill(x0 + (i % 6) * pw, y0 + (i / 6) * ph, pw - 6, ph - 6, [&](double, double, int, int) { return colours[i]; });
  }
}

// A grey ramp and red, green and blue ramps, 256 steps across.
void DrawRamps(Canvas& c, int x0, int y0, int w, int h) {
  const int rh = h / 4;
  const Rgb ends[] = {{1, 1, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int k = 0; k < 4; ++k) {
    c.Fill(x0, y0 + k * rh, w, rh - 4, [&](double u, double, int, int) {
      const double step = std::floor(u * 256.0) / 255.0;
      return Rgb{ends[k].r * step, ends[k].g * step, ends[k].b * step};
    });
  }
}

// Zone plate, Siemens star, line gratings and a checkerboard.
void DrawFineDetail(Canvas& c, int x0, int y0, int w, int h) {
  const int q = w / 4;
  c.Fill(x0, y0, q - 8, h, [&](double, double, int x, int y) {
    const double dx = x - (q - 8) / 2.0, dy = y - h / 2.0;
    const double v = 0.5 + 0.5 * std::cos((dx * dx + dy * dy) * kPi / (2.0 * h));
    return Rgb{v, v, v};
  });
  c.Fill(x0 + q, y0, q - 8, h, [&](double, double, int x, int y) {
    const double a = std::atan2(y - h / 2.0, x - (q - 8) / 2.0);
    const double v = std::sin(a * 36.0) > 0 ? 0.05 : 0.95;
    return Rgb{v, v, v};
  });
  c.Fill(x0 + 2 * q, y0, q - 8, h, [&](double, double v, int x, int) {
    const int period = v < 0.33 ? 2 : v < 0.66 ? 3 : 4;
    const bool dark = (x % period) < period / 2;
    return dark ? Rgb{0.1, 0.1, 0.1} : Rgb{0.9, 0.9, 0.9};
  });
  c.Fill(x0 + 3 * q, y0, q - 8, h, [&](double, double, int x, int y) {
    const bool dark = ((x / 2) + (y / 2)) % 2 == 0;
    return dark ? Rgb{0.75, 0.15, 0.15} : Rgb{0.95, 0.95, 0.85};
  });
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view first = argc == 2 ? argv[1] : "";
  if (first == "--help") {
    std::printf("Usage: k7730-testpage OUTPUT\n"
                "Writes a photo-like test page of 1800 x 1200 pixels (6 x 4 inches at 300 dpi): a\n"
                "landscape, skin tones, saturated patches, grey and colour ramps and fine detail.\n"
                "The format follows OUTPUT's name: %s.\n\n"
                "Exit status: 0 success, 1 the file could not be written, 2 wrong usage.\n",
                k7730::host::FormatList(k7730::host::FormatListItem::Extensions, " or ").c_str());
    return 0;
  }
  if (first == "--version") {
    std::printf("k7730-testpage %s\n", K7730_PRINT_VERSION);
    return 0;
  }
  if (argc != 2) {
    std::fprintf(stderr, "usage: k7730-testpage OUTPUT.png|.tif|.ppm\n");
    return 2;
  }
  try {
    Canvas c(1800, 1200);  // a 6 x 4 inch print at 300 dpi
    DrawLandscape(c, 30, 30, 1740, 560);
    DrawSkinTones(c, 30, 620, 860, 220);
    DrawSaturatedPatches(c, 910, 620, 860, 220);
    DrawRamps(c, 30, 870, 1740, 120);
    DrawFineDetail(c, 30, 1010, 1740, 160);
    k7730::host::WriteImage(argv[1], c.Result());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "k7730-testpage: error: %s\n", e.what());
    return 1;
  }
  return 0;
}
