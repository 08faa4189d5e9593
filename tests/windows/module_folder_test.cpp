// Where the DLL finds its folder: the default profile paths are the folder
// of the loaded file, a backslash and the profile's name, wherever the DLL
// was loaded from.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/filter_fixture.h"

namespace k7730::test {
namespace {

constexpr std::size_t kInputPathAt = 14, kOutputPathAt = 274;

std::string Field(const Bytes& block, std::size_t at) {
  return std::string(reinterpret_cast<const char*>(&block[at]), strnlen(reinterpret_cast<const char*>(&block[at]), 260));
}

// The default record of a fresh instance of the module `api` loaded.
Bytes DefaultBlock(ModuleApi& api) {
  std::uint16_t err = 0xFFFF;
  K7730_FilterInstance* inst = api.open(&err);
  EXPECT_NE(inst, nullptr);
  Bytes block(K7730_SETTINGS_SIZE);
  std::uint32_t size = K7730_SETTINGS_SIZE;
  EXPECT_EQ(api.preference(inst, 2, 0, block.data(), &size, &err), 1u);
  api.close(inst);
  api.disposPtr(inst);
  return block;
}

// Copied into a folder of its own, away from the test program.
TEST(ModuleFolder, DefaultProfilesFollowTheDllToAnotherFolder) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::path(::testing::TempDir()) / ("k7730 module " + std::to_string(ProcessNumber()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(K7730FE_MODULE_PATH, dir / "K7730fe.dll");
  {
    ModuleApi copy((dir / "K7730fe.dll").string().c_str());
    const std::string folder = ModuleFolder((dir / "K7730fe.dll").string().c_str());
    ASSERT_NE(folder.find("k7730 module"), std::string::npos) << folder;
    const Bytes block = DefaultBlock(copy);
    EXPECT_EQ(Field(block, kInputPathAt), folder + "\\A17D50.ICC");
    EXPECT_EQ(Field(block, kOutputPathAt), folder + "\\K77302.ICC");
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace k7730::test
