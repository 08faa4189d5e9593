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

using Clock = std::chrono::steady_clock;

// A save takes milliseconds; a child still busy after this waits on a lock
// that a thread of the server held at the moment of the fork.
constexpr auto kSaveTimeout = std::chrono::seconds(2);
constexpr auto kPollInterval = std::chrono::milliseconds(2);
constexpr int kCheckSeconds = 1;
// The last save, when the server stops, waits for its child; this many
// tries before the server ends without it.
constexpr int kLastSaveTries = 5;

struct StateFile {
  std::string path;
  pid_t child = -1;           // the save running, if any
  Clock::time_point started;
  bool again = false;         // a save is due after the running one
};

std::string NewFileOf(const std::string& path) { return path + ".new"; }

[[noreturn]] void SaveInChild(pappl_system_t* system, const std::string& path) {
  const std::string fresh = NewFileOf(path);
  const bool saved = papplSystemSaveState(system, fresh.c_str()) && std::rename(fresh.c_str(), path.c_str()) == 0;
  ::_exit(saved ? 0 : 1);
}

void StartSave(pappl_system_t* system, StateFile& file) {
  const pid_t pid = ::fork();
  if (pid == 0) SaveInChild(system, file.path);
  file.again = pid < 0;
  if (pid < 0) {
    papplLog(system, PAPPL_LOGLEVEL_WARN, "Cannot start saving the state: %s; trying again.", std::strerror(errno));
    return;
  }
  file.child = pid;
  file.started = Clock::now();
}

// Notes the end of the running save; stops one that has run too long and
// makes it due again.
void CheckChild(pappl_system_t* system, StateFile& file) {
  if (file.child < 0) return;
  int status = 0;
  pid_t done = ::waitpid(file.child, &status, WNOHANG);
  if (done == 0) {
    if (Clock::now() - file.started < kSaveTimeout) return;
    ::kill(file.child, SIGKILL);
    while ((done = ::waitpid(file.child, &status, 0)) < 0 && errno == EINTR) {}
    std::remove(NewFileOf(file.path).c_str());
    papplLog(system, PAPPL_LOGLEVEL_WARN, "Saving the state to '%s' did not finish; saving again.", file.path.c_str());
    file.again = true;
  } else if (done == file.child && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot save the state to '%s'.", file.path.c_str());
  }
  file.child = -1;
}

// The server is stopping and PAPPL deletes the system next: the last save
// must be on disk before this returns.
void FinishSaving(pappl_system_t* system, StateFile& file) {
  for (int tries = 0; tries < kLastSaveTries; ++tries) {
    while (file.child >= 0) {
      std::this_thread::sleep_for(kPollInterval);
      CheckChild(system, file);
    }
    if (!file.again) return;
    StartSave(system, file);
  }
}

// PAPPL calls this on its main loop after a change. The save runs in a
// child; one that is due while another runs starts when that one ends.
bool Save(pappl_system_t* system, void* data) {
  auto& file = *static_cast<StateFile*>(data);
  file.again = true;
  CheckChild(system, file);
  if (file.child < 0) StartSave(system, file);
  if (papplSystemIsShutdown(system)) FinishSaving(system, file);
  return true;
}

bool CheckSaving(pappl_system_t* system, void* data) {
  auto& file = *static_cast<StateFile*>(data);
  CheckChild(system, file);
  if (file.child < 0 && file.again) StartSave(system, file);
  return true;
}

}  // namespace

void SaveStateTo(pappl_system_t* system, const std::string& path) {
  static StateFile file;   // one system per process, alive until it ends
  file.path = path;
  papplSystemSetSaveCallback(system, Save, &file);
  papplSystemAddTimerCallback(system, std::time(nullptr) + kCheckSeconds, kCheckSeconds, CheckSaving, &file);
}

}  // namespace k7730::printer_app
