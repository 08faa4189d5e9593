// Fuzzes one image reader of the print command, chosen at build time by
// K7730_FUZZ_IMAGE_FORMAT, the format's word ("png", "tiff", ...). A reader either
// refuses the file with a HostError or returns an image whose pixels match
// its size.
//
// Input: the file's bytes.
#include "fuzz_support.h"
#include "host/core/host_error.h"
#include "host/image/image_formats.h"

using k7730::fuzz::Finding;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = k7730::fuzz::TempPath("image");
  static k7730::host::ImageFormat format;
  static const bool known = k7730::host::FormatFromWord(K7730_FUZZ_IMAGE_FORMAT, format);
  if (!known) Finding("no image format is named " K7730_FUZZ_IMAGE_FORMAT);
  if (!k7730::fuzz::WriteFile(path, data, size)) return 0;
  try {
    const k7730::host::Image image = k7730::host::ReadImageAs(format, path);
    if (image.width == 0 || image.height == 0 || image.rgb.size() != image.RowBytes() * image.height)
      Finding("an image whose pixels do not match its size");
  } catch (const k7730::host::HostError&) {
  }
  return 0;
}
