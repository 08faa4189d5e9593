#include "host/core/settings_record.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "formats/byte_reader.h"
#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/core/mtf_file.h"
#include "host/core/temporary_files.h"

namespace k7730::host {

// The record is little-endian; copying it into the C struct is exact only on
// a little-endian machine.
static_assert(std::endian::native == std::endian::little, "settings records are little-endian");

namespace {

std::string Hex32(std::uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", v);
  return text;
}

std::string Switch(std::uint32_t v) {
  if (v == 1) return "on";
  if (v == 0) return "off";
  return "off (value " + std::to_string(v) + "; only 1 switches a stage on)";
}

std::string PathField(const char (&field)[K7730_PATH_FIELD]) {
  const void* end = std::memchr(field, 0, K7730_PATH_FIELD);
  if (end == nullptr) return std::string(field, K7730_PATH_FIELD) + " (no terminator: not a valid path)";
  if (field[0] == '\0') return "(none)";
  return std::string(field);
}

// An empty profile field stands for the module's default beside it.
std::string ProfileField(const char (&field)[K7730_PATH_FIELD], const char* defaultName) {
  if (field[0] == '\0') return std::string("(the module's default, ") + defaultName + " beside the module)";
  return PathField(field);
}

std::string IntentName(std::uint16_t intent) {
  switch (intent) {
    case 0: return "0 perceptual";
    case 1: return "1 relative colorimetric";
    case 2: return "2 saturation";
    default: return std::to_string(intent) + " (not 0 to 2: colour matching uses perceptual)";
  }
}

std::string TableSummary(const std::uint8_t* table) {
  bool identity = true;
  for (int i = 0; i < 256; ++i) identity &= table[i] == i;
  if (identity) return "identity";
  std::ostringstream out;
  for (int x : {0, 64, 128, 192, 255}) out << (x ? " " : "") << x << "->" << int(table[x]);
  return out.str();
}

void DescribeCurves(std::ostringstream& out, const char* title, std::uint32_t enabled,
                    const K7730_ToneCurveSet& set, const char* const names[5]) {
  out << title << Switch(enabled) << "\n";
  out << "  polarity         " << set.polarity
      << (set.polarity == 1 ? " (levels)" : set.polarity == 2 ? " (ink amounts)" : " (treated as ink amounts)")
      << "\n";
  for (int c = 0; c < K7730_CURVE_CHANNELS; ++c) {
    out << "  channel " << c << " " << names[c] << ": ";
    switch (set.mode[c]) {
      case 1: {
        const int count = set.pointCount[c];
        out << "control points (" << count << ", input->output)";
        if (count >= 0 && count <= K7730_CURVE_POINTS) {
          for (int k = 0; k < count; ++k) {
            out << " " << set.points[c][k].input << "->" << set.points[c][k].output;
          }
        } else {
          out << " (count outside 0 to 20)";
        }
        break;
      }
      case 2: out << "free-hand table"; break;
      case 3: {
        char gamma[32];
        std::snprintf(gamma, sizeof gamma, "gamma %.2f", set.gammaHundredths[c] / 100.0);
        out << gamma;
        break;
      }
      default: out << "mode " << set.mode[c] << " (unknown)"; break;
    }
    out << "; table " << TableSummary(set.tables[c]) << "\n";
  }
}

}  // namespace

K7730_SettingsBlock DecodeSettings(const std::vector<std::uint8_t>& block) {
  K7730_SettingsBlock s{};
  if (block.size() == sizeof s) std::memcpy(&s, block.data(), sizeof s);
  return s;
}

void CheckSettingsBytes(const std::string& name, std::span<const std::uint8_t> block) {
  if (block.size() != K7730_SETTINGS_SIZE) {
    throw FileError(name, "not a settings record: it has " + std::to_string(block.size()) +
                              " bytes, a settings record has " + std::to_string(K7730_SETTINGS_SIZE));
  }
  const ByteView view(block.data(), block.size());
  std::uint32_t size = 0, magic = 0;
  view.U32LittleEndian(0, &size);
  view.U32LittleEndian(4, &magic);
  if (size != K7730_SETTINGS_SIZE || magic != K7730_SETTINGS_MAGIC) {
    throw FileError(name, "not a settings record: size field " + std::to_string(size) + " and magic " +
                              Hex32(magic) + ", expected " + std::to_string(K7730_SETTINGS_SIZE) +
                              " and " + Hex32(K7730_SETTINGS_MAGIC));
  }
}

std::vector<std::uint8_t> ReadSettingsFile(const std::string& path) {
  std::vector<std::uint8_t> block = ReadFileBytes(path, 1 << 20);
  CheckSettingsBytes(path, block);
  return block;
}

void WriteSettingsFile(const std::string& path, const std::vector<std::uint8_t>& block) {
  WriteFileAtomically(path, [&](int fd) { WriteAll(fd, path, block.data(), block.size()); });
}

std::string DescribeSettings(const std::vector<std::uint8_t>& block) {
  const K7730_SettingsBlock s = DecodeSettings(block);
  std::ostringstream out;
  out << "size field         " << s.blockSize << "\n";
  out << "magic              " << Hex32(s.magic) << "\n";
  out << "colour matching    " << Switch(s.iccEnabled) << "\n";
  out << "  intent           " << IntentName(s.intent) << "\n";
  out << "  input profile    " << ProfileField(s.inputProfilePath, "A17D50.ICC") << "\n";
  out << "  output profile   " << ProfileField(s.outputProfilePath, "K77302.ICC") << "\n";
  out << "MTF sharpening     " << Switch(s.mtfEnabled) << "\n";
  out << "  scale            " << s.mtf.scale << "\n";
  out << "  kernel (5 x 5, row by row)\n";
  for (int r = 0; r < 5; ++r) {
    out << "   ";
    for (int c = 0; c < 5; ++c) {
      char cell[16];
      std::snprintf(cell, sizeof cell, " %6d", s.mtf.coefficients[r * 5 + c]);
      out << cell;
    }
    out << "\n";
  }
  out << "  MTF file         " << PathField(s.mtfName) << "\n";
  static const char* const kInputNames[5] = {"(common)", "(red)", "(green)", "(blue)", "(fourth)"};
  static const char* const kOutputNames[5] = {"(common)", "(cyan)", "(magenta)", "(yellow)", "(fourth)"};
  DescribeCurves(out, "input tone curves  ", s.inputCurveEnabled, s.inputCurves, kInputNames);
  DescribeCurves(out, "output tone curves ", s.outputCurveEnabled, s.outputCurves, kOutputNames);
  out << "line filter        " << Switch(s.lineFilterEnabled) << "\n";
  return out.str();
}

namespace {

constexpr std::size_t kProfileFields[] = {offsetof(K7730_SettingsBlock, inputProfilePath),
                                          offsetof(K7730_SettingsBlock, outputProfilePath)};

std::string FieldText(const std::vector<std::uint8_t>& block, std::size_t at) {
  const char* field = reinterpret_cast<const char*>(block.data() + at);
  return std::string(field, strnlen(field, K7730_PATH_FIELD));
}

// Why a stored path will not last, empty when it will.
std::string WhyPassing(const std::string& path) {
  namespace fs = std::filesystem;
  if (path.empty() || path[0] != '/') return "";
  for (std::string folder : {TemporaryFolder(), std::string("/tmp"), std::string("/var/tmp")}) {
    if (folder.back() != '/') folder += '/';
    if (path.rfind(folder, 0) == 0) return "inside the temporary folder " + folder;
  }
  std::error_code ec;
  for (fs::path dir = fs::path(path).parent_path(); !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
    if (fs::exists(dir / "CMakeCache.txt", ec)) return "inside the build folder " + dir.string();
  }
  return "";
}

}  // namespace

void ClearDefaultProfilePaths(std::vector<std::uint8_t>& block, const std::vector<std::uint8_t>& defaults) {
  for (std::size_t at : kProfileFields) {
    if (FieldText(block, at) == FieldText(defaults, at)) std::memset(block.data() + at, 0, K7730_PATH_FIELD);
  }
}

void FillEmptyProfilePaths(std::vector<std::uint8_t>& block, const std::vector<std::uint8_t>& defaults) {
  for (std::size_t at : kProfileFields) {
    if (block[at] == 0) std::memcpy(block.data() + at, defaults.data() + at, K7730_PATH_FIELD);
  }
}

namespace {

std::string ProfileInWords(const std::vector<std::uint8_t>& block, std::size_t at, const char* defaultName) {
  const std::string path = FieldText(block, at);
  return path.empty() ? std::string("the module's default ") + defaultName : path;
}

}  // namespace

std::string SharpeningInWords(const std::vector<std::uint8_t>& block) {
  const std::string file = FieldText(block, offsetof(K7730_SettingsBlock, mtfName));
  if (!file.empty()) return "from " + file;
  const K7730_MtfSettings mtf = DecodeSettings(block).mtf;
  for (const char* preset : {"mild", "medium", "strong"}) {
    MtfKernel kernel;
    SharpenPreset(preset, kernel);
    // The 3 x 3 kernel sits at the centre of the 5 x 5 grid, zeros around it.
    std::array<std::int32_t, 25> grid{};
    for (int i = 0; i < 9; ++i) grid[(i / 3 + 1) * 5 + i % 3 + 1] = kernel.centre[i];
    if (mtf.scale == kernel.scale && std::equal(grid.begin(), grid.end(), mtf.coefficients)) return preset;
  }
  return "a custom kernel";
}

std::string InputProfileInWords(const std::vector<std::uint8_t>& block) {
  return ProfileInWords(block, kProfileFields[0], "A17D50.ICC");
}

std::string PrinterProfileInWords(const std::vector<std::uint8_t>& block) {
  return ProfileInWords(block, kProfileFields[1], "K77302.ICC");
}

std::string SummariseSettings(const std::vector<std::uint8_t>& block) {
  const K7730_SettingsBlock s = DecodeSettings(block);
  std::vector<std::string> parts;
  if (s.inputCurveEnabled == 1) parts.push_back("input tone curves");
  if (s.mtfEnabled == 1) parts.push_back("MTF sharpening (" + SharpeningInWords(block) + ")");
  if (s.iccEnabled == 1) {
    parts.push_back("colour matching, " + IntentName(s.intent <= 2 ? s.intent : 0).substr(2) + ", from " +
                    InputProfileInWords(block) + " to " + PrinterProfileInWords(block) +
                    (s.outputCurveEnabled == 1 ? " with the output tone curves" : ""));
  } else if (s.outputCurveEnabled == 1) {
    parts.push_back("output tone curves");
  }
  if (s.lineFilterEnabled == 1) parts.push_back("the line filter");
  if (parts.empty()) return "every stage off (pages pass through unchanged)";
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "; ") + part;
  return text;
}

std::vector<std::string> PassingPaths(const std::vector<std::uint8_t>& block) {
  std::vector<std::string> found;
  for (std::size_t at : {kProfileFields[0], kProfileFields[1], offsetof(K7730_SettingsBlock, mtfName)}) {
    const std::string path = FieldText(block, at);
    const std::string why = WhyPassing(path);
    if (!why.empty()) found.push_back(path + " (" + why + ")");
  }
  return found;
}

}  // namespace k7730::host
