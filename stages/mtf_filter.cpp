#include "stages/mtf_filter.h"

#include <cstring>

#include "stages/mtf_line.h"

namespace k7730 {
namespace {

// Finds a multiplier m < 2^32 and shift k with floor(n * m / 2^k) = n / d for
// every n in 0..256d-1: with m = ceil(2^k / d) and e = m * d - 2^k the
// quotient is exact whenever n * e < 2^k.
void ChooseReciprocal(MtfState& state) {
  state.useReciprocal = 0;
  const std::int64_t d = state.divisor;
  if (d < 2 || d > (INT32_MAX / 256)) return;
  const std::uint64_t limit = static_cast<std::uint64_t>(256 * d - 1);
  for (std::uint32_t k = 32; k < 64; ++k) {
    const std::uint64_t power = std::uint64_t{1} << k;
    const std::uint64_t m = (power + static_cast<std::uint64_t>(d) - 1) / static_cast<std::uint64_t>(d);
    if (m > UINT32_MAX) return;
    const std::uint64_t e = m * static_cast<std::uint64_t>(d) - power;
    if (limit * e < power) {
      state.useReciprocal = 1;
      state.reciprocal = static_cast<std::uint32_t>(m);
      state.reciprocalShift = k;
      state.divisionLimit = static_cast<std::int32_t>(limit);
      return;
    }
  }
}

// Copies a line into a line buffer after kMtfPadBytes and repeats its first
// and last pixel into the pads.
void PadLine(std::uint8_t* buffer, const std::uint8_t* line, std::uint32_t width) {
  const std::size_t bytes = static_cast<std::size_t>(width) * 3;
  std::uint8_t* data = buffer + kMtfPadBytes;
  std::memcpy(data, line, bytes);
  for (std::uint32_t p = 1; p <= kMtfPadBytes / 3; ++p) {
    std::memcpy(data - 3 * p, line, 3);
    std::memcpy(data + bytes + 3 * (p - 1), line + bytes - 3, 3);
  }
}

std::uint32_t Delay(const MtfState& state) { return state.wide == 1 ? 2 : 1; }

// Output line n from the history, lines outside 0..newest reading the edge.
void ReleaseLine(const MtfState& state, std::uint32_t n, std::uint32_t newest, std::uint8_t* out) {
  const std::uint8_t* rows[5];
  for (int r = 0; r < 5; ++r) {
    std::int64_t j = static_cast<std::int64_t>(n) + r - 2;
    if (j < 0) j = 0;
    if (j > newest) j = newest;
    rows[r] = state.lines[j % kMtfLineBuffers] + kMtfPadBytes;
  }
  MtfComputeLine(state, rows, out);
}

}  // namespace

std::uint64_t MtfLineBlockBytes(std::uint32_t width) {
  const std::uint64_t total = (3 * static_cast<std::uint64_t>(width) + 12) * kMtfLineBuffers;
  return total > UINT32_MAX ? 0 : total;
}

void MtfAttachLines(MtfState& state, void* block, std::uint32_t width) {
  state.lineBlock = block;
  state.lineLength = 3 * width + 12;
  auto* base = static_cast<std::uint8_t*>(block);
  for (int k = 0; k < kMtfLineBuffers; ++k) {
    state.lines[k] = base == nullptr ? nullptr : base + static_cast<std::size_t>(k) * state.lineLength;
  }
}

void MtfStartPage(MtfState& state, const K7730_MtfSettings& settings, std::uint32_t width,
                  std::uint32_t height, std::uint16_t components) {
  state.linesTaken = 0;
  state.nonZeroMask = 0;
  for (int k = 0; k < 25; ++k) {
    if (settings.coefficients[k] != 0) state.nonZeroMask |= 1u << k;
    state.coefficients[k] = settings.coefficients[k];
  }
  state.wide = (state.nonZeroMask & kMtfOuterRingMask) != 0 ? 1 : 0;
  state.scale = settings.scale == 0 ? 1 : settings.scale;

  state.useDivision = 1;
  state.divisor = state.scale;
  state.shift = 0;
  for (std::uint32_t s = 0; s <= 17; ++s) {
    if (state.scale == (std::int32_t{1} << s)) {
      state.shift = s;
      state.useDivision = 0;
      break;
    }
  }
  ChooseReciprocal(state);

  state.width = width;
  state.height = height;
  state.components = components;
}

void MtfFilterBand(MtfState& state, std::uint32_t width, std::uint32_t lineCount,
                   std::uint8_t* out, const std::uint8_t* band, std::size_t* bytesReleased,
                   std::uint32_t* linesReleased) {
  *bytesReleased = 0;
  *linesReleased = 0;
  if (lineCount == 0) return;
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  const std::uint32_t delay = Delay(state);
  std::uint32_t released = 0;

  for (std::uint32_t i = 0; i < lineCount; ++i) {
    const std::uint32_t m = state.linesTaken;
    if (m >= state.height) break;  // lines beyond the page are dropped
    PadLine(state.lines[m % kMtfLineBuffers], band + i * stride, width);
    if (m >= delay) {
      ReleaseLine(state, m - delay, m, out + released * stride);
      ++released;
    }
    state.linesTaken = m + 1;
    if (state.linesTaken == state.height) {
      // Page complete: the held lines follow, the lines below the last one
      // reading as the last one.
      for (std::uint32_t n = m >= delay ? m - delay + 1 : 0; n < state.height; ++n) {
        ReleaseLine(state, n, m, out + released * stride);
        ++released;
      }
    }
  }
  // The rest of the buffer's (lineCount + 2) lines is left cleared.
  const std::size_t used = released * stride;
  std::memset(out + used, 0, (static_cast<std::size_t>(lineCount) + 2) * stride - used);
  *linesReleased = released;
  *bytesReleased = used;
}

}  // namespace k7730
