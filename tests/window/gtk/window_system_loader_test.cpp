// The Linux module finds its GTK window system beside itself when a dialog
// is asked for, and answers "no dialog can be shown" (ErrorCode 1006, the
// settings untouched) whenever it cannot have one: no library beside the
// module, a library without the entry point, no display. The library
// itself refuses a caller built against another interface version.
#include <unistd.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/dialog_report.h"
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
    if (module_ != nullptr) k7730::test::CloseLibrary(module_);
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  void Beside(const std::string& source, const std::string& name) { fs::copy_file(source, folder_ / name); }
  void* Load() {
    module_ = k7730::test::OpenLibrary((folder_ / "K7730fe.so").string());
    return module_;
  }

 private:
  fs::path folder_;
  void* module_ = nullptr;
};

// Every dialog selector fails at once with 1006, the block as it was.
void ExpectNoDialogs(void* module) {
  ASSERT_NE(module, nullptr) << k7730::test::LibraryError();
  const auto answers = k7730::test::AskForEveryDialog(k7730::test::FilterExports(module));
  ASSERT_EQ(answers.size(), 5u);
  for (const k7730::test::DialogRefusal& a : answers) {
    EXPECT_EQ(a.result, 0u) << "selector " << a.selector;
    EXPECT_EQ(a.err, K7730_ERR_BAD_ARGUMENT) << "selector " << a.selector;
    EXPECT_EQ(a.size, 0u) << "selector " << a.selector;
    EXPECT_TRUE(a.unchanged) << "selector " << a.selector;
  }
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

TEST(WindowSystemLoader, WithoutADisplayNoDialogOpens) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  ModuleCopy copy("no-display");
  copy.Beside(K7730_GTK_LIBRARY_PATH, k7730::ui::kGtkLibraryName);
  ExpectNoDialogs(copy.Load());
}

TEST(WindowSystemLoader, TheLibraryRefusesAnotherInterfaceVersion) {
  void* library = k7730::test::OpenLibrary(K7730_GTK_LIBRARY_PATH);
  ASSERT_NE(library, nullptr) << k7730::test::LibraryError();
  auto entry = k7730::test::Symbol<k7730::ui::WindowSystemEntry>(library, k7730::ui::kWindowSystemEntryName);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(k7730::ui::kUiPlatformInterfaceVersion + 1), nullptr);
  EXPECT_EQ(entry(0), nullptr);
}

}  // namespace
