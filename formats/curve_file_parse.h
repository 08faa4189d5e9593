// Tone-curve files in memory, shared by the module's Load and the print
// command: the native file's layout check and channel blocks, and raw table
// files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "formats/byte_reader.h"
#include "formats/tone_curve_set.h"

namespace k7730 {

// File status codes; 0 is success or a cancelled file dialog.
enum CurveFileStatus : int {
  kCurveFileOk = 0,
  kCurveFileCannotOpen = 1101,
  kCurveFileCannotCreate = 1102,
  kCurveFileCannotRead = 1103,    // a read, seek or size query failed, or the file ended early
  kCurveFileCannotWrite = 1104,
  kCurveFileUnsupported = 1105,   // not a file of this format
  kRawTablesUnusable = 1005,      // reported without a message
};

// How a native file numbers the channel modes: normally mode - 1 (0 points,
// 1 free-hand, 2 gamma); the alternative numbering stores the mode itself.
inline constexpr int kNormalNumbering = 0;
inline constexpr int kAlternativeNumbering = 1;

namespace curvefile {

inline constexpr std::uint16_t kWrittenVersion = 2;
inline constexpr std::uint16_t kOldVersion = 1;
inline constexpr std::uint16_t kChannelCount = 5;
inline constexpr std::size_t kHeaderBytes = 6;
inline constexpr std::size_t kChannelHeaderBytes = 4;  // mode word and count word
inline constexpr std::size_t kPointBytes = 4;          // output word, input word
inline constexpr std::size_t kTableBytes = 256;
inline constexpr std::size_t kGammaBytes = 2;

}  // namespace curvefile

// No read of a native file goes past this many bytes: the header and five
// channels of the longest block (a table) each. Longer files are invalid or
// (version 1) carry bytes nobody reads.
inline constexpr std::size_t kCurveFileReadLimit =
    curvefile::kHeaderBytes + curvefile::kChannelCount * (curvefile::kChannelHeaderBytes + curvefile::kTableBytes);

// Whether `bytes`, the first bytes of a file of `fileSize` bytes, are laid
// out as a native file with modes in `numbering`: a status code
// above, kCurveFileOk (version 1 files pass on their header alone),
// kCurveFileCannotRead when a header word is missing, or
// kCurveFileUnsupported.
int CheckCurveBytes(ByteView bytes, std::uint64_t fileSize, int numbering);

// Reads a file that passed the check into the set. kCurveFileOk: the set
// holds the file, polarity as stored. kCurveFileCannotRead (the file ended
// early): every channel reset, polarity kept. kCurveFileUnsupported: the set
// is unchanged.
int ParseCurveBytes(ByteView bytes, int numbering, ToneCurveSet& set);

// Raw table files: 768 bytes (tables of channels 1..3) or 1280 bytes
// (channels 0..3, the common table folded into 1..3; the fifth table is not
// read).
inline constexpr std::size_t kRawThreeTables = 3 * curvefile::kTableBytes;
inline constexpr std::size_t kRawFiveTables = 5 * curvefile::kTableBytes;

// Every channel becomes a free-hand table, channel 0 and 4 the identity,
// channels 1..3 the file's; polarity unchanged. False, with the set
// unchanged, for any other length.
bool ParseRawTableBytes(ByteView bytes, ToneCurveSet& set);

}  // namespace k7730
