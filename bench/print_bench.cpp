// The print command on a 10000 x 10000 photo-like page with every stage on
// (input and output tone curves, MTF sharpening, colour matching, line
// filter): wall time and peak resident memory of the whole run, PNG to PNG
// and the other formats. Beside it, each format's reader and writer on a
// 4000 x 3000 page in bands of 128 lines, and the band stage alone, so that
// the share of each step shows.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/filter_session.h"
#include "host/image/image_formats.h"
#include "host/core/page_run.h"

namespace {

using namespace k7730::host;

constexpr std::uint32_t kBand = 128;

std::string WorkDir() {
  const char* tmp = std::getenv("TMPDIR");
  const std::string dir = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/k7730-print-bench";
  std::filesystem::create_directories(dir);
  return dir;
}

// Rows of a photo-like page: smooth colour gradients, a few soft shapes and
// fine noise, so that compression and sharpening see real work.
class SyntheticPage : public ImageSource {
 public:
  SyntheticPage(std::uint32_t w, std::uint32_t h) {
    header_.width = w;
    header_.height = h;
    header_.resolution = {300, 300};
  }
  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    const std::uint32_t w = header_.width, h = header_.height;
    for (std::uint32_t r = 0; r < count; ++r, ++y_) {
      for (std::uint32_t x = 0; x < w; ++x) {
        const double fx = double(x) / w, fy = double(y_) / h;
        const double shade = 0.5 + 0.5 * std::sin(fx * 9.0) * std::cos(fy * 7.0);
        const std::uint32_t n = rng_() % 9;
        std::uint8_t* p = rgb + (std::size_t{r} * w + x) * 3;
        p[0] = static_cast<std::uint8_t>(40 + 170 * shade * fx + n);
        p[1] = static_cast<std::uint8_t>(30 + 190 * shade * (1 - fy) + n);
        p[2] = static_cast<std::uint8_t>(60 + 150 * (1 - shade) + n);
      }
    }
  }

 private:
  std::uint32_t y_ = 0;
  std::minstd_rand rng_{7};
};

class NullSink : public ImageSink {
 public:
  void WriteRows(const std::uint8_t*, std::uint32_t) override {}
  void Finish() override {}
};

// Writes a synthetic page of `w` x `h` in `format` once and returns its path.
std::string PageFile(std::uint32_t w, std::uint32_t h, ImageFormat format) {
  const std::string path = WorkDir() + "/page-" + std::to_string(w) + "x" + std::to_string(h) + "." +
                           FormatExtension(format);
  if (std::filesystem::exists(path)) return path;
  SyntheticPage page(w, h);
  WriteFileAtomically(path, [&](int fd) {
    const auto sink = CreateImageSink(format, fd, path, page.Header(), WriteOptions{});
    std::vector<std::uint8_t> band(page.Header().RowBytes() * kBand);
    for (std::uint32_t y = 0; y < h; y += kBand) {
      const std::uint32_t n = std::min(kBand, h - y);
      page.ReadRows(band.data(), n);
      sink->WriteRows(band.data(), n);
    }
    sink->Finish();
  });
  return path;
}

// A gentle S-curve as raw tables, for both tone-curve stages.
std::string CurveFile() {
  const std::string path = WorkDir() + "/s-curve.amp";
  std::vector<std::uint8_t> bytes(768);
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < 256; ++i) {
      const double v = i / 255.0;
      bytes[c * 256 + i] = static_cast<std::uint8_t>(std::lround(255 * (v + 0.05 * std::sin(2 * M_PI * v))));
    }
  }
  WriteFileAtomically(path, [&](int fd) { WriteAll(fd, path, bytes.data(), bytes.size()); });
  return path;
}

struct ChildRun {
  double seconds = 0;
  double peakMegabytes = 0;
  int status = -1;
};

ChildRun RunPrint(const std::vector<std::string>& args) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  ChildRun run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakMegabytes = usage.ru_maxrss / 1024.0;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

