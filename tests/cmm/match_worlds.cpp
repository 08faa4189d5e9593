#include "match_worlds.h"

#include <vector>

#include "profile_builder.h"

namespace k7730::test {
namespace {

std::vector<std::string> Profiles(std::initializer_list<const char*> names) {
  std::vector<std::string> out;
  for (const char* n : names) out.push_back(GeneratedProfile(n));
  return out;
}

const std::vector<std::string>& RgbLut() {
  static const auto p = Profiles({"rgb_lut8.icc", "rgb_lut16.icc", "small_rgb_lut16.icc", "small_rgb_lut8.icc"});
  return p;
}
const std::vector<std::string>& RgbMatrix() {
  static const auto p = Profiles({"rgb_gamma22.icc", "rgb_table256.icc", "rgb_table1024.icc"});
  return p;
}
const std::vector<std::string>& Cmyk() {
  static const auto p = Profiles({"cmyk_lut8.icc", "cmyk_lut16.icc", "small_cmyk_lut16.icc", "small_cmyk_lut8.icc"});
  return p;
}
std::vector<std::string> AnyRgb() {
  std::vector<std::string> all = RgbLut();
  all.insert(all.end(), RgbMatrix().begin(), RgbMatrix().end());
  return all;
}

const std::string& Pick(const std::vector<std::string>& from, std::mt19937& rng) { return from[rng() % from.size()]; }

void RandomCurves(K7730_CurveLutSet& set, std::mt19937& rng) {
  for (auto& table : set.tables)
    for (auto& v : table) v = static_cast<std::uint8_t>(rng());
}

}  // namespace

const char* KindName(KernelKind kind) {
  switch (kind) {
    case KernelKind::Lut3to3: return "3to3";
    case KernelKind::Wide3to3: return "3to3wide";
    case KernelKind::Lut3to4: return "3to4";
    case KernelKind::Lut4to3: return "4to3";
    case KernelKind::Lut4to4: return "4to4";
  }
  return "?";
}

RandomWorld MakeRandomWorld(KernelKind kind, std::mt19937& rng, bool curves) {
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::string src, dst;
    switch (kind) {
      case KernelKind::Lut3to3: src = Pick(RgbLut(), rng), dst = Pick(AnyRgb(), rng); break;
      case KernelKind::Wide3to3: src = Pick(RgbMatrix(), rng), dst = Pick(AnyRgb(), rng); break;
      case KernelKind::Lut3to4: src = Pick(AnyRgb(), rng), dst = Pick(Cmyk(), rng); break;
      case KernelKind::Lut4to3: src = Pick(Cmyk(), rng), dst = Pick(AnyRgb(), rng); break;
      case KernelKind::Lut4to4: src = Pick(Cmyk(), rng), dst = Pick(Cmyk(), rng); break;
    }
    const std::uint32_t intent = rng() % 4;
    K7730_CurveLutSet in, out;
    const bool withIn = curves && rng() % 2 == 0;
    const bool withOut = curves && rng() % 2 == 0;
    if (withIn) RandomCurves(in, rng);
    if (withOut) RandomCurves(out, rng);
    auto world = std::make_unique<World>(src, dst, intent, withIn ? &in : nullptr, withOut ? &out : nullptr);
    // Some generated profiles hold one intent only; draw again.
    if (world->handle() == 0) continue;
    RandomWorld r;
    r.description = src + " -> " + dst + " intent " + std::to_string(intent) + (withIn ? " +in" : "") +
                    (withOut ? " +out" : "");
    r.world = std::move(world);
    return r;
  }
  return {};
}

}  // namespace k7730::test
