// The page exports: set up a page, restart it, run bands, end and free it.
#include "filter/filter_instance.h"
#include "filter/line_filter_stage.h"
#include "filter/page_objects.h"
#include "filter/page_pipeline.h"
#include "stages/color_matching_stage.h"
#include "stages/mtf_filter.h"
#include "tonecurve/page_luts.h"

using namespace k7730;

namespace {

constexpr std::uint16_t kPixelComponents = 3;

std::uint32_t RefuseBand(std::uint32_t* outputLines, std::uint16_t* err, std::uint16_t code) {
  if (outputLines != nullptr) *outputLines = 0;
  SetError(err, code);
  return 0;
}

}  // namespace

extern "C" {

K7730_API std::uint32_t K7730_CDECL plugin_filter_initpage(K7730_FilterInstance* inst,
                                                           std::uint32_t width,
                                                           std::uint32_t height,
                                                           std::uint32_t swapFlag,
                                                           std::uint16_t* err) {
  if (inst == nullptr || width == 0 || height == 0) {
    SetError(err, K7730_ERR_BAD_ARGUMENT);
    return 0;
  }
  // The earlier page's buffers and ColorWorld go before anything can fail,
  // so that they never meet the new geometry; the new page's tables are
  // built first, so that bands sent after a failure still get them.
  ReleasePageObjects(*inst);
  inst->width = width;
  inst->height = height;
  inst->swapRB = swapFlag;
  BuildPageLuts(inst->settings, inst->inputLuts, inst->outputLuts);

  const std::uint16_t code = BuildPageObjects(*inst);
  SetError(err, code);
  return code == K7730_OK ? 1 : 0;
}

K7730_API std::uint32_t K7730_CDECL plugin_filter_startpage(K7730_FilterInstance* inst,
                                                            std::uint16_t* err) {
  if (inst == nullptr || inst->width == 0 || inst->height == 0) {
    SetError(err, K7730_ERR_BAD_ARGUMENT);
    return 0;
  }
  if (IsOn(inst->settings.mtfEnabled) && inst->mtfState.lineBlock != nullptr) {
    MtfStartPage(inst->mtfState, inst->settings.mtf, inst->width, inst->height, kPixelComponents);
  }
  if (IsOn(inst->settings.lineFilterEnabled) && inst->lineFilter.loaded == 1) {
    LineFilterStagePageStart(*inst);
  }
  SetError(err, K7730_OK);
  return 1;
}

K7730_API std::uint32_t K7730_CDECL plugin_filter_do(K7730_FilterInstance* inst,
                                                     std::uint8_t* band, std::uint32_t lines,
                                                     std::uint8_t** output,
                                                     std::uint32_t* outputLines,
                                                     std::uint16_t* err) {
  if (inst == nullptr || band == nullptr || output == nullptr || lines == 0) {
    return RefuseBand(outputLines, err, K7730_ERR_BAD_ARGUMENT);
  }
  // No page set up: there is no line length to work with.
  if (inst->width == 0 || inst->height == 0) {
    return RefuseBand(outputLines, err, K7730_ERR_BAD_ARGUMENT);
  }
  const std::uint64_t bufferBytes = OutputBufferBytes(inst->width, lines);
  if (bufferBytes == 0) return RefuseBand(outputLines, err, K7730_ERR_BAD_ARGUMENT);

  std::uint8_t* buffer = *output;
  bool allocatedHere = false;
  if (buffer == nullptr) {
    buffer = static_cast<std::uint8_t*>(platform::Allocate(static_cast<std::size_t>(bufferBytes)));
    if (buffer == nullptr) return RefuseBand(outputLines, err, K7730_ERR_NO_MEMORY);
    *output = buffer;
    allocatedHere = true;
  } else {
    // A buffer this module handed out can be checked against what the band
    // will write into it; a foreign one is trusted to hold the band.
    const std::size_t known = platform::BlockSize(buffer);
    if (known != 0 && known < BandWriteBytes(*inst, lines)) {
      return RefuseBand(outputLines, err, K7730_ERR_BAD_ARGUMENT);
    }
  }

  const std::uint32_t count = RunBandStages(*inst, band, lines, buffer);
  if (count == 0 && allocatedHere) {
    platform::Release(buffer);
    *output = nullptr;
  }
  if (outputLines != nullptr) *outputLines = count;
  SetError(err, K7730_OK);
  return 1;
}

K7730_API std::uint32_t K7730_CDECL plugin_filter_endpage(K7730_FilterInstance*,
                                                          std::uint16_t* err) {
  // The MTF filter has already released the page's last lines.
  SetError(err, K7730_OK);
  return 1;
}

K7730_API std::uint32_t K7730_CDECL plugin_filter_freepage(K7730_FilterInstance* inst,
                                                           std::uint16_t* err) {
  if (inst == nullptr) {
    SetError(err, K7730_ERR_BAD_ARGUMENT);
    return 0;
  }
  ReleasePageObjects(*inst);
  SetError(err, K7730_OK);
  return 1;
}

}  // extern "C"
