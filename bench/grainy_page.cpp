// Makes the PNG speed benchmark's page: a photo-like scene (sky, hills,
// skin-like patches, fine detail) of any size with sensor-like grain,
// gaussian noise of sigma 4 on every sample, written with libpng at its
// default settings as a camera or editor would.
//
//   grainy_page OUT.png [WIDTH HEIGHT]     (default 10000 x 10000)
#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kGrainSigma = 4.0;

// The noise-free scene at (fx, fy) in 0..1: a sky gradient over rolling
// hills, a band of skin tones and a strip of fine lines.
void Scene(double fx, double fy, double rgb[3]) {
  const double hill = 0.55 + 0.06 * std::sin(fx * 11.0) + 0.03 * std::sin(fx * 37.0 + 1.3);
  if (fy < hill) {
    const double t = fy / hill;
    rgb[0] = 70 + 120 * t;
    rgb[1] = 120 + 90 * t;
    rgb[2] = 210 + 30 * t;
  } else if (fy < 0.8) {
    const double t = (fy - hill) / (0.8 - hill);
    rgb[0] = 60 + 40 * t + 30 * std::sin(fx * 53.0);
    rgb[1] = 110 - 40 * t + 20 * std::cos(fx * 41.0);
    rgb[2] = 50 + 10 * t;
  } else if (fy < 0.93) {
    const double tone = std::floor(fx * 6) / 5;
    const double glow = 1 - 0.4 * std::hypot(std::fmod(fx * 6, 1.0) - 0.5, (fy - 0.865) * 8);
    rgb[0] = (245 - 150 * tone) * glow;
    rgb[1] = (210 - 140 * tone) * glow;
    rgb[2] = (185 - 130 * tone) * glow;
  } else {
    const double line = 0.5 + 0.5 * std::sin(fx * 2000.0 * (1 + fx));
    rgb[0] = rgb[1] = rgb[2] = 30 + 200 * line;
  }
}

std::uint8_t Clamp(double v) { return static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : std::lround(v)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: grainy_page OUT.png [WIDTH HEIGHT]\n");
    return 2;
  }
  const std::uint32_t w = argc == 4 ? static_cast<std::uint32_t>(std::atol(argv[2])) : 10000;
  const std::uint32_t h = argc == 4 ? static_cast<std::uint32_t>(std::atol(argv[3])) : 10000;
  if (w == 0 || h == 0 || w > 65536 || h > 65536) {
    std::fprintf(stderr, "grainy_page: width and height from 1 to 65536\n");
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "wb");
  if (file == nullptr) {
    std::perror(argv[1]);
    return 1;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    std::fprintf(stderr, "grainy_page: cannot write %s\n", argv[1]);
    return 1;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, w, h, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_set_pHYs(png, info, 11811, 11811, PNG_RESOLUTION_METER);
  png_write_info(png, info);
  std::mt19937 random(2026);
  std::normal_distribution<double> grain(0.0, kGrainSigma);
  std::vector<std::uint8_t> row(std::size_t{w} * 3);
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      double rgb[3];
      Scene((x + 0.5) / w, (y + 0.5) / h, rgb);
      for (int c = 0; c < 3; ++c) row[std::size_t{x} * 3 + c] = Clamp(rgb[c] + grain(random));
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0 ? 0 : 1;
}
