#include <gtest/gtest.h>

#include <string>

#include "support/temp_files.h"
#include "platform/file_wrappers.h"

namespace k7730 {
namespace {

using testing_files::ReadBytes;
using testing_files::TempFile;

class FileWrappers : public ::testing::Test {
 protected:
  const TempFile path_{""};
  void Write(const std::string& bytes) { testing_files::WriteBytes(path_, {bytes.begin(), bytes.end()}); }
};

TEST_F(FileWrappers, ReadSucceedsOnlyForTheWholeCount) {
  Write("0123456789ABCDEF");
  FileHandle f;
  FileInit(&f);
  EXPECT_EQ(f, 0u);
  ASSERT_EQ(FileOpenRead(&f, path_.c_str()), 0);
  std::uint32_t size = 0;
  ASSERT_EQ(FileGetSize(&f, &size), 0);
  EXPECT_EQ(size, 16u);

  char buffer[16] = {};
  std::uint16_t count = 4;
  ASSERT_EQ(FileSeekStart(&f, 2), 0);
  ASSERT_EQ(FileRead(&f, buffer, &count), 0);
  EXPECT_EQ(std::string(buffer, 4), "2345");
  ASSERT_EQ(FileSeekCurrent(&f, 2), 0);
  count = 2;
  ASSERT_EQ(FileRead(&f, buffer, &count), 0);
  EXPECT_EQ(std::string(buffer, 2), "89");

  // Ten bytes at four before the end: a short read fails and the count
  // stays; the four bytes are there for a read that asks for them.
  ASSERT_EQ(FileSeekStart(&f, 12), 0);
  count = 10;
  EXPECT_EQ(FileRead(&f, buffer, &count), 1);
  EXPECT_EQ(count, 10);
  ASSERT_EQ(FileSeekCurrent(&f, -4), 0);
  count = 4;
  ASSERT_EQ(FileRead(&f, buffer, &count), 0);
  EXPECT_EQ(std::string(buffer, 4), "CDEF");

  EXPECT_EQ(FileClose(&f), 0);
  EXPECT_EQ(f, 0u);
  EXPECT_EQ(FileClose(&f), 0);       // a 0 word: nothing happens
  EXPECT_EQ(FileClose(nullptr), 0);
}

TEST_F(FileWrappers, CreateWriteTruncatesAnExistingFile) {
  Write(std::string(100, 'x'));
  FileHandle f;
  FileInit(&f);
  ASSERT_EQ(FileCreateWrite(&f, path_.c_str()), 0);
  std::uint16_t count = 3;
  ASSERT_EQ(FileWrite(&f, "abc", &count), 0);
  FileClose(&f);
  EXPECT_EQ(ReadBytes(path_), (testing_files::Bytes{'a', 'b', 'c'}));
}

TEST_F(FileWrappers, FailuresAreOneAndNeverTouchAClosedFile) {
  FileHandle f;
  FileInit(&f);
  EXPECT_EQ(FileOpenRead(&f, (path_.path + "_missing").c_str()), 1);
  FileInit(&f);
  char buffer[4];
  std::uint16_t count = 4;
  EXPECT_EQ(FileRead(&f, buffer, &count), 1);
  EXPECT_EQ(FileWrite(&f, buffer, &count), 1);
  EXPECT_EQ(FileSeekStart(&f, 0), 1);
  std::uint32_t size = 7;
  EXPECT_EQ(FileGetSize(&f, &size), 1);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(FileOpenRead(&f, ::testing::TempDir().c_str()), 1);  // a folder is no file
  EXPECT_EQ(FileCreateWrite(&f, ""), 1);
}

}  // namespace
}  // namespace k7730
