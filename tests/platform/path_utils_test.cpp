#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/path_utils.h"

namespace k7730 {
namespace {

std::string P(const std::string& s) {  // write paths with '|' as the separator
  std::string out = s;
  for (char& c : out) {
    if (c == '|') c = platform::kPathSeparator;
  }
  return out;
}

TEST(PathUtils, FileNameAndCut) {
  EXPECT_STREQ(PathFileName(P("C:|dir|file.icc").c_str()), "file.icc");
  EXPECT_STREQ(PathFileName("file.icc"), "file.icc");
  EXPECT_STREQ(PathFileName(P("C:|dir|").c_str()), "");
  EXPECT_EQ(PathFileName(static_cast<const char*>(nullptr)), nullptr);

  std::string path = P("C:|dir|file.icc");
  PathCutLastComponent(path.data());
  EXPECT_STREQ(path.c_str(), P("C:|dir").c_str());
  std::string bare = "file.icc";
  PathCutLastComponent(bare.data());
  EXPECT_STREQ(bare.c_str(), "file.icc");
}

TEST(PathUtils, HasExtensionComparesThreeCharactersWithoutCase) {
  EXPECT_EQ(HasExtension(".mtf", "mtf"), 0);  // dot first
  EXPECT_EQ(HasExtension("x.", "mtf"), 0);    // nothing after the dot
  EXPECT_EQ(HasExtension("noext", "mtf"), 0);
  EXPECT_EQ(HasExtension("x.Mtf", "mtf"), 1);
  EXPECT_EQ(HasExtension("a.b.mtf", "mtf"), 1);
  EXPECT_EQ(HasExtension("a.mtf.bak", "mtf"), 0);
  EXPECT_EQ(HasExtension("x.MTFX", "mtf"), 1);
  EXPECT_EQ(HasExtension("curve.amp", "AMP"), 1);
  EXPECT_EQ(HasExtension("x.mt", "mtf"), 0);
  EXPECT_EQ(HasExtension(nullptr, "mtf"), 0);
}

TEST(PathUtils, ModuleFolderJoinsOrEmptiesInsteadOfCutting) {
  char field[platform::kMaxPath];
  ASSERT_TRUE(JoinModuleFile(P("C:|Drv").c_str(), "A17D50.ICC", field));
  EXPECT_STREQ(field, P("C:|Drv|A17D50.ICC").c_str());

  // 248 + 1 + 10 = 259 characters still fit with the terminator; one more does not.
  std::string folder(248, 'f');
  EXPECT_TRUE(JoinModuleFile(folder.c_str(), "A17D50.ICC", field));
  EXPECT_EQ(std::strlen(field), 259u);
  folder += 'g';
  EXPECT_FALSE(JoinModuleFile(folder.c_str(), "A17D50.ICC", field));
  EXPECT_STREQ(field, "");

  char buffer[platform::kMaxPath];
  GetModuleFolder(buffer);
  EXPECT_GT(std::strlen(buffer), 0u);  // the test executable's own folder here

  // A field without a terminator is read up to its size only.
  char unterminated[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
  EXPECT_EQ(BoundedLength(unterminated, sizeof unterminated), 8u);
  unterminated[3] = '\0';
  EXPECT_EQ(BoundedLength(unterminated, sizeof unterminated), 3u);
}

}  // namespace
}  // namespace k7730
