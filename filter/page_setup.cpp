#include "filter/page_setup.h"

#include "filter/line_filter_stage.h"
#include "filter/page_objects.h"
#include "stages/mtf_filter.h"
#include "tonecurve/page_luts.h"

namespace k7730 {

bool PageSetUp(const FilterInstance* inst) {
  return inst != nullptr && inst->width != 0 && inst->height != 0;
}

std::uint16_t SetUpPage(FilterInstance& inst, std::uint32_t width, std::uint32_t height,
                        std::uint32_t swapFlag) {
  // The earlier page's buffers and ColorWorld go before anything can fail,
  // so that they never meet the new geometry; the new page's tables are
  // built first, so that bands sent after a failure still get them.
  ReleasePageObjects(inst);
  inst.width = width;
  inst.height = height;
  inst.swapRB = swapFlag;
  BuildPageLuts(inst.settings, inst.inputLuts, inst.outputLuts);
  return BuildPageObjects(inst);
}

void RestartPage(FilterInstance& inst) {
  if (PageHasMtf(inst)) RestartMtfLines(inst);
  if (LineFilterRuns(inst)) LineFilterStagePageStart(inst);
}

}  // namespace k7730
