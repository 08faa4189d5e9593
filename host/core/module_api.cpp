#include "host/core/module_api.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

#include "host/core/host_error.h"

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
#define K7730_RESOLVE(name, member, ...) Resolve(handle_, api_.member, #name);
  K7730_FILTER_EXPORTS(K7730_RESOLVE)
  K7730_CMM_EXPORTS(K7730_RESOLVE)
#undef K7730_RESOLVE
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

std::string DefaultModulePath(const std::string& installedFromProgram, const char* named) {
  if (named != nullptr && named[0] != '\0') return named;
  char self[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "K7730fe.so";
  // The link's target is free of symbolic links, so ".." in the installed
  // path may be folded away by text alone.
  const std::filesystem::path folder = std::filesystem::path(std::string(self, static_cast<std::size_t>(n))).parent_path();
  const std::filesystem::path beside = folder / "K7730fe.so";
  if (installedFromProgram.empty() || ::access(beside.c_str(), F_OK) == 0) return beside.string();
  return (folder / installedFromProgram).lexically_normal().string();
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
