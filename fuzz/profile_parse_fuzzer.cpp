// Fuzzes everything the colour engine does with one profile short of the
// combined table: open with its header checks, the header, the tag table,
// whole and partial element reads through the exports, and the decoding of
// every element a ColorWorld build would use (lut8/lut16 elements on both
// sides for every intent, the colorants and TRCs on both sides) plus every
// element read as a curve.
//
// Input: the profile file.
#include <cstring>
#include <vector>

#include "cmm/curve_decoding.h"
#include "cmm/element_loader.h"
#include "cmm/lut_element.h"
#include "cmm/matrix_trc.h"
#include "cmm/profile_file.h"
#include "fuzz_support.h"
#include "k7730fe_cmm.h"

namespace cmm = k7730::cmm;
using k7730::fuzz::Finding;

namespace {

constexpr std::uint32_t kLutTags[6] = {0x41324230, 0x41324231, 0x41324232, 0x42324130, 0x42324131, 0x42324132};

// Reads the tag table and, for each listed tag, its size, the whole element
// (up to 4 kB), the 12-byte slice at offset 8 and the element as a curve.
void ReadTags(K7730_ProfileRef* ref) {
  std::uint32_t count = 0;
  SDKCMGetTagTableInfo(ref, &count, nullptr);
  std::vector<std::uint8_t> table(K7730_TAG_TABLE_BYTES(count));
  std::uint32_t again = 0;
  SDKCMGetTagTableInfo(ref, &again, reinterpret_cast<K7730_TagTable*>(table.data()));
  if (again != count) Finding("the tag count changed between two reads");
  for (std::uint32_t i = 0; i < count && i < 64; ++i) {
    std::uint32_t signature = 0;
    std::memcpy(&signature, table.data() + 4 + 12 * i, 4);
    std::uint32_t size = 0;
    if (SDKCMGetPartialProfileElement(ref, signature, 0, &size, nullptr) != 0) continue;
    std::uint32_t want = size < 4096 ? size : 4096;
    std::vector<std::uint8_t> element(want);
    if (SDKCMGetPartialProfileElement(ref, signature, 0, &want, element.data()) != 0 || want > element.size())
      Finding("an element read returned more than asked for");
    std::uint8_t slice[12];
    std::uint32_t sliceCount = sizeof slice;
    SDKCMGetPartialProfileElement(ref, signature, 8, &sliceCount, slice);
    if (sliceCount > sizeof slice) Finding("a slice read returned more than asked for");
    std::uint8_t curve[256];
    cmm::CurveToTable8(k7730::ByteView(element.data(), want), curve);
  }
}

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
  ReadTags(&ref);
  DecodeSides(cmm::FileOfRef(&ref), (data[127] & 1) != 0);
  SDKCMCloseProfile(&ref);
  return 0;
}
