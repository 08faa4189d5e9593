// Saving PAPPL's state file (the printers, their settings and defaults, the
// system's settings, the job history) without ever waiting on PAPPL's locks
// in an order that can deadlock.
//
// PAPPL 1.3 takes its locks in opposite orders: papplSystemSaveState holds
// the system's lock while it takes each printer's, and refusing a document
// (a raster stream sent while the printer is busy, an upload cut short)
// holds the printer's lock while it takes the system's, for writing. Called
// while such a refusal runs, papplSystemSaveState and the client's thread
// wait for each other for good. (Not fixed upstream as of 1.3.1.) So the
// state file is not written by papplSystemSaveState: the server writes the
// same file itself from PAPPL's public getters, which take one lock at a
// time (state_file.h), and papplSystemLoadState reads it back as before.
// Its own writing stays whatever PAPPL's version: papplSystemSaveState also
// rewrites the file in place (a crash while it writes leaves it cut short)
// and lets a line break in a client's value start a line of its own.
// Taking the printers' locks first through some call that holds one while
// calling back (the job iterators) was no way out: it needs a job on every
// printer, and the system's lock taken after them waits on a printer being
// deleted, which holds the system's lock while it takes the printer's.
//
// The reading runs in PAPPL's save callback, on PAPPL's main loop, which
// holds no lock then; while the main loop runs, the system is alive. It
// waits only for locks other threads hold while they change something,
// never for one held by a thread that waits on it. The text goes to a
// thread of ours that writes it to disk (state_writer.h), so the main loop
// does not wait for the disk; saves that come faster than the disk are
// merged, the newest text winning. A printer deleted while its settings
// are read is kept alive until they are read (printer_guard.h): the
// system's event callback calls KeepDeletedPrinterWhileRead.
#pragma once

#include <pappl/pappl.h>

#include <string>

namespace k7730::printer_app {

// Saves the system's state to `path` within a second of every change PAPPL
// reports, each time replacing the file whole. When the server stops, the
// last change is saved before PAPPL deletes the system, and on disk before
// the process ends. Sets the system's save and a timer callback; call
// once, before the system runs.
void SaveStateTo(pappl_system_t* system, const std::string& path);

// For the system's event callback, on PAPPL_EVENT_PRINTER_DELETED (PAPPL
// reports it before it frees the printer): returns once no save reads the
// printer, and keeps later saves from reading it.
void KeepDeletedPrinterWhileRead(pappl_printer_t* printer);

}  // namespace k7730::printer_app
