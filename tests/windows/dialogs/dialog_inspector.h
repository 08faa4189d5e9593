// Watches the dialog host's thread for dialogs and message boxes and
// reports, for each one that appears, where its controls are on the screen
// ("item|caption|id|left|top|right|bottom|class")
// (for the test script that clicks them) and whether it matches the
// template it was built from: font, client size in dialog units, every
// control's class, kind, text, visibility and place.
#pragma once

#include <windows.h>

namespace k7730::dialogtest {

// Starts watching the windows of `thread`; every report line goes to
// stdout. Stop returns the number of mismatches found.
void StartInspector(DWORD thread, HWND owner);
int StopInspector();

// The resources of the module itself: bitmaps 140 to 149 as 16-colour
// bitmaps of their sizes, every cursor, every string. Returns mismatches.
int CheckModuleResources(HMODULE module);

}  // namespace k7730::dialogtest
