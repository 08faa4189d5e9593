// The paper profiles a photographer has made for the printer: ICC printer
// profiles kept by name in the state folder ("profiles/NAME.icc"), shared
// by the server's printers. Each is checked by the module's colour engine
// before it is stored; a printer uses one by naming its file as the
// printer profile of its settings record.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace k7730::printer_app {

// The largest profile taken: PAPPL reads at most 2 MiB of a web form, the
// file and the form's other fields together.
constexpr std::size_t kMaxPaperProfileBytes = (std::size_t{2} << 20) - (std::size_t{16} << 10);
constexpr std::size_t kMaxPaperProfileName = 48;

class PaperProfiles {
 public:
  explicit PaperProfiles(std::string stateFolder) : folder_(std::move(stateFolder) + "/profiles") {}

  // Empty when `name` may name a profile: 1 to 48 letters, digits, '-', '_'
  // or '.', not starting with '.'; else why not. Only such a name ever
  // becomes part of a path.
  static std::string NameProblem(const std::string& name);

  // The stored profiles' names, sorted.
  std::vector<std::string> Names() const;
  // The file of a stored profile; throws HostError for a name that is not
  // valid or not stored.
  std::string PathOf(const std::string& name) const;
  // The name of the stored profile at `path`; empty when `path` is not one.
  std::string NameOf(const std::string& path) const;
  // Checks the bytes as a printer profile for `intent` with the module's
  // colour engine, then stores them under `name` (replacing one of that
  // name). Throws HostError with the reason when they are refused.
  void Add(const std::string& name, std::span<const std::uint8_t> bytes, std::uint16_t intent) const;
  void Remove(const std::string& name) const;

 private:
  std::string folder_;
};

}  // namespace k7730::printer_app
