// The one printer driver: what the printer says it takes (300 dpi, 8-bit
// sRGB, 4x6, 5x7 and 6x8 borderless photo media, colour only) and the
// module's three choices as vendor attributes.
#pragma once

#include <pappl/pappl.h>

namespace k7730::printer_app {

constexpr const char* kDriverName = "k7730";
constexpr const char* kDriverDescription = "K7730 dye-sublimation photo printer";
constexpr int kResolution = 300;

// The driver list handed to papplMainloop.
pappl_pr_driver_t* Drivers(int* count);

// Fills the driver data and attributes for a new printer. Refuses device
// URIs whose scheme no device handles, so that a printer is never made
// that could not print.
bool DriverCallback(pappl_system_t* system, const char* driverName, const char* deviceUri, const char* deviceId,
                    pappl_pr_driver_data_t* data, ipp_t** attrs, void* context);

}  // namespace k7730::printer_app
