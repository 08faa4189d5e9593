#include "colour_comparison.h"

#include <lcms2.h>

#include <algorithm>

#include "host/core/console.h"
#include "host/core/filter_session.h"
#include "host/core/host_error.h"
#include "host/core/page_run.h"

namespace k7730::colour {

namespace {

std::vector<cmsCIELab> ToLab(cmsHPROFILE from, const std::vector<std::uint8_t>& rgb, cmsHPROFILE lab) {
  cmsHTRANSFORM t = cmsCreateTransform(from, TYPE_RGB_8, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC,
                                       cmsFLAGS_NOCACHE);
  if (t == nullptr) throw host::HostError("LittleCMS cannot build a transform to CIELAB");
  std::vector<cmsCIELab> out(rgb.size() / 3);
  cmsDoTransform(t, rgb.data(), out.data(), static_cast<cmsUInt32Number>(out.size()));
  cmsDeleteTransform(t);
  return out;
}

host::Image GreyRamp() {
  host::Image ramp;
  ramp.width = 256;
  ramp.height = 1;
  for (int v = 0; v < 256; ++v) ramp.rgb.insert(ramp.rgb.end(), {std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)});
  return ramp;
}

GreySpread WidestSpread(const std::vector<std::uint8_t>& printed) {
  GreySpread worst;
  for (int v = 0; v < 256; ++v) {
    const std::uint8_t* px = &printed[3 * v];
    const int spread = std::max({px[0], px[1], px[2]}) - std::min({px[0], px[1], px[2]});
    if (spread > worst.levels) worst = {spread, v};
  }
  return worst;
}

}  // namespace

Comparison::Comparison(const host::LoadedModule& module, const std::string& source, const std::string& printer)
    : module_(module), sourcePath_(source), printerPath_(printer) {
  source_ = cmsOpenProfileFromFile(source.c_str(), "r");
  printer_ = cmsOpenProfileFromFile(printer.c_str(), "r");
  lab_ = cmsCreateLab4Profile(nullptr);
  if (source_ == nullptr || printer_ == nullptr || lab_ == nullptr) {
    Close();
    throw host::HostError(source + ", " + printer + ": LittleCMS cannot open the profiles");
  }
}

Comparison::~Comparison() { Close(); }

void Comparison::Close() {
  for (void** p : {&source_, &printer_, &lab_}) {
    if (*p != nullptr) cmsCloseProfile(*p);
    *p = nullptr;
  }
}

std::vector<std::uint8_t> Comparison::ThroughModule(const host::Image& page, std::uint16_t intent) const {
  host::FilterSession session(module_);
  host::StageOptions stages;
  stages.noInputCurve = stages.noOutputCurve = stages.noMtf = true;
  stages.lineFilter = false;
  stages.colorMatch = true;
  stages.inputProfile = sourcePath_;
  stages.outputProfile = printerPath_;
  stages.intent = intent;
  host::Console quiet;
  quiet.quiet = true;
  session.ApplyStages(stages, nullptr, "", quiet);
  host::Image copy = page;
  host::StepTimer timer;
  host::PageRunReport report;
  return host::RunPage(session, copy, host::PageRunOptions{}, timer, report).rgb;
}

std::vector<std::uint8_t> Comparison::ThroughLittleCms(const host::Image& page, std::uint16_t intent) const {
  cmsHTRANSFORM t = cmsCreateTransform(source_, TYPE_RGB_8, printer_, TYPE_RGB_8, intent, cmsFLAGS_NOCACHE);
  if (t == nullptr) throw host::HostError("LittleCMS cannot build the transform");
  std::vector<std::uint8_t> out(page.rgb.size());
  cmsDoTransform(t, page.rgb.data(), out.data(), static_cast<cmsUInt32Number>(out.size() / 3));
  cmsDeleteTransform(t);
  return out;
}

BandedDeltaE Comparison::Compare(const host::Image& page, std::uint16_t intent) const {
  const auto sourceLab = ToLab(source_, page.rgb, lab_);
  const auto ours = ToLab(printer_, ThroughModule(page, intent), lab_);
  const auto theirs = ToLab(printer_, ThroughLittleCms(page, intent), lab_);
  double sum[kBands] = {}, count[kBands] = {};
  std::vector<std::pair<double, double>> byLightness;  // (source L*, ΔE)
  for (std::size_t i = 0; i < sourceLab.size(); ++i) {
    const double de = cmsCIE2000DeltaE(&ours[i], &theirs[i], 1, 1, 1);
    byLightness.emplace_back(sourceLab[i].L, de);
    for (int b = 0; b < kBands; ++b) {
      if (sourceLab[i].L >= kBandEdges[b] && sourceLab[i].L < kBandEdges[b + 1]) {
        sum[b] += de;
        count[b] += 1;
      }
    }
  }
  BandedDeltaE result;
  for (int b = 0; b < kBands; ++b) result.meanByBand[b] = count[b] > 0 ? sum[b] / count[b] : -1;
  std::sort(byLightness.begin(), byLightness.end());
  const std::size_t quarter = std::max<std::size_t>(1, byLightness.size() / 4);
  for (std::size_t i = 0; i < quarter && i < byLightness.size(); ++i) result.darkestQuarter += byLightness[i].second;
  result.darkestQuarter /= double(quarter);
  return result;
}

GreySpread Comparison::ModuleGreys(std::uint16_t intent) const { return WidestSpread(ThroughModule(GreyRamp(), intent)); }

GreySpread Comparison::LittleCmsGreys(std::uint16_t intent) const {
  return WidestSpread(ThroughLittleCms(GreyRamp(), intent));
}

}  // namespace k7730::colour
