// Loads the built module with the system loader and resolves its exports,
// as a print host does. Tests use only what this table offers.
#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "k7730fe.h"

namespace k7730::test {

struct ModuleApi {
  void* handle = nullptr;
  decltype(&plugin_filter_open) open = nullptr;
  decltype(&plugin_filter_close) close = nullptr;
  decltype(&plugin_filter_disposPtr) disposPtr = nullptr;
  decltype(&plugin_filter_preference) preference = nullptr;
  decltype(&plugin_filter_setInputToneCurve) setInputToneCurve = nullptr;
  decltype(&plugin_filter_setOutputToneCurve) setOutputToneCurve = nullptr;
  decltype(&plugin_filter_setMtf) setMtf = nullptr;
  decltype(&plugin_filter_setIccProfile) setIccProfile = nullptr;
  decltype(&plugin_filter_initpage) initpage = nullptr;
  decltype(&plugin_filter_startpage) startpage = nullptr;
  decltype(&plugin_filter_do) doBand = nullptr;
  decltype(&plugin_filter_endpage) endpage = nullptr;
  decltype(&plugin_filter_freepage) freepage = nullptr;

  template <typename F>
  void Resolve(F& fn, const char* name, bool required) {
    fn = reinterpret_cast<F>(dlsym(handle, name));
    if (fn == nullptr && required) throw std::runtime_error(std::string("missing export ") + name);
  }

  explicit ModuleApi(const char* path = K7730FE_MODULE_PATH) {
    handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) throw std::runtime_error(std::string("dlopen: ") + dlerror());
    Resolve(open, "plugin_filter_open", true);
    Resolve(close, "plugin_filter_close", true);
    Resolve(disposPtr, "plugin_filter_disposPtr", true);
    Resolve(preference, "plugin_filter_preference", true);
    Resolve(setInputToneCurve, "plugin_filter_setInputToneCurve", true);
    Resolve(setOutputToneCurve, "plugin_filter_setOutputToneCurve", true);
    Resolve(setMtf, "plugin_filter_setMtf", false);
    Resolve(setIccProfile, "plugin_filter_setIccProfile", false);
    Resolve(initpage, "plugin_filter_initpage", false);
    Resolve(startpage, "plugin_filter_startpage", false);
    Resolve(doBand, "plugin_filter_do", false);
    Resolve(endpage, "plugin_filter_endpage", false);
    Resolve(freepage, "plugin_filter_freepage", false);
  }
  ~ModuleApi() {
    if (handle != nullptr) dlclose(handle);
  }
  ModuleApi(const ModuleApi&) = delete;
  ModuleApi& operator=(const ModuleApi&) = delete;
};

}  // namespace k7730::test
