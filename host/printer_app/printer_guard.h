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
#pragma once

#include <pappl/pappl.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace k7730::printer_app {

// A printer as the reader found it in the system's list. The id tells a
// new printer from a deleted one that had the same address.
struct PrinterKey {
  pappl_printer_t* printer = nullptr;
  int id = 0;
  bool operator==(const PrinterKey&) const = default;
};

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

// Enter and Leave for one scope.
class GuardedPrinter {
 public:
  GuardedPrinter(PrinterGuard& guard, const PrinterKey& key) : guard_(guard), entered_(guard.Enter(key)) {}
  ~GuardedPrinter() {
    if (entered_) guard_.Leave();
  }
  GuardedPrinter(const GuardedPrinter&) = delete;
  GuardedPrinter& operator=(const GuardedPrinter&) = delete;
  explicit operator bool() const { return entered_; }

 private:
  PrinterGuard& guard_;
  bool entered_;
};

}  // namespace k7730::printer_app
