// What a printer tells people about itself beyond its attributes: the
// Identify-Printer notice, shown on its Module Settings page for a while
// and logged, and the supplies a dye-sublimation printer has (ribbon and
// paper), whose levels are unknown here: the printer's command language,
// which could report them, lies outside the module and this server.
#pragma once

#include <pappl/pappl.h>

#include <chrono>
#include <string>

namespace k7730::printer_app {

// How long a page shows an Identify-Printer notice.
constexpr std::chrono::seconds kIdentifyNoticeTime{120};

// Identify-Printer by showing a notice ("display"), the default action.
void SetIdentify(pappl_pr_driver_data_t* data);

// The printer's current notice as one line of text, empty when none is
// shown (none given, or older than kIdentifyNoticeTime).
std::string IdentifyNotice(pappl_printer_t* printer);

// The notice as a banner of the printer's page, when there is one.
void ShowIdentifyNotice(pappl_client_t* client, pappl_printer_t* printer);

// Ribbon and paper, with unknown levels.
void SetSupplies(pappl_printer_t* printer);

}  // namespace k7730::printer_app
