#include "host/core/vendor_options.h"

#include <cstdint>

#include "host/core/host_error.h"
#include "host/core/mtf_file.h"
#include "host/core/settings_record.h"

namespace k7730::host {

namespace {

constexpr std::array<const char*, 5> kSharpenChoices{kAsSettings, "mild", "medium", "strong", "off"};
constexpr std::array<const char*, 3> kColorMatchChoices{kAsSettings, "on", "off"};
constexpr std::array<const char*, 4> kIntentChoices{kAsSettings, "perceptual", "relative", "saturation"};
constexpr std::array<const char*, 4> kRenderingIntents{kRenderingIntentAuto, "perceptual", "relative", "saturation"};

const std::array<VendorOption, 3> kOptions{{
    {kSharpenOption, "Sharpening", kSharpenChoices},
    {kColorMatchOption, "Colour matching", kColorMatchChoices},
    {kIntentOption, "Rendering intent", kIntentChoices},
}};

HostError BadValue(const VendorOption& option, const std::string& value) {
  std::string accepted;
  for (std::size_t i = 1; i < option.choices.size(); ++i) accepted += std::string(option.choices[i]) + ", ";
  accepted.replace(accepted.size() - 2, 2, " or ");
  return HostError("option " + std::string(option.name) + "=" + value + ": takes " + accepted + kAsSettings);
}

void ApplySharpen(const std::string& value, StageOptions& s) {
  if (value == "off") {
    s.noMtf = true;
    return;
  }
  MtfKernel kernel;
  if (!SharpenPreset(value, kernel)) throw BadValue(kOptions[0], value);
  s.mtfKernel = kernel;
  s.mtfSource = std::string(kSharpenOption) + "=" + value;
}

void ApplyColorMatch(const std::string& value, StageOptions& s) {
  if (value == "on") s.colorMatch = true;
  else if (value == "off") s.noColorMatch = true;
  else throw BadValue(kOptions[1], value);
}

void ApplyIntent(const std::string& value, JobStages& job) {
  for (std::uint16_t i = 1; i < kIntentChoices.size(); ++i) {
    if (value == kIntentChoices[i]) {
      job.stages.intent = static_cast<std::uint16_t>(i - 1);
      job.intentGiven = true;
      return;
    }
  }
  throw BadValue(kOptions[2], value);
}

}  // namespace

std::span<const VendorOption> VendorOptions() { return kOptions; }

std::span<const char* const> RenderingIntentChoices() { return kRenderingIntents; }

std::string IntentForRenderingIntent(const std::string& value) {
  if (value.empty() || value == kRenderingIntentAuto) return kAsSettings;
  for (std::size_t i = 1; i < kRenderingIntents.size(); ++i) {
    if (value == kRenderingIntents[i]) return value;
  }
  throw HostError(std::string("option ") + kRenderingIntentOption + "=" + value +
                  ": takes auto, perceptual, relative or saturation");
}

void ApplyVendorOption(std::string_view name, const std::string& value, JobStages& job) {
  if (value.empty() || value == kAsSettings) return;
  if (name == kSharpenOption) ApplySharpen(value, job.stages);
  else if (name == kColorMatchOption) ApplyColorMatch(value, job.stages);
  else if (name == kIntentOption) ApplyIntent(value, job);
  else throw HostError("unknown option " + std::string(name));
}

std::string ApplyJobStages(FilterSession& session, JobStages job, const DocumentColour& colour) {
  const Console silent{.quiet = true};
  std::string note;
  if (job.stages.colorMatch || job.stages.noColorMatch) job.intentGiven = false;
  const bool settingsMatch = DecodeSettings(session.GetBlock()).iccEnabled == 1;
  if (job.intentGiven) {
    job.stages.colorMatch = settingsMatch;
    if (!job.stages.colorMatch) note = "k7730-intent has no effect: colour matching is off";
  }
  const bool matching = job.stages.colorMatch || (settingsMatch && !job.stages.noColorMatch);
  const bool embedded = colour.image != nullptr && (!colour.image->iccProfile.empty() || !colour.image->iccProblem.empty());
  if (matching && (embedded || !colour.inputProfile.empty())) {
    // Matching again from the document's own profile; a client cannot pick
    // another one, so an unusable embedded profile falls back.
    job.stages.colorMatch = true;
    job.stages.fallbackProfile = true;
    if (!colour.inputProfile.empty()) job.stages.inputProfile = colour.inputProfile;
  }
  session.ApplyStages(job.stages, colour.image, colour.name, silent);
  return note;
}

}  // namespace k7730::host
