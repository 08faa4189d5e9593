// Opening, closing and releasing filter instances and module blocks.
#include <cstring>
#include <new>

#include "filter/filter_instance.h"
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
  // The defaults leave the line filter off, so a new instance loads no library.
  SetError(err, K7730_OK);
  return inst;
}

K7730_API void K7730_CDECL plugin_filter_close(K7730_FilterInstance* inst) {
  if (inst == nullptr) return;
  ReleasePageObjects(*inst);
  LineFilterUnload(inst->lineFilter);
  std::memset(static_cast<void*>(inst), 0, sizeof *inst);
  LineFilterReset(inst->lineFilter);
  ApplyDefaults(*inst);
}

K7730_API void K7730_CDECL plugin_filter_disposPtr(void* address) { platform::Release(address); }

}  // extern "C"
