#include "filter/band_run.h"

#include "filter/page_pipeline.h"

namespace k7730 {
namespace {

// Makes `*output` a buffer the band can be written into. A buffer this
// module handed out can be checked against what the band will write into
// it; a foreign one is trusted to hold the band.
std::uint16_t ProvideOutputBuffer(const FilterInstance& inst, std::uint32_t lines,
                                  std::uint8_t** output, bool& allocatedHere) {
  const std::uint64_t bufferBytes = OutputBufferBytes(inst.width, lines);
  if (bufferBytes == 0) return K7730_ERR_BAD_ARGUMENT;
  if (*output == nullptr) {
    *output = static_cast<std::uint8_t*>(platform::Allocate(static_cast<std::size_t>(bufferBytes)));
    if (*output == nullptr) return K7730_ERR_NO_MEMORY;
    allocatedHere = true;
    return K7730_OK;
  }
  const std::size_t known = platform::BlockSize(*output);
  const bool tooSmall = known != 0 && known < BandWriteBytes(inst, lines);
  return tooSmall ? K7730_ERR_BAD_ARGUMENT : K7730_OK;
}

}  // namespace

std::uint16_t FilterBand(FilterInstance& inst, std::uint8_t* band, std::uint32_t lines,
                         std::uint8_t** output, std::uint32_t* outputLines) {
  bool allocatedHere = false;
  const std::uint16_t code = ProvideOutputBuffer(inst, lines, output, allocatedHere);
  if (code != K7730_OK) return code;
  const std::uint32_t count = RunBandStages(inst, band, lines, *output);
  if (count == 0 && allocatedHere) {
    platform::Release(*output);
    *output = nullptr;
  }
  if (outputLines != nullptr) *outputLines = count;
  return K7730_OK;
}

}  // namespace k7730
