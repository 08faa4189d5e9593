// PAPPL's state file (the printers, their defaults, the system's settings),
// written by a forked child of the server.
//
// PAPPL 1.3 takes its locks in opposite orders in two places: saving the
// state locks the system, then each printer; refusing a document (a raster
// stream sent while the printer is busy, an upload cut short) locks the
// printer, then the system. When both meet, the server's main loop and the
// client's thread wait for each other for ever and the printer stops. The
// child saves from a copy of the server's memory while the server goes on;
// a child that finds a lock taken at the moment of the fork (PAPPL's, or
// one inside libcups) waits on it alone, is stopped after two seconds and
// the save is made again.
#pragma once

#include <pappl/pappl.h>

#include <string>

namespace k7730::printer_app {

// Saves the system's state to `path` whenever PAPPL reports a change, at
// most one save at a time; a save due while another runs, or one that did
// not finish, is made within a second. Each save replaces the file whole (a
// new file renamed over the old one). When the server stops, the last save
// is on disk before PAPPL deletes the system.
void SaveStateTo(pappl_system_t* system, const std::string& path);

}  // namespace k7730::printer_app
