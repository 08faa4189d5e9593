// The format table: every row's names, signature, reader and writer agree
// with one another and with no other row, and the lists shown to users are
// made from it.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "host/core/host_error.h"
#include "host/image/image_formats.h"
#include "support/photo_files.h"
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

// A small file of the row's format: written by the host when it writes
// the format, else by the format's own library.
std::string WriteSample(const ImageFormatInfo& row, const Image& page, const std::string& path) {
  if (Writable(row)) {
    WriteImage(path, page);
  } else if (row.format == ImageFormat::Webp) {
    test::WriteWebpFile(path, page.width, page.height, page.rgb, {});
  } else if (row.format == ImageFormat::Heif) {
    test::WriteHeifFile(path, page.width, page.height, page.rgb, {});
  } else {
    ADD_FAILURE() << "no way to make a " << row.name << " file";
  }
  return path;
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
    std::vector<const char*> names = {row.word, row.alias};
    names.insert(names.end(), row.extensions.begin(), row.extensions.end());
    for (const char* word : names) {
      if (word == nullptr) continue;
      own.insert(word);
      EXPECT_EQ(words.count(word), 0u) << word << " names two formats";
      ImageFormat named{};
      ASSERT_TRUE(FormatFromWord(Upper(word), named)) << word;
      EXPECT_EQ(named, row.format) << word;
      const std::string output = "dir.x/page." + std::string(word);
      if (Writable(row)) {
        EXPECT_EQ(FormatFromName(output), row.format) << word;
      } else {
        EXPECT_EQ(ErrorOf([](const std::string& p) { FormatFromName(p); }, output),
                  output + ": cannot write " + row.name + " files, only read them (the output can be PNG, TIFF, "
                           "JPEG or PPM)");
      }
    }
    words.insert(own.begin(), own.end());
    const std::string path = WriteSample(row, page, Path(std::string("page.") + row.extensions[0]));
    const std::vector<std::uint8_t> bytes = test::ReadBytes(path);
    const std::size_t head = std::min<std::size_t>(bytes.size(), kMaxSignatureBytes);
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
            Path("text.png") +
                ": not an image this program reads (PNG, TIFF, JPEG, binary PPM, WebP or HEIF (HEIC, AVIF))");
  EXPECT_EQ(FormatList(FormatListItem::Name, " or ", [](const ImageFormatInfo& r) { return r.fromStdin; }),
            "PNG, JPEG, PPM, WebP or HEIF");
  EXPECT_EQ(FormatList(FormatListItem::Word, " or "), "png, tiff, jpeg, ppm, webp or heif");
  EXPECT_EQ(FormatList(FormatListItem::Word, " or ", Writable), "png, tiff, jpeg or ppm");
  // A sink asked for a format that is only read refuses, naming the output.
  EXPECT_EQ(ErrorOf([](const std::string& p) { CreateImageSink(ImageFormat::Heif, 1, p, {}, {}); }, "-"),
            "standard output: cannot write HEIF files, only read them (the output can be PNG, TIFF, JPEG or PPM)");
}

// The fuzz targets follow the table: each row's reader has a target named
// for its --format word in fuzz/CMakeLists.txt, and seeds to start from.
TEST_F(FormatTable, EveryRowHasAFuzzTargetWithSeeds) {
  std::ifstream list(std::string(K7730_SOURCE_DIR) + "/fuzz/CMakeLists.txt");
  ASSERT_TRUE(list) << "fuzz/CMakeLists.txt cannot be read";
  std::stringstream text;
  text << list.rdbuf();
  for (const ImageFormatInfo& row : ImageFormats()) {
    const std::string target = std::string(row.word) + "_reader_fuzzer";
    EXPECT_NE(text.str().find("\n  " + target + " image_reader_fuzzer.cpp host"), std::string::npos)
        << row.name << " has no fuzz target " << target;
    const std::string seeds = std::string(K7730_SOURCE_DIR) + "/fuzz/seeds/" + target;
    EXPECT_TRUE(std::filesystem::is_directory(seeds) && !std::filesystem::is_empty(seeds))
        << row.name << " has no seeds in " << seeds;
  }
}

}  // namespace
}  // namespace k7730::host
