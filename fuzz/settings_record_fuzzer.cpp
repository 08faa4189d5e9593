// Fuzzes the stored settings record as a host hands it over: taken whole
// through plugin_filter_preference mode 1 (size field and magic as they
// come), given back by mode 2 unchanged, described by the print command,
// and then driving a small page.
//
// Input: the 4340-byte record, then width, height, swap and per band its
// line count and pixels.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "k7730fe.h"
#include "host/core/settings_record.h"

using k7730::fuzz::Finding;
using k7730::fuzz::Input;

namespace {

void RunPage(K7730_FilterInstance* inst, Input& in) {
  const std::uint32_t width = 1 + in.Byte() % 32, height = 1 + in.Byte() % 32;
  if (plugin_filter_initpage(inst, width, height, in.Byte() & 1, nullptr) != 1) return;
  std::uint8_t* out = nullptr;
  for (std::uint32_t sent = 0; sent < height;) {
    const std::uint32_t lines = 1 + in.Byte() % 8;
    std::vector<std::uint8_t> band(std::size_t(lines) * width * 3);
    in.Take(band.data(), band.size());
    plugin_filter_disposPtr(out);  // a fresh buffer sized for this band
    out = nullptr;
    std::uint32_t released = 0;
    plugin_filter_do(inst, band.data(), lines, &out, &released, nullptr);
    if (released > lines + 2) Finding("a band released more lines than its buffer holds");
    sent += lines;
  }
  plugin_filter_disposPtr(out);
  plugin_filter_freepage(inst, nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  std::vector<std::uint8_t> record(K7730_SETTINGS_SIZE);
  in.Take(record.data(), record.size());
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  if (inst == nullptr) return 0;
  std::vector<std::uint8_t> before(K7730_SETTINGS_SIZE), after(K7730_SETTINGS_SIZE);
  std::uint32_t blockSize = K7730_SETTINGS_SIZE;
  plugin_filter_preference(inst, 2, 0, before.data(), &blockSize, nullptr);
  std::uint16_t err = 0;
  const bool taken = plugin_filter_preference(inst, 1, 0, record.data(), &blockSize, &err) == 1;
  plugin_filter_preference(inst, 2, 0, after.data(), &blockSize, nullptr);
  if (taken && after != record) Finding("a record taken whole came back different");
  if (!taken && after != before) Finding("a refused record changed the settings");
  if (!taken && err != K7730_ERR_BAD_BLOCK) Finding("a record was refused with an unexpected code");
  if (taken) {
    k7730::host::DescribeSettings(record);
    RunPage(inst, in);
  }
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
  return 0;
}
