#include "host/print/batch_names.h"

#include <map>
#include <set>

#include "host/core/host_error.h"

namespace k7730::host {

namespace {

// "out/x.tif" with the suffix "-2": "out/x-2.tif".
std::string WithSuffix(const std::string& name, unsigned n) {
  const std::size_t slash = name.rfind('/');
  const std::size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const std::size_t at = hasExtension ? dot : name.size();
  return name.substr(0, at) + "-" + std::to_string(n) + name.substr(at);
}

}  // namespace

std::vector<std::string> DistinctOutputs(const std::vector<std::string>& inputs, std::vector<std::string> names,
                                         bool unique) {
  std::map<std::string, std::size_t> firstInput;
  for (std::size_t i = 0; i < names.size(); ++i) {
    const auto [at, fresh] = firstInput.emplace(names[i], i);
    if (fresh || unique) continue;
    throw UsageError(inputs[at->second] + " and " + inputs[i] + " would both be written to " + names[i] +
                     "; nothing was written (give --unique-names to number the later ones)");
  }
  // Every name asked for is reserved first, so that a numbered name never
  // takes the name another input asked for.
  std::set<std::string> taken;
  for (const auto& [name, index] : firstInput) taken.insert(name);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (firstInput.at(names[i]) == i) continue;
    unsigned n = 2;
    while (taken.count(WithSuffix(names[i], n)) != 0) ++n;
    names[i] = WithSuffix(names[i], n);
    taken.insert(names[i]);
  }
  return names;
}

}  // namespace k7730::host
