#include "host/printer_app/command_line.h"

#include <cups/cups.h>
#include <unistd.h>

#include <cstring>
#include <set>

namespace k7730::printer_app {

namespace {

const std::set<std::string> kSubcommands = {
    "add",     "autoadd", "cancel", "default", "delete",   "devices", "drivers", "jobs",    "modify",
    "options", "pause",   "printers", "resume", "server", "shutdown", "status",  "submit", "settings"};

// The letters that take a value in the next argument.
constexpr const char* kValueLetters = "dhjmnotuv";

void AddOptions(CommandLine& line, const char* text) {
  cups_option_t* options = nullptr;
  const int count = cupsParseOptions(text, 0, &options);
  for (int i = 0; i < count; ++i) line.options[options[i].name] = options[i].value;
  cupsFreeOptions(count, options);
}

// One "-X" argument and its value; false when it is not one papplMainloop takes.
bool ReadLetter(CommandLine& line, char letter, const char* value) {
  if (letter == 'a') return true;
  if (std::strchr(kValueLetters, letter) == nullptr || value == nullptr) return false;
  if (letter == 'd') line.printerName = value;
  if (letter == 'u') line.printerUri = value;
  if (letter == 'v') line.deviceUri = value;
  if (letter == 'o') AddOptions(line, value);
  return true;
}

// A word that is neither an option nor a value: a sub-command or a file.
bool ReadWord(CommandLine& line, const std::string& word) {
  if (kSubcommands.count(word) != 0) {
    if (!line.subcommand.empty()) return false;
    line.subcommand = word;
    return true;
  }
  if (::access(word.c_str(), R_OK) != 0) return false;
  ++line.files;
  return true;
}

}  // namespace

CommandLine ReadCommandLine(int argc, char* argv[]) {
  CommandLine line;
  const char* slash = argc > 0 ? std::strrchr(argv[0], '/') : nullptr;
  line.baseName = argc > 0 ? (slash != nullptr ? slash + 1 : argv[0]) : "";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    bool ok = true;
    if (arg == "--") {
      ok = ++i < argc;   // a file name follows, whatever it looks like
      line.files += ok ? 1 : 0;
    } else if (arg.rfind("--", 0) == 0) {
      ok = false;   // --help, --version and unknown long options
    } else if (arg.size() == 2 && arg[0] == '-' && arg[1] != '-') {
      const bool takesValue = std::strchr(kValueLetters, arg[1]) != nullptr;
      ok = ReadLetter(line, arg[1], takesValue && i + 1 < argc ? argv[i + 1] : nullptr);
      if (takesValue) ++i;
    } else if (arg[0] == '-' && arg != "-") {
      ok = false;   // grouped letters: papplMainloop reads them its own way
    } else if (arg != "-") {
      ok = ReadWord(line, arg);
    }
    if (!ok) return line;
  }
  if (line.subcommand.empty()) line.subcommand = "submit";
  line.understood = true;
  return line;
}

}  // namespace k7730::printer_app
