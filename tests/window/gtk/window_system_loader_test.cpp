// The Linux module finds its GTK window system beside itself when a dialog
// is asked for, and answers "no dialog can be shown" (ErrorCode 1006, the
// settings untouched) whenever it cannot have one: no library beside the
// module, a library without the entry point, no display. The library
// itself refuses a caller built against another interface version.
#include <dlfcn.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "k7730fe.h"
#include "window/window_system_library.h"

namespace fs = std::filesystem;

namespace {

// A folder of this test's own with a copy of the module, and whatever the
// test puts beside it.
class ModuleCopy {
 public:
  explicit ModuleCopy(const std::string& name)
      : folder_(fs::temp_directory_path() / ("k7730-gtk-" + name + "-" + std::to_string(getpid()))) {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::copy_file(K7730FE_MODULE_PATH, folder_ / "K7730fe.so");
  }
  ~ModuleCopy() {
    if (module_ != nullptr) dlclose(module_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  void Beside(const std::string& source, const std::string& name) { fs::copy_file(source, folder_ / name); }
  void Write(const std::string& name, const std::string& text) { std::ofstream(folder_ / name) << text; }
  void* Load() {
    module_ = dlopen((folder_ / "K7730fe.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    return module_;
  }

 private:
  fs::path folder_;
  void* module_ = nullptr;
};

// Every dialog selector fails at once with 1006, the block as it was.
void ExpectNoDialogs(void* module) {
  ASSERT_NE(module, nullptr) << dlerror();
  auto open = reinterpret_cast<decltype(&plugin_filter_open)>(dlsym(module, "plugin_filter_open"));
  auto preference = reinterpret_cast<decltype(&plugin_filter_preference)>(dlsym(module, "plugin_filter_preference"));
  auto close = reinterpret_cast<decltype(&plugin_filter_close)>(dlsym(module, "plugin_filter_close"));
  auto dispose = reinterpret_cast<decltype(&plugin_filter_disposPtr)>(dlsym(module, "plugin_filter_disposPtr"));
  std::uint16_t err = 0;
  K7730_FilterInstance* inst = open(&err);
  ASSERT_NE(inst, nullptr);
  for (std::uint16_t selector = 0; selector <= 4; ++selector) {
    K7730_SettingsBlock before{}, after{};
    std::uint32_t size = sizeof before;
    preference(inst, K7730_PREF_GET_BLOCK, 0, &before, &size, &err);
    size = 77;
    err = 0;
    EXPECT_EQ(preference(inst, K7730_PREF_DIALOG, selector, nullptr, &size, &err), 0u) << "selector " << selector;
    EXPECT_EQ(err, K7730_ERR_BAD_ARGUMENT) << "selector " << selector;
    EXPECT_EQ(size, 0u);
    size = sizeof after;
    preference(inst, K7730_PREF_GET_BLOCK, 0, &after, &size, &err);
    EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0) << "selector " << selector;
  }
  close(inst);
  dispose(inst);
}

TEST(WindowSystemLoader, WithoutTheLibraryBesideTheModuleNoDialogOpens) {
  ModuleCopy copy("absent");
  ExpectNoDialogs(copy.Load());
}

TEST(WindowSystemLoader, ALibraryWithoutTheEntryPointIsNoWindowSystem) {
  ModuleCopy copy("foreign");
  copy.Beside(K7730_VORNDLL_PATH, k7730::ui::kGtkLibraryName);
  ExpectNoDialogs(copy.Load());
}

TEST(WindowSystemLoader, AFileThatIsNoLibraryIsNoWindowSystem) {
  ModuleCopy copy("not-a-library");
  copy.Write(k7730::ui::kGtkLibraryName, "#!/bin/sh\necho this is no shared library\n");
  ExpectNoDialogs(copy.Load());
}

TEST(WindowSystemLoader, WithoutADisplayNoDialogOpens) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  ModuleCopy copy("no-display");
  copy.Beside(K7730_GTK_LIBRARY_PATH, k7730::ui::kGtkLibraryName);
  ExpectNoDialogs(copy.Load());
}

TEST(WindowSystemLoader, TheLibraryRefusesAnotherInterfaceVersion) {
  void* library = dlopen(K7730_GTK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto entry = reinterpret_cast<k7730::ui::WindowSystemEntry>(dlsym(library, k7730::ui::kWindowSystemEntryName));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(k7730::ui::kUiPlatformInterfaceVersion + 1), nullptr);
  EXPECT_EQ(entry(0), nullptr);
  // With no display even the right version has no window system to give.
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  EXPECT_EQ(entry(k7730::ui::kUiPlatformInterfaceVersion), nullptr);
}

}  // namespace
