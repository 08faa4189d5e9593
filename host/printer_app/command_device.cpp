#include "devices.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <pappl/pappl.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace k7730::printer_app {

namespace {

struct CommandRun {
  std::string program;
  pid_t pid = -1;
  int input = -1;           // the program's standard input
  std::string problem;      // why it cannot take data, empty while it can
};

// Starts the program with a pipe on its standard input. A program that
// cannot run leaves `problem` set; the first write reports it, so the job
// ends with the reason instead of the queue waiting for the device.
void Spawn(CommandRun& run) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    run.problem = std::string("cannot make a pipe: ") + std::strerror(errno);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  char* argv[] = {run.program.data(), nullptr};
  const int err = ::access(run.program.c_str(), X_OK) != 0
                      ? errno
                      : posix_spawn(&run.pid, run.program.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[0]);
  if (err != 0) {
    ::close(fds[1]);
    run.pid = -1;
    run.problem = "the device program " + run.program + " cannot run: " + std::strerror(err);
    return;
  }
  run.input = fds[1];
}

bool Open(pappl_device_t* device, const char* uri, const char*) {
  auto* run = new CommandRun;
  run->program = DevicePath(uri);
  if (run->program.empty()) run->problem = std::string("the device URI ") + uri + " names no program";
  else Spawn(*run);
  papplDeviceSetData(device, run);
  return true;
}

ssize_t Write(pappl_device_t* device, const void* buffer, size_t bytes) {
  auto* run = static_cast<CommandRun*>(papplDeviceGetData(device));
  const auto* data = static_cast<const char*>(buffer);
  for (size_t done = 0; run->problem.empty() && done < bytes;) {
    const ssize_t n = ::write(run->input, data + done, bytes - done);
    if (n > 0) done += static_cast<size_t>(n);
    else if (errno != EINTR) run->problem = "the device program " + run->program + " stopped reading: " + std::strerror(errno);
  }
  if (!run->problem.empty()) return DeviceFailed(device, run->problem);
  return static_cast<ssize_t>(bytes);
}

void Close(pappl_device_t* device) {
  auto* run = static_cast<CommandRun*>(papplDeviceGetData(device));
  if (run == nullptr) return;
  if (run->input >= 0) ::close(run->input);
  if (run->pid > 0) {
    int status = 0;
    while (::waitpid(run->pid, &status, 0) < 0 && errno == EINTR) {}
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      papplDeviceError(device, "the device program %s ended with status %d", run->program.c_str(), status);
    }
  }
  delete run;
  papplDeviceSetData(device, nullptr);
}

ssize_t Read(pappl_device_t*, void*, size_t) { return 0; }
pappl_preason_t Status(pappl_device_t*) { return PAPPL_PREASON_NONE; }

}  // namespace

void AddCommandDevice() {
  papplDeviceAddScheme(kCommandScheme, PAPPL_DEVTYPE_CUSTOM_LOCAL, nullptr, Open, Close, Read, Write, Status,
                       nullptr);
}

}  // namespace k7730::printer_app
