#include "cmm/match_geometry.h"

#include <cstdint>
#include <limits>

namespace k7730::cmm {
namespace {

constexpr std::uint64_t kMaxExtent = static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max());

// The bytes one side of a run covers: [begin, end) of each buffer.
struct Span {
  std::uintptr_t begin = 0;
  std::uintptr_t end = 0;
};

bool Overlap(const Span& a, const Span& b) { return a.begin < b.end && b.begin < a.end; }

bool ChannelsValid(const ColorWorldHeader& world) {
  return (world.inChannels == 3 || world.inChannels == 4) && (world.outChannels == 3 || world.outChannels == 4);
}

// Rows of `rowBytes` of which the last is `rowLength` bytes long, starting
// at `base`: false when they do not fit the address space.
bool Extent(const std::uint8_t* base, std::uint64_t rows, std::uint64_t rowBytes, std::uint64_t rowLength,
            Span* span) {
  if (base == nullptr) return false;
  // rows < 2^31 and rowBytes < 2^32: the product fits 64 bits.
  const std::uint64_t bytes = (rows - 1) * rowBytes + rowLength;
  if (bytes > kMaxExtent) return false;
  const auto begin = reinterpret_cast<std::uintptr_t>(base);
  if (bytes > std::numeric_limits<std::uintptr_t>::max() - begin) return false;
  span->begin = begin;
  span->end = begin + static_cast<std::uintptr_t>(bytes);
  return true;
}

// Common to both kinds of map: component counts, sizes and row lengths.
// `rowLength` is the bytes of one row in one buffer per component: a pixel
// map's row holds width * components bytes, a plane's width bytes.
template <typename Map>
RunCheck CheckCounts(const ColorWorldHeader& world, const Map* source, const Map* destination, bool planar) {
  if (source == nullptr || !ChannelsValid(world)) return RunCheck::Refused;
  if (source->components != world.inChannels) return RunCheck::Refused;
  if (destination != nullptr && destination->components != world.outChannels) return RunCheck::Refused;
  // Four output components cannot be written over three input ones.
  if (destination == nullptr && world.inChannels == 3 && world.outChannels == 4) return RunCheck::Refused;
  if (source->width < 0 || source->height < 0) return RunCheck::Refused;
  if (destination != nullptr && (destination->width < 0 || destination->height < 0)) return RunCheck::Refused;
  const std::uint64_t width = static_cast<std::uint64_t>(source->width);
  const std::uint64_t inRow = planar ? width : width * world.inChannels;
  const std::uint64_t outRow = planar ? width : width * world.outChannels;
  if (source->rowBytes < inRow) return RunCheck::Refused;
  if (destination != nullptr && destination->rowBytes < outRow) return RunCheck::Refused;
  // The pixel count must be addressable, whatever the row layout.
  const std::uint64_t height = static_cast<std::uint64_t>(source->height);
  if (width * height * (planar ? 1 : world.inChannels) > kMaxExtent) return RunCheck::Refused;
  if (width == 0 || height == 0) return RunCheck::Empty;
  return RunCheck::Ready;
}

void Shape(std::uint64_t width, std::uint64_t height, std::uint64_t srcSkip, std::uint64_t dstSkip, MatchRun* run) {
  run->srcSkip = static_cast<std::size_t>(srcSkip);
  run->dstSkip = static_cast<std::size_t>(dstSkip);
  if (srcSkip == 0 && dstSkip == 0) {
    run->pixels = static_cast<std::size_t>(width * height);
    run->rows = 1;
  } else {
    run->pixels = static_cast<std::size_t>(width);
    run->rows = static_cast<std::size_t>(height);
  }
}

}  // namespace

RunCheck CheckPixelMaps(const ColorWorldHeader& world, const K7730_PixelMap* source,
                        const K7730_PixelMap* destination, MatchRun* run) {
  RunCheck check = CheckCounts(world, source, destination, false);
  if (check != RunCheck::Ready) return check;
  const std::uint64_t width = static_cast<std::uint64_t>(source->width);
  const std::uint64_t height = static_cast<std::uint64_t>(source->height);
  const std::uint64_t srcSkip = source->rowBytes - width * world.inChannels;

  Span in, out;
  if (!Extent(source->base, height, source->rowBytes, width * world.inChannels, &in)) return RunCheck::Refused;
  std::uint64_t dstSkip = srcSkip;
  std::uint8_t* target = source->base;
  if (destination != nullptr) {
    dstSkip = destination->rowBytes - width * world.outChannels;
    target = destination->base;
    if (!Extent(target, height, destination->rowBytes, width * world.outChannels, &out)) return RunCheck::Refused;
    // Four-component pixels written over three-component ones would
    // overtake the reads.
    if (world.inChannels == 3 && world.outChannels == 4 && Overlap(in, out)) return RunCheck::Refused;
  }
  *run = MatchRun{};
  run->src[0] = source->base;
  run->dst[0] = target;
  Shape(width, height, srcSkip, dstSkip, run);
  return RunCheck::Ready;
}

RunCheck CheckPlaneMaps(const ColorWorldHeader& world, const K7730_PlaneMap* source,
                        const K7730_PlaneMap* destination, MatchRun* run) {
  RunCheck check = CheckCounts(world, source, destination, true);
  if (check != RunCheck::Ready) return check;
  const std::uint64_t width = static_cast<std::uint64_t>(source->width);
  const std::uint64_t height = static_cast<std::uint64_t>(source->height);

  Span in[4], out[4];
  for (std::uint32_t k = 0; k < world.inChannels; ++k)
    if (!Extent(source->plane[k], height, source->rowBytes, width, &in[k])) return RunCheck::Refused;
  const K7730_PlaneMap* target = destination != nullptr ? destination : source;
  if (destination != nullptr) {
    for (std::uint32_t k = 0; k < world.outChannels; ++k)
      if (!Extent(destination->plane[k], height, destination->rowBytes, width, &out[k])) return RunCheck::Refused;
    if (world.inChannels == 3 && world.outChannels == 4)
      for (std::uint32_t i = 0; i < 3; ++i)
        for (std::uint32_t o = 0; o < 4; ++o)
          if (Overlap(in[i], out[o])) return RunCheck::Refused;
  }
  *run = MatchRun{};
  for (std::uint32_t k = 0; k < world.inChannels; ++k) run->src[k] = source->plane[k];
  for (std::uint32_t k = 0; k < world.outChannels; ++k) run->dst[k] = target->plane[k];
  Shape(width, height, source->rowBytes - width, target->rowBytes - width, run);
  return RunCheck::Ready;
}

}  // namespace k7730::cmm
