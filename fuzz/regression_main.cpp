// Runs a fuzz target over saved inputs without libFuzzer: every file named
// on the command line, or every file in a folder named there. The normal
// test build runs each target this way over its regression inputs (every
// input that ever crashed it) and its seeds.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

int RunFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return 1;
  }
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int failures = 0, runs = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path arg(argv[i]);
    if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg)) {
        if (!entry.is_regular_file() || entry.path().filename().string().front() == '.') continue;
        failures += RunFile(entry.path());
        ++runs;
      }
    } else if (std::filesystem::exists(arg)) {
      failures += RunFile(arg);
      ++runs;
    }
  }
  std::printf("%d inputs run\n", runs);
  return failures == 0 ? 0 : 1;
}
