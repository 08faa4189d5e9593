#include "filter/page_objects.h"

#include "filter/line_filter_attach.h"
#include "stages/color_matching_stage.h"
#include "stages/mtf_filter.h"

namespace k7730 {
namespace {

constexpr std::uint16_t kPixelComponents = 3;

std::uint16_t BuildMtfLines(FilterInstance& inst) {
  const std::uint64_t lineBlockBytes = MtfLineBlockBytes(inst.width);
  if (lineBlockBytes == 0) return K7730_ERR_BAD_ARGUMENT;  // line buffers that do not fit 32 bits
  void* block = platform::Allocate(static_cast<std::size_t>(lineBlockBytes));
  if (block == nullptr) return K7730_ERR_NO_MEMORY;
  MtfAttachLines(inst.mtfState, block, inst.width);
  RestartMtfLines(inst);
  return K7730_OK;
}

// The MTF filter's seven lines live in one block: releasing it forgets them all.
void ReleaseMtfLines(MtfState& state) {
  platform::Release(state.lineBlock);
  state.lineBlock = nullptr;
  for (auto*& line : state.lines) line = nullptr;
}

std::uint16_t BuildInOrder(FilterInstance& inst) {
  if (IsOn(inst.settings.mtfEnabled)) {
    const std::uint16_t code = BuildMtfLines(inst);
    if (code != K7730_OK) return code;
  }
  if (IsOn(inst.settings.iccEnabled)) {
    return BuildPageColorWorld(inst.settings, inst.outputLuts, inst.colorWorld);
  }
  return K7730_OK;
}

}  // namespace

bool PageHasMtf(const FilterInstance& inst) {
  return IsOn(inst.settings.mtfEnabled) && inst.mtfState.lineBlock != nullptr;
}

void RestartMtfLines(FilterInstance& inst) {
  MtfStartPage(inst.mtfState, inst.settings.mtf, inst.width, inst.height, kPixelComponents);
}

void ReleasePageObjects(FilterInstance& inst) {
  ReleaseMtfLines(inst.mtfState);
  DisposePageColorWorld(inst.colorWorld);
}

std::uint16_t BuildPageObjects(FilterInstance& inst) {
  // A stored block may switch the line filter on after the open: the page
  // that first needs the library loads it, and unloads it again when the
  // page cannot be built, so that a failed page leaves nothing behind.
  const bool attach = IsOn(inst.settings.lineFilterEnabled) && !LineFilterLoaded(inst.lineFilter);
  if (attach) {
    const std::uint16_t code = LineFilterAttach(inst.lineFilter);
    if (code != K7730_OK) return code;
  }
  const std::uint16_t code = BuildInOrder(inst);
  if (code != K7730_OK) {
    ReleasePageObjects(inst);
    if (attach) LineFilterUnload(inst.lineFilter);
  }
  return code;
}

}  // namespace k7730
