// A filter instance driven through the module's exports, with helpers for
// settings and bands.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "support/module_api.h"
#include "support/mtf_reference.h"

namespace k7730::test {

using Bytes = std::vector<std::uint8_t>;

inline ModuleApi& Api() {
  static ModuleApi api;
  return api;
}

// Offsets of the stored settings record.
inline constexpr std::size_t kIccEnabledAt = 8;
inline constexpr std::size_t kMtfEnabledAt = 536;
inline constexpr std::size_t kMtfAt = 540;
inline constexpr std::size_t kInputEnabledAt = 904;
inline constexpr std::size_t kOutputEnabledAt = 2620;

struct BandResult {
  std::uint32_t result = 0;
  std::uint32_t lines = 0xDEAD;
  std::uint16_t err = 0xFFFF;
  Bytes out;  // the released lines only
};

class Filter {
 public:
  Filter() {
    std::uint16_t err = 0xFFFF;
    inst_ = Api().open(&err);
    EXPECT_NE(inst_, nullptr);
    EXPECT_EQ(err, 0);
  }
  ~Filter() {
    Api().disposPtr(buffer_);
    Api().close(inst_);
    Api().disposPtr(inst_);
  }
  Filter(const Filter&) = delete;
  Filter& operator=(const Filter&) = delete;

  K7730_FilterInstance* get() const { return inst_; }

  Bytes GetBlock() {
    Bytes b(K7730_SETTINGS_SIZE, 0xEE);
    std::uint32_t size = K7730_SETTINGS_SIZE;
    std::uint16_t err = 0xFFFF;
    EXPECT_EQ(Api().preference(inst_, 2, 0, b.data(), &size, &err), 1u);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(size, K7730_SETTINGS_SIZE);
    return b;
  }
  std::uint32_t SetBlock(Bytes b, std::uint16_t* err = nullptr) {
    std::uint32_t size = K7730_SETTINGS_SIZE;
    return Api().preference(inst_, 1, 0, b.data(), &size, err);
  }
  // Changes `n` bytes of the stored record at `at`.
  void Put(std::size_t at, const void* bytes, std::size_t n) {
    Bytes b = GetBlock();
    std::memcpy(&b.at(at), bytes, n);
    EXPECT_EQ(SetBlock(b), 1u);
  }
  // Takes the whole 5 x 5 kernel through a stored block, switching MTF on.
  void SetKernel(const Kernel& kernel) {
    Bytes b = GetBlock();
    std::memcpy(&b[kMtfAt], kernel.k, 100);
    std::memcpy(&b[kMtfAt + 100], &kernel.scale, 4);
    b[kMtfEnabledAt] = 1;
    EXPECT_EQ(SetBlock(b), 1u);
  }
  void Switch(std::uint16_t selector, bool on) {
    EXPECT_EQ(Api().preference(inst_, on ? 4 : 5, selector, nullptr, nullptr, nullptr), 1u);
  }

  void InitPage(std::uint32_t width, std::uint32_t height, std::uint32_t swap = 0) {
    if (width != width_) DropBuffer();
    std::uint16_t err = 0xFFFF;
    ASSERT_EQ(Api().initpage(inst_, width, height, swap, &err), 1u);
    ASSERT_EQ(err, 0);
    width_ = width;
  }

  // Sends `lines` lines of `band` (changed in place); the module's output
  // buffer is kept and passed back with later bands, as a host would.
  BandResult Band(Bytes& band, std::uint32_t lines) {
    BandResult r;
    if (lines > capacity_) DropBuffer();  // a host passes back only a buffer that fits
    const bool fresh = buffer_ == nullptr;
    r.result = Api().doBand(inst_, band.data(), lines, &buffer_, &r.lines, &r.err);
    if (r.result == 1 && r.lines > 0 && buffer_ != nullptr) {
      r.out.assign(buffer_, buffer_ + static_cast<std::size_t>(r.lines) * width_ * 3);
    }
    if (fresh && buffer_ != nullptr) capacity_ = lines;
    return r;
  }
  std::uint8_t* buffer() const { return buffer_; }
  void DropBuffer() {
    Api().disposPtr(buffer_);
    buffer_ = nullptr;
    capacity_ = 0;
  }

 private:
  K7730_FilterInstance* inst_ = nullptr;
  std::uint8_t* buffer_ = nullptr;
  std::uint32_t width_ = 0;
  std::uint32_t capacity_ = 0;  // lines the current buffer was allocated for
};

inline Bytes RandomBytes(std::mt19937& rng, std::size_t n) {
  Bytes b(n);
  for (auto& v : b) v = static_cast<std::uint8_t>(rng());
  return b;
}

}  // namespace k7730::test
