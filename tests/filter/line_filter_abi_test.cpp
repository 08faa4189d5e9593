// The line-filter stage through the exports: a copy of the module in a
// temporary folder beside a recording line-filter library.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "recording_library.h"
#include "support/module_api.h"

namespace fs = std::filesystem;

namespace {

using k7730::test::kLibraryExtension;
using k7730::test::ModuleApi;
using k7730::test::RecordingLibrary;
using Bytes = std::vector<std::uint8_t>;

// The names the module and the line-filter library have on this system.
std::string ModuleName() { return std::string("K7730fe") + kLibraryExtension; }
std::string LineFilterName() { return std::string("vorndll") + kLibraryExtension; }

// A module folder of its own: K7730fe.so and, unless the variant is empty,
// the chosen recording library as vorndll.so; one instance in it with the
// line filter switched on through a whole SettingsBlock.
struct ModuleFolder {
  explicit ModuleFolder(const std::string& variant) {
    static int counter = 0;
    dir = fs::path(::testing::TempDir()) / ("k7730_linefilter_" + std::to_string(k7730::test::ProcessNumber()) + "_" + std::to_string(counter++));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::copy_file(K7730FE_MODULE_PATH, dir / ModuleName());
    if (!variant.empty()) {
      fs::copy_file(fs::path(RECORDING_VORNDLL_DIR) / ("recording_vorndll_" + variant + kLibraryExtension),
                    dir / LineFilterName());
      recorder = std::make_unique<RecordingLibrary>((dir / LineFilterName()).string());
    }
    api = std::make_unique<ModuleApi>((dir / ModuleName()).string().c_str());
  }
  ~ModuleFolder() {
    if (inst != nullptr) {
      api->disposPtr(out);
      api->close(inst);
      api->disposPtr(inst);
    }
    api.reset();
    recorder.reset();
    fs::remove_all(dir);
  }
  void Open() {
    std::uint16_t err = 1;
    inst = api->open(&err);
    EXPECT_EQ(err, 0);
    Switch(1);
  }
  void Switch(std::uint32_t on) {
    Bytes block(K7730_SETTINGS_SIZE);
    std::uint32_t size = K7730_SETTINGS_SIZE;
    ASSERT_EQ(api->preference(inst, 2, 0, block.data(), &size, nullptr), 1u);
    std::memcpy(&block[4336], &on, 4);
    ASSERT_EQ(api->preference(inst, 1, 0, block.data(), &size, nullptr), 1u);
  }
  std::uint32_t InitPage(std::uint32_t width, std::uint16_t* err) { return api->initpage(inst, width, 4, 0, err); }
  // Sends a band; returns the module's output buffer (null if refused).
  std::uint8_t* Band(Bytes band, std::uint32_t lines) {
    std::uint32_t released = 0;
    std::uint16_t err = 0;
    if (api->doBand(inst, band.data(), lines, &out, &released, &err) == 0) return nullptr;
    EXPECT_EQ(released, lines);
    return out;
  }

