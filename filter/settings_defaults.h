#pragma once

#include "filter/filter_instance.h"

namespace k7730 {

inline constexpr char kDefaultInputProfile[] = "A17D50.ICC";
inline constexpr char kDefaultOutputProfile[] = "K77302.ICC";

// Resets the settings, the ten LutRecords, the swap flag and the line-filter
// switch to their defaults. Page geometry, ColorWorld, MTF state and the
// line-filter bridge are left as they are.
void ApplyDefaults(FilterInstance& inst);

// The path of a file in the module's folder as the defaults store it; empty
// when it does not fit a path field.
void DefaultModuleFilePath(const char* name, char* field);

}  // namespace k7730
