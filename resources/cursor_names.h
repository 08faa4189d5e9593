// The module's own cursors, by resource name. The tone-curve editor's
// cursor table loads them; the Windows build draws and compiles them.
#pragma once

namespace k7730::res {

inline constexpr const char* kModuleCursorNames[] = {
    "HAND0",   "HAND1",   "XARROW",  "PLUS",    "TRASH",   "STOP",
    "BEACH_1", "BEACH_2", "BEACH_3", "BEACH_4", "BEACH_5", "BEACH_6",
    "BEACH_7", "BEACH_8", "SCSI_0",  "SCSI_1",  "SCSI_2",  "SCSI_3",
    "PEN",
};

}  // namespace k7730::res
