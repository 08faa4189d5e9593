// The file wrappers on Win32: read sharing, exclusive writing, and the
// last-error rules of the two opens.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/temp_files.h"
#include "platform/file_wrappers.h"
#include "platform/path_utils.h"

namespace k7730 {
namespace {

using testing_files::TempFile;

class Win32FileWrappers : public ::testing::Test {
 protected:
  const TempFile path_{".bin"};
  static FileHandle Fresh() {
    FileHandle f;
    FileInit(&f);
    return f;
  }
  void Write(const std::string& bytes) { testing_files::WriteBytes(path_, {bytes.begin(), bytes.end()}); }
  // Another party's open of the same file, as the system sees it.
  bool OthersCanOpen(DWORD access, DWORD sharing) {
    HANDLE h = ::CreateFileA(path_.c_str(), access, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(h);
    return true;
  }
};

TEST_F(Win32FileWrappers, ReadingSharesWithReadersOnly) {
  Write("0123456789");
  FileHandle a = Fresh(), b = Fresh(), w = Fresh();
  ASSERT_EQ(FileOpenRead(&a, path_.c_str()), 0);
  EXPECT_EQ(FileOpenRead(&b, path_.c_str()), 0) << "a second reader";
  EXPECT_FALSE(OthersCanOpen(GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE)) << "no writer while reading";
  EXPECT_EQ(FileCreateWrite(&w, path_.c_str()), 1);
  FileClose(&a);
  FileClose(&b);
}

TEST_F(Win32FileWrappers, WritingSharesWithNobody) {
  FileHandle w = Fresh(), r = Fresh();
  ASSERT_EQ(FileCreateWrite(&w, path_.c_str()), 0);
  EXPECT_FALSE(OthersCanOpen(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE));
  EXPECT_EQ(FileOpenRead(&r, path_.c_str()), 1);
  FileClose(&w);
  EXPECT_TRUE(OthersCanOpen(GENERIC_READ, FILE_SHARE_READ));
}

TEST_F(Win32FileWrappers, LastErrorIsClearedBeforeAndJudgedAfterTheOpen) {
  Write("abc");
  FileHandle f = Fresh();
  ::SetLastError(ERROR_ACCESS_DENIED);  // a stale error from earlier calls does not count
  ASSERT_EQ(FileOpenRead(&f, path_.c_str()), 0);
  FileClose(&f);

  // Creating over an existing file reports "already exists" (183) and still succeeds.
  ::SetLastError(0);
  ASSERT_EQ(FileCreateWrite(&f, path_.c_str()), 0);
  EXPECT_EQ(::GetLastError(), 183u);
  FileClose(&f);
}

TEST_F(Win32FileWrappers, AFailedOpenLeavesTheInvalidHandleInTheWord) {
  FileHandle f = Fresh();
  EXPECT_EQ(FileOpenRead(&f, (path_.path + ".missing").c_str()), 1);
  EXPECT_EQ(f, reinterpret_cast<FileHandle>(INVALID_HANDLE_VALUE));
  char buffer[4];
  std::uint16_t count = 4;
  EXPECT_EQ(FileRead(&f, buffer, &count), 1);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(FileClose(&f), 0);
  EXPECT_EQ(f, 0u);
  // A path into a missing folder.
  EXPECT_EQ(FileCreateWrite(&f, "Z:\\no such folder\\k7730\\x.bin"), 1);
}

TEST_F(Win32FileWrappers, SizesOfFourGibibytesAndMoreAreRefused) {
  // A sparse file just over 4 GiB: its low 32 bits would claim 16 bytes.
  HANDLE h = ::CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  LARGE_INTEGER end;
  end.QuadPart = 0x100000010LL;
  ASSERT_TRUE(::SetFilePointerEx(h, end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(::SetEndOfFile(h));
  ::CloseHandle(h);
  FileHandle f = Fresh();
  ASSERT_EQ(FileOpenRead(&f, path_.c_str()), 0);
  std::uint32_t size = 7;
  EXPECT_EQ(FileGetSize(&f, &size), 1);
  EXPECT_EQ(size, 7u);
  FileClose(&f);
}

TEST(Win32Paths, FolderExistsOnlyForFolders) {
  char folder[260];
  GetModuleFolder(folder);
  EXPECT_TRUE(platform::FolderExists(folder));
  EXPECT_FALSE(platform::FileExists(folder));
  std::strcat(folder, "\\no such folder");
  EXPECT_FALSE(platform::FolderExists(folder));
}

}  // namespace
}  // namespace k7730
