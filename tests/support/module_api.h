// Loads the built module with the system loader and resolves its exports,
// as a print host does. Tests use only what this table offers.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "k7730fe.h"
#include "k7730fe_cmm.h"
#include "support/dynamic_module.h"

namespace k7730::test {

// Every export of the list under its short name. The filter interface must
// be there whole but for plugin_filter_setIccProfile, which a build without
// colour matching lacks.
struct ModuleApi {
  void* handle = nullptr;
#define K7730_ENTRY_POINT(name, member, ...) decltype(&name) member = nullptr;
  K7730_FILTER_EXPORTS(K7730_ENTRY_POINT)
  K7730_CMM_EXPORTS(K7730_ENTRY_POINT)
#undef K7730_ENTRY_POINT

  explicit ModuleApi(const char* path = K7730FE_MODULE_PATH) {
    handle = OpenLibrary(path);
    if (handle == nullptr) throw std::runtime_error(std::string(path) + ": " + LibraryError());
#define K7730_RESOLVE(name, member, ...) member = Symbol<decltype(member)>(handle, #name);
    K7730_FILTER_EXPORTS(K7730_RESOLVE)
    K7730_CMM_EXPORTS(K7730_RESOLVE)
#undef K7730_RESOLVE
#define K7730_REQUIRE(name, member, ...) \
  if (member == nullptr && static_cast<const void*>(&member) != &setIccProfile) throw std::runtime_error("missing export " #name);
    K7730_FILTER_EXPORTS(K7730_REQUIRE)
#undef K7730_REQUIRE
  }
  ~ModuleApi() {
    if (handle != nullptr) CloseLibrary(handle);
  }
  ModuleApi(const ModuleApi&) = delete;
  ModuleApi& operator=(const ModuleApi&) = delete;
};

// The module's folder as the module names it: with links resolved on
// POSIX, as the loader reports the loaded file on Windows.
inline std::string ModuleFolder(const char* path = K7730FE_MODULE_PATH) {
#if defined(_WIN32)
  void* module = OpenLibrary(path);
  char name[MAX_PATH] = {};
  const DWORD length = module == nullptr ? 0 : ::GetModuleFileNameA(static_cast<HMODULE>(module), name, MAX_PATH);
  if (module != nullptr) CloseLibrary(module);
  const std::string file(name, length);
  return file.substr(0, file.rfind('\\') == std::string::npos ? 0 : file.rfind('\\'));
#else
  std::error_code ec;
  const auto module = std::filesystem::canonical(path, ec);
  return (ec ? std::filesystem::path(path) : module).parent_path().string();
#endif
}

}  // namespace k7730::test
