// The vector instruction set the kernels use, chosen once per process: the
// widest one both this build and the processor have. Every kernel with
// vector versions is compiled once per set into a namespace of its own
// (baseline, avx2, avx512) and picked through ActiveInstructionSet().
#pragma once

namespace k7730 {

// Ordered from the narrowest: a set runs wherever the ones above it run.
// Baseline is what every processor of the architecture has (SSE2 on
// x86-64); Avx512 means AVX-512 F, BW and VBMI.
enum class InstructionSet : int { Baseline = 0, Avx2 = 1, Avx512 = 2 };

// What the processor and this build can run.
InstructionSet SupportedInstructionSet();

// What the kernels use: the supported set. Test builds (the
// k7730_test_hooks objects) can lower it, through LimitInstructionSet or
// the environment variable K7730_INSTRUCTION_SET ("baseline", "avx2" or
// "avx512", read once), to check every set on one processor.
InstructionSet ActiveInstructionSet();

#if K7730_TEST_HOOKS
// No set above `ceiling` is used from now on, until the next call. Raising
// the ceiling never goes beyond what is supported.
void LimitInstructionSet(InstructionSet ceiling);
#endif

const char* InstructionSetName(InstructionSet set);

}  // namespace k7730
