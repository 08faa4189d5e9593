#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "resources/correction_dialog.h"
#include "resources/cursor_names.h"
#include "resources/icc_dialog.h"
#include "resources/mtf_dialog.h"
#include "resources/string_table.h"
#include "resources/tonecurve_dialog.h"
#include "tools/win32_resources/resource_script.h"

namespace k7730::resgen {
namespace {

constexpr const ui::DialogTemplate* kDialogs[] = {&res::kCorrectionDialog, &res::kIccDialog,
                                                  &res::kMtfDialog, &res::kToneCurveDialog};
constexpr int kBitmaps[] = {140, 141};

std::string Script() { return ResourceScript(kDialogs, res::kStringTable, {kBitmaps, res::kModuleCursorNames}); }

// The lines of one dialog block, from its header to its END.
std::vector<std::string> DialogBlock(const std::string& script, const char* name) {
  std::istringstream in(script);
  std::vector<std::string> lines;
  std::string line;
  bool inside = false;
  while (std::getline(in, line)) {
    if (line.rfind(std::string(name) + " DIALOG ", 0) == 0) inside = true;
    if (inside) lines.push_back(line);
    if (inside && line == "END") break;
  }
  return lines;
}

TEST(ResourceScript, EveryTemplateControlIsOneControlStatement) {
  const std::string script = Script();
  const std::regex control(R"re(^    CONTROL ("(?:[^"]|"")*"|\d+), (-?\d+), "(\w+)", ([^,]+), (\d+), (\d+), (\d+), (\d+)$)re");
  for (const ui::DialogTemplate* dialog : kDialogs) {
    const std::vector<std::string> block = DialogBlock(script, dialog->name);
    ASSERT_GT(block.size(), 5u) << dialog->name;
    std::ostringstream header;
    header << dialog->name << " DIALOG " << dialog->rect.x << ", " << dialog->rect.y << ", "
           << dialog->rect.width << ", " << dialog->rect.height;
    EXPECT_EQ(block[0], header.str());
    EXPECT_EQ(block[2], "CAPTION \"" + std::string(dialog->caption) + "\"");
    EXPECT_EQ(block[3], "FONT 8, \"MS Sans Serif\"");
    std::size_t k = 0;
    for (std::size_t i = 5; i + 1 < block.size(); ++i, ++k) {
      std::smatch m;
      ASSERT_TRUE(std::regex_match(block[i], m, control)) << block[i];
      ASSERT_LT(k, dialog->controls.size());
      const ui::ControlTemplate& c = dialog->controls[k];
      EXPECT_EQ(std::stoi(m[2]), c.id) << block[i];
      EXPECT_EQ(m[3].str(), ControlClass(c.kind)) << block[i];
      EXPECT_EQ(std::stoi(m[5]), c.rect.x);
      EXPECT_EQ(std::stoi(m[6]), c.rect.y);
      EXPECT_EQ(std::stoi(m[7]), c.rect.width);
      EXPECT_EQ(std::stoi(m[8]), c.rect.height);
      const bool hidden = m[4].str().find("NOT WS_VISIBLE") != std::string::npos;
      EXPECT_EQ(hidden, (c.style & ui::kStyleHidden) != 0) << block[i];
      if (c.kind == ui::ControlKind::Bitmap) {
        EXPECT_EQ(m[1].str(), std::to_string(c.bitmap));
      }
    }
    EXPECT_EQ(k, dialog->controls.size()) << dialog->name;
  }
}

TEST(ResourceScript, StringTableBitmapsAndCursors) {
  const std::string script = Script();
  for (const ui::StringResource& s : res::kStringTable) {
    EXPECT_NE(script.find("    " + std::to_string(s.id) + ", \"" + s.text + "\"\n"), std::string::npos) << s.id;
  }
  EXPECT_NE(script.find("140 BITMAP \"bitmaps/140.bmp\"\n"), std::string::npos);
  EXPECT_NE(script.find("141 BITMAP \"bitmaps/141.bmp\"\n"), std::string::npos);
  for (const char* name : res::kModuleCursorNames) {
    EXPECT_NE(script.find(std::string(name) + " CURSOR \"cursors/" + name + ".cur\"\n"), std::string::npos) << name;
  }
}

TEST(ResourceScript, QuotesInTextsAreDoubled) {
  static constexpr ui::ControlTemplate kControls[] = {
      {7, ui::ControlKind::Text, "say \"hi\"", {1, 2, 3, 4}}};
  static constexpr ui::DialogTemplate kDialog{"Q", "a \"b\"", "MS Sans Serif", 8, {0, 0, 10, 10}, kControls};
  static constexpr const ui::DialogTemplate* kOne[] = {&kDialog};
  const std::string script = ResourceScript(kOne, {}, {});
  EXPECT_NE(script.find("CAPTION \"a \"\"b\"\"\"\n"), std::string::npos) << script;
  EXPECT_NE(script.find("CONTROL \"say \"\"hi\"\"\", 7, \"Static\""), std::string::npos) << script;
}

}  // namespace
}  // namespace k7730::resgen
