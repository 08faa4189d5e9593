// k7730-print stopped by a signal half way through a page: it ends as the
// signal ends a program, and leaves neither the print nor its temporary
// file behind.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "host/print/print_runner.h"

extern char** environ;

namespace k7730::host {
namespace {

namespace fs = std::filesystem;

bool HasPartialFile(const std::string& dir) {
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().find(".partial-") != std::string::npos) return true;
  }
  return false;
}

// Starts k7730-print reading a PPM from a pipe; returns its process id and
// the pipe's writing end.
pid_t StartPrintFromPipe(const std::string& output, int& feed) {
  int ends[2];
  if (::pipe(ends) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, ends[1]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::string program = K7730_PRINT_PATH, input = "-", out = output, quiet = "--quiet";
  char* argv[] = {program.data(), input.data(), out.data(), quiet.data(), nullptr};
  pid_t pid = -1;
  if (::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(ends[0]);
  feed = ends[1];
  return pid;
}

TEST_F(PrintCommand, AnInterruptedPrintLeavesNoFileBehind) {
  for (int signal : {SIGINT, SIGTERM}) {
    SCOPED_TRACE("signal " + std::to_string(signal));
    const std::string output = Path("print-" + std::to_string(signal) + ".png");
    int feed = -1;
    const pid_t pid = StartPrintFromPipe(output, feed);
    ASSERT_GT(pid, 0);
    // The header and a few rows of a tall page; the rest never comes.
    const std::string head = "P6\n64 4096\n255\n" + std::string(64 * 3 * 40, '\x80');
    ASSERT_EQ(::write(feed, head.data(), head.size()), static_cast<ssize_t>(head.size()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!HasPartialFile(dir) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_TRUE(HasPartialFile(dir)) << "the print was never started";
    ::kill(pid, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(feed);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "status " << status;
    EXPECT_FALSE(HasPartialFile(dir));
    EXPECT_FALSE(fs::exists(output));
  }
}

}  // namespace
}  // namespace k7730::host
