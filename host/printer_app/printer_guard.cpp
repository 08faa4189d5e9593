#include "host/printer_app/printer_guard.h"

#include <algorithm>

namespace k7730::printer_app {

void PrinterGuard::BeginDelete(const PrinterKey& key) {
  std::unique_lock lock(mutex_);
  deleting_.push_back({key, marks_});
  left_.wait(lock, [&] { return reading_ != key.printer; });
}

bool PrinterGuard::Enter(const PrinterKey& key) {
  const std::lock_guard lock(mutex_);
  if (std::any_of(deleting_.begin(), deleting_.end(), [&](const Deleting& d) { return d.key == key; })) return false;
  reading_ = key.printer;
  return true;
}

void PrinterGuard::Leave() {
  {
    const std::lock_guard lock(mutex_);
    reading_ = nullptr;
  }
  left_.notify_all();
}

unsigned long PrinterGuard::Mark() {
  const std::lock_guard lock(mutex_);
  return ++marks_;
}

void PrinterGuard::Forget(const std::vector<PrinterKey>& listed, unsigned long mark) {
  const std::lock_guard lock(mutex_);
  std::erase_if(deleting_, [&](const Deleting& d) {
    return d.mark < mark && std::find(listed.begin(), listed.end(), d.key) == listed.end();
  });
}

}  // namespace k7730::printer_app
