// Runs the built k7730-print as a user would, and the fixture of the tests
// that do: a scratch folder and PNG pages in it.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "host/image/image_formats.h"
#include "support/module_api.h"
#include "support/test_images.h"

namespace k7730::host {

struct RunResult {
  int status = -1;
  std::string output;   // stdout and stderr together
};

// `environment`: what goes before the command: assignments ("TMPDIR=/x")
// or a program that runs it ("env -u DISPLAY").
inline RunResult RunPrint(const std::string& args, const std::string& environment = "") {
  RunResult r;
  const std::string command = environment + " " + std::string(K7730_PRINT_PATH) + " " + args + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.output.append(buffer, n);
  const int status = ::pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// Runs a command that must succeed; a failure names the command.
inline RunResult RunPrintOk(const std::string& args, const std::string& environment = "") {
  RunResult r = RunPrint(args, environment);
  EXPECT_EQ(r.status, 0) << args << "\n" << r.output;
  return r;
}

using k7730::test::ModuleFolder;

class PrintCommand : public test::ScratchFolder {
 protected:
  // A page written as PNG, and the pixels it holds.
  std::vector<std::uint8_t> Page(const std::string& name, std::uint32_t w, std::uint32_t h, std::uint32_t seed) {
    auto rgb = test::NoisePixels(w, h, seed);
    test::WritePngFile(Path(name), w, h, 3, test::Widen(rgb), false);
    return rgb;
  }
  std::vector<std::uint8_t> Pixels(const std::string& name) { return ReadImage(Path(name)).rgb; }
};

}  // namespace k7730::host
