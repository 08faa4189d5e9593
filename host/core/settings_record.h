// The stored SettingsBlock as a file: exactly the 4340 bytes a host keeps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "k7730fe.h"

namespace k7730::host {

// Reads a settings file; throws HostError when its size, size field or magic
// is not that of a settings record.
std::vector<std::uint8_t> ReadSettingsFile(const std::string& path);
void WriteSettingsFile(const std::string& path, const std::vector<std::uint8_t>& block);

// The record in readable form, one field per line.
std::string DescribeSettings(const std::vector<std::uint8_t>& block);

// The record's fields, copied out of the bytes.
K7730_SettingsBlock DecodeSettings(const std::vector<std::uint8_t>& block);

}  // namespace k7730::host
