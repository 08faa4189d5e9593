// The stages that follow one another without the MTF filter between them
// (swap, input tables, output tables or copy) run as one pass over the band,
// with each direction's two table levels composed into one table per
// channel; every byte ends as it would after the stages one by one.
#include "filter/page_pipeline.h"

#include <cstring>

#include "filter/line_filter_stage.h"
#include "filter/page_objects.h"
#include "stages/color_matching_stage.h"
#include "stages/mtf_filter.h"
#include "stages/table_stages.h"

namespace k7730 {
namespace {

// Which stages run on the page's bands, with each direction's table levels
// composed into one table per channel.
struct BandPlan {
  bool swap;
  bool mtf;
  bool match;
  bool output;       // output tables; colour matching takes their place
  bool rewriteBand;  // swap or input tables rewrite the band in place
  ChannelTables bandTables;
  ChannelTables outTables;
};

BandPlan PlanBand(const FilterInstance& inst) {
  const K7730_SettingsBlock& settings = inst.settings;
  BandPlan plan{};
  plan.swap = IsOn(inst.swapRB);
  plan.mtf = PageHasMtf(inst);
  plan.match = IsOn(settings.iccEnabled) && inst.colorWorld != 0;
  plan.output = !plan.match && IsOn(settings.outputCurveEnabled);
  const bool input = IsOn(settings.inputCurveEnabled);
  plan.rewriteBand = plan.swap || input;
  if (input) {
    ComposeTables(inst.inputLuts, plan.bandTables);
  } else if (plan.rewriteBand) {
    IdentityTables(plan.bandTables);
  }
  if (plan.output) ComposeTables(inst.outputLuts, plan.outTables);
  return plan;
}

// Without the MTF filter and colour matching every stage is a table: one
// pass from the band into `out`.
void RunTablePass(const BandPlan& plan, std::uint8_t* band, std::uint8_t* out,
                  std::size_t pixels) {
  if (plan.rewriteBand) {
    ChannelTables emitTables = plan.bandTables;
    if (plan.output) ChainTables(emitTables, plan.outTables);
    ApplyBandTables(plan.swap, band, out, pixels, plan.bandTables, emitTables);
  } else if (plan.output) {
    ApplyChannelTables(plan.outTables, out, band, pixels);
  } else {
    std::memmove(out, band, pixels * 3);  // a host may pass its band as the buffer
  }
}

// The band's tables in place, the MTF filter into `out`, then colour
// matching, output tables or a copy. Returns the lines in `out`; 0 when the
// MTF filter released none.
std::uint32_t RunStagedPass(FilterInstance& inst, const BandPlan& plan, std::uint8_t* band,
                            std::uint32_t lines, std::uint8_t* out) {
  const std::uint32_t width = inst.width;
  const std::size_t pixels = static_cast<std::size_t>(width) * lines;
  if (plan.rewriteBand) {
    ApplyBandTables(plan.swap, band, nullptr, pixels, plan.bandTables, plan.bandTables);
  }
  std::uint32_t count = lines;
  const std::uint8_t* current = band;
  if (plan.mtf) {
    std::size_t bytes = 0;
    MtfFilterBand(inst.mtfState, width, lines, out, band, &bytes, &count);
    if (count == 0) return 0;
    current = out;
  }
  if (plan.match) {
    MatchBandPixels(inst.colorWorld, out, current, width, count);
  } else if (plan.output) {
    ApplyChannelTables(plan.outTables, out, current, static_cast<std::size_t>(width) * count);
  } else if (!plan.mtf) {
    std::memmove(out, band, pixels * 3);
  }
  return count;
}

}  // namespace

std::uint64_t OutputBufferBytes(std::uint32_t width, std::uint32_t lines) {
  const std::uint64_t bytes = (static_cast<std::uint64_t>(lines) + 2) * width * 3;
  return bytes > UINT32_MAX ? 0 : bytes;
}

std::uint64_t BandWriteBytes(const FilterInstance& inst, std::uint32_t lines) {
  const bool mtf = PageHasMtf(inst);
  return (static_cast<std::uint64_t>(lines) + (mtf ? 2 : 0)) * inst.width * 3;
}

std::uint32_t RunBandStages(FilterInstance& inst, std::uint8_t* band, std::uint32_t lines,
                            std::uint8_t* out) {
  const BandPlan plan = PlanBand(inst);
  std::uint32_t count = lines;
  if (!plan.mtf && !plan.match) {
    RunTablePass(plan, band, out, static_cast<std::size_t>(inst.width) * lines);
  } else {
    count = RunStagedPass(inst, plan, band, lines, out);
    if (count == 0) return 0;
  }
  if (LineFilterRuns(inst)) LineFilterStageBand(inst, out, count);
  return count;
}

}  // namespace k7730
