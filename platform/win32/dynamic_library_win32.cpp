#include <windows.h>

#include "platform/platform.h"

namespace k7730::platform {

LibraryId LibraryLoad(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  return reinterpret_cast<LibraryId>(::LoadLibraryA(path));
}

void* LibrarySymbol(LibraryId library, const char* name) {
  if (library == 0 || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

void LibraryFree(LibraryId library) {
  if (library != 0) ::FreeLibrary(reinterpret_cast<HMODULE>(library));
}

}  // namespace k7730::platform
