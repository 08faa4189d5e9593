// Temporary files: the folder they go in, and a list of the ones being
// written that a program's own interrupt handler can remove. The host core
// never installs signal handlers nor reads the environment: it runs inside
// other programs too (the printer application, a server), whose handlers
// and environment must stay theirs. Each program's main reads $TMPDIR and
// hands it in once with SetTemporaryFolder; the folder is kept behind a
// lock, so setting it while other threads already run is safe as well.
#pragma once

#include <string>

namespace k7730::host {

// The folder a program was given for temporary files, its $TMPDIR (null
// or empty: none). Until a program sets one, none is given.
void SetTemporaryFolder(const char* folder);

// The given folder when this process may write into it, /tmp otherwise;
// the same choice PAPPL makes with $TMPDIR, so file and socket names agree.
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
