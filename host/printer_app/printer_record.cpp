#include "host/printer_app/printer_record.h"

#include <mutex>

#include "host/core/printer_defaults.h"
#include "host/core/settings_record.h"
#include "host/printer_app/app_context.h"

namespace k7730::printer_app {

namespace {

// Made once per process: the module and its default profiles do not change
// while the server runs. A failure is tried again at the next job.
std::vector<std::uint8_t> PhotoPrinterRecord() {
  static std::mutex lock;
  static std::vector<std::uint8_t> record;
  const std::lock_guard guard(lock);
  if (record.empty()) {
    const host::Console silent{.quiet = true};
    record = host::RecordWithStages(*App().module, host::PhotoPrinterStages(), silent);
  }
  return record;
}

}  // namespace

RecordInForce PrinterRecord(const std::string& printerName) {
  const RecordStore& store = App().records;
  if (auto stored = store.Load(printerName)) return {std::move(*stored), store.PathFor(printerName), true};
  return {PhotoPrinterRecord(), kPrinterDefaults, false};
}

std::unique_ptr<host::FilterSession> SessionWithRecord(const std::string& printerName) {
  RecordInForce record = PrinterRecord(printerName);
  auto session = std::make_unique<host::FilterSession>(*App().module);
  host::FillEmptyProfilePaths(record.block, session->Defaults());
  session->SetBlock(record.block, record.source);
  return session;
}

}  // namespace k7730::printer_app
