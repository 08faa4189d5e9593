#include "host/printer_app/device_schemes.h"

#include <cctype>

#include "host/printer_app/device_policy.h"

namespace k7730::printer_app {

namespace {

const DeviceScheme kSchemes[] = {
    {kFileScheme, "folder", "(the server's user writes it)", "one PWG raster file per job, written into FOLDER",
     PAPPL_DEVTYPE_FILE, FolderProblem, OpenFolderOutput},
    {kCommandScheme, "program", "(a back end in\na back-end folder)",
     "each job on the standard input of a new run of PROGRAM, a program of a\n"
     "back-end folder (-o backend-directories=DIR:..., as for the server)",
     PAPPL_DEVTYPE_CUSTOM_LOCAL, ProgramProblem,
     [](const std::string& program, const std::string&) { return OpenCommandOutput(program); }},
};

// `text` with a line break and `indent` spaces wherever it has a '\n'.
std::string Indented(const std::string& text, std::size_t indent) {
  std::string out;
  for (const char c : text) {
    out.push_back(c);
    if (c == '\n') out.append(indent, ' ');
  }
  return out;
}

template <typename Part>
std::string JoinedWithOr(Part part) {
  std::string text;
  for (const DeviceScheme& scheme : kSchemes) text += (text.empty() ? "" : " or ") + part(scheme);
  return text;
}

}  // namespace

std::span<const DeviceScheme> DeviceSchemes() { return kSchemes; }

const DeviceScheme* FindDeviceScheme(const std::string& name) {
  for (const DeviceScheme& scheme : kSchemes) {
    if (name == scheme.name) return &scheme;
  }
  return nullptr;
}

std::string UriForm(const DeviceScheme& scheme) {
  std::string word = scheme.pathNoun;
  for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return std::string(scheme.name) + ":///" + word;
}

std::string AnyPathNoun() {
  return JoinedWithOr([](const DeviceScheme& scheme) { return std::string(scheme.pathNoun); });
}

std::string AnyUriForm() { return JoinedWithOr(UriForm); }

std::string AddUsageLines(std::size_t indent) {
  std::string lines;
  for (const DeviceScheme& scheme : kSchemes) {
    lines += std::string(indent, ' ') + (&scheme == kSchemes ? "" : "or ") + UriForm(scheme) + " " +
             Indented(scheme.addNote, indent) + "\n";
  }
  return lines;
}

std::string DeviceListing() {
  std::string lines;
  for (const DeviceScheme& scheme : kSchemes) lines += UriForm(scheme) + "\n    " + Indented(scheme.listing, 4) + "\n";
  return lines;
}

}  // namespace k7730::printer_app
