#include "filter/page_objects.h"

#include "stages/color_matching_stage.h"

namespace k7730 {

void ReleasePageObjects(FilterInstance& inst) {
  platform::Release(inst.mtfState.lineBlock);
  inst.mtfState.lineBlock = nullptr;
  for (auto*& line : inst.mtfState.lines) line = nullptr;
  DisposePageColorWorld(inst.colorWorld);
}

}  // namespace k7730
