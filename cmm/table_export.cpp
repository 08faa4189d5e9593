// SDKCMCreatLUT and SDKCMConvertColorWorldToIPB: gamma curve sets for
// SDKCMCreateColorWorld, and a 3-to-3 ColorWorld's grid as an IpbRecord.
#include "cmm/color_world_store.h"
#include "cmm/ipb_record.h"
#include "k7730fe_cmm.h"
#include "formats/gamma_table.h"

namespace cmm = k7730::cmm;

extern "C" {

// Entry i of table t is (i / 255)^(gamma_t / 100) * 255, rounded and
// limited to 0..255. A gamma of 0 or below gives 255 everywhere (powers of
// 1 and above, or infinite at 0).
K7730_API void K7730_CDECL SDKCMCreatLUT(int16_t gamma0, int16_t gamma1, int16_t gamma2, int16_t gamma3,
                                         int16_t gamma4, K7730_CurveLutSet* tables) {
  if (tables == nullptr) return;
  const int16_t gammas[5] = {gamma0, gamma1, gamma2, gamma3, gamma4};
  for (int t = 0; t < 5; ++t) k7730::GammaTablePlainPower(gammas[t] / 100.0, tables->tables[t]);
}

K7730_API uint32_t K7730_CDECL SDKCMConvertColorWorldToIPB(K7730_ColorWorld world, void* record) {
  const cmm::LockedColorWorld view = cmm::LockColorWorld(world);
  if (view.header == nullptr) return 0;
  uint32_t result = 0;
  if (cmm::IpbExportable(*view.header)) {
    result = cmm::kIpbRecordBytes;
    if (record != nullptr) cmm::WriteIpbRecord(*view.header, static_cast<uint8_t*>(record));
  }
  cmm::UnlockColorWorld(world);
  return result;
}

}  // extern "C"
