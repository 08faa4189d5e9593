#include "cmm/matrix_trc.h"

#include "cmm/byte_reader.h"
#include "cmm/curve_decoding.h"
#include "cmm/element_loader.h"

namespace k7730::cmm {
namespace {

constexpr std::uint32_t kColorantTags[3] = {0x7258595A, 0x6758595A, 0x6258595A};  // rXYZ gXYZ bXYZ
constexpr std::uint32_t kTrcTags[3] = {0x72545243, 0x67545243, 0x62545243};       // rTRC gTRC bTRC

// Reads the three s15Fixed16 numbers of a colorant element (bytes 8..19).
bool ReadColorant(platform::FileId file, std::uint32_t tag, double xyz[3]) {
  std::uint8_t raw[12];
  if (!ReadElementSlice(file, tag, 8, 12, raw)) return false;
  for (int i = 0; i < 3; ++i) xyz[i] = static_cast<std::int32_t>(LoadBigEndian32(raw + 4 * i)) / 65536.0;
  return true;
}

// Reads colorants and TRCs channel by channel, r, g, b; stops at the first
// colorant that cannot be read. `decode` turns TRC element k into the
// side's tables and says whether it could.
template <typename Decode>
bool LoadMatrixTrc(platform::FileId file, ProfileTransform* side, Decode decode) {
  bool anyCurve = false;
  for (int k = 0; k < 3; ++k) {
    double xyz[3];
    if (!ReadColorant(file, kColorantTags[k], xyz)) break;
    for (int row = 0; row < 3; ++row) side->matrix[row][k] = xyz[row];
    LoadedElement trc;
    if (trc.Load(file, kTrcTags[k]) && decode(k, trc.view())) anyCurve = true;
  }
  return anyCurve;
}

}  // namespace

bool LoadSourceMatrixTrc(platform::FileId file, ProfileTransform* side, std::uint32_t* sourceCurves) {
  SetIdentityCurves(side->inputCurves, 3);
  for (int c = 0; c < 3; ++c)
    for (std::uint32_t v = 0; v < 65536; ++v) sourceCurves[c * 65536 + v] = v;
  return LoadMatrixTrc(file, side, [&](int k, ByteView element) {
    return CurveToTables8And16(element, side->inputCurves[k], sourceCurves + k * 65536);
  });
}

bool LoadDestinationMatrixTrc(platform::FileId file, ProfileTransform* side) {
  SetIdentityCurves(side->outputCurves, 3);
  return LoadMatrixTrc(file, side,
                       [&](int k, ByteView element) { return CurveToTable8(element, side->outputCurves[k]); });
}

}  // namespace k7730::cmm
