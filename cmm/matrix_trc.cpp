#include "cmm/matrix_trc.h"

#include <cstring>

#include "formats/byte_reader.h"
#include "cmm/curve_decoding.h"
#include "cmm/element_loader.h"

namespace k7730::cmm {
namespace {

constexpr std::uint32_t kColorantTags[3] = {0x7258595A, 0x6758595A, 0x6258595A};  // rXYZ gXYZ bXYZ
constexpr std::uint32_t kTrcTags[3] = {0x72545243, 0x67545243, 0x62545243};       // rTRC gTRC bTRC

// Reads the three s15Fixed16 numbers of a colorant element (bytes 8..19).
// A colorant that is not listed means the profile has no matrix/TRC tags.
bool ReadColorant(platform::FileId file, std::uint32_t tag, double xyz[3], SideReport* report) {
  std::uint8_t raw[12];
  const ElementStatus status = ReadElementSlice(file, tag, 8, 12, raw);
  if (status != ElementStatus::Loaded) {
    Refuse(report, status == ElementStatus::Absent ? Refusal::NoTable : RefusalOf(status), tag);
    return false;
  }
  for (int i = 0; i < 3; ++i) xyz[i] = static_cast<std::int32_t>(LoadBigEndian32(raw + 4 * i)) / 65536.0;
  return true;
}

// Keeps the first TRC that did not decode, reported only when no TRC does.
struct TrcProblem {
  Refusal reason = Refusal::None;
  std::uint32_t tag = 0, type = 0, function = 0;

  void Note(std::uint32_t trcTag, ByteView element) {
    if (reason != Refusal::None) return;
    element.U32(0, &type);
    reason = CurveRefusal(element, &function);
    tag = trcTag;
  }
  void Report(SideReport* report) const {
    Refuse(report, reason == Refusal::None ? Refusal::NoTable : reason, tag, type);
    if (report != nullptr && reason == Refusal::TrcFunction) report->counts[0] = function;
  }
};

bool SameBytes(const LoadedElement& a, const LoadedElement& b) {
  return a.present() && b.present() && a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size()) == 0;
}

// Reads colorants and TRCs channel by channel, r, g, b. All three colorants
// must be readable (a partly zero matrix would be a wrong transform, not a
// fallback); a TRC that is not listed leaves its channel's identity, one that
// is listed but cannot be loaded fails the side. `decode(k, element)` turns TRC element k
// into the side's tables and says whether it could; `copy(k, from)` copies
// channel `from`'s tables to channel k when their elements are the same
// bytes (the common case of one curve for all three channels).
template <typename Decode, typename Copy>
bool LoadMatrixTrc(platform::FileId file, ProfileTransform* side, Decode decode, Copy copy, SideReport* report) {
  bool anyCurve = false;
  LoadedElement trc[3];
  bool decoded[3] = {};
  TrcProblem problem;
  for (int k = 0; k < 3; ++k) {
    double xyz[3];
    if (!ReadColorant(file, kColorantTags[k], xyz, report)) return false;
    for (int row = 0; row < 3; ++row) side->matrix[row][k] = xyz[row];
    const ElementStatus status = trc[k].Load(file, kTrcTags[k]);
    if (status == ElementStatus::Absent) continue;
    if (status != ElementStatus::Loaded) {
      Refuse(report, RefusalOf(status), kTrcTags[k]);
      return false;
    }
    if (report != nullptr) trc[k].view().U32(0, &report->trcTypes[k]);
    int same = -1;
    for (int j = 0; j < k && same < 0; ++j)
      if (decoded[j] && SameBytes(trc[j], trc[k])) same = j;
    if (same >= 0) {
      copy(k, same);
      decoded[k] = true;
    } else {
      decoded[k] = decode(k, trc[k].view());
      if (!decoded[k]) problem.Note(kTrcTags[k], trc[k].view());
    }
    anyCurve = anyCurve || decoded[k];
  }
  if (!anyCurve) problem.Report(report);
  return anyCurve;
}

}  // namespace

bool LoadSourceMatrixTrc(platform::FileId file, ProfileTransform* side, std::uint32_t* sourceCurves,
                         SideReport* report) {
  SetIdentityCurves(side->inputCurves, 3);
  for (int c = 0; c < 3; ++c)
    for (std::uint32_t v = 0; v < 65536; ++v) sourceCurves[c * 65536 + v] = v;
  return LoadMatrixTrc(
      file, side,
      [&](int k, ByteView element) {
        return CurveToTables8And16(element, side->inputCurves[k], sourceCurves + k * 65536);
      },
      [&](int k, int from) {
        std::memcpy(side->inputCurves[k], side->inputCurves[from], 256);
        std::memcpy(sourceCurves + k * 65536, sourceCurves + from * 65536, 65536 * sizeof(std::uint32_t));
      },
      report);
}

bool LoadDestinationMatrixTrc(platform::FileId file, ProfileTransform* side, SideReport* report) {
  SetIdentityCurves(side->outputCurves, 3);
  return LoadMatrixTrc(
      file, side, [&](int k, ByteView element) { return CurveToTable8(element, side->outputCurves[k]); },
      [&](int k, int from) { std::memcpy(side->outputCurves[k], side->outputCurves[from], 256); }, report);
}

}  // namespace k7730::cmm