  fs::path dir;
  std::unique_ptr<RecordingLibrary> recorder;
  std::unique_ptr<ModuleApi> api;
  K7730_FilterInstance* inst = nullptr;
  std::uint8_t* out = nullptr;
};

TEST(LineFilterAbi, CallOrderAcrossAPage) {
  ModuleFolder folder("full");
  folder.Open();
  folder.recorder->Take();
  std::uint16_t err = 1;
  ASSERT_EQ(folder.InitPage(100, &err), 1u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(folder.recorder->Take(), "Init;");
  ASSERT_EQ(folder.api->startpage(folder.inst, &err), 1u);
  EXPECT_EQ(folder.recorder->Take(), "SetDots(100)=0;SetTable(0)=0;Pre;");

  Bytes band(100 * 3 * 3);
  for (std::size_t i = 0; i < band.size(); ++i) band[i] = static_cast<std::uint8_t>(i);
  const std::uint8_t* out = folder.Band(band, 3);
  EXPECT_EQ(folder.recorder->Take(), "Filter;Filter;Filter;");
  for (std::size_t i = 0; i < band.size(); ++i) ASSERT_EQ(out[i], 255 - band[i]) << i;

  // A second page start in the same instance does not load again.
  ASSERT_EQ(folder.InitPage(100, &err), 1u);
  EXPECT_EQ(folder.recorder->Take(), "");
  // Switched off: the next band passes unfiltered, and close still unloads.
  folder.Switch(0);
  EXPECT_EQ(folder.Band(band, 1)[0], band[0]);
  EXPECT_EQ(folder.recorder->Take(), "");
  folder.api->close(folder.inst);
  EXPECT_EQ(folder.recorder->Take(), "Fin;");
  folder.api->close(folder.inst);
  EXPECT_EQ(folder.recorder->Take(), "");
}

TEST(LineFilterAbi, RefusedWidthKeepsTheLastAcceptedOne) {
  ModuleFolder folder("full");
  folder.Open();
  std::uint16_t err = 1;
  ASSERT_EQ(folder.InitPage(2000, &err), 1u);
  folder.recorder->Configure(1999);
  ASSERT_EQ(folder.api->startpage(folder.inst, &err), 1u);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(folder.recorder->Take(), "SetDots(2000)=1;");

  // Two lines of 2000 pixels are filtered as two of 1844; 936 bytes stay.
  const std::uint8_t* out = folder.Band(Bytes(2000 * 2 * 3, 0x11), 2);
  EXPECT_EQ(folder.recorder->Take(), "Filter;Filter;");
  for (std::size_t i = 0; i < 12000; ++i) ASSERT_EQ(out[i], i < 11064 ? 0xEE : 0x11) << i;

  // The next page's width is accepted again, and the pre-filter runs.
  ASSERT_EQ(folder.InitPage(50, &err), 1u);
  folder.recorder->Configure(0xFFFFFFFFu, 0);
  ASSERT_EQ(folder.api->startpage(folder.inst, &err), 1u);
  EXPECT_EQ(folder.recorder->Take(), "SetDots(50)=0;SetTable(0)=0;Pre;");
}

TEST(LineFilterAbi, WideLinesGetABufferOfTheirSize) {
  ModuleFolder folder("full");
  folder.Open();
  std::uint16_t err = 1;
  ASSERT_EQ(folder.InitPage(6000, &err), 1u);  // 18000 bytes a line
  ASSERT_EQ(folder.api->startpage(folder.inst, &err), 1u);
  const std::uint8_t* out = folder.Band(Bytes(6000 * 3, 0x20), 1);
  for (std::size_t i = 0; i < 6000 * 3; ++i) ASSERT_EQ(out[i], 0xDF) << i;
}

// A library lacking any one entry point, no library, or a file that is no
// library: 1007 from the page start, which builds nothing, nothing called in
// the library, and the instance usable again with the stage off.
TEST(LineFilterAbi, IncompleteMissingOrForeignLibraryIs1007) {
  for (const std::string variant : {"0", "1", "2", "3", "4", "5", "", "foreign"}) {
    SCOPED_TRACE("library " + variant);
    ModuleFolder folder(variant == "foreign" ? "" : variant);
    if (variant == "foreign") std::ofstream(folder.dir / LineFilterName()) << "not a library";
    folder.Open();
    if (variant.size() == 1) folder.recorder->Take();
    std::uint16_t err = 0;
    EXPECT_EQ(folder.InitPage(10, &err), 0u);
    EXPECT_EQ(err, K7730_ERR_LINE_FILTER);
    // The page's geometry stands: bands sent anyway pass without the line
    // filter.
    EXPECT_EQ(folder.api->startpage(folder.inst, &err), 1u);
    const std::uint8_t* out = folder.Band(Bytes(10 * 3, 9), 1);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(out[29], 9);
    folder.api->close(folder.inst);
    if (variant.size() == 1) {
      EXPECT_EQ(folder.recorder->Take(), "") << "nothing is called in a library that failed to load";
    }
    folder.Switch(0);
    EXPECT_EQ(folder.InitPage(10, &err), 1u);
    EXPECT_EQ(err, 0);
  }
}

}  // namespace
