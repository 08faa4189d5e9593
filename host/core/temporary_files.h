// Temporary files: the folder they go in, and a list of the ones being
// written that a program's own interrupt handler can remove. The host core
// never installs signal handlers: it runs inside other programs too (the
// printer application), whose handlers must stay theirs.
#pragma once

#include <string>

namespace k7730::host {

// $TMPDIR when it names a folder this process may write into, /tmp
// otherwise; the same choice PAPPL makes, so file and socket names agree.
std::string TemporaryFolder();

// Lists a file as being written for as long as the object lives. Any
// thread may hold some; when the list is full the file is simply not
// listed (it is still removed on the ordinary failure paths).
class PendingFile {
 public:
  explicit PendingFile(const std::string& path);
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

 private:
  int slot_ = -1;
};

// Removes every listed file. Safe to call from a signal handler: it only
// reads lock-free atomics and calls unlink.
void RemovePendingFiles() noexcept;

}  // namespace k7730::host
