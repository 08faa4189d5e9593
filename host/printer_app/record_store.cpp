#include "host/printer_app/record_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/core/settings_record.h"

namespace k7730::printer_app {

using host::HostError;

namespace {

constexpr const char* kAppFolder = "k7730-printer-app";

void MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    throw host::FileError(path, "cannot create the state folder: " + host::ErrnoText());
  }
}

}  // namespace

std::string DefaultStateFolder(const char* stateVariable, const char* xdgStateHome, const char* home) {
  if (stateVariable != nullptr && stateVariable[0] != '\0') return stateVariable;
  if (::getuid() == 0) return std::string("/var/lib/") + kAppFolder;
  if (xdgStateHome != nullptr && xdgStateHome[0] != '\0') return std::string(xdgStateHome) + "/" + kAppFolder;
  return std::string(home != nullptr ? home : "") + "/.local/state/" + kAppFolder;
}

std::string RecordStore::PathFor(const std::string& printerName) const {
  std::string safe = printerName;
  for (char& c : safe) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-';
    if (!plain) c = '_';
  }
  return folder_ + "/" + safe + ".k7730";
}

std::optional<std::vector<std::uint8_t>> RecordStore::Load(const std::string& printerName) const {
  const std::string path = PathFor(printerName);
  if (::access(path.c_str(), F_OK) != 0) return std::nullopt;
  return host::ReadSettingsFile(path);
}

void RecordStore::Replace(const std::string& printerName, std::span<const std::uint8_t> record,
                          const std::string& source) const {
  host::CheckSettingsBytes(source, record);
  MakeFolder(folder_);
  const std::string path = PathFor(printerName);
  host::WriteSettingsFile(path, {record.begin(), record.end()});
  // Root storing a record for the service: the service's user owns the
  // state folder and must read (and later replace) the file.
  struct stat folder {};
  if (::geteuid() == 0 && ::stat(folder_.c_str(), &folder) == 0 && folder.st_uid != 0 &&
      ::chown(path.c_str(), folder.st_uid, folder.st_gid) != 0) {
    throw host::FileError(path, "cannot give the record to the state folder's owner: " + host::ErrnoText());
  }
}

void RecordStore::Remove(const std::string& printerName) const {
  const std::string path = PathFor(printerName);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT) throw host::FileError(path, "cannot remove: " + host::ErrnoText());
}

}  // namespace k7730::printer_app
