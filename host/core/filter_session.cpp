#include "host/core/filter_session.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "formats/byte_reader.h"
#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/core/profile_report.h"
#include "host/core/settings_record.h"
#include "host/core/temporary_files.h"
#include "host/core/tone_curve_file.h"
#include "formats/polarity.h"

namespace k7730::host {

namespace {

// Settings records outlive the working folder they were made in.
std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const std::string absolute = std::filesystem::absolute(path, ec).lexically_normal().string();
  return ec ? path : absolute;
}

}  // namespace

std::string RgbProfileProblem(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < 128) return "not an ICC profile (shorter than a profile header)";
  const ByteView view(bytes.data(), bytes.size());
  std::uint32_t signature = 0, space = 0;
  view.U32(36, &signature);
  view.U32(16, &space);
  if (signature != 0x61637370) return "not an ICC profile (no 'acsp' signature)";
  if (space != 0x52474220) return "not an RGB profile (its data colour space is " + QuotedSignature(space) + ")";
  return "";
}

void CheckRgbProfileFile(const std::string& path) {
  const std::string problem = RgbProfileProblem(ReadFileBytes(path, std::size_t{64} << 20));
  if (!problem.empty()) throw FileError(path, problem);
}

FilterSession::FilterSession(const LoadedModule& module) : module_(module) {
  std::uint16_t err = 0;
  inst_ = module_.Api().open(&err);
  if (inst_ == nullptr) {
    throw FileError(module_.Path(), "cannot open a filter instance: " + DescribeErrorCode(err));
  }
  defaults_ = GetBlock();
}

FilterSession::~FilterSession() {
  if (inst_ != nullptr) {
    module_.Api().close(inst_);
    module_.Api().disposPtr(inst_);
  }
  if (!embeddedProfileFile_.empty()) ::unlink(embeddedProfileFile_.c_str());
}

std::vector<std::uint8_t> FilterSession::StorableBlock() const {
  std::vector<std::uint8_t> block = GetBlock();
  ClearDefaultProfilePaths(block, defaults_);
  return block;
}

std::vector<std::uint8_t> FilterSession::GetBlock() const {
  std::vector<std::uint8_t> block(K7730_SETTINGS_SIZE);
  std::uint32_t size = K7730_SETTINGS_SIZE;
  std::uint16_t err = 0;
  if (module_.Api().preference(inst_, K7730_PREF_GET_BLOCK, 0, block.data(), &size, &err) != 1) {
    throw FileError(module_.Path(), "cannot read the settings back: " + DescribeErrorCode(err));
  }
  return block;
}

void FilterSession::SetBlock(const std::vector<std::uint8_t>& block, const std::string& source) {
  std::vector<std::uint8_t> copy = block;
  std::uint32_t size = static_cast<std::uint32_t>(copy.size());
  std::uint16_t err = 0;
  if (module_.Api().preference(inst_, K7730_PREF_SET_BLOCK, 0, copy.data(), &size, &err) != 1) {
    throw FileError(source, "the module refused the settings record: " + DescribeErrorCode(err));
  }
}

void FilterSession::SwitchOff(std::uint16_t selector) {
  std::uint16_t err = 0;
  if (module_.Api().preference(inst_, K7730_PREF_SWITCH_OFF, selector, nullptr, nullptr, &err) != 1) {
    throw FileError(module_.Path(), "cannot switch a stage off: " + DescribeErrorCode(err));
  }
}

