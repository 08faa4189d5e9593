// The module as the print host sees it: a library loaded with dlopen and a
// table of exports resolved by name. Exports that this module build does not
// have stay null, and the host says so instead of calling them.
#pragma once

#include <cstdint>
#include <string>

#include "k7730fe.h"
#include "k7730fe_cmm.h"

namespace k7730::host {

struct ModuleApi {
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
  // The colour engine's profile access, used to explain a profile the
  // module cannot use; null when the build lacks it.
  decltype(&SDKCMOpenProfile) openProfile = nullptr;
  decltype(&SDKCMCloseProfile) closeProfile = nullptr;
  decltype(&SDKCMGetProfileHeader) getProfileHeader = nullptr;
  decltype(&SDKCMGetTagTableInfo) getTagTableInfo = nullptr;
  decltype(&SDKCMGetPartialProfileElement) getPartialProfileElement = nullptr;
  // Matching of the soft proof; null when the build lacks it.
  decltype(&SDKCMCreateColorWorld) createColorWorld = nullptr;
  decltype(&SDKCMDisposeColorWorld) disposeColorWorld = nullptr;
  decltype(&SDKCMMatchPixelMap) matchPixelMap = nullptr;

  bool CanReadProfiles() const {
    return openProfile != nullptr && closeProfile != nullptr && getProfileHeader != nullptr &&
           getTagTableInfo != nullptr && getPartialProfileElement != nullptr;
  }
  bool CanMatch() const {
    return openProfile != nullptr && closeProfile != nullptr && createColorWorld != nullptr &&
           disposeColorWorld != nullptr && matchPixelMap != nullptr;
  }
};

class LoadedModule {
 public:
  // Loads the library; throws HostError naming the path when it cannot be
  // loaded or lacks the exports every host needs.
  explicit LoadedModule(const std::string& path);
  ~LoadedModule();
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  const ModuleApi& Api() const { return api_; }
  const std::string& Path() const { return path_; }
  bool CanRunPages() const;

  // Throws HostError "this module build does not support <what>" when the
  // export is missing.
  void Require(const void* fn, const char* exportName, const std::string& what) const;

 private:
  std::string path_;
  void* handle_ = nullptr;
  ModuleApi api_;
};

// The module next to this executable, unless K7730FE_MODULE names one.
std::string DefaultModulePath();

// "1005 (an ICC profile does not open or has the wrong data colour space)".
std::string DescribeErrorCode(std::uint16_t code);

}  // namespace k7730::host
