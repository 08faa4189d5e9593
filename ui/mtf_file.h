// The MTF file: plain text holding the 26 words of the MTF settings (the 5x5
// kernel row by row, then the scale) as signed decimal integers, one per
// line ended by a bare line feed. Reading takes the first 26 integers found,
// whatever lies between them.
#pragma once

#include <cstdint>

#include "k7730fe.h"
#include "platform/file_wrappers.h"

namespace k7730 {

using MtfSettings = K7730_MtfSettings;

inline constexpr int kMtfWords = 26;

// Status codes of the MTF file and dialog.
enum MtfStatus : std::uint16_t {
  kMtfOk = 0,
  kMtfCannotOpen = 1001,
  kMtfCannotCreate = 1002,
  kMtfCannotWrite = 1004,
  kMtfUnsupported = 1005,       // fewer than 26 integers
  kMtfBadArgument = 1006,
  kMtfCoefficientRange = 1007,  // a coefficient is not an integer in -9999..9999
  kMtfScaleRange = 1008,        // the scale is not an integer in 1..99999
};

// The message of a status code, or null for codes that show none.
const char* MtfStatusMessage(int status);

// Writes all 26 words. 1 on success; else 0 with 1006 (null argument), 1002
// or 1004 in *status (when not null). A failed write leaves a partial file.
int WriteMtfFile(const char* path, const MtfSettings* settings, std::uint16_t* status);

// Reads the first 26 integers into the settings, storing each as it
// arrives; no range limits apply. 1 on success; else 0 with 1006 (null
// settings), 1001, or 1005 when the file ends first (the settings then hold
// the integers read so far).
int ReadMtfFile(const char* path, MtfSettings* settings, std::uint16_t* status);

// Reads the next integer of the file one byte at a time: skips to a digit or
// sign, then takes the run of digits and signs that follows (at most 255
// characters; the byte ending the run is consumed). 1 with its value, or 0
// with the value 0 when the file ends first. A failed read and a byte 0xFF
// both count as the end of the file.
int ReadNextInteger(FileHandle* file, std::int32_t* value);

}  // namespace k7730