void FilterSession::ApplyStages(const StageOptions& s, const ImageHeader* image, const std::string& imagePath,
                                const Console& console) {
  if (!s.settingsFile.empty()) {
    std::vector<std::uint8_t> block = ReadSettingsFile(s.settingsFile);
    FillEmptyProfilePaths(block, defaults_);
    SetBlock(block, s.settingsFile);
  }
  if (s.lineFilter) {
    std::vector<std::uint8_t> block = GetBlock();
    const std::uint32_t on = *s.lineFilter ? 1 : 0;
    std::memcpy(block.data() + offsetof(K7730_SettingsBlock, lineFilterEnabled), &on, 4);
    SetBlock(block, "--line-filter");
    if (on == 1) {
      console.Notice("line filter switched on; the module runs it only while its line-filter library is loaded");
    }
  }
  if (s.inputCurve) ApplyToneCurve(true, *s.inputCurve);
  if (s.noInputCurve) SwitchOff(K7730_SWITCH_INPUT_CURVE);
  if (s.outputCurve) ApplyToneCurve(false, *s.outputCurve);
  if (s.noOutputCurve) SwitchOff(K7730_SWITCH_OUTPUT_CURVE);
  if (s.mtfFile) {
    const MtfKernel kernel = ReadMtfFile(*s.mtfFile);
    if (kernel.outerRingDropped) {
      console.Notice(*s.mtfFile + ": the outer ring of the 5 x 5 kernel is not used, only the centre 3 x 3");
    }
    ApplyMtf(kernel, *s.mtfFile);
    RecordMtfName(*s.mtfFile);
  }
  if (s.mtfKernel) {
    CheckMtfRanges(*s.mtfKernel, s.mtfSource);
    ApplyMtf(*s.mtfKernel, s.mtfSource);
    RecordMtfName("");
  }
  if (s.noMtf) SwitchOff(K7730_SWITCH_MTF);
  if (s.colorMatch) ApplyColorMatching(s, image, imagePath, console);
  if (s.noColorMatch) SwitchOff(K7730_SWITCH_ICC);
}

void FilterSession::ApplyToneCurve(bool input, const std::string& path) {
  const char* what = input ? "input tone curves" : "output tone curves";
  auto setter = input ? module_.Api().setInputToneCurve : module_.Api().setOutputToneCurve;
  module_.Require(reinterpret_cast<const void*>(setter),
                  input ? "plugin_filter_setInputToneCurve" : "plugin_filter_setOutputToneCurve", what);
  ToneCurveTables curves = ReadToneCurveFile(path);
  // The setter takes the tables in the polarity the instance's curve set
  // already has; convert the file's tables when the two differ.
  const K7730_SettingsBlock block = DecodeSettings(GetBlock());
  const std::uint16_t setPolarity = (input ? block.inputCurves : block.outputCurves).polarity;
  const bool fileIsInk = curves.polarityFromFile && curves.polarity != 1;
  const bool setIsInk = setPolarity != 1;
  if (fileIsInk != setIsInk) {
    for (auto& t : curves.tables) ReverseInvertTable(t.data());
  }
  std::uint16_t err = 0;
  if (setter(inst_, 1, curves.tables[0].data(), curves.tables[1].data(), curves.tables[2].data(),
             curves.tables[3].data(), &err) != 1) {
    throw FileError(path, std::string("the module refused the ") + what + ": " + DescribeErrorCode(err));
  }
  // The setter stores bare tables, which the curve editor would open as
  // free-hand channels; a native file's channels keep their mode, points
  // and gamma instead, as the editor's own Load keeps them.
  if (curves.editable) {
    std::vector<std::uint8_t> bytes = GetBlock();
    const std::size_t at = input ? offsetof(K7730_SettingsBlock, inputCurves) : offsetof(K7730_SettingsBlock, outputCurves);
    std::memcpy(bytes.data() + at, &*curves.editable, sizeof(K7730_ToneCurveSet));
    SetBlock(bytes, path);
  }
}

void FilterSession::ApplyMtf(const MtfKernel& kernel, const std::string& source) {
  module_.Require(reinterpret_cast<const void*>(module_.Api().setMtf), "plugin_filter_setMtf",
                  "MTF sharpening");
  std::uint16_t err = 0;
  if (module_.Api().setMtf(inst_, 1, kernel.centre.data(), kernel.scale, &err) != 1) {
    throw HostError(source + ": the module refused the MTF kernel: " + DescribeErrorCode(err));
  }
}

std::string FilterSession::SaveEmbeddedProfile(const ImageHeader& image) {
  // The module takes profiles by path, so the embedded one goes to a
  // private temporary file that lives as long as this session.
  std::string temp = TemporaryFolder() + "/k7730-embedded-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) throw FileError(temp, "cannot create: " + ErrnoText());
  embeddedProfileFile_ = temp;
  try {
    WriteAll(fd, temp, image.iccProfile.data(), image.iccProfile.size());
  } catch (...) {
    ::close(fd);
    throw;
  }
  ::close(fd);
  return temp;
}

