// Runs a check once for every instruction set the processor can run, with
// the kernels limited to that set, and restores the widest set after.
#pragma once

#include <gtest/gtest.h>

#include "cmm/instruction_set.h"

namespace k7730::test {

template <typename Check>
void ForEachInstructionSet(Check check) {
  for (InstructionSet set : {InstructionSet::Baseline, InstructionSet::Avx2, InstructionSet::Avx512}) {
    if (static_cast<int>(set) > static_cast<int>(SupportedInstructionSet())) break;
    LimitInstructionSet(set);
    SCOPED_TRACE(InstructionSetName(set));
    check(set);
  }
  LimitInstructionSet(InstructionSet::Avx512);
}

}  // namespace k7730::test
