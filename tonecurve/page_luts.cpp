#include "tonecurve/page_luts.h"

#include <cstring>

#include "formats/curve_reset.h"
#include "formats/polarity.h"

namespace k7730 {
namespace {

void BuildDirection(std::uint32_t enabled, const ToneCurveSet& set, LutRecordSet& records) {
  if (enabled == 1) {
    for (int c = 0; c < kCurveChannels; ++c) {
      records[c].inPolarity = set.polarity;
      records[c].outPolarity = set.polarity;
      std::memcpy(records[c].table, set.tables[c], 256);
    }
  } else {
    ResetLutRecords(records);
  }
  for (LutRecord& r : records) NormaliseLutRecord(r, kPolarityLevels, kPolarityLevels);
}

}  // namespace

void ResetLutRecords(LutRecordSet& records) {
  for (LutRecord& r : records) {
    r.inPolarity = kPolarityLevels;
    r.outPolarity = kPolarityLevels;
    FillIdentityTable(r.table);
  }
}

void BuildPageLuts(const K7730_SettingsBlock& settings, LutRecordSet& inputLuts,
                   LutRecordSet& outputLuts) {
  BuildDirection(settings.inputCurveEnabled, settings.inputCurves, inputLuts);
  BuildDirection(settings.outputCurveEnabled, settings.outputCurves, outputLuts);
}

}  // namespace k7730
