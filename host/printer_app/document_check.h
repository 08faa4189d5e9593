// Checks a spooled JPEG before PAPPL renders it: libjpeg pads a truncated
// file with grey and calls it a success, so a cut photo would print. The
// marker structure is walked up to the end-of-image marker.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace k7730::printer_app {

struct ImageLimits {
  std::uint32_t maxWidth = 0, maxHeight = 0;   // 0: no limit
};

// Empty when the JPEG is whole and within the limits, else the problem as
// a sentence for the job's message.
std::string JpegProblem(std::span<const std::uint8_t> file, const ImageLimits& limits);

// The same for a spooled file; the file is read whole, up to a limit.
std::string JpegFileProblem(const std::string& path, const ImageLimits& limits);

}  // namespace k7730::printer_app
