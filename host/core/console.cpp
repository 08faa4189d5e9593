#include "host/core/console.h"

#include <unistd.h>

#include <cstdio>

namespace k7730::host {

void Console::Error(const std::string& message) const {
  std::fprintf(stderr, "k7730-print: error: %s\n", message.c_str());
}
void Console::Notice(const std::string& message) const {
  if (!quiet) std::fprintf(stderr, "k7730-print: note: %s\n", message.c_str());
}
void Console::Warning(const std::string& message) const {
  std::fprintf(stderr, "k7730-print: warning: %s\n", message.c_str());
}
void Console::Info(const std::string& message) const {
  if (!quiet) std::fprintf(Out(), "%s\n", message.c_str());
}
void Console::Detail(const std::string& message) const {
  if (verbose && !quiet) std::fprintf(Out(), "%s\n", message.c_str());
}

void StepTimer::Begin(const std::string& step) {
  if (!current_.empty()) End();
  current_ = step;
  started_ = Clock::now();
}

void StepTimer::End() {
  if (current_.empty()) return;
  steps_.emplace_back(current_, std::chrono::duration<double>(Clock::now() - started_).count());
  current_.clear();
}

void StepTimer::Record(const std::string& step, double seconds) { steps_.emplace_back(step, seconds); }

std::vector<std::string> StepTimer::Report() const {
  std::vector<std::string> lines;
  for (const auto& [name, seconds] : steps_) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-56s %9.1f ms", name.c_str(), seconds * 1000.0);
    lines.push_back(line);
  }
  return lines;
}

ProgressBar::ProgressBar(bool enabled, std::uint64_t total, std::string label)
    : enabled_(enabled && ::isatty(STDERR_FILENO) == 1 && total > 0),
      total_(total),
      label_(std::move(label)),
      start_(Clock::now()),
      lastDraw_(start_) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(std::uint64_t done) {
  if (!enabled_) return;
  const auto now = Clock::now();
  if (now - start_ < std::chrono::seconds(1)) return;
  if (drawn_ && now - lastDraw_ < std::chrono::milliseconds(100) && done < total_) return;
  lastDraw_ = now;
  drawn_ = true;
  constexpr int kWidth = 32;
  const int filled = static_cast<int>(kWidth * done / total_);
  char bar[kWidth + 1];
  for (int i = 0; i < kWidth; ++i) bar[i] = i < filled ? '#' : '.';
  bar[kWidth] = '\0';
  std::fprintf(stderr, "\r%s%s[%s] %3d%%  %llu of %llu lines", label_.c_str(), label_.empty() ? "" : " ", bar, static_cast<int>(100 * done / total_),
               static_cast<unsigned long long>(done), static_cast<unsigned long long>(total_));
  std::fflush(stderr);
}

void ProgressBar::Finish() {
  if (drawn_) {
    std::fprintf(stderr, "\r\033[K");
    std::fflush(stderr);
    drawn_ = false;
  }
}

}  // namespace k7730::host
