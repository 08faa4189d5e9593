// The text of PAPPL's state file, read from the server through PAPPL's
// public getters: the system's settings, and each printer with its
// settings, defaults (the module's k7730-* ones too), ready media and job
// history, in the form papplSystemLoadState reads back.
//
// Locks: the reading never holds the system's lock while it waits for a
// printer's, nor a printer's while it waits for the system's, so it takes
// no part in the lock-order conflicts PAPPL 1.3 has between the two. It
// lists the printers under the system's lock (taking nothing else), then
// reads each one on its own under the guard, which keeps a printer being
// deleted meanwhile from being freed under it.
#pragma once

#include <pappl/pappl.h>

#include <ctime>
#include <string>
#include <string_view>

namespace k7730::printer_app {

class PrinterGuard;

// The whole file. `now` stands for the end of the jobs that had not ended.
// Call with no PAPPL lock held.
std::string StateText(pappl_system_t* system, PrinterGuard& guard, std::time_t now);

// A value as the file can hold it on one line: control characters (a line
// break would start a directive of the value's choosing) become spaces, and
// the value is cut at a character boundary to `maxBytes`, so that the line
// fits the loader's 2 KB line buffer.
std::string LineValue(std::string_view value, std::size_t maxBytes);

}  // namespace k7730::printer_app
