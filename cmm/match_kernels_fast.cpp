// Chooses the kernels the exports run: the vector kernels of the active
// instruction set on the path that set runs fastest. In test and benchmark
// builds (the k7730_test_hooks objects) K7730_MATCH_PATH ("blocks" or
// "one-by-one", read once) overrides the path, for timing one against the
// other with the benchmarks.
#include "cmm/instruction_set.h"
#include "cmm/match_kernels.h"

#if K7730_TEST_HOOKS
#include <cstdlib>
#include <cstring>
#endif

namespace k7730::cmm {
namespace {

MatchPath ChosenPath() {
#if K7730_TEST_HOOKS
  const char* name = std::getenv("K7730_MATCH_PATH");
  if (name == nullptr) return MatchPath::Fastest;
  if (std::strcmp(name, "blocks") == 0) return MatchPath::Blocks;
  if (std::strcmp(name, "one-by-one") == 0) return MatchPath::OneByOne;
#endif
  return MatchPath::Fastest;
}

}  // namespace

MatchKernel KernelFrom(KernelSet set, std::uint32_t id, MatchPath path) {
  const InstructionSet supported = SupportedInstructionSet();
  switch (set) {
    case KernelSet::Scalar: return ScalarKernel(id);
    case KernelSet::Baseline: return baseline::VectorKernel(id, path);
    case KernelSet::Avx2: return supported >= InstructionSet::Avx2 ? avx2::VectorKernel(id, path) : nullptr;
    case KernelSet::Avx512: return supported >= InstructionSet::Avx512 ? avx512::VectorKernel(id, path) : nullptr;
  }
  return nullptr;
}

MatchKernel FastKernel(std::uint32_t id) {
  static const MatchPath path = ChosenPath();
  KernelSet set = KernelSet::Baseline;
  switch (ActiveInstructionSet()) {
    case InstructionSet::Avx512: set = KernelSet::Avx512; break;
    case InstructionSet::Avx2: set = KernelSet::Avx2; break;
    case InstructionSet::Baseline: break;
  }
  if (MatchKernel k = KernelFrom(set, id, path)) return k;
  return ScalarKernel(id);
}

}  // namespace k7730::cmm
