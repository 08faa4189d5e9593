// The stored settings record of each printer: one file per printer in the
// application's state folder, read at the start of every job, so that a
// record replaced through the web page or the command line applies to the
// next job and survives a restart.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace k7730::printer_app {

// The state folder: $K7730_PRINTER_APP_STATE, else $XDG_STATE_HOME or
// ~/.local/state, else /var/lib for root; each with "k7730-printer-app".
std::string DefaultStateFolder();

class RecordStore {
 public:
  explicit RecordStore(std::string folder) : folder_(std::move(folder)) {}

  // "<folder>/<printer name, unsafe characters as _>.k7730".
  std::string PathFor(const std::string& printerName) const;
  // The printer's record, or nothing when none is stored (the module's
  // defaults apply). Throws HostError when the stored file is damaged.
  std::optional<std::vector<std::uint8_t>> Load(const std::string& printerName) const;
  // Checks the bytes are a settings record, then replaces the stored one
  // all at once. Throws HostError naming `source` when they are not.
  void Replace(const std::string& printerName, std::span<const std::uint8_t> record,
               const std::string& source) const;
  // Removes the printer's record; the module's defaults apply again.
  void Remove(const std::string& printerName) const;

 private:
  std::string folder_;
};

}  // namespace k7730::printer_app
