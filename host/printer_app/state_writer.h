// Writes the state file on a thread of its own, so that the server's main
// loop, which reads the state, never waits for the disk. Only the newest
// text is written: one posted while another is being written replaces any
// text still waiting.
#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace k7730::printer_app {

class StateWriter {
 public:
  explicit StateWriter(std::string path);
  // Writes what is waiting, then ends the thread.
  ~StateWriter();
  StateWriter(const StateWriter&) = delete;
  StateWriter& operator=(const StateWriter&) = delete;

  void Post(std::string text);
  // Returns once everything posted so far is written (or has failed).
  void Flush();
  // The problems met since the last call, one sentence each.
  std::vector<std::string> TakeErrors();

 private:
  void Run();
  void Write(const std::string& text);

  const std::string path_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<std::string> waiting_;
  bool writing_ = false;
  bool stopping_ = false;
  std::vector<std::string> errors_;
  std::thread thread_;   // last: starts once the rest is set up
};

// Replaces `path` with `text` all at once: a new file beside it, made
// private (it holds the password hash), written and synced, renamed over
// the old one, and the folder synced so that the rename itself is on disk.
// Returns an empty string or what went wrong.
std::string ReplaceFile(const std::string& path, const std::string& text);

}  // namespace k7730::printer_app
