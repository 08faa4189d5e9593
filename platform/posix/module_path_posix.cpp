// The module finds its own file through the loader's record of the
// object that contains this function.
#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace k7730::platform {

bool ModuleFilePath(char* buffer, std::size_t capacity) {
  if (buffer == nullptr || capacity == 0) return false;
  buffer[0] = '\0';
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&ModuleFilePath), &info) == 0 || info.dli_fname == nullptr ||
      info.dli_fname[0] == '\0') {
    return false;
  }
  char resolved[PATH_MAX];
  const char* path = info.dli_fname;
  if (::realpath(info.dli_fname, resolved) != nullptr) path = resolved;
  std::size_t length = std::strlen(path);
  if (length + 1 > capacity) return false;
  std::memcpy(buffer, path, length + 1);
  return true;
}

}  // namespace k7730::platform
