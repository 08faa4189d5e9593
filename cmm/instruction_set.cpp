#include "cmm/instruction_set.h"

#if K7730_TEST_HOOKS
#include <atomic>
#include <cstdlib>
#include <cstring>
#endif

namespace k7730 {
namespace {

InstructionSet DetectSupported() {
#if K7730_HAVE_X86_KERNELS
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vbmi"))
    return InstructionSet::Avx512;
  if (__builtin_cpu_supports("avx2")) return InstructionSet::Avx2;
#endif
  return InstructionSet::Baseline;
}

#if K7730_TEST_HOOKS
// The ceiling named by K7730_INSTRUCTION_SET; none (the widest) otherwise.
InstructionSet CeilingFromEnvironment() {
  const char* name = std::getenv("K7730_INSTRUCTION_SET");
  if (name == nullptr) return InstructionSet::Avx512;
  for (InstructionSet set : {InstructionSet::Baseline, InstructionSet::Avx2})
    if (std::strcmp(name, InstructionSetName(set)) == 0) return set;
  return InstructionSet::Avx512;
}

InstructionSet Lower(InstructionSet a, InstructionSet b) { return static_cast<int>(a) < static_cast<int>(b) ? a : b; }

std::atomic<int>& Ceiling() {
  static std::atomic<int> ceiling{static_cast<int>(CeilingFromEnvironment())};
  return ceiling;
}
#endif

}  // namespace

InstructionSet SupportedInstructionSet() {
  static const InstructionSet supported = DetectSupported();
  return supported;
}

#if K7730_TEST_HOOKS
InstructionSet ActiveInstructionSet() {
  return Lower(SupportedInstructionSet(), static_cast<InstructionSet>(Ceiling().load(std::memory_order_relaxed)));
}

void LimitInstructionSet(InstructionSet ceiling) { Ceiling().store(static_cast<int>(ceiling), std::memory_order_relaxed); }
#else
InstructionSet ActiveInstructionSet() { return SupportedInstructionSet(); }
#endif

const char* InstructionSetName(InstructionSet set) {
  switch (set) {
    case InstructionSet::Baseline: return "baseline";
    case InstructionSet::Avx2: return "avx2";
    case InstructionSet::Avx512: return "avx512";
  }
  return "?";
}

}  // namespace k7730
