// The one printer driver: what the printer says it takes (300 dpi, 8-bit
// sRGB, 4x6, 5x7 and 6x8 borderless photo media, colour only) and the
// module's three choices as vendor attributes.
#pragma once

#include <pappl/pappl.h>

#include <string>

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

// Publishes the printer's current printer profile as printer-icc-profiles
// (its name and the URI that serves its bytes), so that applications can
// soft-proof against it; every other attribute the driver gives the
// printer keeps its current value. False when the printer's device is no
// longer allowed (the attributes stay as they were).
bool PublishPrinterProfile(pappl_printer_t* printer, const std::string& name, const std::string& uri);

}  // namespace k7730::printer_app
