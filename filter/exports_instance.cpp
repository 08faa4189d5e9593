// Opening, closing and releasing filter instances and module blocks.
#include <cstring>
#include <new>

#include "filter/filter_instance.h"
#include "filter/line_filter_attach.h"
#include "filter/page_objects.h"
#include "filter/settings_defaults.h"

using namespace k7730;

namespace {

// A cleared instance with the default settings and nothing loaded.
void StartFresh(FilterInstance& inst) {
  LineFilterReset(inst.lineFilter);
  ApplyDefaults(inst);
}

// Makes a new instance in `inst`. The defaults leave the line filter off, so
// a new instance normally loads no library here; a page start loads it once
// a stored block switches it on.
std::uint16_t CreateInstance(FilterInstance*& inst) {
  void* block = platform::Allocate(sizeof(FilterInstance));
  if (block == nullptr) return K7730_ERR_NO_MEMORY;
  auto* fresh = new (block) FilterInstance{};
  StartFresh(*fresh);
  if (IsOn(fresh->settings.lineFilterEnabled)) {
    const std::uint16_t code = LineFilterAttach(fresh->lineFilter);
    if (code != K7730_OK) {
      platform::Release(fresh);
      return code;
    }
  }
  inst = fresh;
  return K7730_OK;
}

// Releases what the instance holds and leaves it as a fresh one. The line
// filter is unloaded whenever it is loaded, whatever the switch says by now:
// a library loaded at a page start must not outlive the instance.
void CloseInstance(FilterInstance& inst) {
  ReleasePageObjects(inst);
  LineFilterUnload(inst.lineFilter);
  std::memset(static_cast<void*>(&inst), 0, sizeof inst);
  StartFresh(inst);
}

}  // namespace

extern "C" {

K7730_API K7730_FilterInstance* K7730_CDECL plugin_filter_open(std::uint16_t* err) {
  FilterInstance* inst = nullptr;
  Report(err, CreateInstance(inst));
  return inst;
}

K7730_API void K7730_CDECL plugin_filter_close(K7730_FilterInstance* inst) {
  if (inst != nullptr) CloseInstance(*inst);
}

K7730_API void K7730_CDECL plugin_filter_disposPtr(void* address) { platform::Release(address); }

}  // extern "C"
