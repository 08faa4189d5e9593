// colour_accuracy: how far the module's colour matching lies from
// LittleCMS run on the same profiles and pixels. For each intent it prints
// the widest channel spread of a neutral grey ramp, and for each page the
// mean ΔE2000 by the lightness of the source pixel and over the darkest
// quarter of the page.
// Usage: colour_accuracy MODULE SOURCE.icc PRINTER.icc [IMAGE...]
#include <cstdio>
#include <exception>
#include <string>

#include "colour_comparison.h"
#include "host/image/image_formats.h"

using namespace k7730;

namespace {

const char* const kIntents[] = {"perceptual", "relative", "saturation"};

void PrintPage(const colour::Comparison& comparison, const char* path) {
  const host::Image page = host::ReadImage(path);
  std::printf("%s (%u x %u): mean ΔE2000 against LittleCMS by source L*\n", path, page.width, page.height);
  std::printf("  %-11s %7s %7s %7s %7s %7s %9s\n", "intent", "0-10", "10-25", "25-50", "50-75", "75-100",
              "dark 1/4");
  for (std::uint16_t intent = 0; intent < 3; ++intent) {
    const colour::BandedDeltaE de = comparison.Compare(page, intent);
    std::printf("  %-11s", kIntents[intent]);
    for (double mean : de.meanByBand) {
      if (mean >= 0) {
        std::printf(" %7.2f", mean);
      } else {
        std::printf(" %7s", "-");
      }
    }
    std::printf(" %9.2f\n", de.darkestQuarter);
  }
}

int Run(int argc, char** argv) {
  const host::LoadedModule module(argv[1]);
  const colour::Comparison comparison(module, argv[2], argv[3]);
  std::printf("grey ramp 0..255, widest channel spread (max - min):\n");
  for (std::uint16_t intent = 0; intent < 3; ++intent) {
    const colour::GreySpread ours = comparison.ModuleGreys(intent), theirs = comparison.LittleCmsGreys(intent);
    std::printf("  %-11s module %3d levels (grey %3d), LittleCMS %3d levels (grey %3d)\n", kIntents[intent],
                ours.levels, ours.grey, theirs.levels, theirs.grey);
  }
  for (int i = 4; i < argc; ++i) PrintPage(comparison, argv[i]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: colour_accuracy MODULE SOURCE.icc PRINTER.icc [IMAGE...]\n");
    return 2;
  }
  try {
    return Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "colour_accuracy: %s\n", e.what());
    return 1;
  }
}
