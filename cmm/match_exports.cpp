// SDKCMMatchPixelMap, SDKCMMatchPlaneMap and the component counts: lock the
// ColorWorld, check the caller's maps, run the kernel the ColorWorld names.
#include "cmm/color_world_store.h"
#include "cmm/match_geometry.h"
#include "cmm/match_kernels.h"
#include "k7730fe_cmm.h"

namespace cmm = k7730::cmm;

namespace {

// Keeps a ColorWorld locked for the duration of one export.
class Locked {
 public:
  explicit Locked(K7730_ColorWorld handle) : handle_(handle), view_(cmm::LockColorWorld(handle)) {}
  ~Locked() {
    if (view_.header != nullptr) cmm::UnlockColorWorld(handle_);
  }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  const cmm::LockedColorWorld& view() const { return view_; }

 private:
  K7730_ColorWorld handle_;
  cmm::LockedColorWorld view_;
};

// The kernel in `id`, or null when the ColorWorld cannot run it.
cmm::MatchKernel Usable(const cmm::LockedColorWorld& view, std::uint32_t id) {
  if (cmm::KernelIsWide(id) &&
      (view.wide == nullptr || view.wide->weight16 == nullptr || view.wide->composite[2] == nullptr))
    return nullptr;
  return cmm::FastKernel(id);
}

template <typename Map, typename Check>
std::int32_t Match(K7730_ColorWorld world, const Map* source, const Map* destination, bool planar, Check check) {
  Locked locked(world);
  const cmm::LockedColorWorld& view = locked.view();
  if (view.header == nullptr) return -1;
  const std::uint32_t id = planar ? view.header->planeKernel : view.header->pixelKernel;
  cmm::MatchKernel kernel = Usable(view, id);
  if (kernel == nullptr || cmm::KernelIsPlanar(id) != planar) return -1;
  cmm::MatchRun run;
  switch (check(*view.header, source, destination, &run)) {
    case cmm::RunCheck::Refused: return -1;
    case cmm::RunCheck::Empty: return 0;
    case cmm::RunCheck::Ready: break;
  }
  kernel(*view.header, view.wide, run);
  return 0;
}

}  // namespace

extern "C" {

K7730_API int32_t K7730_CDECL SDKCMMatchPixelMap(K7730_ColorWorld world, const K7730_PixelMap* source,
                                                 const K7730_PixelMap* destination) {
  return Match(world, source, destination, false, cmm::CheckPixelMaps);
}

K7730_API int32_t K7730_CDECL SDKCMMatchPlaneMap(K7730_ColorWorld world, const K7730_PlaneMap* source,
                                                 const K7730_PlaneMap* destination) {
  return Match(world, source, destination, true, cmm::CheckPlaneMaps);
}

// 0 for a handle that names no live ColorWorld.
K7730_API uint32_t K7730_CDECL SDKCMGetNumsOfInPixComp(K7730_ColorWorld world) {
  Locked locked(world);
  return locked.view().header != nullptr ? locked.view().header->inChannels : 0;
}

K7730_API uint32_t K7730_CDECL SDKCMGetNumsOfOutPixComp(K7730_ColorWorld world) {
  Locked locked(world);
  return locked.view().header != nullptr ? locked.view().header->outChannels : 0;
}

}  // extern "C"
