// The module's own file, from the handle the DLL entry point recorded.
// Without one (the code linked into a program) the program's file is named.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/module_handle_win32.h"

namespace k7730::platform {
namespace {

HMODULE recordedModule = nullptr;

}  // namespace

namespace detail {

void RecordModuleHandle(HMODULE module) { recordedModule = module; }

}  // namespace detail

bool ModuleFilePath(char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0) return false;
  buffer[0] = '\0';
  const DWORD room = capacity > kMaxPath ? static_cast<DWORD>(kMaxPath) : static_cast<DWORD>(capacity);
  const DWORD length = ::GetModuleFileNameA(recordedModule, buffer, room);
  // A name that filled the whole buffer was cut short.
  if (length == 0 || length >= room) {
    buffer[0] = '\0';
    return false;
  }
  return true;
}

}  // namespace k7730::platform
