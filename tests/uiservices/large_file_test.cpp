#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "ui/file_wrappers.h"

namespace k7730 {
namespace {

// A sparse file just above 4 GiB: its low 32 bits would read as 100 bytes.
TEST(FileWrappers, SizeBeyondThirtyTwoBitsFails) {
  const std::string path = ::testing::TempDir() + "k7730_huge_file";
  std::error_code ec;
  { std::FILE* f = std::fopen(path.c_str(), "wb"); ASSERT_NE(f, nullptr); std::fclose(f); }
  std::filesystem::resize_file(path, (std::uintmax_t{1} << 32) + 100, ec);
  if (ec) {
    std::remove(path.c_str());
    GTEST_SKIP() << "no sparse files here: " << ec.message();
  }
  FileHandle f;
  FileInit(&f);
  ASSERT_EQ(FileOpenRead(&f, path.c_str()), 0);
  std::uint32_t size = 7;
  EXPECT_EQ(FileGetSize(&f, &size), 1);
  EXPECT_EQ(size, 7u);
  FileClose(&f);
  std::remove(path.c_str());
}

}  // namespace
}  // namespace k7730
