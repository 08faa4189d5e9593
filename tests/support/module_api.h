// Loads the built module with the system loader and resolves its exports,
// as a print host does. Tests use only what this table offers.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "k7730fe.h"
#include "support/dynamic_module.h"

namespace k7730::test {

struct ModuleApi {
  void* handle = nullptr;
#define K7730_EXPORTS(X)                                                                        \
  X(open, open) X(close, close) X(disposPtr, disposPtr) X(preference, preference)               \
  X(setInputToneCurve, setInputToneCurve) X(setOutputToneCurve, setOutputToneCurve)             \
  X(setMtf, setMtf) X(initpage, initpage) X(startpage, startpage) \
  X(doBand, do) X(endpage, endpage) X(freepage, freepage)
#define K7730_MEMBER(member, name) decltype(&plugin_filter_##name) member = nullptr;
  K7730_EXPORTS(K7730_MEMBER)
#undef K7730_MEMBER
  decltype(&plugin_filter_setIccProfile) setIccProfile = nullptr;  // absent from builds without colour matching

  explicit ModuleApi(const char* path = K7730FE_MODULE_PATH) {
    handle = OpenLibrary(path);
    if (handle == nullptr) throw std::runtime_error(std::string(path) + ": " + LibraryError());
#define K7730_RESOLVE(member, name)                                                         \
  member = Symbol<decltype(member)>(handle, "plugin_filter_" #name);        \
  if (member == nullptr) throw std::runtime_error("missing export plugin_filter_" #name);
    K7730_EXPORTS(K7730_RESOLVE)
#undef K7730_RESOLVE
    setIccProfile = Symbol<decltype(setIccProfile)>(handle, "plugin_filter_setIccProfile");
  }
#undef K7730_EXPORTS
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
  HMODULE module = ::LoadLibraryA(path);
  char name[MAX_PATH] = {};
  const DWORD length = module == nullptr ? 0 : ::GetModuleFileNameA(module, name, MAX_PATH);
  if (module != nullptr) ::FreeLibrary(module);
  const std::string file(name, length);
  return file.substr(0, file.rfind('\\') == std::string::npos ? 0 : file.rfind('\\'));
#else
  std::error_code ec;
  const auto module = std::filesystem::canonical(path, ec);
  return (ec ? std::filesystem::path(path) : module).parent_path().string();
#endif
}

}  // namespace k7730::test
