// What the command says, and when: errors always, notices and the summary
// unless --quiet, the stage plan and timings with --verbose.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

namespace k7730::host {

class Console {
 public:
  bool quiet = false;
  bool verbose = false;
  bool stdoutIsImage = false;   // an image goes to standard output: talk on stderr

  void Error(const std::string& message) const;
  void Notice(const std::string& message) const;
  void Warning(const std::string& message) const;  // stderr, even when quiet
  void Info(const std::string& message) const;     // stdout, unless quiet
  void Detail(const std::string& message) const;   // stdout, verbose only

 private:
  std::FILE* Out() const { return stdoutIsImage ? stderr : stdout; }
};

// Measures named steps for --verbose.
class StepTimer {
 public:
  void Begin(const std::string& step);
  void End();
  std::vector<std::string> Report() const;
  // Adds a step measured elsewhere (the sum of many short stretches).
  void Record(const std::string& step, double seconds);

 private:
  using Clock = std::chrono::steady_clock;
  std::vector<std::pair<std::string, double>> steps_;
  std::string current_;
  Clock::time_point started_{};
};

// A one-line bar on the terminal for pages that take more than about a
// second; silent when stderr is not a terminal.
class ProgressBar {
 public:
  // `label` leads the line, such as "2 of 5 photo.jpg".
  ProgressBar(bool enabled, std::uint64_t total, std::string label = "");
  ~ProgressBar();
  void Update(std::uint64_t done);
  void Finish();

 private:
  using Clock = std::chrono::steady_clock;
  bool enabled_;
  bool drawn_ = false;
  std::uint64_t total_;
  std::string label_;
  Clock::time_point start_, lastDraw_;
};

}  // namespace k7730::host
