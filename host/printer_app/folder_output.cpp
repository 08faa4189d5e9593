#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/printer_app/job_output.h"

namespace k7730::printer_app {

namespace {

std::string SafeName(const std::string& name) {
  std::string safe;
  for (char c : name) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.';
    safe += plain ? c : '_';
  }
  if (safe.empty() || safe[0] == '.') safe.insert(0, "job");
  return safe.substr(0, 200);
}

// The job is written under a hidden name and given its own name only when
// it is complete, so a job that fails or a server that stops half way
// leaves nothing in the folder that looks like a print.
class FolderOutput : public JobOutput {
 public:
  FolderOutput(std::string folder, std::string jobName) : folder_(std::move(folder)), jobName_(std::move(jobName)) {}
  ~FolderOutput() override {
    if (fd_ >= 0) ::close(fd_);
    if (!partial_.empty()) ::unlink(partial_.c_str());
  }

  void Write(std::span<const std::uint8_t> bytes) override {
    if (fd_ < 0 && partial_.empty()) MakePartialFile();
    host::WriteAll(fd_, partial_, bytes.data(), bytes.size());
  }

  void Close() override {
    if (partial_.empty()) return;
    const int fd = fd_;
    fd_ = -1;
    if (::fsync(fd) != 0 || ::close(fd) != 0) throw host::FileError(partial_, "cannot finish the file: " + host::ErrnoText());
    GiveName();
  }

 private:
  // Made with the mode a print always had (0644 less the umask, 0600 under
  // the service), under a hidden name of its own.
  void MakePartialFile() {
    std::random_device random;
    for (int tries = 0; tries < 100; ++tries) {
      char suffix[16];
      std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
      const std::string name = folder_ + "/." + SafeName(jobName_) + ".partial-" + suffix;
      fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd_ >= 0) {
        partial_ = name;
        return;
      }
      if (errno != EEXIST) break;
    }
    throw host::FileError(folder_, "cannot write: " + host::ErrnoText());
  }

  // "<name>.pwg", else "<name>-2.pwg" and on: a job never overwrites another.
  void GiveName() {
    const std::string base = folder_ + "/" + SafeName(jobName_);
    for (int n = 1; n < 10000; ++n) {
      // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict)
      // about a literal added to a temporary string.
      std::string path = base;
      if (n > 1) path.append("-").append(std::to_string(n));
      path.append(".pwg");
      if (::link(partial_.c_str(), path.c_str()) == 0) {
        ::unlink(partial_.c_str());
        partial_.clear();
        return;
      }
      if (errno != EEXIST) throw host::FileError(path, "cannot write: " + host::ErrnoText());
    }
    throw host::HostError("the device folder " + folder_ + " has no free name for " + base + ".pwg");
  }

  std::string folder_, jobName_, partial_;
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<JobOutput> OpenFolderOutput(const std::string& folder, const std::string& jobName) {
  return std::make_unique<FolderOutput>(folder, jobName);
}

}  // namespace k7730::printer_app
