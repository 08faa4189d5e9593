// Why the colour engine refused a profile: at open, or while decoding the
// side of a ColorWorld that the profile was to supply. The exports only
// succeed or fail; the reason travels with the build so that a host can
// tell its user what is wrong with the file, and what the build read when
// nothing is.
#pragma once

#include <cstdint>

namespace k7730::cmm {

enum class Refusal : std::uint8_t {
  None,
  NotOpened,         // the file cannot be opened or its header read
  NotAccepted,       // data colour space or connection space the engine does not read
  CutShort,          // the header states more bytes than the file holds
  TagTableCutShort,  // the tag table runs past the end of the file
  ElementCutShort,   // `tag` runs past the end of the file, or its read came up short
  NoMemory,          // a block for `tag` or the build's tables could not be had
  LutUnfit,          // `tag` (of `type`) has counts[0] inputs, counts[1] outputs, counts[2] grid points
  LutCutShort,       // `tag` (of `type`) ends before its tables or grid do
  NoTable,           // no `tag` for the intent and no matrix/TRC tags to stand in
  TrcType,           // TRC `tag` is of `type`, which the engine does not read
  TrcFunction,       // TRC `tag` is a 'para' of function type counts[0], which the engine does not read
  TrcCutShort,       // TRC `tag` ends before its entries or parameters do
  TrcNoGamma,        // TRC `tag` is a 'para' with a gamma of zero or below
  TrcNoSlope,        // TRC `tag` is a 'para' of type 1 or 2 with a zero slope
  TrcNoCurve,        // TRC `tag` is a 'para' whose samples are not numbers
};

// One side of a build: the refusal, if any, with the element it concerns,
// and what the build read.
struct SideReport {
  Refusal reason = Refusal::None;
  std::uint32_t tag = 0;         // the element the refusal is about
  std::uint32_t type = 0;        // that element's type signature, when it was read
  std::uint32_t counts[3] = {};  // numbers the refusal gives (see Refusal)

  std::uint32_t lutTag = 0;      // the lookup table the intent selects
  std::uint32_t lutType = 0;     // its type when the build read it; 0 on a matrix/TRC side
  std::uint32_t trcTypes[3] = {};  // types of the TRCs a matrix/TRC side found listed (0: not listed)
  std::uint8_t lutTagsListed = 0;  // bit k: A2Bk (k < 3) or B2A(k-3) is in the tag table
};

// Records the first refusal only: later steps of a failing build do not
// overwrite what went wrong first. A null report records nothing.
inline void Refuse(SideReport* report, Refusal reason, std::uint32_t tag = 0, std::uint32_t type = 0) {
  if (report == nullptr || report->reason != Refusal::None) return;
  report->reason = reason;
  report->tag = tag;
  report->type = type;
}

}  // namespace k7730::cmm
