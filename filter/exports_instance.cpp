// Opening, closing and releasing filter instances and module blocks.
#include <cstring>
#include <new>

#include "filter/filter_instance.h"
#include "filter/line_filter_attach.h"
#include "filter/page_objects.h"
#include "filter/settings_defaults.h"

using namespace k7730;

extern "C" {

K7730_API K7730_FilterInstance* K7730_CDECL plugin_filter_open(std::uint16_t* err) {
  void* block = platform::Allocate(sizeof(FilterInstance));
  if (block == nullptr) {
    SetError(err, K7730_ERR_NO_MEMORY);
    return nullptr;
  }
  auto* inst = new (block) FilterInstance{};
  inst->colorWorld = 0;
  LineFilterReset(inst->lineFilter);
  ApplyDefaults(*inst);
  // The defaults leave the line filter off, so a new instance normally loads
  // no library here; a page start loads it once a stored block switches it on.
  if (IsOn(inst->settings.lineFilterEnabled)) {
    const std::uint16_t code = LineFilterAttach(inst->lineFilter);
    if (code != K7730_OK) {
      platform::Release(inst);
      SetError(err, code);
      return nullptr;
    }
  }
  SetError(err, K7730_OK);
  return inst;
}

K7730_API void K7730_CDECL plugin_filter_close(K7730_FilterInstance* inst) {
  if (inst == nullptr) return;
  ReleasePageObjects(*inst);
  // Unloaded whenever it is loaded, whatever the switch says by now: a
  // library loaded at a page start must not outlive the instance.
  LineFilterUnload(inst->lineFilter);
  std::memset(static_cast<void*>(inst), 0, sizeof *inst);
  LineFilterReset(inst->lineFilter);
  ApplyDefaults(*inst);
}

K7730_API void K7730_CDECL plugin_filter_disposPtr(void* address) { platform::Release(address); }

}  // extern "C"
