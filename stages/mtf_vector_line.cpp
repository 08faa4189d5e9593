// Chooses the MTF line's vector kernel for the active instruction set.
#include "cmm/instruction_set.h"
#include "stages/mtf_taps.h"
#include "stages/stage_kernels.h"

namespace k7730 {

std::size_t MtfVectorLine(const MtfState& state, const MtfTap* taps, int count, std::size_t samples,
                          std::uint8_t* out) {
  switch (ActiveInstructionSet()) {
    case InstructionSet::Avx512: return avx512::MtfVectorLine(state, taps, count, samples, out);
    case InstructionSet::Avx2: return avx2::MtfVectorLine(state, taps, count, samples, out);
    case InstructionSet::Baseline: break;
  }
  return baseline::MtfVectorLine(state, taps, count, samples, out);
}

}  // namespace k7730
