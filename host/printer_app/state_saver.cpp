#include "host/printer_app/state_saver.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

namespace k7730::printer_app {

namespace {

// A save takes milliseconds; a child still busy after this waits on a lock
// that a thread of the server held at the moment of the fork.
constexpr auto kSaveTimeout = std::chrono::seconds(2);
constexpr auto kPollInterval = std::chrono::milliseconds(2);
constexpr int kRetrySeconds = 1;

struct StateFile {
  std::string path;
  bool pending = false;   // the last save did not finish: make it again
};

std::string NewFileOf(const std::string& path) { return path + ".new"; }

[[noreturn]] void SaveInChild(pappl_system_t* system, const std::string& path) {
  const std::string fresh = NewFileOf(path);
  const bool saved = papplSystemSaveState(system, fresh.c_str()) && std::rename(fresh.c_str(), path.c_str()) == 0;
  ::_exit(saved ? 0 : 1);
}

enum class SaveResult { kSaved, kFailed, kUnfinished };

// Waits for the child until the timeout; stops it when it has not finished.
SaveResult AwaitChild(pid_t pid, const std::string& path) {
  const auto deadline = std::chrono::steady_clock::now() + kSaveTimeout;
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? SaveResult::kSaved : SaveResult::kFailed;
    if (done < 0 && errno != EINTR) return SaveResult::kFailed;
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kPollInterval);
  }
  ::kill(pid, SIGKILL);
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
  std::remove(NewFileOf(path).c_str());
  return SaveResult::kUnfinished;
}

bool Save(pappl_system_t* system, void* data) {
  auto* file = static_cast<StateFile*>(data);
  const pid_t pid = ::fork();
  if (pid == 0) SaveInChild(system, file->path);
  const SaveResult result = pid > 0 ? AwaitChild(pid, file->path) : SaveResult::kUnfinished;
  file->pending = result == SaveResult::kUnfinished;
  if (pid < 0) {
    papplLog(system, PAPPL_LOGLEVEL_WARN, "Cannot start saving the state: %s; trying again.", std::strerror(errno));
  } else if (file->pending) {
    papplLog(system, PAPPL_LOGLEVEL_WARN, "Saving the state to '%s' did not finish; trying again.", file->path.c_str());
  } else if (result == SaveResult::kFailed) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot save the state to '%s'.", file->path.c_str());
  }
  return result == SaveResult::kSaved;
}

bool RetrySave(pappl_system_t* system, void* data) {
  if (static_cast<StateFile*>(data)->pending) Save(system, data);
  return true;
}

}  // namespace

void SaveStateTo(pappl_system_t* system, const std::string& path) {
  static StateFile file;   // one system per process, alive until it ends
  file.path = path;
  papplSystemSetSaveCallback(system, Save, &file);
  papplSystemAddTimerCallback(system, std::time(nullptr) + kRetrySeconds, kRetrySeconds, RetrySave, &file);
}

}  // namespace k7730::printer_app
