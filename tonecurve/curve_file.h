// Tone-curve files: the native file, which keeps every channel in its
// editable form with the set's polarity, and raw table files of bare 256-byte
// tables. Every operation works on the editor's working set and reports a
// file status code.
#pragma once

#include "formats/curve_file_parse.h"
#include "formats/tone_curve_set.h"

namespace k7730 {

// The message of a status code, or null for codes that show none.
const char* CurveFileMessage(int status);
// Shows the message of a status code (if it has one) in a box without owner.
void ReportCurveFileStatus(int status, const char* caption);

// Asks for a name ("Save"; Shift held down picks the alternative numbering)
// and writes the set. Cancelling returns 0.
int SaveCurveFile(const ToneCurveSet& set);
// Asks for a name ("Load") and reads the file into the set. Cancelling
// returns 0 and changes nothing.
int LoadCurveFile(ToneCurveSet& set);

// Writes a native version 2 file; 0, 1102 or 1104. A failed write leaves the
// part written so far on disk.
int WriteCurveFile(const ToneCurveSet& set, const char* path, int numbering);

// Reads a file into the set: a raw table file when the name's extension
// begins with AMP, else a native file in whichever numbering it validates.
// A rejected file (1101, 1105) leaves the set unchanged; a file that ends
// early (1103) leaves every channel at its default, polarity kept.
int ReadCurveFile(ToneCurveSet& set, const char* path);

// Validates a native file without changing anything: 1 when valid, else 0
// with the reason in *status (when not null).
int CheckCurveFile(const char* path, int numbering, int* status);

// Reads a raw table file of 768 bytes (channels 1..3) or 1280 bytes
// (channels 0..3, folded into 1..3). 0 on success; 1005 after resetting the
// whole set, polarity included.
int LoadRawTables(ToneCurveSet& set, const char* path);

}  // namespace k7730