void BM_PrintEveryStage10000(benchmark::State& state, ImageFormat in, ImageFormat out) {
  const std::string input = PageFile(10000, 10000, in);
  const std::string output = WorkDir() + "/printed." + FormatExtension(out);
  const std::string curve = CurveFile();
  double peak = 0;
  for (auto _ : state) {
    const ChildRun run = RunPrint({K7730_PRINT_PATH, "-q", "--input-curve", curve, "--output-curve", curve,
                                   "--sharpen", "mild", "--color-match", "--line-filter", "on", input, output});
    if (run.status != 0) {
      state.SkipWithError("k7730-print failed");
      break;
    }
    state.SetIterationTime(run.seconds);
    peak = std::max(peak, run.peakMegabytes);
  }
  state.counters["peak_RSS_MB"] = peak;
  std::filesystem::remove(output);
}
BENCHMARK_CAPTURE(BM_PrintEveryStage10000, png_to_png, ImageFormat::Png, ImageFormat::Png)
    ->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_PrintEveryStage10000, tiff_to_tiff, ImageFormat::Tiff, ImageFormat::Tiff)
    ->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_PrintEveryStage10000, jpeg_to_jpeg, ImageFormat::Jpeg, ImageFormat::Jpeg)
    ->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK_CAPTURE(BM_PrintEveryStage10000, ppm_to_ppm, ImageFormat::Ppm, ImageFormat::Ppm)
    ->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

constexpr std::uint32_t kW = 4000, kH = 3000;

void SetPixels(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kW * kH * 3);
}

void BM_Read(benchmark::State& state, ImageFormat format) {
  const std::string path = PageFile(kW, kH, format);
  std::vector<std::uint8_t> band(std::size_t{kW} * 3 * kBand);
  for (auto _ : state) {
    const auto source = OpenImage(path);
    for (std::uint32_t y = 0; y < kH; y += kBand) source->ReadRows(band.data(), std::min(kBand, kH - y));
  }
  SetPixels(state);
}

void BM_Write(benchmark::State& state, ImageFormat format) {
  SyntheticPage page(kW, kH);
  std::vector<std::uint8_t> pixels(page.Header().RowBytes() * kH);
  page.ReadRows(pixels.data(), kH);
  const std::string path = WorkDir() + "/written." + FormatExtension(format);
  for (auto _ : state) {
    WriteFileAtomically(path, [&](int fd) {
      const auto sink = CreateImageSink(format, fd, path, page.Header(), WriteOptions{});
      for (std::uint32_t y = 0; y < kH; y += kBand) {
        sink->WriteRows(pixels.data() + y * page.Header().RowBytes(), std::min(kBand, kH - y));
      }
      sink->Finish();
    });
  }
  SetPixels(state);
  std::filesystem::remove(path);
}

#define FORMAT_BENCHMARKS(name, format)                                            \
  BENCHMARK_CAPTURE(BM_Read, name, format)->Unit(benchmark::kMillisecond);          \
  BENCHMARK_CAPTURE(BM_Write, name, format)->Unit(benchmark::kMillisecond);
FORMAT_BENCHMARKS(png, ImageFormat::Png)
FORMAT_BENCHMARKS(tiff, ImageFormat::Tiff)
FORMAT_BENCHMARKS(jpeg, ImageFormat::Jpeg)
FORMAT_BENCHMARKS(ppm, ImageFormat::Ppm)

// The band stage alone on the same page: every stage but the line filter,
// rows made in memory and dropped after the module.
void BM_BandStage(benchmark::State& state) {
  const LoadedModule module(K7730FE_MODULE_PATH);
  StageOptions stages;
  stages.inputCurve = stages.outputCurve = CurveFile();
  SharpenPreset("mild", stages.mtfKernel.emplace());
  stages.mtfSource = "--sharpen mild";
  stages.colorMatch = true;
  stages.inputProfile = "settings";
  const Console quiet{true, false};
  for (auto _ : state) {
    FilterSession session(module);
    session.ApplyStages(stages, nullptr, "", quiet);
    SyntheticPage page(kW, kH);
    NullSink sink;
    ImageSink* sinks[] = {&sink};
    StepTimer timer;
    PageRunReport report;
    StreamPage(session, page, sinks, PageRunOptions{}, timer, report);
  }
  SetPixels(state);
}
BENCHMARK(BM_BandStage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
