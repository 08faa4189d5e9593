// The recording line-filter library (recording_vorndll.cpp) opened by the
// test itself, to read the log of the calls the module made and to make it
// refuse widths or tables.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/dynamic_module.h"

namespace k7730::test {

class RecordingLibrary {
 public:
  explicit RecordingLibrary(const std::string& path) : handle_(OpenLibrary(path)) {
    EXPECT_NE(handle_, nullptr) << path << ": " << LibraryError();
    configure_ = Symbol<void (*)(std::uint32_t, std::uint32_t)>(handle_, "RecVornConfigure");
    log_ = Symbol<const char* (*)()>(handle_, "RecVornLog");
    if (configure_ != nullptr) Configure(0xFFFFFFFFu);
  }
  ~RecordingLibrary() {
    if (handle_ != nullptr) CloseLibrary(handle_);
  }
  RecordingLibrary(const RecordingLibrary&) = delete;
  RecordingLibrary& operator=(const RecordingLibrary&) = delete;

  bool loaded() const { return log_ != nullptr && configure_ != nullptr; }
  // Refuses wider lines or higher table numbers from now on, and clears the log.
  void Configure(std::uint32_t refuseWidthsAbove, std::uint32_t refuseTablesAbove = 5) {
    configure_(refuseWidthsAbove, refuseTablesAbove);
  }
  // The calls logged since the last take; refuses nothing from now on.
  std::string Take() {
    std::string text = log_();
    Configure(0xFFFFFFFFu);
    return text;
  }

 private:
  void* handle_ = nullptr;
  void (*configure_)(std::uint32_t, std::uint32_t) = nullptr;
  const char* (*log_)() = nullptr;
};

}  // namespace k7730::test
