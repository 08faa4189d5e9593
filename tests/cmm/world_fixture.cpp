#include "world_fixture.h"

#include <cstdio>
#include <filesystem>

namespace k7730::test {

bool Installed(const std::string& path) {
  if (std::filesystem::exists(path)) return true;
  std::printf("skipped %s (not installed)\n", path.c_str());
  return false;
}

OpenedProfile::OpenedProfile(const std::string& path) { ok_ = SDKCMOpenProfile(path.c_str(), &ref_) == 0; }

OpenedProfile::~OpenedProfile() {
  if (ok_) SDKCMCloseProfile(&ref_);
}

World::World(const std::string& source, const std::string& destination, std::uint32_t intent,
             const K7730_CurveLutSet* in, const K7730_CurveLutSet* out) {
  OpenedProfile src(source), dst(destination);
  if (!src.ok() || !dst.ok()) return;
  handle_ = SDKCMCreateColorWorld(intent, src.ref(), in, dst.ref(), out);
  if (handle_ != 0) {
    view_ = cmm::LockColorWorld(handle_);
    cmm::UnlockColorWorld(handle_);
  }
}

World::~World() {
  if (handle_ != 0) SDKCMDisposeColorWorld(handle_);
}

}  // namespace k7730::test
