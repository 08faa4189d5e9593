// The bridge's own rules, linked directly: a recording library copied next
// to this test as vorndll.so stands in for the real one.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "filter/line_filter_attach.h"
#include "filter/line_filter_bridge.h"
#include "k7730fe.h"
#include "platform/path_utils.h"
#include "recording_library.h"

namespace k7730 {
namespace {

// The recording library that sits next to this test as vorndll.so.
struct Recorder : test::RecordingLibrary {
  Recorder() : RecordingLibrary(Beside()) {}
  static std::string Beside() {
    char folder[platform::kMaxPath];
    GetModuleFolder(folder);
    return std::string(folder) + "/vorndll.so";
  }
};

TEST(LineFilterBridge, NoLineBufferMeansNoLibraryLeftLoaded) {
  Recorder rec;
  ASSERT_TRUE(rec.loaded());
  LineFilterBridge b;
  LineFilterReset(b);
  const std::size_t blocks = platform::LiveBlockCount();
  platform::FailAllocationAfter(0);
  EXPECT_EQ(LineFilterAttach(b), K7730_ERR_NO_MEMORY);
  platform::FailAllocationAfter(-1);
  EXPECT_EQ(rec.Take(), "Init;Fin;");
  EXPECT_FALSE(LineFilterLoaded(b));
  EXPECT_EQ(b.library, 0u);
  EXPECT_EQ(b.fin, nullptr);
  EXPECT_EQ(platform::LiveBlockCount(), blocks);

  // Table numbers above 5 call nothing at all.
  ASSERT_EQ(LineFilterAttach(b), K7730_OK);
  rec.Take();
  LineFilterPageStart(b, 6, 100);
  EXPECT_EQ(rec.Take(), "");
  LineFilterPageStart(b, 5, 100);
  EXPECT_EQ(rec.Take(), "SetDots(100)=0;SetTable(5)=0;Pre;");
  // Less than a whole line is left alone.
  std::vector<std::uint8_t> band(299, 1);
  LineFilterBand(b, band.data(), band.size());
  EXPECT_EQ(rec.Take(), "");
  LineFilterUnload(b);
  EXPECT_EQ(platform::LiveBlockCount(), blocks);
}

TEST(LineFilterBridge, AWidthTheBufferCannotGrowToIsNotOffered) {
  Recorder rec;
  ASSERT_TRUE(rec.loaded());
  LineFilterBridge b;
  LineFilterReset(b);
  ASSERT_EQ(LineFilterAttach(b), K7730_OK);
  rec.Take();
  platform::FailAllocationAfter(0);
  LineFilterPageStart(b, 0, 5000);  // needs 15000 bytes: the growth fails
  platform::FailAllocationAfter(-1);
  EXPECT_EQ(rec.Take(), "");
  EXPECT_EQ(b.dotsPerLine, 1844u);  // the growth itself is in the line-filter ABI tests
  LineFilterUnload(b);
}

}  // namespace
}  // namespace k7730
