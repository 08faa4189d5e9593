// The output names of a batch: each input's name in the output folder with
// the extension of its format, never the same name twice.
#pragma once

#include <string>
#include <vector>

namespace k7730::host {

// `names[i]` is the output file name asked for input `inputs[i]` (folder
// and extension already applied). Two inputs that would write the same
// file are refused with a UsageError naming both, unless `unique`: then
// the later ones get "-2", "-3", ... before the extension, skipping names
// another input already takes. Returns the names to write.
std::vector<std::string> DistinctOutputs(const std::vector<std::string>& inputs, std::vector<std::string> names,
                                         bool unique);

}  // namespace k7730::host
