// The host programs' errors: HostError, a complete, user-facing sentence
// that already names the file it is about, and UsageError, a request the
// program cannot take.
#pragma once

#include <stdexcept>
#include <string>

namespace k7730::host {

class HostError : public std::runtime_error {
 public:
  explicit HostError(const std::string& message) : std::runtime_error(message) {}
};

// A request the command line or job cannot make; the program shows its
// usage with it.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "FILE: problem" — the shape of every message about a file.
inline HostError FileError(const std::string& path, const std::string& problem) {
  return HostError(path + ": " + problem);
}

}  // namespace k7730::host
