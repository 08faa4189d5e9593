// Random ColorWorlds for the matching tests: a source and a destination
// from the generated profiles, chosen for the kernel to be exercised, with a
// random intent and, at random, random input- and output-side curve sets.
#pragma once

#include <memory>
#include <random>
#include <string>

#include "world_fixture.h"

namespace k7730::test {

enum class KernelKind { Lut3to3, Wide3to3, Lut3to4, Lut4to3, Lut4to4 };
inline constexpr KernelKind kAllKinds[] = {KernelKind::Lut3to3, KernelKind::Wide3to3, KernelKind::Lut3to4,
                                           KernelKind::Lut4to3, KernelKind::Lut4to4};
const char* KindName(KernelKind kind);

struct RandomWorld {
  std::unique_ptr<World> world;
  std::string description;
};

// `curves` false keeps the profiles' own curves only. The world is null
// when none of the draws builds.
RandomWorld MakeRandomWorld(KernelKind kind, std::mt19937& rng, bool curves = true);

}  // namespace k7730::test
