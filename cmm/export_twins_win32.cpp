// The standard-call twins of the exports. They exist only in the Windows
// library, where the module-definition file exports them under their
// decorated names only (they are not marked for export themselves, which
// would add their undecorated names too).
#include "k7730fe_cmm.h"

#if defined(_WIN32)
extern "C" {

int32_t K7730_STDCALL SDKCMOpenProfile_(const char* path, K7730_ProfileRef* ref) {
  return SDKCMOpenProfile(path, ref);
}
int32_t K7730_STDCALL SDKCMCloseProfile_(K7730_ProfileRef* ref) { return SDKCMCloseProfile(ref); }
void K7730_STDCALL SDKCMGetProfileHeader_(K7730_ProfileRef* ref, K7730_ProfileHeader* header) {
  SDKCMGetProfileHeader(ref, header);
}
void K7730_STDCALL SDKCMGetTagTableInfo_(K7730_ProfileRef* ref, uint32_t* count, K7730_TagTable* table) {
  SDKCMGetTagTableInfo(ref, count, table);
}
int32_t K7730_STDCALL SDKCMGetPartialProfileElement_(K7730_ProfileRef* ref, uint32_t tag, uint32_t offset,
                                                               uint32_t* count, void* buffer) {
  return SDKCMGetPartialProfileElement(ref, tag, offset, count, buffer);
}
K7730_ColorWorld K7730_STDCALL SDKCMCreateColorWorld_(uint32_t intent, K7730_ProfileRef* source,
                                                                const K7730_CurveLutSet* inputCurves,
                                                                K7730_ProfileRef* destination,
                                                                const K7730_CurveLutSet* outputCurves) {
  return SDKCMCreateColorWorld(intent, source, inputCurves, destination, outputCurves);
}
void K7730_STDCALL SDKCMDisposeColorWorld_(K7730_ColorWorld world) { SDKCMDisposeColorWorld(world); }

int32_t K7730_STDCALL SDKCMMatchPixelMap_(K7730_ColorWorld world, const K7730_PixelMap* source,
                                                    const K7730_PixelMap* destination) {
  return SDKCMMatchPixelMap(world, source, destination);
}
int32_t K7730_STDCALL SDKCMMatchPlaneMap_(K7730_ColorWorld world, const K7730_PlaneMap* source,
                                                    const K7730_PlaneMap* destination) {
  return SDKCMMatchPlaneMap(world, source, destination);
}
uint32_t K7730_STDCALL SDKCMGetNumsOfInPixComp_(K7730_ColorWorld world) {
  return SDKCMGetNumsOfInPixComp(world);
}
uint32_t K7730_STDCALL SDKCMGetNumsOfOutPixComp_(K7730_ColorWorld world) {
  return SDKCMGetNumsOfOutPixComp(world);
}
void K7730_STDCALL SDKCMCreatLUT_(int16_t gamma0, int16_t gamma1, int16_t gamma2, int16_t gamma3,
                                            int16_t gamma4, K7730_CurveLutSet* tables) {
  SDKCMCreatLUT(gamma0, gamma1, gamma2, gamma3, gamma4, tables);
}
uint32_t K7730_STDCALL SDKCMConvertColorWorldToIPB_(K7730_ColorWorld world, void* record) {
  return SDKCMConvertColorWorldToIPB(world, record);
}

}  // extern "C"
#endif
