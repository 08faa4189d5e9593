#include "host/printer_app/state_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <utility>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"

namespace k7730::printer_app {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The new file's data, then its name in the folder, must reach the disk
// before the old file is gone, or a power cut could leave neither.
void WriteNew(const std::string& fresh, const std::string& text) {
  const int fd = ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) throw host::FileError(fresh, "cannot create: " + host::ErrnoText());
  try {
    host::WriteAll(fd, fresh, text.data(), text.size());
    if (::fsync(fd) != 0) throw host::FileError(fresh, "cannot write: " + host::ErrnoText());
  } catch (...) {
    ::close(fd);
    throw;
  }
  if (::close(fd) != 0) throw host::FileError(fresh, "cannot write: " + host::ErrnoText());
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

std::string ReplaceFile(const std::string& path, const std::string& text) {
  // One writer per file at a time, so a fixed name for the new file is
  // enough, and a new file a crash left behind is simply written over.
  const std::string fresh = path + ".new";
  try {
    WriteNew(fresh, text);
    if (::rename(fresh.c_str(), path.c_str()) != 0) throw host::FileError(path, "cannot replace: " + host::ErrnoText());
    SyncFolder(FolderOf(path));
    return "";
  } catch (const std::exception& e) {
    ::unlink(fresh.c_str());
    return e.what();
  }
}

StateWriter::StateWriter(std::string path) : path_(std::move(path)) {
  try {
    thread_ = std::thread(&StateWriter::Run, this);
  } catch (const std::exception& e) {
    // Without a thread of its own, Post writes on the caller's thread.
    errors_.push_back(std::string("Cannot start the thread that writes the state: ") + e.what());
  }
}

StateWriter::~StateWriter() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
  for (const std::string& error : errors_) std::fprintf(stderr, "k7730-printer-app: %s\n", error.c_str());
}

void StateWriter::Post(std::string text) {
  if (!thread_.joinable()) return Write(text);
  {
    const std::lock_guard lock(mutex_);
    waiting_ = std::move(text);
  }
  changed_.notify_all();
}

void StateWriter::Flush() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !waiting_ && !writing_; });
}

std::vector<std::string> StateWriter::TakeErrors() {
  const std::lock_guard lock(mutex_);
  return std::exchange(errors_, {});
}

void StateWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return waiting_ || stopping_; });
    if (!waiting_) return;
    const std::string text = std::move(*waiting_);
    waiting_.reset();
    writing_ = true;
    lock.unlock();
    Write(text);
    lock.lock();
    writing_ = false;
    changed_.notify_all();
  }
}

void StateWriter::Write(const std::string& text) {
  try {
    const std::string error = ReplaceFile(path_, text);
    if (error.empty()) return;
    const std::lock_guard lock(mutex_);
    errors_.push_back("Cannot save the state: " + error);
  } catch (const std::exception&) {
    // Out of memory for the message: the next save tries again.
  }
}

}  // namespace k7730::printer_app
