#include "host/printer_app/device_output.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <random>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

extern char** environ;

namespace k7730::printer_app {

namespace {

constexpr const char* kOutputFailed = "the device output failed";

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

class CommandOutput : public JobOutput {
 public:
  explicit CommandOutput(std::string program) : program_(std::move(program)) {}
  ~CommandOutput() override {
    try {
      Close();
    } catch (const host::HostError&) {
    }
  }

  void Write(std::span<const std::uint8_t> bytes) override {
    if (pid_ < 0) Spawn();
    try {
      host::WriteAll(input_, program_, bytes.data(), bytes.size());
    } catch (const host::HostError& e) {
      throw host::HostError("the device program " + program_ + " stopped reading (" + e.what() + ")");
    }
  }

  // Ends the program's input and waits for it; a failing program fails the job.
  void Close() override {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
    if (pid_ <= 0) return;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {}
    pid_ = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      throw host::HostError("the device program " + program_ + " failed (status " + std::to_string(status) + ")");
    }
  }

 private:
  // Starts the program with a pipe on its standard input.
  void Spawn() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw host::HostError("cannot make a pipe: " + host::ErrnoText());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    char* argv[] = {program_.data(), nullptr};
    const int err = posix_spawn(&pid_, program_.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[0]);
    if (err != 0) {
      ::close(fds[1]);
      pid_ = -1;
      throw host::HostError("the device program " + program_ + " cannot run: " + std::strerror(err));
    }
    input_ = fds[1];
  }

  std::string program_;
  pid_t pid_ = -1;
  int input_ = -1;
};

}  // namespace

std::unique_ptr<JobOutput> OpenFolderOutput(const std::string& folder, const std::string& jobName) {
  return std::make_unique<FolderOutput>(folder, jobName);
}

std::unique_ptr<JobOutput> OpenCommandOutput(const std::string& program) {
  return std::make_unique<CommandOutput>(program);
}

PwgOutput::~PwgOutput() {
  if (raster_ != nullptr) cupsRasterClose(raster_);
}

ssize_t PwgOutput::Write(void* self, unsigned char* buffer, size_t bytes) noexcept {
  auto* out = static_cast<PwgOutput*>(self);
  // libcups is C: nothing may be thrown through it. The reason is kept for
  // WritePage and Close to throw on our side of the call.
  try {
    try {
      out->output_->Write({buffer, bytes});
      return static_cast<ssize_t>(bytes);
    } catch (const std::exception& e) {
      out->problem_ = e.what();
    }
  } catch (...) {
    // Not even the reason could be kept; the failure is.
  }
  out->failed_ = true;
  return -1;
}

void PwgOutput::WritePage(const cups_page_header2_t& header, std::span<const std::uint8_t> pixels) {
  if (raster_ == nullptr) {
    output_ = open_();
    raster_ = cupsRasterOpenIO(&PwgOutput::Write, this, CUPS_RASTER_WRITE_PWG);
    // libcups writes the stream's sync word here: the first write, where an
    // output that cannot take data says why.
    if (raster_ == nullptr) throw host::HostError(problem_.empty() ? "cannot start the PWG raster stream" : problem_);
  }
  cups_page_header2_t written = header;
  written.NumCopies = 1;
  if (cupsRasterWriteHeader2(raster_, &written) == 0 ||
      cupsRasterWritePixels(raster_, const_cast<unsigned char*>(pixels.data()),
                            static_cast<unsigned>(pixels.size())) < pixels.size()) {
    throw host::HostError(problem_.empty() ? "the device takes no more data" : problem_);
  }
}

void PwgOutput::Close() {
  if (raster_ != nullptr) cupsRasterClose(raster_);
  raster_ = nullptr;
  if (failed_) throw host::HostError(problem_.empty() ? kOutputFailed : problem_);
  if (output_) output_->Close();
}

}  // namespace k7730::printer_app
