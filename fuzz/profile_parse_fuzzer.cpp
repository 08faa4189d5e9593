// Fuzzes everything the colour engine does with one profile short of the
// combined table: open with its header checks, the header, the tag table,
// whole and partial element reads through the exports, and the decoding of
// every element a ColorWorld build would use (lut8/lut16 elements on both
// sides for every intent, the colorants and TRCs on both sides) plus every
// element read as a curve.
//
// Input: the profile file.
#include <string>
#include <vector>

#include "cmm/curve_decoding.h"
#include "cmm/element_loader.h"
#include "cmm/lut_element.h"
#include "cmm/matrix_trc.h"
#include "cmm/profile_file.h"
#include "fuzz_support.h"
#include "k7730fe_cmm.h"
#include "profile_reads.h"

namespace cmm = k7730::cmm;
using k7730::fuzz::Finding;

namespace {

constexpr std::uint32_t kLutTags[6] = {0x41324230, 0x41324231, 0x41324232, 0x42324130, 0x42324131, 0x42324132};

// Decodes what a ColorWorld build would decode, for each side. The source
// side's 16-bit curve tables cost 65536 evaluations a curve, so they are
// made only when the last (reserved) header byte is odd: the fuzzer can
// still reach them, but most inputs run fast.
void DecodeSides(k7730::platform::FileId file, bool sourceTables) {
  for (std::uint32_t tag : kLutTags) {
    cmm::LoadedElement element;
    if (element.Load(file, tag) != cmm::ElementStatus::Loaded) continue;
    const cmm::LutSide side = (tag >> 24) == 'A' ? cmm::LutSide::Source : cmm::LutSide::Destination;
    cmm::ProfileTransform transform;
    cmm::ParseLutTag(element.data(), element.size(), side, &transform);
  }
  static std::vector<std::uint32_t> sourceCurves(3 * 65536);
  cmm::ProfileTransform source, destination;
  if (sourceTables) cmm::LoadSourceMatrixTrc(file, &source, sourceCurves.data());
  if (cmm::LoadDestinationMatrixTrc(file, &destination)) cmm::InvertCurves8(destination.outputCurves);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = k7730::fuzz::TempPath("parse.icc");
  if (!k7730::fuzz::WriteFile(path, data, size)) return 0;
  K7730_ProfileRef ref = 0;
  if (SDKCMOpenProfile(path.c_str(), &ref) != 0) return 0;
  K7730_ProfileHeader header;
  SDKCMGetProfileHeader(&ref, &header);
  if (header.size > size) Finding("a profile longer than its file was opened");
  // Every element read as a curve, too.
  k7730::fuzz::ReadProfile(&ref, [](const std::uint8_t* element, std::uint32_t count) {
    std::uint8_t curve[256];
    cmm::CurveToTable8(k7730::ByteView(element, count), curve);
  });
  DecodeSides(cmm::FileOfRef(&ref), (data[127] & 1) != 0);
  SDKCMCloseProfile(&ref);
  return 0;
}
