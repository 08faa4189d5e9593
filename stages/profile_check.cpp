#include "stages/profile_check.h"

#include "k7730fe_cmm.h"

namespace k7730 {

bool ProfileUsable(const char* path) {
  if (path == nullptr || path[0] == '\0') return false;
  K7730_ProfileRef ref = 0;
  if (SDKCMOpenProfile(path, &ref) != 0) return false;
  K7730_ProfileHeader header{};
  SDKCMGetProfileHeader(&ref, &header);
  SDKCMCloseProfile(&ref);
  return header.colorSpace == K7730_SIG_RGB;
}

}  // namespace k7730
