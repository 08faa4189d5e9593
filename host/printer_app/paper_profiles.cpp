#include "host/printer_app/paper_profiles.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

#include "host/core/file_bytes.h"
#include "host/core/filter_session.h"
#include "host/core/host_error.h"
#include "host/core/profile_report.h"
#include "host/printer_app/app_context.h"

namespace k7730::printer_app {

namespace {

constexpr const char* kExtension = ".icc";

// A file of the store that removes itself unless kept.
struct PendingFile {
  std::string path;
  bool keep = false;
  ~PendingFile() {
    if (!keep && !path.empty()) ::unlink(path.c_str());
  }
};

}  // namespace

std::string PaperProfiles::NameProblem(const std::string& name) {
  if (name.empty()) return "give the profile a name";
  if (name.size() > kMaxPaperProfileName) return "a profile name has at most 48 characters";
  if (name[0] == '.') return "a profile name may not start with '.'";
  const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
  });
  return plain ? "" : "a profile name takes letters, digits, '-', '_' and '.' only";
}

std::vector<std::string> PaperProfiles::Names() const {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder_.c_str()), ::closedir);
  if (!dir) return names;
  const std::string ext = kExtension;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string file = entry->d_name;
    if (file.size() <= ext.size() || file.compare(file.size() - ext.size(), ext.size(), ext) != 0) continue;
    const std::string name = file.substr(0, file.size() - ext.size());
    if (NameProblem(name).empty()) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string PaperProfiles::PathOf(const std::string& name) const {
  if (const std::string problem = NameProblem(name); !problem.empty()) throw host::HostError(problem);
  const std::string path = folder_ + "/" + name + kExtension;
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    throw host::HostError("no paper profile is stored as " + name);
  }
  return path;
}

std::string PaperProfiles::NameOf(const std::string& path) const {
  const std::string prefix = folder_ + "/", ext = kExtension;
  if (path.size() <= prefix.size() + ext.size() || path.compare(0, prefix.size(), prefix) != 0 ||
      path.compare(path.size() - ext.size(), ext.size(), ext) != 0) {
    return "";
  }
  const std::string name = path.substr(prefix.size(), path.size() - prefix.size() - ext.size());
  return NameProblem(name).empty() ? name : "";
}

void PaperProfiles::Add(const std::string& name, std::span<const std::uint8_t> bytes, std::uint16_t intent) const {
  if (const std::string problem = NameProblem(name); !problem.empty()) throw host::HostError(problem);
  if (bytes.size() > kMaxPaperProfileBytes) {
    throw host::HostError("the profile has " + std::to_string(bytes.size()) + " bytes; this page takes at most " +
                          std::to_string(kMaxPaperProfileBytes) + "");
  }
  if (const std::string problem = host::RgbProfileProblem(bytes); !problem.empty()) {
    throw host::HostError("the uploaded file is " + problem);
  }
  if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) {
    throw host::FileError(folder_, "cannot create the profile folder: " + host::ErrnoText());
  }
  // The engine reads profiles from files: the bytes go to a private file
  // of the store first, and become NAME.icc only once the engine takes them.
  PendingFile pending{folder_ + "/.upload-XXXXXX"};
  const int fd = ::mkstemp(pending.path.data());
  if (fd < 0) throw host::FileError(folder_, "cannot store the profile: " + host::ErrnoText());
  try {
    host::WriteAll(fd, pending.path, bytes.data(), bytes.size());
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  const std::string problem =
      host::ProfileProblem(App().module->Api(), pending.path, host::ProfileRole::Destination, intent);
  if (!problem.empty()) throw host::HostError("the module cannot use it as a printer profile: " + problem);
  const std::string path = folder_ + "/" + name + kExtension;
  if (::rename(pending.path.c_str(), path.c_str()) != 0) {
    throw host::FileError(path, "cannot store the profile: " + host::ErrnoText());
  }
  pending.keep = true;
}

void PaperProfiles::Remove(const std::string& name) const {
  const std::string path = PathOf(name);
  if (::unlink(path.c_str()) != 0) throw host::FileError(path, "cannot remove: " + host::ErrnoText());
}

}  // namespace k7730::printer_app
