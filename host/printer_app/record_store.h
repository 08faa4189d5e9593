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

// The state folder, from the environment main reads: $K7730_PRINTER_APP_STATE
// (`stateVariable`), else /var/lib for root, else $XDG_STATE_HOME or
// $HOME/.local/state; the last three with "k7730-printer-app". Null or
// empty values count as unset.
std::string DefaultStateFolder(const char* stateVariable, const char* xdgStateHome, const char* home);

class RecordStore {
 public:
  explicit RecordStore(std::string folder) : folder_(std::move(folder)) {}

  // The state folder the records are kept in.
  const std::string& Folder() const { return folder_; }
  // "<folder>/<printer name, unsafe characters as _>.k7730".
  std::string PathFor(const std::string& printerName) const;
  // The printer's record, or nothing when none is stored (the module's
  // defaults apply). Throws HostError when the stored file is damaged.
  std::optional<std::vector<std::uint8_t>> Load(const std::string& printerName) const;
  // Checks the bytes are a settings record, then replaces the stored one
  // all at once. Throws HostError naming `source` when they are not.
  void Replace(const std::string& printerName, std::span<const std::uint8_t> record,
               const std::string& source) const;
  // Removes the printer's record; the printer's defaults apply again.
  void Remove(const std::string& printerName) const;

 private:
  std::string folder_;
};

}  // namespace k7730::printer_app
