// colour_accuracy: how far the module's colour matching lies from
// LittleCMS run on the same profiles and pixels. For each intent it prints
// the mean ΔE2000 by the lightness of the source pixel (judged in the
// printer's colours, through its A2B table), over the darkest quarter of
// the page, and the widest channel spread of a neutral grey ramp.
// Usage: colour_accuracy MODULE SOURCE.icc PRINTER.icc IMAGE...
#include <lcms2.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "console.h"
#include "filter_session.h"
#include "host_error.h"
#include "image_formats.h"
#include "module_api.h"
#include "page_run.h"

using namespace k7730::host;

namespace {

constexpr double kBandEdges[] = {0, 10, 25, 50, 75, 100.001};
constexpr int kBands = 5;
const char* const kIntents[] = {"perceptual", "relative", "saturation"};

// The page through the module with colour matching alone.
Image ThroughModule(const LoadedModule& module, const Image& page, const std::string& source,
                    const std::string& printer, std::uint16_t intent) {
  FilterSession session(module);
  StageOptions stages;
  stages.noInputCurve = stages.noOutputCurve = stages.noMtf = true;
  stages.lineFilter = false;
  stages.colorMatch = true;
  stages.inputProfile = source;
  stages.outputProfile = printer;
  stages.intent = intent;
  Console quiet;
  quiet.quiet = true;
  session.ApplyStages(stages, nullptr, "", quiet);
  Image copy = page;
  StepTimer timer;
  PageRunReport report;
  return RunPage(session, copy, PageRunOptions{}, timer, report);
}

struct Profiles {
  cmsHPROFILE source, printer, lab;
};

std::vector<cmsCIELab> ToLab(cmsHPROFILE from, cmsUInt32Number intent, const std::vector<std::uint8_t>& rgb,
                             cmsHPROFILE lab) {
  cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_RGB_8, lab, TYPE_Lab_DBL, intent, cmsFLAGS_NOCACHE);
  std::vector<cmsCIELab> out(rgb.size() / 3);
  cmsDoTransform(t, rgb.data(), out.data(), static_cast<cmsUInt32Number>(out.size()));
  cmsDeleteTransform(t);
  return out;
}

void ReportIntent(const LoadedModule& module, const Image& page, const std::string& sourcePath,
                  const std::string& printerPath, const Profiles& p, std::uint16_t intent) {
  const Image ours = ThroughModule(module, page, sourcePath, printerPath, intent);
  cmsHTRANSFORM t = cmsCreateTransform(p.source, TYPE_RGB_8, p.printer, TYPE_RGB_8, intent, cmsFLAGS_NOCACHE);
  std::vector<std::uint8_t> theirs(page.rgb.size());
  cmsDoTransform(t, page.rgb.data(), theirs.data(), static_cast<cmsUInt32Number>(theirs.size() / 3));
  cmsDeleteTransform(t);

  // Both results are judged as the printer prints them (its colorimetric
  // A2B table); the band is the lightness the source asks for.
  const auto sourceLab = ToLab(p.source, INTENT_RELATIVE_COLORIMETRIC, page.rgb, p.lab);
  const auto ourLab = ToLab(p.printer, INTENT_RELATIVE_COLORIMETRIC, ours.rgb, p.lab);
  const auto theirLab = ToLab(p.printer, INTENT_RELATIVE_COLORIMETRIC, theirs, p.lab);
  double sum[kBands] = {}, count[kBands] = {};
  std::vector<std::pair<double, double>> byLightness;  // (source L*, ΔE)
  for (std::size_t i = 0; i < sourceLab.size(); ++i) {
    const double de = cmsCIE2000DeltaE(&ourLab[i], &theirLab[i], 1, 1, 1);
    byLightness.emplace_back(sourceLab[i].L, de);
    for (int b = 0; b < kBands; ++b) {
      if (sourceLab[i].L >= kBandEdges[b] && sourceLab[i].L < kBandEdges[b + 1]) {
        sum[b] += de;
        count[b] += 1;
      }
    }
  }
  std::sort(byLightness.begin(), byLightness.end());
  double darkest = 0;
  const std::size_t quarter = std::max<std::size_t>(1, byLightness.size() / 4);
  for (std::size_t i = 0; i < quarter; ++i) darkest += byLightness[i].second;
  std::printf("  %-11s", kIntents[intent]);
  for (int b = 0; b < kBands; ++b) {
    if (count[b] > 0) {
      std::printf(" %7.2f", sum[b] / count[b]);
    } else {
      std::printf(" %7s", "-");
    }
  }
  std::printf(" %9.2f\n", darkest / double(quarter));
}

struct Spread {
  int levels = 0, grey = 0;
};

// The widest max - min over the 256 source greys of a printed ramp.
Spread GreySpread(const std::vector<std::uint8_t>& printed) {
  Spread worst;
  for (int v = 0; v < 256; ++v) {
    const std::uint8_t* px = &printed[3 * v];
    const int spread = std::max({px[0], px[1], px[2]}) - std::min({px[0], px[1], px[2]});
    if (spread > worst.levels) worst = {spread, v};
  }
  return worst;
}

void ReportGreys(const LoadedModule& module, const std::string& source, const std::string& printer,
                 const Profiles& p, std::uint16_t intent) {
  Image ramp;
  ramp.width = 256;
  ramp.height = 1;
  for (int v = 0; v < 256; ++v) ramp.rgb.insert(ramp.rgb.end(), {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)});
  const Spread ours = GreySpread(ThroughModule(module, ramp, source, printer, intent).rgb);
  cmsHTRANSFORM t = cmsCreateTransform(p.source, TYPE_RGB_8, p.printer, TYPE_RGB_8, intent, cmsFLAGS_NOCACHE);
  std::vector<std::uint8_t> theirs(ramp.rgb.size());
  cmsDoTransform(t, ramp.rgb.data(), theirs.data(), 256);
  cmsDeleteTransform(t);
  const Spread reference = GreySpread(theirs);
  std::printf("  %-11s module %3d levels (grey %3d), LittleCMS %3d levels (grey %3d)\n", kIntents[intent],
              ours.levels, ours.grey, reference.levels, reference.grey);
}

int Run(int argc, char** argv) {
  const LoadedModule module(argv[1]);
  const std::string source = argv[2], printer = argv[3];
  Profiles p{cmsOpenProfileFromFile(source.c_str(), "r"), cmsOpenProfileFromFile(printer.c_str(), "r"),
             cmsCreateLab4Profile(nullptr)};
  if (p.source == nullptr || p.printer == nullptr) throw HostError("LittleCMS cannot open the profiles");
  std::printf("grey ramp 0..255, widest channel spread (max - min):\n");
  for (std::uint16_t intent = 0; intent < 3; ++intent) ReportGreys(module, source, printer, p, intent);
  for (int i = 4; i < argc; ++i) {
    const Image page = ReadImage(argv[i]);
    std::printf("%s (%u x %u): mean ΔE2000 against LittleCMS by source L*\n", argv[i], page.width, page.height);
    std::printf("  %-11s %7s %7s %7s %7s %7s %9s\n", "intent", "0-10", "10-25", "25-50", "50-75", "75-100",
                "dark 1/4");
    for (std::uint16_t intent = 0; intent < 3; ++intent) ReportIntent(module, page, source, printer, p, intent);
  }
  cmsCloseProfile(p.source);
  cmsCloseProfile(p.printer);
  cmsCloseProfile(p.lab);
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
