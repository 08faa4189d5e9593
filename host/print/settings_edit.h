// `k7730-print settings edit FILE`: the module's correction dialog on a
// stored settings record.
#pragma once

#include <string>

#include "host/print/cli_options.h"
#include "host/core/console.h"

namespace k7730::host {

// Reads the record (writing the module's defaults there first when the
// file does not exist), applies the stage options, opens the correction
// dialog and writes the record back when the user presses OK. Returns the
// exit code; throws HostError when no dialog can be shown.
int EditSettings(const Options& options, const std::string& modulePath, const Console& console);

}  // namespace k7730::host
