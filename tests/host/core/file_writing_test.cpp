// Writing files all or nothing from several threads, the list of files
// being written that an interrupt handler removes, and the temporary
// folder. The core runs inside the printer application, so a write must
// leave the process's signal handlers and umask as it found them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/core/temporary_files.h"
#include "support/test_images.h"

namespace k7730::host {
namespace {

namespace fs = std::filesystem;

using FileWriting = test::ScratchFolder;

std::vector<std::string> PartialFiles(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename().string().find(".partial-") != std::string::npos) names.push_back(entry.path());
  }
  return names;
}

std::string ReadText(const std::string& path) {
  const auto bytes = ReadFileBytes(path, 1 << 20);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::string& path, const std::string& text) {
  WriteFileAtomically(path, [&](int fd) { WriteAll(fd, path, text.data(), text.size()); });
}

// Holds writers inside their write until all of them are there.
class Gate {
 public:
  explicit Gate(int count) : waiting_(count) {}
  void ArriveAndWait() {
    std::unique_lock lock(mutex_);
    if (--waiting_ == 0) all_.notify_all();
    all_.wait(lock, [&] { return waiting_ == 0 && open_; });
  }
  void WaitForAll() {
    std::unique_lock lock(mutex_);
    all_.wait(lock, [&] { return waiting_ == 0; });
  }
  void Open() {
    std::lock_guard lock(mutex_);
    open_ = true;
    all_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable all_;
  int waiting_;
  bool open_ = false;
};

TEST_F(FileWriting, ThreadsWritingAtOnceEachGetTheirWholeFile) {
  // Both threads write the same two names over and over, and each a name of
  // its own: every file ends up whole, as one writer left it.
  constexpr int kRounds = 100;
  auto writer = [&](char id) {
    const std::string own(4000, id);
    for (int i = 0; i < kRounds; ++i) {
      WriteText(Path(std::string("own-") + id), own + std::to_string(i));
      WriteText(Path("shared-" + std::to_string(i % 2)), std::string(3000 + i, id));
    }
  };
  std::thread a(writer, 'a'), b(writer, 'b');
  a.join();
  b.join();
  EXPECT_EQ(ReadText(Path("own-a")), std::string(4000, 'a') + std::to_string(kRounds - 1));
  EXPECT_EQ(ReadText(Path("own-b")), std::string(4000, 'b') + std::to_string(kRounds - 1));
  for (const char* shared : {"shared-0", "shared-1"}) {
    const std::string text = ReadText(Path(shared));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_not_of(text[0]), std::string::npos) << shared << " mixes two writers";
  }
  EXPECT_TRUE(PartialFiles(dir).empty());
}

TEST_F(FileWriting, RemovingPendingFilesTakesEveryThreadsTemporaryFile) {
  // What an interrupt handler does while two threads are half way through
  // their writes: both temporary files go, and neither write completes.
  Gate gate(2);
  std::vector<std::string> errors(2);
  auto writer = [&](int n) {
    const std::string path = Path("out-" + std::to_string(n));
    try {
      WriteFileAtomically(path, [&](int fd) {
        WriteAll(fd, path, "half", 4);
        gate.ArriveAndWait();
      });
    } catch (const HostError& e) {
      errors[n] = e.what();
    }
  };
  std::thread a(writer, 0), b(writer, 1);
  gate.WaitForAll();
  EXPECT_EQ(PartialFiles(dir).size(), 2u);
  RemovePendingFiles();
  EXPECT_TRUE(PartialFiles(dir).empty());
  gate.Open();
  a.join();
  b.join();
  for (int n = 0; n < 2; ++n) {
    EXPECT_NE(errors[n].find("cannot write"), std::string::npos) << errors[n];
    EXPECT_FALSE(fs::exists(Path("out-" + std::to_string(n))));
  }
  // The list is usable again afterwards.
  WriteText(Path("after"), "whole");
  EXPECT_EQ(ReadText(Path("after")), "whole");
}

extern "C" void IgnoreSignal(int) {}

TEST_F(FileWriting, AWriteLeavesTheProcessHandlersAndUmaskAsTheyWere) {
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction saved[3] {}, ours {};
  ours.sa_handler = IgnoreSignal;
  sigemptyset(&ours.sa_mask);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(::sigaction(signals[i], &ours, &saved[i]), 0);
  const mode_t savedMask = ::umask(027);
  auto expectOurs = [&](const char* when) {
    for (int sig : signals) {
      struct sigaction now {};
      ::sigaction(sig, nullptr, &now);
      EXPECT_EQ(now.sa_handler, &IgnoreSignal) << "signal " << sig << " " << when;
    }
  };

  WriteFileAtomically(Path("ok"), [&](int fd) {
    expectOurs("while writing");
    WriteAll(fd, Path("ok"), "x", 1);
  });
  expectOurs("after a write");
  EXPECT_THROW(WriteFileAtomically(Path("failed"), [](int) { throw HostError("refused"); }), HostError);
  expectOurs("after a failed write");
  EXPECT_FALSE(fs::exists(Path("failed")));
  // The file has the permissions a plain create under the umask gives.
  struct stat st {};
  ASSERT_EQ(::stat(Path("ok").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(::umask(savedMask), 027u);

  for (int i = 0; i < 3; ++i) ::sigaction(signals[i], &saved[i], nullptr);
}

TEST_F(FileWriting, TemporaryFolderIsTheGivenWritableFolderElseTmp) {
  SetTemporaryFolder(dir.c_str());
  EXPECT_EQ(TemporaryFolder(), dir);
  for (const std::string& unusable : {std::string(""), Path("missing")}) {
    SetTemporaryFolder(unusable.c_str());
    EXPECT_EQ(TemporaryFolder(), "/tmp") << "given '" << unusable << "'";
  }
  SetTemporaryFolder(nullptr);
  EXPECT_EQ(TemporaryFolder(), "/tmp");
}

}  // namespace
}  // namespace k7730::host
