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
// time, and papplSystemLoadState reads it back as before.
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
// thread of ours that writes it to disk (StateWriter), so the main loop
// does not wait for the disk; saves that come faster than the disk are
// merged, the newest text winning. A printer deleted while its settings
// are read is kept alive until they are read (PrinterGuard): the
// system's event callback calls KeepDeletedPrinterWhileRead.
#pragma once

#include <pappl/pappl.h>

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

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

// A printer as the reader found it in the system's list. The id tells a
// new printer from a deleted one that had the same address.
struct PrinterKey {
  pappl_printer_t* printer = nullptr;
  int id = 0;
  bool operator==(const PrinterKey&) const = default;
};

// Keeps a printer that the state is being read from alive until the
// reading is done, and keeps the reading away from a printer being
// deleted.
//
// PAPPL frees a deleted printer on the client's thread that deleted it.
// Before it does, it reports the deletion to the system's event callback,
// holding the printer's lock (shared) and the system's (shared); BeginDelete
// runs there and waits while the printer is being read. The reader takes
// nothing but the printer's lock, shared, which it always gets while the
// deleting thread holds it shared too (PAPPL's locks are glibc's default
// kind, where a reader does not queue behind a waiting writer), so the
// wait is as short as the reading of one printer.
class PrinterGuard {
 public:
  // The printer is about to be deleted: from now on Enter refuses it;
  // returns once it is not being read.
  void BeginDelete(const PrinterKey& key);

  // The reader starts on `key`; false when its deletion has begun.
  bool Enter(const PrinterKey& key);
  void Leave();

  // Taken before the reader lists the system's printers, then given to
  // Forget with what the list held: a deletion begun before the listing
  // whose printer was not listed is over (PAPPL removes a printer from the
  // list under the system's lock, which the listing holds) and is
  // forgotten. Later ones are kept for the next listing.
  unsigned long Mark();
  void Forget(const std::vector<PrinterKey>& listed, unsigned long mark);

 private:
  struct Deleting {
    PrinterKey key;
    unsigned long mark;
  };

  std::mutex mutex_;
  std::condition_variable left_;
  std::vector<Deleting> deleting_;
  unsigned long marks_ = 0;
  pappl_printer_t* reading_ = nullptr;
};

// Writes the state file on a thread of its own, so that the server's main
// loop, which reads the state, never waits for the disk. Only the newest
// text is written: one posted while another is being written replaces any
// text still waiting.
class StateWriter {
 public:
  explicit StateWriter(std::string path);
  // Writes what is waiting, then ends the thread.
  ~StateWriter();
  StateWriter(const StateWriter&) = delete;
  StateWriter& operator=(const StateWriter&) = delete;

  void Post(std::string text);
  // Returns once everything posted so far is written (or has failed).
  void Flush();
  // The problems met since the last call, one sentence each.
  std::vector<std::string> TakeErrors();

 private:
  void Run();
  void Write(const std::string& text);

  const std::string path_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<std::string> waiting_;
  bool writing_ = false;
  bool stopping_ = false;
  std::vector<std::string> errors_;
  std::thread thread_;   // last: starts once the rest is set up
};

// Replaces `path` with `text` all at once: a new file beside it, made
// private (it holds the password hash), written and synced, renamed over
// the old one, and the folder synced so that the rename itself is on disk.
// Returns an empty string or what went wrong.
std::string ReplaceFile(const std::string& path, const std::string& text);

// A value as the file can hold it on one line: control characters (a line
// break would start a directive of the value's choosing) become spaces, and
// the value is cut at a character boundary to `maxBytes`, so that the line
// fits the loader's 2 KB line buffer.
std::string LineValue(std::string_view value, std::size_t maxBytes);

}  // namespace k7730::printer_app
