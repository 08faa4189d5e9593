#include <dlfcn.h>

#include "platform/platform.h"

namespace k7730::platform {

LibraryId LibraryLoad(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  return reinterpret_cast<LibraryId>(::dlopen(path, RTLD_NOW | RTLD_LOCAL));
}

void* LibrarySymbol(LibraryId library, const char* name) {
  if (library == 0 || name == nullptr) return nullptr;
  return ::dlsym(reinterpret_cast<void*>(library), name);
}

void LibraryFree(LibraryId library) {
  if (library != 0) ::dlclose(reinterpret_cast<void*>(library));
}

}  // namespace k7730::platform
