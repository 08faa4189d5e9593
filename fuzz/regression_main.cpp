// Runs a fuzz target over saved inputs without libFuzzer: every file in the
// folders named on the command line (a missing folder holds none). The
// normal test build runs each target this way over its regression inputs
// (every input that ever crashed it) and its seeds.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  int failures = 0, runs = 0;
  for (int i = 1; i < argc; ++i) {
    std::error_code missing;
    for (const auto& entry : std::filesystem::directory_iterator(argv[i], missing)) {
      if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') continue;
      std::ifstream in(entry.path(), std::ios::binary);
      if (!in) {
        std::fprintf(stderr, "cannot read %s\n", entry.path().c_str());
        ++failures;
        continue;
      }
      const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
      ++runs;
    }
  }
  std::printf("%d inputs run\n", runs);
  return failures == 0 ? 0 : 1;
}
