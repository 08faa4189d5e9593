#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/printer_app/job_output.h"

extern char** environ;

namespace k7730::printer_app {

namespace {

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

std::unique_ptr<JobOutput> OpenCommandOutput(const std::string& program) {
  return std::make_unique<CommandOutput>(program);
}

}  // namespace k7730::printer_app
