#include "filter/line_filter_stage.h"

namespace k7730 {

bool LineFilterRuns(const FilterInstance& inst) {
  return IsOn(inst.settings.lineFilterEnabled) && LineFilterLoaded(inst.lineFilter);
}

void LineFilterStagePageStart(FilterInstance& inst) {
  LineFilterPageStart(inst.lineFilter, 0, inst.width);
}

void LineFilterStageBand(FilterInstance& inst, std::uint8_t* lines, std::uint32_t lineCount) {
  LineFilterBand(inst.lineFilter, lines, static_cast<std::uint64_t>(lineCount) * inst.width * 3);
}

}  // namespace k7730
