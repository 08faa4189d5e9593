// Runs pages through the filter interface with whatever a stored settings
// record may hold: any switch values, kernels, curves, intents and paths
// (with and without terminators), and random page geometry and band splits.
// Colour matching, the costly stage, runs only when the input asks for it,
// between small profiles the input picks.
//
// Input: the 4340-byte settings record (size field and magic are forced),
// a switch byte, a profile byte, a page-count byte, then for each page width,
// height, swap and per band its line count, its pixels and a byte that may
// switch a stage off.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "k7730fe.h"

using k7730::fuzz::Input;

namespace {

// Small profiles of every kind the stage meets: matrix/TRC, lut8, lut16,
// four-channel and Lab ones it must refuse, and no profile at all.
const char* const kProfiles[8] = {"rgb_gamma22.icc", "rgb_table256.icc", "small_rgb_lut16.icc",
                                  "small_rgb_lut8.icc", "rgb_table1024.icc", "small_cmyk_lut8.icc",
                                  "lab_abstract.icc", nullptr};

void PutPath(char (&field)[K7730_PATH_FIELD], const std::string& path) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, path.c_str(), path.size() + 1);
}

// Sends bands until the page's height (and two lines more) went through.
void RunBands(K7730_FilterInstance* inst, Input& in, std::uint32_t width, std::uint32_t height) {
  std::uint16_t err = 0;
  plugin_filter_startpage(inst, &err);
  std::uint8_t* out = nullptr;
  std::uint32_t capacity = 0;
  std::uint32_t sent = 0;
  while (sent < height + 2) {
    const std::uint32_t lines = 1 + in.Byte() % 16;
    if (out != nullptr && lines > capacity) {  // a host passes back only a buffer that fits
      plugin_filter_disposPtr(out);
      out = nullptr;
    }
    std::vector<std::uint8_t> band(static_cast<std::size_t>(lines) * width * 3);
    in.Take(band.data(), band.size());
    const bool fresh = out == nullptr;
    std::uint32_t released = 0;
    plugin_filter_do(inst, band.data(), lines, &out, &released, &err);
    if (fresh && out != nullptr) capacity = lines;
    if (released > lines + 2) k7730::fuzz::Finding("a band released more lines than its buffer holds");
    sent += lines;
    if ((in.Byte() & 7) == 0) {
      const std::uint16_t selector = 1 + in.Byte() % 4;
      plugin_filter_preference(inst, 5, selector, nullptr, nullptr, &err);
    }
  }
  plugin_filter_disposPtr(out);
  plugin_filter_endpage(inst, &err);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  K7730_SettingsBlock block;
  in.Take(&block, sizeof block);
  block.blockSize = K7730_SETTINGS_SIZE;
  block.magic = K7730_SETTINGS_MAGIC;
  // Colour matching only when bit 0 asks for it; with bit 7 the other
  // switches are 0 or 1 so that the stages actually run.
  const std::uint8_t switches = in.Byte();
  block.iccEnabled = switches & 1;
  if (switches & 0x80) {
    block.mtfEnabled = (switches >> 1) & 1;
    block.inputCurveEnabled = (switches >> 2) & 1;
    block.outputCurveEnabled = (switches >> 3) & 1;
    block.lineFilterEnabled = 0;
  }
  const std::uint8_t profiles = in.Byte();
  if (block.iccEnabled == 1) {
    const char* input = kProfiles[profiles & 7];
    const char* output = kProfiles[(profiles >> 3) & 7];
    if (input != nullptr) PutPath(block.inputProfilePath, std::string(K7730_FUZZ_PROFILE_DIR) + "/" + input);
    if (output != nullptr) PutPath(block.outputProfilePath, std::string(K7730_FUZZ_PROFILE_DIR) + "/" + output);
  }

  std::uint16_t err = 0;
  K7730_FilterInstance* inst = plugin_filter_open(&err);
  if (inst == nullptr) return 0;
  std::uint32_t blockSize = K7730_SETTINGS_SIZE;
  plugin_filter_preference(inst, 1, 0, &block, &blockSize, &err);

  // One page, or two on the same instance: the second initpage (another
  // geometry, no freepage between) releases the first page's objects. Bands
  // follow a failed initpage too, as a careless host sends them.
  const int pages = 1 + (in.Byte() & 1);
  for (int page = 0; page < pages; ++page) {
    const std::uint32_t width = 1 + in.Byte() % 48;
    const std::uint32_t height = 1 + in.Byte() % 48;
    plugin_filter_initpage(inst, width, height, in.Byte() & 1, &err);
    RunBands(inst, in, width, height);
  }
  plugin_filter_freepage(inst, &err);
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
  return 0;
}
