// The bridge's own rules, linked directly: a recording library copied next
// to this test as vorndll.so stands in for the real one.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

#include "filter/line_filter_attach.h"
#include "filter/line_filter_bridge.h"
#include "k7730fe.h"
#include "platform/path_utils.h"

namespace k7730 {
namespace {

struct Recorder {
  void* handle = nullptr;
  void (*configure)(std::uint32_t, std::uint32_t) = nullptr;
  const char* (*log)() = nullptr;
  Recorder() {
    char folder[platform::kMaxPath];
    GetModuleFolder(folder);
    handle = dlopen((std::string(folder) + "/vorndll.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) {
      configure = reinterpret_cast<decltype(configure)>(dlsym(handle, "RecVornConfigure"));
      log = reinterpret_cast<decltype(log)>(dlsym(handle, "RecVornLog"));
      configure(0xFFFFFFFFu, 5);
    }
  }
  ~Recorder() {
    if (handle != nullptr) dlclose(handle);
  }
  std::string Take() {
    std::string text = log();
    configure(0xFFFFFFFFu, 5);
    return text;
  }
};

TEST(LineFilterBridge, NoLineBufferMeansNoLibraryLeftLoaded) {
  Recorder rec;
  ASSERT_NE(rec.handle, nullptr);
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
  ASSERT_NE(rec.handle, nullptr);
  LineFilterBridge b;
  LineFilterReset(b);
  ASSERT_EQ(LineFilterAttach(b), K7730_OK);
  rec.Take();
  platform::FailAllocationAfter(0);
  LineFilterPageStart(b, 0, 5000);  // needs 15000 bytes: the growth fails
  platform::FailAllocationAfter(-1);
  EXPECT_EQ(rec.Take(), "");
  EXPECT_EQ(b.dotsPerLine, 1844u);
  LineFilterPageStart(b, 0, 5000);
  EXPECT_EQ(b.dotsPerLine, 5000u);
  EXPECT_GE(platform::BlockSize(b.lineBuffer), 15000u);
  LineFilterUnload(b);
}

}  // namespace
}  // namespace k7730
