// Scratch files for the file-format tests, named after the running test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/byte_order.h"

namespace k7730::testing_files {

using Bytes = std::vector<std::uint8_t>;

inline std::string TempPath(const std::string& suffix) {
  return ::testing::TempDir() + "k7730_" +
         ::testing::UnitTest::GetInstance()->current_test_info()->name() + suffix;
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
inline std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// Appends big-endian 16-bit words.
inline void Words(Bytes& out, std::initializer_list<unsigned> words) {
  for (unsigned w : words) test::AppendBig16(out, w);
}
inline Bytes Words(std::initializer_list<unsigned> words) {
  Bytes b;
  Words(b, words);
  return b;
}

// A scratch file named after the running test, removed when the test ends.
struct TempFile {
  explicit TempFile(const std::string& suffix) : path(TempPath(suffix)) {}
  ~TempFile() { std::remove(path.c_str()); }
  operator const std::string&() const { return path; }
  const char* c_str() const { return path.c_str(); }
  const std::string path;
};

}  // namespace k7730::testing_files
