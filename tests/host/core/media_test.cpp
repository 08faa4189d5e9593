// The printer's media list against the sample PPD: every size entry of the
// PPD names a medium of the list with the list's size, and every medium is
// offered by each entry, so neither can change without the other. The IPP
// names carry the size too.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <sstream>

#include "host/core/media.h"
#include "support/temp_files.h"

namespace k7730::host {
namespace {

struct PpdEntry {
  std::string option, translation, value;
};

// `*Keyword Option/Translation: "value"` lines, by keyword.
std::map<std::string, std::vector<PpdEntry>> ReadPpdEntries(const std::string& text) {
  std::map<std::string, std::vector<PpdEntry>> entries;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t space = line.find(' '), slash = line.find('/'), colon = line.find(": \"");
    if (line.rfind("*", 0) != 0 || space == std::string::npos || slash == std::string::npos ||
        colon == std::string::npos || !(space < slash && slash < colon) || line.back() != '"') {
      continue;
    }
    entries[line.substr(1, space - 1)].push_back({line.substr(space + 1, slash - space - 1),
                                                  line.substr(slash + 1, colon - slash - 1),
                                                  line.substr(colon + 3, line.size() - colon - 4)});
  }
  return entries;
}

std::string DefaultOf(const std::string& text, const std::string& keyword) {
  const std::string key = "*Default" + keyword + ": ";
  const std::size_t at = text.find(key);
  if (at == std::string::npos) return "";
  return text.substr(at + key.size(), text.find('\n', at) - at - key.size());
}

std::string Size(const Media& m) { return std::to_string(m.widthPoints) + " " + std::to_string(m.heightPoints); }

TEST(Media, TheSamplePpdOffersExactlyTheList) {
  const std::string text = testing_files::ReadText(std::string(K7730_EXAMPLES_DIR) + "/k7730.ppd");
  const auto entries = ReadPpdEntries(text);
  const std::map<std::string, std::string> valueShape = {
      {"PageSize", "<</PageSize[%s]/ImagingBBox null>>setpagedevice"},
      {"PageRegion", "<</PageSize[%s]/ImagingBBox null>>setpagedevice"},
      {"ImageableArea", "0 0 %s"},
      {"PaperDimension", "%s"}};
  for (const auto& [keyword, shape] : valueShape) {
    SCOPED_TRACE(keyword);
    ASSERT_EQ(entries.count(keyword), 1u);
    std::set<std::string> offered;
    for (const PpdEntry& entry : entries.at(keyword)) {
      const Media* media = FindMedia(entry.option);
      ASSERT_NE(media, nullptr) << entry.option << " is not a medium of the list";
      EXPECT_STREQ(media->ppdName, entry.option.c_str());
      EXPECT_EQ(entry.translation, std::string(media->name) + "\"");
      const std::size_t at = shape.find("%s");
      EXPECT_EQ(entry.value, shape.substr(0, at) + Size(*media) + shape.substr(at + 2));
      EXPECT_TRUE(offered.insert(entry.option).second) << entry.option << " twice";
    }
    EXPECT_EQ(offered.size(), std::size(kMediaList));
    EXPECT_EQ(DefaultOf(text, keyword), kMediaList[0].ppdName);
  }
}

TEST(Media, NamesAndSizesAgree) {
  std::set<std::string> names;
  for (const Media& m : kMediaList) {
    SCOPED_TRACE(m.name);
    EXPECT_TRUE(names.insert(m.name).second && names.insert(m.pwgName).second && names.insert(m.ppdName).second);
    EXPECT_EQ(FindMedia(m.name), &m);
    EXPECT_EQ(FindMedia(m.ppdName), &m);
    // "na_index-4x6_4x6in": the IPP name ends with the size in inches, and
    // the short name is that size.
    unsigned w = 0, h = 0;
    const std::string pwg = m.pwgName;
    ASSERT_EQ(std::sscanf(pwg.c_str() + pwg.rfind('_') + 1, "%ux%uin", &w, &h), 2) << pwg;
    EXPECT_EQ(m.widthPoints, w * 72);
    EXPECT_EQ(m.heightPoints, h * 72);
    EXPECT_EQ(std::string(m.name), std::to_string(w) + "x" + std::to_string(h));
    EXPECT_EQ(m.WidthPixels(), w * 300);
    EXPECT_EQ(m.HeightPixels(), h * 300);
  }
  EXPECT_EQ(FindMedia("A4"), nullptr);
  EXPECT_EQ(MediaNames(), "4x6, 5x7 or 6x8");
  EXPECT_EQ(MediaChoices(), "4x6|5x7|6x8");
}

}  // namespace
}  // namespace k7730::host
