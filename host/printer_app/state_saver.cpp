#include "host/printer_app/state_saver.h"

#include <ctime>
#include <exception>

#include "host/printer_app/printer_guard.h"
#include "host/printer_app/state_file.h"
#include "host/printer_app/state_writer.h"

namespace k7730::printer_app {

namespace {

constexpr int kTickSeconds = 1;

struct Saver {
  explicit Saver(const std::string& path) : writer(path) {}
  PrinterGuard guard;
  StateWriter writer;
};

void LogErrors(pappl_system_t* system, StateWriter& writer) {
  try {
    for (const std::string& error : writer.TakeErrors()) papplLog(system, PAPPL_LOGLEVEL_ERROR, "%s", error.c_str());
  } catch (...) {
  }
}

// PAPPL calls this on its main loop, with no lock held, after changes; and
// once more after the loop has ended when a change came after the last
// call. The final call waits until the file is written.
bool Save(pappl_system_t* system, void* data) {
  auto& saver = *static_cast<Saver*>(data);
  bool saved = true;
  try {
    saver.writer.Post(StateText(system, saver.guard, std::time(nullptr)));
  } catch (const std::exception& e) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "Cannot save the state: %s", e.what());
    saved = false;
  }
  if (papplSystemIsShutdown(system)) saver.writer.Flush();
  LogErrors(system, saver.writer);
  return saved;
}

// Wakes the main loop every second, which otherwise sleeps until the next
// connection (up to half a minute) before it sees a change to save. PAPPL
// runs timers holding the system's lock, so no saving from here.
bool Tick(pappl_system_t* system, void* data) {
  LogErrors(system, static_cast<Saver*>(data)->writer);
  return true;
}

Saver* theSaver = nullptr;   // one system per process

}  // namespace

void SaveStateTo(pappl_system_t* system, const std::string& path) {
  // One system per process. Destroyed when the process ends, after PAPPL
  // has deleted the system: the writer finishes the last file first.
  try {
    static Saver saver(path);
    theSaver = &saver;
    papplSystemSetSaveCallback(system, Save, &saver);
    papplSystemAddTimerCallback(system, std::time(nullptr) + kTickSeconds, kTickSeconds, Tick, &saver);
  } catch (const std::exception& e) {
    papplLog(system, PAPPL_LOGLEVEL_ERROR, "The state will not be saved: %s", e.what());
  }
}

void KeepDeletedPrinterWhileRead(pappl_printer_t* printer) {
  if (theSaver == nullptr) return;
  try {
    theSaver->guard.BeginDelete({printer, papplPrinterGetID(printer)});
  } catch (...) {
  }
}

}  // namespace k7730::printer_app