// Which input profile to use: an explicit file, "settings", "embedded", or
// by default the image's embedded profile when it has one (or had one that
// could not be read) and the settings' profile otherwise. An embedded
// profile that cannot serve is an error, unless the user allowed the
// fallback to the settings' profile.
std::string FilterSession::ChooseInputProfile(const StageOptions& s, const ImageHeader* image,
                                              const std::string& imagePath, const std::string& fromSettings,
                                              std::uint16_t intent, const Console& console) {
  const std::string asked = s.inputProfile.value_or("");
  if (!asked.empty() && asked != "embedded" && asked != "settings") {
    CheckRgbProfileFile(asked);
    inputProfileNote_ = "input profile " + asked;
    return AbsolutePath(asked);
  }
  const bool hasEmbedded = image != nullptr && (!image->iccProfile.empty() || !image->iccProblem.empty());
  const bool wantsEmbedded = asked == "embedded" || (asked.empty() && hasEmbedded);
  if (asked == "embedded" && image == nullptr) throw UsageError("--input-profile embedded needs an input image");
  if (wantsEmbedded) {
    const std::string problem = EmbeddedProfileProblem(*image, imagePath, intent);
    if (problem.empty()) {
      inputProfileNote_ = "the embedded profile of " + imagePath;
      return embeddedProfileFile_;
    }
    if (!s.fallbackProfile) {
      throw FileError(imagePath, "its embedded profile cannot be used (" + problem +
                                     "); give --input-profile FILE, or --fallback-profile to use the settings' profile");
    }
    fallbackNote_ = imagePath + ": its embedded profile cannot be used (" + problem +
                    "); falling back to the settings' input profile " + fromSettings;
    console.Notice(fallbackNote_);
  }
  if (fromSettings.empty()) throw HostError("colour matching needs an input profile (--input-profile)");
  CheckRgbProfileFile(fromSettings);
  inputProfileNote_ = "the settings' input profile " + fromSettings;
  return AbsolutePath(fromSettings);
}

// Why the image's embedded profile cannot serve, empty when it can; a
// usable one is left in the session's temporary file. The module itself
// judges it, so that a profile it would refuse at the page start is
// reported here, as the image's embedded profile.
std::string FilterSession::EmbeddedProfileProblem(const ImageHeader& image, const std::string& imagePath,
                                                  std::uint16_t intent) {
  if (!image.iccProblem.empty()) return image.iccProblem;
  if (image.iccProfile.empty()) return "it has no embedded ICC profile";
  std::string problem = RgbProfileProblem(image.iccProfile);
  if (!problem.empty()) return problem;
  const std::string temp = SaveEmbeddedProfile(image);
  embeddedProfileName_ = "the embedded profile of " + imagePath;
  return ProfileProblem(module_.Api(), temp, ProfileRole::Source, intent);
}

// A profile path as the user knows it: the temporary copy of an embedded
// profile is named after its image.
std::string FilterSession::ProfileName(const std::string& path) const {
  return !embeddedProfileFile_.empty() && path == embeddedProfileFile_ ? embeddedProfileName_ : path;
}

void FilterSession::ApplyColorMatching(const StageOptions& s, const ImageHeader* image, const std::string& imagePath,
                                       const Console& console) {
  module_.Require(reinterpret_cast<const void*>(module_.Api().setIccProfile), "plugin_filter_setIccProfile",
                  "colour matching");
  const K7730_SettingsBlock block = DecodeSettings(GetBlock());
  const std::string fromSettings(block.inputProfilePath, strnlen(block.inputProfilePath, K7730_PATH_FIELD));
  std::string output = s.outputProfile.value_or(std::string(block.outputProfilePath, strnlen(block.outputProfilePath, K7730_PATH_FIELD)));
  const std::uint16_t intent = s.intent.value_or(block.intent <= 2 ? block.intent : 0);
  std::string input = ChooseInputProfile(s, image, imagePath, fromSettings, intent, console);
  if (output.empty()) throw HostError("colour matching needs an output profile (--output-profile)");
  CheckRgbProfileFile(output);
  output = AbsolutePath(output);
  for (const std::string* path : std::initializer_list<const std::string*>{&input, &output}) {
    if (path->size() >= K7730_PATH_FIELD) {
      throw FileError(*path, "the path is too long for the settings record (at most 259 characters)");
    }
  }
  std::uint16_t err = 0;
  if (module_.Api().setIccProfile(inst_, 1, input.c_str(), output.c_str(), intent, &err) != 1) {
    throw HostError(ProfileName(input) + ", " + output + ": the module refused the profiles for colour matching: " +
                    DescribeErrorCode(err) + ExplainProfiles(input, output, intent));
  }
}

