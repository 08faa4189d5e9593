// Throughput of a whole page of 1844 x 2480 pixels pushed through the page
// exports in bands of 128 lines, next to two yardsticks measured in the same
// run: a plain memcpy of the page and a plain pass of three 256-byte tables
// per pixel. Yardsticks and pipeline write band by band into one reused
// band-sized buffer, as a host that passes its output buffer back does.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "k7730fe.h"
#include "yardstick.h"

namespace {

constexpr std::uint32_t kWidth = 1844;
constexpr std::uint32_t kHeight = 2480;
constexpr std::uint32_t kBandLines = 128;
constexpr std::size_t kStride = kWidth * 3;
constexpr std::size_t kPageBytes = kStride * kHeight;

std::vector<std::uint8_t>& Page() {
  static std::vector<std::uint8_t> page = [] {
    std::vector<std::uint8_t> p(kPageBytes);
    std::mt19937 rng(7);
    // A smooth image with some noise, so that sharpening does real work.
    for (std::size_t i = 0; i < p.size(); ++i) {
      p[i] = static_cast<std::uint8_t>((i / 3 % kWidth) / 8 + (i / kStride) / 12 + rng() % 32);
    }
    return p;
  }();
  return page;
}

void Report(benchmark::State& state) {
  state.counters["MPix/s"] = benchmark::Counter(static_cast<double>(kWidth) * kHeight * 1e-6 *
                                                    static_cast<double>(state.iterations()),
                                                benchmark::Counter::kIsRate);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPageBytes));
}

void BM_Yardstick_Memcpy(benchmark::State& state) {
  std::vector<std::uint8_t>& page = Page();
  std::vector<std::uint8_t> out((kBandLines + 2) * kStride);
  for (auto _ : state) {
    for (std::uint32_t y = 0; y < kHeight; y += kBandLines) {
      const std::uint32_t lines = std::min(kBandLines, kHeight - y);
      std::memcpy(out.data(), page.data() + y * kStride, lines * kStride);
      benchmark::DoNotOptimize(out.data());
    }
    benchmark::ClobberMemory();
  }
  Report(state);
}

void BM_Yardstick_LookupTables(benchmark::State& state) {
  std::vector<std::uint8_t>& page = Page();
  std::vector<std::uint8_t> out((kBandLines + 2) * kStride);
  const k7730::bench::YardstickTables tables;
  benchmark::DoNotOptimize(&tables);
  for (auto _ : state) {
    for (std::uint32_t y = 0; y < kHeight; y += kBandLines) {
      const std::uint32_t lines = std::min(kBandLines, kHeight - y);
      k7730::bench::LookupPass(tables, page.data() + y * kStride, out.data(),
                               static_cast<std::size_t>(lines) * kWidth);
      benchmark::DoNotOptimize(out.data());
    }
    benchmark::ClobberMemory();
  }
  Report(state);
}

enum Config {
  kCopy,
  kOutputTables,
  kSwapInputOutput,
  kMtfFull3x3,
  kMtfCross,
  kMtf5x5,
};

K7730_FilterInstance* Configure(Config config) {
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  std::uint8_t t[4][256];
  for (int c = 0; c < 4; ++c) {
    for (int v = 0; v < 256; ++v) t[c][v] = static_cast<std::uint8_t>((v * (c + 3) / 4) & 255);
  }
  if (config == kOutputTables || config == kSwapInputOutput) {
    plugin_filter_setOutputToneCurve(inst, 1, t[0], t[1], t[2], t[3], nullptr);
  }
  if (config == kSwapInputOutput) {
    plugin_filter_setInputToneCurve(inst, 1, t[3], t[2], t[1], t[0], nullptr);
  }
  if (config == kMtfFull3x3) {
    const std::int32_t k[9] = {-10, -20, -10, -20, 220, -20, -10, -20, -10};
    plugin_filter_setMtf(inst, 1, k, 100, nullptr);
  }
  if (config == kMtfCross) {
    const std::int32_t k[9] = {0, -25, 0, -25, 200, -25, 0, -25, 0};
    plugin_filter_setMtf(inst, 1, k, 100, nullptr);
  }
  if (config == kMtf5x5) {
    // A full 5 x 5 kernel comes only from a stored block.
    K7730_SettingsBlock block;
    std::uint32_t size = sizeof block;
    plugin_filter_preference(inst, 2, 0, &block, &size, nullptr);
    for (int i = 0; i < 25; ++i) block.mtf.coefficients[i] = -4;
    block.mtf.coefficients[12] = 196;
    block.mtf.scale = 100;
    block.mtfEnabled = 1;
    plugin_filter_preference(inst, 1, 0, &block, &size, nullptr);
  }
  plugin_filter_initpage(inst, kWidth, kHeight, config == kSwapInputOutput ? 1 : 0, nullptr);
  return inst;
}

void BM_Pipeline(benchmark::State& state, Config config) {
  std::vector<std::uint8_t>& page = Page();
  K7730_FilterInstance* inst = Configure(config);
  std::uint8_t* out = nullptr;
  std::uint64_t lines = 0;
  for (auto _ : state) {
    plugin_filter_startpage(inst, nullptr);
    for (std::uint32_t y = 0; y < kHeight; y += kBandLines) {
      const std::uint32_t n = std::min(kBandLines, kHeight - y);
      std::uint32_t released = 0;
      plugin_filter_do(inst, page.data() + y * kStride, n, &out, &released, nullptr);
      lines += released;
      benchmark::DoNotOptimize(out);
    }
    benchmark::ClobberMemory();
  }
  if (lines != static_cast<std::uint64_t>(kHeight) * state.iterations()) {
    state.SkipWithError("the page did not come out whole");
  }
  plugin_filter_disposPtr(out);
  plugin_filter_freepage(inst, nullptr);
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
  Report(state);
}

BENCHMARK(BM_Yardstick_Memcpy)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Yardstick_LookupTables)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pipeline, Copy, kCopy)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pipeline, OutputTables, kOutputTables)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pipeline, SwapInputOutputTables, kSwapInputOutput)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pipeline, Mtf3x3Full, kMtfFull3x3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pipeline, Mtf3x3Cross, kMtfCross)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Pipeline, Mtf5x5, kMtf5x5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
