#include "filter/line_filter_bridge.h"

namespace k7730 {

void LineFilterReset(LineFilterBridge& bridge) {
  bridge = LineFilterBridge{};
  bridge.dotsPerLine = kLineFilterDefaultDots;
}

void LineFilterUnload(LineFilterBridge& bridge) {
  if (bridge.fin != nullptr) bridge.fin();
  platform::Release(bridge.lineBuffer);
  bridge.lineBuffer = nullptr;
  if (bridge.loaded == 1 || bridge.library != 0) {
    bridge.loaded = 0;
    bridge.init = nullptr;
    bridge.fin = nullptr;
    bridge.setDotsPerLine = nullptr;
    bridge.setParameterTableNo = nullptr;
    bridge.preFilter = nullptr;
    bridge.filter = nullptr;
    platform::LibraryFree(bridge.library);
    bridge.library = 0;
  }
}

}  // namespace k7730
