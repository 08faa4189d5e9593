// The stored SettingsBlock as a file: exactly the 4340 bytes a host keeps.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "k7730fe.h"

namespace k7730::host {

// Throws HostError naming `name` when the bytes are not a settings record
// (size, size field or magic).
void CheckSettingsBytes(const std::string& name, std::span<const std::uint8_t> block);

// Reads a settings file; throws HostError when its size, size field or magic
// is not that of a settings record.
std::vector<std::uint8_t> ReadSettingsFile(const std::string& path);
void WriteSettingsFile(const std::string& path, const std::vector<std::uint8_t>& block);

// The record in readable form, one field per line.
std::string DescribeSettings(const std::vector<std::uint8_t>& block);

// A record stores an empty profile path for the module's own default
// profile, so that it stays valid wherever the module is installed; the
// host fills such a field with the default of the module it loaded.
// `defaults` is a fresh instance's record.
void ClearDefaultProfilePaths(std::vector<std::uint8_t>& block, const std::vector<std::uint8_t>& defaults);
void FillEmptyProfilePaths(std::vector<std::uint8_t>& block, const std::vector<std::uint8_t>& defaults);

// The record's profile and MTF paths that will not last: inside a build
// folder (one holding CMakeCache.txt) or a temporary folder, each with the
// reason, as "PATH (inside the build folder DIR)".
std::vector<std::string> PassingPaths(const std::vector<std::uint8_t>& block);

// What the record does to a page, in a line for the user: "MTF sharpening
// (mild); colour matching, perceptual, from the module's default
// A17D50.ICC to the module's default K77302.ICC".
std::string SummariseSettings(const std::vector<std::uint8_t>& block);

// The record's sharpening as the print command names it: "mild", "medium"
// or "strong" for a kernel of --sharpen, "from FILE" for one read from an
// MTF file, else "a custom kernel". Whether it is on is not looked at.
std::string SharpeningInWords(const std::vector<std::uint8_t>& block);

// A profile field of the record: its path, or "the module's default
// A17D50.ICC" (K77302.ICC for the printer profile) when it is empty.
std::string InputProfileInWords(const std::vector<std::uint8_t>& block);
std::string PrinterProfileInWords(const std::vector<std::uint8_t>& block);

// The record's fields, copied out of the bytes.
K7730_SettingsBlock DecodeSettings(const std::vector<std::uint8_t>& block);

}  // namespace k7730::host
