// The Win32 dialog host's check of the module's own resources (its
// inspector is the StartInspector and StopInspector of dialog_report.h).
#pragma once

#include <windows.h>

namespace k7730::test {

// The resources of the module itself: bitmaps 140 to 149 as 16-colour
// bitmaps of their sizes, every cursor, every string. Returns mismatches.
int CheckModuleResources(HMODULE module);

}  // namespace k7730::test
