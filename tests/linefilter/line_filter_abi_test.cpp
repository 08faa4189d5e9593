// The line-filter stage through the exports: a copy of the module in a
// temporary folder beside a recording line-filter library.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/module_api.h"

namespace fs = std::filesystem;

namespace {

using k7730::test::ModuleApi;

// A module folder of its own: K7730fe.so and the chosen library as vorndll.so.
class ModuleFolder {
 public:
  explicit ModuleFolder(const std::string& variant) {
    dir_ = fs::path(::testing::TempDir()) /
           ("k7730_linefilter_" + variant + "_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::copy_file(K7730FE_MODULE_PATH, dir_ / "K7730fe.so");
    fs::copy_file(fs::path(RECORDING_VORNDLL_DIR) / ("recording_vorndll_" + variant + ".so"), dir_ / "vorndll.so");
    recorder_ = dlopen((dir_ / "vorndll.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_NE(recorder_, nullptr) << dlerror();
    configure_ = reinterpret_cast<void (*)(std::uint32_t, std::uint32_t)>(dlsym(recorder_, "RecVornConfigure"));
    log_ = reinterpret_cast<const char* (*)()>(dlsym(recorder_, "RecVornLog"));
    api_ = std::make_unique<ModuleApi>((dir_ / "K7730fe.so").c_str());
  }
  ~ModuleFolder() {
    api_.reset();
    if (recorder_ != nullptr) dlclose(recorder_);
    fs::remove_all(dir_);
  }
  ModuleApi& api() { return *api_; }
  void Configure(std::uint32_t refuseWidthsAbove, std::uint32_t refuseTablesAbove = 5) {
    configure_(refuseWidthsAbove, refuseTablesAbove);
  }
  std::string TakeLog() {
    std::string log = log_();
    configure_(refuse_, 5);
    return log;
  }
  bool HasPages() const { return api_->initpage != nullptr && api_->doBand != nullptr; }

 private:
  static inline int counter_ = 0;
  fs::path dir_;
  void* recorder_ = nullptr;
  void (*configure_)(std::uint32_t, std::uint32_t) = nullptr;
  const char* (*log_)() = nullptr;
  std::uint32_t refuse_ = 0xFFFFFFFFu;
  std::unique_ptr<ModuleApi> api_;
};

void SwitchLineFilter(ModuleApi& api, K7730_FilterInstance* inst, std::uint32_t on) {
  std::vector<std::uint8_t> block(K7730_SETTINGS_SIZE);
  std::uint32_t size = K7730_SETTINGS_SIZE;
  std::uint16_t err;
  ASSERT_EQ(api.preference(inst, 2, 0, block.data(), &size, &err), 1u);
  std::memcpy(&block[4336], &on, 4);
  ASSERT_EQ(api.preference(inst, 1, 0, block.data(), &size, &err), 1u);
}

TEST(LineFilterAbi, FreshInstanceLoadsNothing) {
  ModuleFolder folder("full");
  folder.TakeLog();
  std::uint16_t err = 1;
  K7730_FilterInstance* inst = folder.api().open(&err);
  ASSERT_NE(inst, nullptr);
  EXPECT_EQ(err, 0);
  if (folder.HasPages()) {
    ASSERT_EQ(folder.api().initpage(inst, 8, 2, 0, &err), 1u);
    std::vector<std::uint8_t> band(8 * 2 * 3, 7);
    std::uint8_t* out = nullptr;
    std::uint32_t lines = 0;
    ASSERT_EQ(folder.api().doBand(inst, band.data(), 2, &out, &lines, &err), 1u);
    EXPECT_EQ(out[0], 7);
    folder.api().disposPtr(out);
  }
  folder.api().close(inst);
  folder.api().disposPtr(inst);
  EXPECT_EQ(folder.TakeLog(), "");
}

TEST(LineFilterAbi, CallOrderAcrossAPage) {
  ModuleFolder folder("full");
  if (!folder.HasPages()) GTEST_SKIP() << "this module build has no page exports";
  ModuleApi& api = folder.api();
  std::uint16_t err;
  K7730_FilterInstance* inst = api.open(&err);
  SwitchLineFilter(api, inst, 1);
  folder.TakeLog();

  const std::uint32_t width = 100;
  ASSERT_EQ(api.initpage(inst, width, 4, 0, &err), 1u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(folder.TakeLog(), "Init;");
  ASSERT_EQ(api.startpage(inst, &err), 1u);
  EXPECT_EQ(folder.TakeLog(), "SetDots(100)=0;SetTable(0)=0;Pre;");

  std::vector<std::uint8_t> band(width * 3 * 3);
  for (std::size_t i = 0; i < band.size(); ++i) band[i] = static_cast<std::uint8_t>(i);
  const std::vector<std::uint8_t> original = band;
  std::uint8_t* out = nullptr;
  std::uint32_t lines = 0;
  ASSERT_EQ(api.doBand(inst, band.data(), 3, &out, &lines, &err), 1u);
  EXPECT_EQ(lines, 3u);
  EXPECT_EQ(folder.TakeLog(), "Filter;Filter;Filter;");
  for (std::size_t i = 0; i < band.size(); ++i) ASSERT_EQ(out[i], 255 - original[i]) << i;

  // A second page start in the same instance does not load again.
  ASSERT_EQ(api.initpage(inst, width, 4, 0, &err), 1u);
  EXPECT_EQ(folder.TakeLog(), "");

  // Switched off: the next band passes unfiltered, and close still unloads.
  SwitchLineFilter(api, inst, 0);
  ASSERT_EQ(api.doBand(inst, band.data(), 1, &out, &lines, &err), 1u);
  EXPECT_EQ(out[0], original[0]);
  EXPECT_EQ(folder.TakeLog(), "");
  api.close(inst);
  EXPECT_EQ(folder.TakeLog(), "Fin;");
  api.close(inst);
  EXPECT_EQ(folder.TakeLog(), "");
  api.disposPtr(out);
  api.disposPtr(inst);
}

TEST(LineFilterAbi, RefusedWidthKeepsTheLastAcceptedOne) {
  ModuleFolder folder("full");
  if (!folder.HasPages()) GTEST_SKIP() << "this module build has no page exports";
  ModuleApi& api = folder.api();
  std::uint16_t err;
  K7730_FilterInstance* inst = api.open(&err);
  SwitchLineFilter(api, inst, 1);
  ASSERT_EQ(api.initpage(inst, 2000, 2, 0, &err), 1u);
  folder.Configure(1999);
  ASSERT_EQ(api.startpage(inst, &err), 1u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(folder.TakeLog(), "SetDots(2000)=1;");

  std::vector<std::uint8_t> band(2000 * 2 * 3, 0x11);
  std::uint8_t* out = nullptr;
  std::uint32_t lines = 0;
  ASSERT_EQ(api.doBand(inst, band.data(), 2, &out, &lines, &err), 1u);
  EXPECT_EQ(folder.TakeLog(), "Filter;Filter;");
  for (std::size_t i = 0; i < 11064; ++i) ASSERT_EQ(out[i], 0xEE) << i;
  for (std::size_t i = 11064; i < 12000; ++i) ASSERT_EQ(out[i], 0x11) << i;

  // A refused table number after an accepted width stops before the pre-filter.
  folder.Configure(0xFFFFFFFFu, 0);
  ASSERT_EQ(api.initpage(inst, 50, 2, 0, &err), 1u);
  folder.Configure(0xFFFFFFFFu, 0);
  ASSERT_EQ(api.startpage(inst, &err), 1u);
  EXPECT_EQ(folder.TakeLog(), "SetDots(50)=0;SetTable(0)=0;Pre;");
  api.disposPtr(out);
  api.close(inst);
  api.disposPtr(inst);
}

TEST(LineFilterAbi, WideLinesGetABufferOfTheirSize) {
  ModuleFolder folder("full");
  if (!folder.HasPages()) GTEST_SKIP() << "this module build has no page exports";
  ModuleApi& api = folder.api();
  std::uint16_t err;
  K7730_FilterInstance* inst = api.open(&err);
  SwitchLineFilter(api, inst, 1);
  const std::uint32_t width = 6000;  // 18000 bytes a line
  ASSERT_EQ(api.initpage(inst, width, 1, 0, &err), 1u);
  ASSERT_EQ(api.startpage(inst, &err), 1u);
  std::vector<std::uint8_t> band(width * 3, 0x20);
  std::uint8_t* out = nullptr;
  std::uint32_t lines = 0;
  ASSERT_EQ(api.doBand(inst, band.data(), 1, &out, &lines, &err), 1u);
  for (std::size_t i = 0; i < band.size(); ++i) ASSERT_EQ(out[i], 0xDF) << i;
  api.disposPtr(out);
  api.close(inst);
  api.disposPtr(inst);
}

class IncompleteLibrary : public ::testing::TestWithParam<int> {};

TEST_P(IncompleteLibrary, IsReleasedWithoutInitAndTheInstanceStaysUsable) {
  ModuleFolder folder(std::to_string(GetParam()));
  if (!folder.HasPages()) GTEST_SKIP() << "this module build has no page exports";
  ModuleApi& api = folder.api();
  std::uint16_t err;
  K7730_FilterInstance* inst = api.open(&err);
  SwitchLineFilter(api, inst, 1);
  folder.TakeLog();
  err = 0;
  EXPECT_EQ(api.initpage(inst, 10, 2, 0, &err), 0u);
  EXPECT_EQ(err, K7730_ERR_LINE_FILTER);
  // The failed page start built no page: later page calls are refused.
  EXPECT_EQ(api.startpage(inst, &err), 0u);
  std::vector<std::uint8_t> band(10 * 3, 9);
  std::uint8_t* out = nullptr;
  std::uint32_t lines = 0;
  EXPECT_EQ(api.doBand(inst, band.data(), 1, &out, &lines, &err), 0u);
  EXPECT_EQ(out, nullptr);
  api.close(inst);
  EXPECT_EQ(folder.TakeLog(), "") << "nothing is called in a library that failed to load";

  SwitchLineFilter(api, inst, 0);
  EXPECT_EQ(api.initpage(inst, 10, 2, 0, &err), 1u);
  EXPECT_EQ(err, 0);
  api.disposPtr(out);
  api.close(inst);
  api.disposPtr(inst);
}

INSTANTIATE_TEST_SUITE_P(EachMissingEntry, IncompleteLibrary, ::testing::Range(0, 6));

TEST(LineFilterAbi, MissingOrForeignLibraryIs1007) {
  // A folder with the module only, then with a file that is no library.
  fs::path dir = fs::path(::testing::TempDir()) / ("k7730_nolib_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  fs::copy_file(K7730FE_MODULE_PATH, dir / "K7730fe.so", fs::copy_options::overwrite_existing);
  for (bool foreign : {false, true}) {
    if (foreign) std::ofstream(dir / "vorndll.so") << "not a library";
    ModuleApi api((dir / "K7730fe.so").c_str());
    std::uint16_t err;
    K7730_FilterInstance* inst = api.open(&err);
    SwitchLineFilter(api, inst, 1);
    EXPECT_EQ(api.initpage(inst, 10, 2, 0, &err), 0u);
    EXPECT_EQ(err, K7730_ERR_LINE_FILTER) << (foreign ? "foreign file" : "no file");
    SwitchLineFilter(api, inst, 0);
    EXPECT_EQ(api.initpage(inst, 10, 2, 0, &err), 1u) << "the instance stays usable";
    api.freepage(inst, &err);
    api.close(inst);
    api.disposPtr(inst);
  }
  fs::remove_all(dir);
}

}  // namespace
