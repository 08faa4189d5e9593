// The format table: every row's names, signature, reader and writer agree
// with one another and with no other row, and the lists shown to users are
// made from it.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>

#include "host/core/host_error.h"
#include "host/image/image_formats.h"
#include "support/test_images.h"

namespace k7730::host {
namespace {

using FormatTable = test::ScratchFolder;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string ErrorOf(void (*call)(const std::string&), const std::string& path) {
  try {
    call(path);
  } catch (const HostError& e) {
    return e.what();
  }
  return "";
}

TEST_F(FormatTable, EveryRowWritesWhatOnlyItsOwnSignatureAndReaderTake) {
  Image page;
  page.width = 5;
  page.height = 3;
  page.rgb = test::NoisePixels(5, 3, 2);
  std::set<std::string> words;
  for (const ImageFormatInfo& row : ImageFormats()) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(&FormatInfo(row.format), &row);
    EXPECT_STREQ(FormatExtension(row.format), row.extensions[0]);
    std::set<std::string> own;
    for (const char* word : {row.word, row.extensions[0], row.extensions[1], row.alias}) {
      if (word == nullptr) continue;
      own.insert(word);
      EXPECT_EQ(words.count(word), 0u) << word << " names two formats";
      ImageFormat named{};
      ASSERT_TRUE(FormatFromWord(Upper(word), named)) << word;
      EXPECT_EQ(named, row.format) << word;
      EXPECT_EQ(FormatFromName("dir.x/page." + std::string(word)), row.format) << word;
    }
    words.insert(own.begin(), own.end());
    const std::string path = Path(std::string("page.") + row.extensions[0]);
    WriteImage(path, page);
    const std::vector<std::uint8_t> bytes = test::ReadBytes(path);
    const std::size_t head = std::min<std::size_t>(bytes.size(), 8);
    for (const ImageFormatInfo& other : ImageFormats()) {
      EXPECT_EQ(other.matches(bytes.data(), head), &other == &row) << other.name << "'s signature";
    }
    EXPECT_EQ(DetectFormat(path), row.format);
    const Image back = ReadImageAs(row.format, path);
    EXPECT_EQ(back.width, page.width);
    EXPECT_EQ(back.height, page.height);
  }
}

TEST_F(FormatTable, RefusalsListTheFormatsTheTableHolds) {
  EXPECT_EQ(ErrorOf([](const std::string& p) { FormatFromName(p); }, "out.gif"),
            "out.gif: cannot tell the output format from the name (use .png, .tif, .tiff, .jpg, .jpeg or .ppm)");
  EXPECT_EQ(ErrorOf([](const std::string& p) { FormatFromName(p); }, "png.d/out"),
            "png.d/out: cannot tell the output format from the name (use .png, .tif, .tiff, .jpg, .jpeg or .ppm)");
  test::WriteBytes(Path("text.png"), {'G', 'I', 'F', '8', '9', 'a'});
  EXPECT_EQ(ErrorOf([](const std::string& p) { OpenImage(p); }, Path("text.png")),
            Path("text.png") + ": not an image this program reads (PNG, TIFF, JPEG or binary PPM)");
  EXPECT_EQ(FormatList(FormatListItem::Name, " or ", [](const ImageFormatInfo& r) { return r.fromStdin; }),
            "PNG, JPEG or PPM");
  EXPECT_EQ(FormatList(FormatListItem::Word, " or "), "png, tiff, jpeg or ppm");
}

}  // namespace
}  // namespace k7730::host
