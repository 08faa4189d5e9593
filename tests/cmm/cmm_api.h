// Loads the built module and resolves its colour-engine exports, as an
// outside program would.
#pragma once

#include <dlfcn.h>

#include <stdexcept>
#include <string>

#include "k7730fe_cmm.h"

namespace k7730::test {

struct CmmApi {
  void* handle = nullptr;
  decltype(&SDKCMOpenProfile) openProfile = nullptr;
  decltype(&SDKCMCloseProfile) closeProfile = nullptr;
  decltype(&SDKCMGetProfileHeader) getProfileHeader = nullptr;
  decltype(&SDKCMGetTagTableInfo) getTagTableInfo = nullptr;
  decltype(&SDKCMGetPartialProfileElement) getPartialProfileElement = nullptr;
  decltype(&SDKCMCreateColorWorld) createColorWorld = nullptr;
  decltype(&SDKCMDisposeColorWorld) disposeColorWorld = nullptr;

  template <typename F>
  void Resolve(F& fn, const char* name) {
    fn = reinterpret_cast<F>(dlsym(handle, name));
    if (fn == nullptr) throw std::runtime_error(std::string("missing export ") + name);
  }

  explicit CmmApi(const char* path = K7730FE_MODULE_PATH) {
    handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) throw std::runtime_error(std::string("dlopen: ") + dlerror());
    Resolve(openProfile, "SDKCMOpenProfile");
    Resolve(closeProfile, "SDKCMCloseProfile");
    Resolve(getProfileHeader, "SDKCMGetProfileHeader");
    Resolve(getTagTableInfo, "SDKCMGetTagTableInfo");
    Resolve(getPartialProfileElement, "SDKCMGetPartialProfileElement");
    Resolve(createColorWorld, "SDKCMCreateColorWorld");
    Resolve(disposeColorWorld, "SDKCMDisposeColorWorld");
  }
  ~CmmApi() {
    if (handle != nullptr) dlclose(handle);
  }
  CmmApi(const CmmApi&) = delete;
  CmmApi& operator=(const CmmApi&) = delete;
};

}  // namespace k7730::test
