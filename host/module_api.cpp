#include "module_api.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "host_error.h"

namespace k7730::host {

namespace {

template <typename F>
void Resolve(void* handle, F& fn, const char* name) {
  fn = reinterpret_cast<F>(::dlsym(handle, name));
}

}  // namespace

LoadedModule::LoadedModule(const std::string& path) : path_(path) {
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    // dlerror() repeats the path first; keep only the reason after it.
    const char* raw = ::dlerror();
    std::string why = raw != nullptr ? raw : "";
    if (why.rfind(path + ": ", 0) == 0) why = why.substr(path.size() + 2);
    throw FileError(path, "cannot load the filter module: " + (why.empty() ? std::string("unknown reason") : why));
  }
  Resolve(handle_, api_.open, "plugin_filter_open");
  Resolve(handle_, api_.close, "plugin_filter_close");
  Resolve(handle_, api_.disposPtr, "plugin_filter_disposPtr");
  Resolve(handle_, api_.preference, "plugin_filter_preference");
  Resolve(handle_, api_.setInputToneCurve, "plugin_filter_setInputToneCurve");
  Resolve(handle_, api_.setOutputToneCurve, "plugin_filter_setOutputToneCurve");
  Resolve(handle_, api_.setMtf, "plugin_filter_setMtf");
  Resolve(handle_, api_.setIccProfile, "plugin_filter_setIccProfile");
  Resolve(handle_, api_.initpage, "plugin_filter_initpage");
  Resolve(handle_, api_.startpage, "plugin_filter_startpage");
  Resolve(handle_, api_.doBand, "plugin_filter_do");
  Resolve(handle_, api_.endpage, "plugin_filter_endpage");
  Resolve(handle_, api_.freepage, "plugin_filter_freepage");
  Resolve(handle_, api_.openProfile, "SDKCMOpenProfile");
  Resolve(handle_, api_.closeProfile, "SDKCMCloseProfile");
  Resolve(handle_, api_.getProfileHeader, "SDKCMGetProfileHeader");
  Resolve(handle_, api_.getTagTableInfo, "SDKCMGetTagTableInfo");
  Resolve(handle_, api_.getPartialProfileElement, "SDKCMGetPartialProfileElement");
  Resolve(handle_, api_.createColorWorld, "SDKCMCreateColorWorld");
  Resolve(handle_, api_.disposeColorWorld, "SDKCMDisposeColorWorld");
  Resolve(handle_, api_.matchPixelMap, "SDKCMMatchPixelMap");
  if (api_.open == nullptr || api_.close == nullptr || api_.disposPtr == nullptr ||
      api_.preference == nullptr) {
    ::dlclose(handle_);
    handle_ = nullptr;
    throw FileError(path, "not a K7730fe filter module (plugin_filter_open, _close, _disposPtr or "
                          "_preference is missing)");
  }
}

LoadedModule::~LoadedModule() {
  if (handle_ != nullptr) ::dlclose(handle_);
}

bool LoadedModule::CanRunPages() const {
  return api_.initpage != nullptr && api_.startpage != nullptr && api_.doBand != nullptr &&
         api_.endpage != nullptr && api_.freepage != nullptr;
}

void LoadedModule::Require(const void* fn, const char* exportName, const std::string& what) const {
  if (fn == nullptr) {
    throw FileError(path_, "this module build does not support " + what + " (" + exportName +
                               " is missing)");
  }
}

std::string DefaultModulePath() {
  if (const char* env = std::getenv("K7730FE_MODULE"); env != nullptr && env[0] != '\0') return env;
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "K7730fe.so";
  std::string dir(self, static_cast<std::size_t>(n));
  dir = dir.substr(0, dir.rfind('/') + 1);
  return dir + "K7730fe.so";
}

std::string DescribeErrorCode(std::uint16_t code) {
  const char* meaning = "unknown code";
  switch (code) {
    case K7730_OK: meaning = "success"; break;
    case K7730_ERR_NO_MEMORY: meaning = "out of memory, or no colour transform could be built"; break;
    case K7730_ERR_PROFILE: meaning = "an ICC profile does not open or has the wrong data colour space"; break;
    case K7730_ERR_BAD_ARGUMENT: meaning = "bad argument or state"; break;
    case K7730_ERR_LINE_FILTER: meaning = "the line-filter library cannot be loaded"; break;
    case K7730_ERR_BAD_BLOCK: meaning = "a settings record with a wrong size field or magic"; break;
    default: break;
  }
  return "ErrorCode " + std::to_string(code) + " (" + meaning + ")";
}

}  // namespace k7730::host
