#include <gtest/gtest.h>

#include <string>

#include "tools/win32_resources/resource_script.h"

namespace k7730::resgen {
namespace {

// The script's dialogs, strings, bitmaps and cursors are compared with the
// templates in the built DLL itself, under Wine; here the quoting.
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
