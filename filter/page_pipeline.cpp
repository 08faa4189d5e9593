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
  const K7730_SettingsBlock& settings = inst.settings;
  const std::uint32_t width = inst.width;
  const std::size_t stride = static_cast<std::size_t>(width) * 3;
  const bool swap = IsOn(inst.swapRB);
  const bool input = IsOn(settings.inputCurveEnabled);
  const bool mtf = PageHasMtf(inst);
  const bool match = IsOn(settings.iccEnabled) && inst.colorWorld != 0;
  const bool output = !match && IsOn(settings.outputCurveEnabled);
  const bool rewriteBand = swap || input;

  ChannelTables bandTables;
  ChannelTables outTables;
  if (rewriteBand) {
    if (input) {
      ComposeTables(inst.inputLuts, bandTables);
    } else {
      IdentityTables(bandTables);
    }
  }
  if (output) ComposeTables(inst.outputLuts, outTables);

  std::uint32_t count = lines;
  const std::size_t pixels = static_cast<std::size_t>(width) * lines;
  if (!mtf && !match) {
    if (rewriteBand) {
      ChannelTables emitTables = bandTables;
      if (output) ChainTables(emitTables, outTables);
      ApplyBandTables(swap, band, out, pixels, bandTables, emitTables);
    } else if (output) {
      ApplyChannelTables(outTables, out, band, pixels);
    } else {
      std::memmove(out, band, pixels * 3);  // a host may pass its band as the buffer
    }
  } else {
    if (rewriteBand) ApplyBandTables(swap, band, nullptr, pixels, bandTables, bandTables);
    const std::uint8_t* current = band;
    if (mtf) {
      std::size_t bytes = 0;
      MtfFilterBand(inst.mtfState, width, lines, out, band, &bytes, &count);
      if (count == 0) return 0;
      current = out;
    }
    if (match) {
      MatchBandPixels(inst.colorWorld, out, current, width, count);
    } else if (output) {
      ApplyChannelTables(outTables, out, current, static_cast<std::size_t>(width) * count);
    } else if (!mtf) {
      std::memmove(out, band, count * stride);
    }
  }

  if (LineFilterRuns(inst)) LineFilterStageBand(inst, out, count);
  return count;
}

}  // namespace k7730
