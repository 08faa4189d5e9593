// String and path utilities shared by the dialogs, the file formats and the
// settings defaults. Paths use the platform's separator.
#pragma once

#include <cstddef>
#include <cstdint>

namespace k7730 {

// The part after the last separator (the whole string without one; empty
// when the path ends in one). Null gives null.
const char* PathFileName(const char* path);
char* PathFileName(char* path);

// Cuts the path at its last separator, in place; no separator: unchanged.
void PathCutLastComponent(char* path);

// Lower-cases A..Z in place.
void StrLower(char* text);

// 1 when the up to three characters after the last dot equal the given
// extension's first three, ignoring case; 0 when there is no dot, the dot is
// the first character or nothing follows it. Neither string is changed.
int HasExtension(const char* path, const char* extension);

// The folder of the module's own file (no trailing separator), in a buffer
// of kMaxPath bytes; empty when the path cannot be had or does not fit.
void GetModuleFolder(char* buffer);

// folder + separator + name into a field of kMaxPath bytes. When the result
// would not fit, the field becomes empty rather than holding a cut path.
// Returns false then.
bool JoinModuleFile(const char* folder, const char* name, char* field);

// Length of a string inside a fixed field; `field` when no terminator is found.
std::size_t BoundedLength(const char* text, std::size_t field);

// Copies a path between fields of kMaxPath bytes: at most kMaxPath - 1
// bytes of `from`, never read past its field, and always terminated. A
// null `from` gives an empty path.
void CopyPathField(char* to, const char* from);

}  // namespace k7730
