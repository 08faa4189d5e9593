// A window system that lives in a library of its own beside the module
// (K7730fe_gtk.so on Linux), so that the module itself depends on no
// toolkit. The module loads it when a dialog is first asked for and takes
// one plain C entry point from it.
#pragma once

#include <cstdint>

namespace k7730::ui {

class UiPlatform;

// Raised whenever ui_platform.h changes in a way that breaks its binary
// layout (a primitive added, removed or changed): a library built against
// another version refuses to hand out its UiPlatform.
inline constexpr std::uint32_t kUiPlatformInterfaceVersion = 1;

// File name of the GTK window-system library in the module's folder.
inline constexpr char kGtkLibraryName[] = "K7730fe_gtk.so";

// The entry point's name. It returns the library's UiPlatform, which lives
// as long as the process, or null when `interfaceVersion` is not the
// library's own or no display can be opened.
inline constexpr char kWindowSystemEntryName[] = "k7730_window_system";
extern "C" {
using WindowSystemEntry = UiPlatform* (*)(std::uint32_t interfaceVersion);
}

}  // namespace k7730::ui
