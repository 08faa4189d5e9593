// Throughput of the colour engine's pixel-map kernels on a photo-like page
// of 1844 x 2480 pixels, next to LittleCMS 2's cmsDoTransform on the same
// profiles and pixels (default flags) and a plain pass of three 256-byte
// tables per pixel. The page is tiled from real photographs (Debian's
// python3-skimage samples, fetched at build time), so runs of equal pixels
// are as rare as in a photograph. After the run the ratios to the targets
// are printed.
//
// Usage: cmm_match_bench [benchmark flags]. K7730_BENCH_PHOTOS names the
// folder of the photographs; the benchmark skips when none is there.
#include <benchmark/benchmark.h>
#include <lcms2.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "yardstick.h"

#include "k7730fe_cmm.h"

namespace {

constexpr int kWidth = 1844;
constexpr int kHeight = 2480;
constexpr std::size_t kPixels = std::size_t(kWidth) * kHeight;

struct Photo {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

bool LoadPng(const std::string& path, Photo* photo) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_RGB;
  photo->width = int(image.width);
  photo->height = int(image.height);
  photo->rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, photo->rgb.data(), 0, nullptr)) return false;
  return true;
}

std::string PhotoFolder() {
  const char* env = std::getenv("K7730_BENCH_PHOTOS");
  return env != nullptr ? env : K7730_BENCH_PHOTO_DIR;
}

// The page: 512-pixel tiles, each from one of the photographs in turn.
const std::vector<std::uint8_t>& RgbPage() {
  static const std::vector<std::uint8_t> page = [] {
    std::vector<Photo> photos;
    for (const char* name : {"astronaut.png", "coffee.png", "chelsea.png", "motorcycle_left.png"}) {
      Photo p;
      if (LoadPng(PhotoFolder() + "/" + name, &p)) photos.push_back(std::move(p));
    }
    std::vector<std::uint8_t> out;
    if (photos.empty()) return out;
    out.resize(kPixels * 3);
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const Photo& p = photos[(x / 512 + y / 512) % photos.size()];
        const std::uint8_t* from = &p.rgb[(std::size_t(y % p.height) * p.width + x % p.width) * 3];
        std::memcpy(&out[(std::size_t(y) * kWidth + x) * 3], from, 3);
      }
    return out;
  }();
  return page;
}

std::string Profile(const char* name) { return std::string(K7730_TEST_PROFILE_DIR) + "/" + name; }

// The page in a CMYK profile's device values, made once with LittleCMS.
const std::vector<std::uint8_t>& CmykPage() {
  static const std::vector<std::uint8_t> page = [] {
    std::vector<std::uint8_t> out(kPixels * 4);
    cmsHPROFILE rgb = cmsOpenProfileFromFile(Profile("rgb_lut16.icc").c_str(), "r");
    cmsHPROFILE cmyk = cmsOpenProfileFromFile(Profile("cmyk_lut16.icc").c_str(), "r");
    cmsHTRANSFORM t = cmsCreateTransform(rgb, TYPE_RGB_8, cmyk, TYPE_CMYK_8, INTENT_PERCEPTUAL, 0);
    cmsDoTransform(t, RgbPage().data(), out.data(), cmsUInt32Number(kPixels));
    cmsDeleteTransform(t);
    cmsCloseProfile(rgb);
    cmsCloseProfile(cmyk);
    return out;
  }();
  return page;
}

struct Conversion {
  const char* name;
  const char* source;
  const char* destination;
};
// One conversion per kernel: lut 3 to 3, matrix/TRC 3 to 3 (the wide
// kernel), 3 to 4, 4 to 3, 4 to 4.
const Conversion kConversions[] = {
    {"3to3", "rgb_lut16.icc", "rgb_lut8.icc"},
    {"3to3wide", "rgb_gamma22.icc", "rgb_lut16.icc"},
    {"3to4", "rgb_lut16.icc", "cmyk_lut16.icc"},
    {"4to3", "cmyk_lut16.icc", "rgb_lut16.icc"},
    {"4to4", "cmyk_lut16.icc", "cmyk_lut8.icc"},
};

bool HavePage(benchmark::State& state) {
  if (!RgbPage().empty()) return true;
  state.SkipWithError(("no photographs in " + PhotoFolder()).c_str());
  return false;
}

