// The stored settings records of `k7730-print settings save` and
// `settings edit`, the module's correction dialog on such a record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/core/console.h"
#include "host/core/filter_session.h"
#include "host/print/cli_options.h"

namespace k7730::host {

// Writes a record as `RecordWithStages` or `FilterSession::StorableBlock`
// gives it (the module's own default profiles as empty paths), with a
// warning for each path that will not last and a summary of what is on.
void StoreSettings(const std::string& path, const std::vector<std::uint8_t>& block, const Console& console);

// Reads the record (writing the module's defaults there first when the
// file does not exist), applies the stage options, opens the correction
// dialog and writes the record back when the user presses OK. Returns the
// exit code; throws HostError when no dialog can be shown.
int EditSettings(const Options& options, const std::string& modulePath, const Console& console);

}  // namespace k7730::host
