// Writes seed inputs for filter_page_fuzzer and settings_record_fuzzer at
// build time: the default settings record of a fresh instance with each
// combination of stages, small pages and band splits.
// Usage: make_page_seeds PAGE_FOLDER SETTINGS_FOLDER
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "k7730fe.h"

namespace {

std::vector<std::uint8_t> DefaultRecord() {
  std::vector<std::uint8_t> block(K7730_SETTINGS_SIZE);
  K7730_FilterInstance* inst = plugin_filter_open(nullptr);
  std::uint32_t size = K7730_SETTINGS_SIZE;
  const std::int32_t sharpen[9] = {0, -1, 0, -1, 8, -1, 0, -1, 0};
  plugin_filter_setMtf(inst, 0, sharpen, 4, nullptr);
  plugin_filter_preference(inst, 2, 0, block.data(), &size, nullptr);
  plugin_filter_close(inst);
  plugin_filter_disposPtr(inst);
  return block;
}

bool Write(const std::string& folder, int n, const std::vector<std::uint8_t>& bytes) {
  return k7730::fuzz::WriteFile(folder + "/seed_" + std::to_string(n), bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_page_seeds PAGE_FOLDER SETTINGS_FOLDER\n");
    return 2;
  }
  const std::vector<std::uint8_t> record = DefaultRecord();
  int n = 0;
  bool ok = true;
  for (int stages = 0; stages < 16; ++stages) {
    std::vector<std::uint8_t> seed = record;
    seed.push_back(std::uint8_t(0x80 | stages));         // switches: icc, mtf, input, output curves
    seed.push_back(std::uint8_t((stages * 9) & 0x3F));   // profile pair
    seed.push_back(std::uint8_t(stages >> 3));           // one page, or two
    seed.push_back(std::uint8_t(5 + stages));            // width
    seed.push_back(std::uint8_t(7 + stages % 5));        // height
    seed.push_back(std::uint8_t(stages & 1));            // swap
    for (int band = 0; band < 4; ++band) {
      const int lines = 1 + (band + stages) % 4;
      seed.push_back(std::uint8_t(lines - 1));
      for (int i = 0; i < lines * (6 + stages) * 3; ++i) seed.push_back(std::uint8_t(i * 37 + band));
      seed.push_back(1);
    }
    ok = Write(argv[1], n, seed) && ok;
    // The settings target takes the record as it stands, then a page.
    std::vector<std::uint8_t> settings = record;
    settings.insert(settings.end(), seed.begin() + long(record.size()) + 3, seed.end());
    ok = Write(argv[2], n, settings) && ok;
    ++n;
  }
  std::printf("make_page_seeds: %d seeds each\n", n);
  return ok ? 0 : 1;
}
