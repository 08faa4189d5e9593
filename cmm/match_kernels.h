// The matching kernels: input curves, interpolation in the ColorWorld's
// grid and output curves for every pixel of a run. Each kernel exists
// twice: a plain scalar version that follows the arithmetic step by step and
// serves as the reference, and a vector version written once and compiled
// per instruction set, which produces the same bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cmm/color_world.h"
#include "cmm/wide_tables.h"

namespace k7730::cmm {

// One checked matching job. Pixel kernels use src[0] and dst[0]; plane
// kernels one pointer per plane. A run is `rows` rows of `pixels` pixels;
// after each row the skips are added to the read and write positions.
// Contiguous buffers come as a single row of all their pixels.
struct MatchRun {
  const std::uint8_t* src[4] = {};
  std::uint8_t* dst[4] = {};
  std::size_t srcSkip = 0;
  std::size_t dstSkip = 0;
  std::size_t pixels = 0;
  std::size_t rows = 0;
};

using MatchKernel = void (*)(const ColorWorldHeader& world, const WideTables* wide, const MatchRun& run);

// Whether the kernel reads the WideTables (the 3-to-3 matrix/TRC pair).
bool KernelIsWide(std::uint32_t id);
bool KernelIsPlanar(std::uint32_t id);

// The plain reference kernel; null for an unknown kernel id.
MatchKernel ScalarKernel(std::uint32_t id);

// The two ways the vector kernels go through a run: blocks of pixels, one
// in each lane, or one pixel after the other with its output channels in
// the lanes (sets from AVX2 up) and the reference's one-entry cache.
// Fastest is whichever of them the benchmarks found faster for the set.
enum class MatchPath { Fastest, Blocks, OneByOne };

// The vector kernel of one instruction set (match_kernels_inl.h compiled
// for it); null for an unknown id or a path the set lacks. Call only where
// the processor has the set.
namespace baseline {
MatchKernel VectorKernel(std::uint32_t id, MatchPath path = MatchPath::Fastest);
}
namespace avx2 {
MatchKernel VectorKernel(std::uint32_t id, MatchPath path = MatchPath::Fastest);
}
namespace avx512 {
MatchKernel VectorKernel(std::uint32_t id, MatchPath path = MatchPath::Fastest);
}

// Every implementation by itself, for checking each against the scalar
// one: null when the processor lacks the set or the kernel is unknown.
enum class KernelSet { Scalar, Baseline, Avx2, Avx512 };
MatchKernel KernelFrom(KernelSet set, std::uint32_t id, MatchPath path = MatchPath::Fastest);

// What the exports run: for the active instruction set, its vector kernel
// where that is faster than the scalar one, else the scalar one.
MatchKernel FastKernel(std::uint32_t id);

}  // namespace k7730::cmm