void Report(benchmark::State& state) {
  state.counters["MPix/s"] =
      benchmark::Counter(double(kPixels) * 1e-6 * double(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_LookupTables(benchmark::State& state) {
  if (!HavePage(state)) return;
  const std::vector<std::uint8_t>& page = RgbPage();
  std::vector<std::uint8_t> out(page.size());
  const k7730::bench::YardstickTables tables;
  benchmark::DoNotOptimize(&tables);
  for (auto _ : state) {
    k7730::bench::LookupPass(tables, page.data(), out.data(), kPixels);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  Report(state);
}

void BM_Engine(benchmark::State& state, Conversion conv, bool planar) {
  if (!HavePage(state)) return;
  K7730_ProfileRef s = 0, d = 0;
  if (SDKCMOpenProfile(Profile(conv.source).c_str(), &s) != 0 || SDKCMOpenProfile(Profile(conv.destination).c_str(), &d) != 0) {
    state.SkipWithError("profiles missing");
    return;
  }
  K7730_ColorWorld world = SDKCMCreateColorWorld(0, &s, nullptr, &d, nullptr);
  SDKCMCloseProfile(&s);
  SDKCMCloseProfile(&d);
  const std::uint32_t in = SDKCMGetNumsOfInPixComp(world), out = SDKCMGetNumsOfOutPixComp(world);
  // Four-channel components are complemented at the engine's ends.
  std::vector<std::uint8_t> source = in == 3 ? RgbPage() : CmykPage();
  if (in == 4)
    for (auto& v : source) v = std::uint8_t(255 - v);
  std::vector<std::uint8_t> result(kPixels * out);
  if (planar) {
    std::vector<std::uint8_t> planes(kPixels * in);
    for (std::size_t i = 0; i < kPixels; ++i)
      for (std::uint32_t c = 0; c < in; ++c) planes[c * kPixels + i] = source[i * in + c];
    K7730_PlaneMap src{kWidth, kHeight, in, kWidth, {}}, dst{kWidth, kHeight, out, kWidth, {}};
    for (std::uint32_t c = 0; c < in; ++c) src.plane[c] = planes.data() + c * kPixels;
    for (std::uint32_t c = 0; c < out; ++c) dst.plane[c] = result.data() + c * kPixels;
    for (auto _ : state) {
      benchmark::DoNotOptimize(SDKCMMatchPlaneMap(world, &src, &dst));
      benchmark::ClobberMemory();
    }
  } else {
    K7730_PixelMap src{kWidth, kHeight, in, kWidth * in, source.data()};
    K7730_PixelMap dst{kWidth, kHeight, out, kWidth * out, result.data()};
    for (auto _ : state) {
      benchmark::DoNotOptimize(SDKCMMatchPixelMap(world, &src, &dst));
      benchmark::ClobberMemory();
    }
  }
  SDKCMDisposeColorWorld(world);
  Report(state);
}

void BM_LittleCms(benchmark::State& state, Conversion conv) {
  if (!HavePage(state)) return;
  cmsHPROFILE s = cmsOpenProfileFromFile(Profile(conv.source).c_str(), "r");
  cmsHPROFILE d = cmsOpenProfileFromFile(Profile(conv.destination).c_str(), "r");
  const bool cmykIn = cmsGetColorSpace(s) == cmsSigCmykData, cmykOut = cmsGetColorSpace(d) == cmsSigCmykData;
  cmsHTRANSFORM t = cmsCreateTransform(s, cmykIn ? TYPE_CMYK_8 : TYPE_RGB_8, d, cmykOut ? TYPE_CMYK_8 : TYPE_RGB_8,
                                       INTENT_PERCEPTUAL, 0);
  const std::vector<std::uint8_t>& source = cmykIn ? CmykPage() : RgbPage();
  std::vector<std::uint8_t> result(kPixels * (cmykOut ? 4 : 3));
  for (auto _ : state) {
    cmsDoTransform(t, source.data(), result.data(), cmsUInt32Number(kPixels));
    benchmark::ClobberMemory();
  }
  cmsDeleteTransform(t);
  cmsCloseProfile(s);
  cmsCloseProfile(d);
  Report(state);
}

// Keeps every result's rate for the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> rate;
  // With repetitions the median stands for the benchmark.
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      auto it = r.counters.find("MPix/s");
      if (it == r.counters.end() || r.error_occurred) continue;
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (r.run_type == Run::RT_Iteration || median) rate[r.run_name.function_name] = it->second.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintRatios(const RatioReporter& r) {
  auto get = [&](const std::string& prefix) {
    auto it = r.rate.find(prefix);
    return it != r.rate.end() ? it->second : 0.0;
  };
  const double lookup = get("BM_LookupTables");
  std::printf("\nRatios (targets: 3to3 >= 4x LittleCMS and >= 0.20 of the lookup pass; others >= 2x LittleCMS)\n");
  for (const Conversion& c : kConversions) {
    const double ours = get(std::string("BM_Engine/") + c.name + "/pixels"), lcms = get(std::string("BM_LittleCms/") + c.name);
    if (ours == 0 || lcms == 0) continue;
    const bool three = std::string(c.name).rfind("3to3", 0) == 0;
    const double need = three ? 4.0 : 2.0;
    std::printf("  %-9s %8.1f MPix/s  LittleCMS %7.1f  x%.2f (need %.0f)%s", c.name, ours, lcms, ours / lcms, need,
                ours / lcms >= need ? "" : "  BELOW TARGET");
    if (three && lookup > 0)
      std::printf("  lookup %.1f: %.2f (need 0.20)%s", lookup, ours / lookup, ours / lookup >= 0.2 ? "" : "  BELOW TARGET");
    std::printf("\n");
  }
  // How often a pixel equals its left neighbour: what the one-entry cache
  // can save on this page.
  const std::vector<std::uint8_t>& page = RgbPage();
  std::size_t repeats = 0;
  for (std::size_t i = 1; i < kPixels; ++i) repeats += std::memcmp(&page[3 * i], &page[3 * i - 3], 3) == 0;
  if (!page.empty()) std::printf("  pixels equal to the one before: %.1f%%\n", 100.0 * double(repeats) / double(kPixels));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("BM_LookupTables", BM_LookupTables)->Unit(benchmark::kMillisecond);
  for (const Conversion& c : kConversions) {
    benchmark::RegisterBenchmark((std::string("BM_Engine/") + c.name + "/pixels").c_str(), BM_Engine, c, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_Engine/") + c.name + "/planes").c_str(), BM_Engine, c, true)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark((std::string("BM_LittleCms/") + c.name).c_str(), BM_LittleCms, c)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintRatios(reporter);
  return 0;
}