std::string FilterSession::ExplainProfiles(const std::string& input, const std::string& output,
                                           std::uint16_t intent) const {
  std::string text;
  for (const auto& [path, role] : {std::pair{&input, ProfileRole::Source}, std::pair{&output, ProfileRole::Destination}}) {
    const std::string problem = ProfileProblem(module_.Api(), *path, role, intent);
    if (!problem.empty()) text += std::string("; ") + RoleName(role) + " " + ProfileName(*path) + ": " + problem;
  }
  return text;
}

std::string FilterSession::ExplainColourFailure() const {
  const K7730_SettingsBlock b = DecodeSettings(GetBlock());
  if (b.iccEnabled != 1) return "";
  return ExplainProfiles(std::string(b.inputProfilePath, strnlen(b.inputProfilePath, K7730_PATH_FIELD)),
                         std::string(b.outputProfilePath, strnlen(b.outputProfilePath, K7730_PATH_FIELD)),
                         static_cast<std::uint16_t>(b.intent));
}

std::vector<std::string> FilterSession::DescribeColourMatching() const {
  const K7730_SettingsBlock b = DecodeSettings(GetBlock());
  if (b.iccEnabled != 1) return {};
  const auto intent = static_cast<std::uint16_t>(b.intent);
  std::vector<std::string> lines{std::string("intent:  ") + IntentName(intent <= 2 ? intent : 0)};
  for (const auto& [field, role] : {std::pair{b.inputProfilePath, ProfileRole::Source},
                                    std::pair{b.outputProfilePath, ProfileRole::Destination}}) {
    const std::string path(field, strnlen(field, K7730_PATH_FIELD));
    lines.push_back(std::string(role == ProfileRole::Source ? "input:   " : "printer: ") + ProfileName(path) + ": " +
                    DescribeProfile(module_.Api(), path, role, intent));
  }
  return lines;
}

void FilterSession::RecordMtfName(const std::string& file) {
  // The record names the MTF file its kernel came from; empty means a
  // kernel given directly. A path too long for the field is not recorded.
  std::string name = file.empty() ? "" : AbsolutePath(file);
  if (name.size() >= K7730_PATH_FIELD) name.clear();
  std::vector<std::uint8_t> block = GetBlock();
  auto* field = block.data() + offsetof(K7730_SettingsBlock, mtfName);
  std::memset(field, 0, K7730_PATH_FIELD);
  std::memcpy(field, name.data(), name.size());
  SetBlock(block, file.empty() ? "MTF kernel" : file);
}

std::string FilterSession::ActiveOutputProfile() const {
  const K7730_SettingsBlock b = DecodeSettings(GetBlock());
  if (b.iccEnabled != 1) return "";
  return std::string(b.outputProfilePath, strnlen(b.outputProfilePath, K7730_PATH_FIELD));
}

std::string FilterSession::PrinterProfile() const {
  const K7730_SettingsBlock b = DecodeSettings(GetBlock());
  return std::string(b.outputProfilePath, strnlen(b.outputProfilePath, K7730_PATH_FIELD));
}

std::vector<std::string> FilterSession::PlannedStages(bool swap) const {
  const K7730_SettingsBlock b = DecodeSettings(GetBlock());
  std::vector<std::string> stages;
  if (swap) stages.push_back("channel swap");
  if (b.inputCurveEnabled == 1) stages.push_back("input tone curves");
  if (b.mtfEnabled == 1) stages.push_back("MTF sharpening");
  if (b.iccEnabled == 1) {
    stages.push_back(b.outputCurveEnabled == 1 ? "colour matching (with the output tone curves)"
                                               : "colour matching");
  } else if (b.outputCurveEnabled == 1) {
    stages.push_back("output tone curves");
  }
  if (b.lineFilterEnabled == 1) stages.push_back("line filter (when its library is loaded)");
  return stages;
}

}  // namespace k7730::host
