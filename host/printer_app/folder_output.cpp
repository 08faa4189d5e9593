#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

class FolderOutput : public JobOutput {
 public:
  FolderOutput(std::string folder, std::string jobName) : folder_(std::move(folder)), jobName_(std::move(jobName)) {}
  ~FolderOutput() override {
    if (fd_ >= 0) ::close(fd_);
  }

  void Write(std::span<const std::uint8_t> bytes) override {
    if (fd_ < 0) MakeFile();
    host::WriteAll(fd_, path_, bytes.data(), bytes.size());
  }

  void Close() override {
    const int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0) throw host::FileError(path_, "cannot finish the file: " + host::ErrnoText());
  }

 private:
  // "<name>.pwg", else "<name>-2.pwg" and on: a job never overwrites another.
  void MakeFile() {
    struct stat info {};
    if (::stat(folder_.c_str(), &info) != 0) {
      throw host::HostError("the device folder " + folder_ + " cannot be used: " + host::ErrnoText());
    }
    if (!S_ISDIR(info.st_mode)) throw host::HostError("the device " + folder_ + " is not a folder");
    const std::string base = folder_ + "/" + SafeName(jobName_);
    for (int n = 1; n < 10000; ++n) {
      path_ = base;
      if (n > 1) path_.append("-").append(std::to_string(n));
      path_ += ".pwg";
      fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd_ >= 0) return;
      if (errno != EEXIST) throw host::FileError(path_, "cannot write: " + host::ErrnoText());
    }
    throw host::HostError("the device folder " + folder_ + " has no free name for " + base + ".pwg");
  }

  std::string folder_, jobName_, path_;
  int fd_ = -1;
};

}  // namespace

std::unique_ptr<JobOutput> OpenFolderOutput(const std::string& folder, const std::string& jobName) {
  return std::make_unique<FolderOutput>(folder, jobName);
}

}  // namespace k7730::printer_app
