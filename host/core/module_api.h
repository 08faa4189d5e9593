// The module as the print host sees it: a library loaded with dlopen and a
// table of exports resolved by name. Exports that this module build does not
// have stay null, and the host says so instead of calling them.
#pragma once

#include <cstdint>
#include <string>

#include "k7730fe.h"
#include "k7730fe_cmm.h"

namespace k7730::host {

// Every export of the list, under its short name. The colour engine's
// profile access explains a profile the module cannot use.
struct ModuleApi {
#define K7730_ENTRY_POINT(name, member, ...) decltype(&name) member = nullptr;
  K7730_FILTER_EXPORTS(K7730_ENTRY_POINT)
  K7730_CMM_EXPORTS(K7730_ENTRY_POINT)
#undef K7730_ENTRY_POINT

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

// The module a host program loads: `named` when it is neither null nor
// empty (the program's main passes $K7730FE_MODULE; the host core reads no
// environment); else K7730fe.so next to the program, as in a build folder;
// else the installed module at `installedFromProgram`, a path relative to
// the program's own folder, so that an installation moved as a whole (a
// DESTDIR staging, a relocated prefix) still finds its module.
std::string DefaultModulePath(const std::string& installedFromProgram, const char* named);

// "1005 (an ICC profile does not open or has the wrong data colour space)".
std::string DescribeErrorCode(std::uint16_t code);

}  // namespace k7730::host
