// Watches the GTK windows of the dialog host while a dialog runs (from the
// host's own main context, which the dialog's event loop drives) and
// reports, for each window that appears, where its controls are on the
// screen ("item|caption|id|left|top|right|bottom|type"), the drawing area
// ("area|caption|..."), a message box's text ("message|caption|text") and
// whether a dialog matches the template it was built from: every control's
// widget type, text, visibility and place, measured against dialog units
// converted here, independently, from the template font's metrics.
#pragma once

namespace k7730::gtktest {

// Starts watching; every report goes to stdout. The first dialog must be
// owned by the X window `owner`. Stop returns the number of mismatches
// found.
void StartInspector(unsigned long owner);
int StopInspector();

}  // namespace k7730::gtktest
