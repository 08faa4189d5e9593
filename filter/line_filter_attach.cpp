#include "filter/line_filter_attach.h"

#include "k7730fe.h"

namespace k7730 {

std::uint16_t LineFilterAttach(LineFilterBridge& bridge) {
  if (!LineFilterLoad(bridge)) return K7730_ERR_LINE_FILTER;
  if (!LineFilterObtainBuffer(bridge)) {
    LineFilterUnload(bridge);
    return K7730_ERR_NO_MEMORY;
  }
  return K7730_OK;
}

}  // namespace k7730
