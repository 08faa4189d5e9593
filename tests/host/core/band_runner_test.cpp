// The band runner against a stand-in module that inverts the page and
// releases lines late: pages of any height come out whole, pushed or
// pulled, for every copy; a page the module refuses gives nothing out.
#include "host/core/band_runner.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "host/core/host_error.h"
#include "host/core/module_api.h"

namespace k7730::host {
namespace {

constexpr std::uint32_t kWidth = 7;
constexpr std::size_t kRow = kWidth * 3;
constexpr std::uint32_t kNever = 0xFFFFFFFFu;

class BandRunnerTest : public ::testing::Test {
 protected:
  void SetUp() override { Configure(2, kNever, false); }
  void TearDown() override { Configure(2, kNever, false); }

  static void Configure(std::uint32_t holdBack, std::uint32_t failAt, bool failEnd) {
    void* handle = ::dlopen(K7730_BAND_MODULE, RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    auto configure = reinterpret_cast<void (*)(std::uint32_t, std::uint32_t, std::uint32_t)>(
        ::dlsym(handle, "band_module_configure"));
    ASSERT_NE(configure, nullptr);
    configure(holdBack, failAt, failEnd ? 1 : 0);
    ::dlclose(handle);
  }

  static std::vector<std::uint8_t> Lines(std::uint32_t height) {
    std::vector<std::uint8_t> rgb(height * kRow);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 7 + i / kRow);
    return rgb;
  }
  static std::vector<std::uint8_t> Inverted(std::vector<std::uint8_t> rgb) {
    for (auto& v : rgb) v = static_cast<std::uint8_t>(255 - v);
    return rgb;
  }

  static std::vector<std::vector<std::uint8_t>> Pages(std::size_t copies, const std::vector<std::uint8_t>& rgb) {
    return std::vector<std::vector<std::uint8_t>>(copies, rgb);
  }

  // Every copy the runner hands out.
  static std::vector<std::vector<std::uint8_t>> Delivered(BandRunner& run) {
    std::vector<std::vector<std::uint8_t>> copies;
    run.Deliver([&](std::span<const std::uint8_t> lines) { copies.emplace_back(lines.begin(), lines.end()); });
    return copies;
  }

  static void PushAll(BandRunner& run, const std::vector<std::uint8_t>& rgb, std::uint32_t count) {
    for (std::uint32_t y = 0; y < count; ++y) {
      std::memcpy(run.NextLine(), rgb.data() + y * kRow, kRow);
      run.Push();
    }
  }

  LoadedModule module_{K7730_BAND_MODULE};
  FilterSession session_{module_};
};

TEST_F(BandRunnerTest, PagesOfAnyHeightComeOutWholePushedOrPulled) {
  // Heights below, at and past a band, and not a multiple of it; the module
  // holds lines back from every band until the last.
  for (const std::uint32_t height : {1u, 2u, 3u, 127u, 128u, 129u, 300u}) {
    SCOPED_TRACE(height);
    const auto rgb = Lines(height);
    BandRunner pushed(session_, kWidth, height, "pushed");
    PushAll(pushed, rgb, height);
    EXPECT_EQ(Delivered(pushed), Pages(1, Inverted(rgb)));

    BandRunner pulled(session_, kWidth, height, "pulled");
    std::vector<std::pair<std::uint32_t, std::uint32_t>> reads;
    pulled.Pull([&](std::uint8_t* rows, std::uint32_t y, std::uint32_t count) {
      reads.emplace_back(y, count);
      std::memcpy(rows, rgb.data() + y * kRow, count * kRow);
    });
    EXPECT_EQ(Delivered(pulled), Pages(1, Inverted(rgb)));
    ASSERT_FALSE(reads.empty());
    EXPECT_EQ(reads.back().first + reads.back().second, height);
    for (std::size_t i = 0; i + 1 < reads.size(); ++i) EXPECT_EQ(reads[i].second, kBandLines);
  }
}

TEST_F(BandRunnerTest, EveryCopyComesFromTheLinesAsTheyCame) {
  // The module changes each band in place, so later copies need the lines
  // the runner kept; a held-back tail and an odd band height on top.
  Configure(2, kNever, false);
  const auto rgb = Lines(50);
  BandRunner run(session_, kWidth, 50, "copies", 16, 3);
  PushAll(run, rgb, 50);
  EXPECT_EQ(Delivered(run), Pages(3, Inverted(rgb)));
}

TEST_F(BandRunnerTest, ARefusedPageGivesNothingOut) {
  const auto rgb = Lines(300);
  {
    SCOPED_TRACE("the module fails on a band in the middle");
    Configure(2, 150, false);
    BandRunner run(session_, kWidth, 300, "page 2");
    EXPECT_THROW(PushAll(run, rgb, 300), HostError);
  }
  {
    SCOPED_TRACE("the module fails to end the page");
    Configure(2, kNever, true);
    BandRunner run(session_, kWidth, 300, "page 2");
    PushAll(run, rgb, 300);
    EXPECT_THROW(Delivered(run), HostError);
  }
  {
    SCOPED_TRACE("the lines stop short");
    Configure(2, kNever, false);
    BandRunner run(session_, kWidth, 300, "page 2");
    PushAll(run, rgb, 200);
    EXPECT_THROW(Delivered(run), HostError);
  }
  {
    SCOPED_TRACE("the reader fails");
    BandRunner run(session_, kWidth, 300, "page 2");
    EXPECT_THROW(run.Pull([](std::uint8_t*, std::uint32_t y, std::uint32_t) {
      if (y > 0) throw HostError("the stream ends");
    }), HostError);
  }
}

TEST_F(BandRunnerTest, LinesPastThePageAreRefused) {
  const auto rgb = Lines(3);
  BandRunner run(session_, kWidth, 3, "page 1");
  PushAll(run, rgb, 3);
  EXPECT_THROW(run.NextLine(), HostError);
  EXPECT_EQ(Delivered(run), Pages(1, Inverted(rgb)));
}

TEST(BandLinesFor, WideLinesGetFewerLinesPerBand) {
  EXPECT_EQ(BandLinesFor(300), kBandLines);
  EXPECT_EQ(BandLinesFor(kMaxBandBytes / 10), 10u);
  EXPECT_EQ(BandLinesFor(kMaxBandBytes * 2), 1u);
}

}  // namespace
}  // namespace k7730::host
