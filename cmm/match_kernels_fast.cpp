// Chooses the kernels the exports run: the vector kernels of the active
// instruction set where they beat the scalar ones, the scalar ones
// elsewhere.
#include "cmm/instruction_set.h"
#include "cmm/match_kernels.h"

namespace k7730::cmm {

MatchKernel KernelFrom(KernelSet set, std::uint32_t id) {
  const InstructionSet supported = SupportedInstructionSet();
  switch (set) {
    case KernelSet::Scalar: return ScalarKernel(id);
    case KernelSet::Baseline: return baseline::VectorKernel(id);
    case KernelSet::Avx2: return supported >= InstructionSet::Avx2 ? avx2::VectorKernel(id) : nullptr;
    case KernelSet::Avx512: return supported >= InstructionSet::Avx512 ? avx512::VectorKernel(id) : nullptr;
  }
  return nullptr;
}

MatchKernel FastKernel(std::uint32_t id) {
  switch (ActiveInstructionSet()) {
    case InstructionSet::Avx512: return KernelFrom(KernelSet::Avx512, id);
    case InstructionSet::Avx2: return KernelFrom(KernelSet::Avx2, id);
    case InstructionSet::Baseline: break;
  }
  return ScalarKernel(id);
}

}  // namespace k7730::cmm
