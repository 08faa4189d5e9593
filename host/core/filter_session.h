// One open filter instance and the settings the command gives it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "host/core/stage_options.h"
#include "host/core/console.h"
#include "host/core/image.h"
#include "host/core/module_api.h"

namespace k7730::host {

class FilterSession {
 public:
  // Opens an instance; throws HostError with the module's ErrorCode.
  explicit FilterSession(const LoadedModule& module);
  ~FilterSession();
  FilterSession(const FilterSession&) = delete;
  FilterSession& operator=(const FilterSession&) = delete;

  // Applies --settings and the stage flags in the documented order. `image`
  // supplies an embedded profile for --input-profile embedded (null when
  // there is no image, as for `settings save`).
  void ApplyStages(const StageOptions& stages, const ImageHeader* image, const std::string& imagePath,
                   const Console& console);

  std::vector<std::uint8_t> GetBlock() const;
  // The record of a fresh instance: the module's defaults.
  const std::vector<std::uint8_t>& Defaults() const { return defaults_; }
  // The block as a settings file keeps it: the module's own default
  // profiles stored as empty paths, so the file works beside any module.
  std::vector<std::uint8_t> StorableBlock() const;
  void SetBlock(const std::vector<std::uint8_t>& block, const std::string& source);

  // The printer profile when colour matching is on, else empty.
  std::string ActiveOutputProfile() const;
  // The settings' printer profile, whether matching is on or not.
  std::string PrinterProfile() const;

  // Why the module cannot use the settings' profiles, as "; printer
  // profile PATH: reason" for each one found at fault; empty when colour
  // matching is off or nothing is found.
  std::string ExplainColourFailure() const;
  // For --verbose: the intent and both profiles (class, version, the tags
  // the intent reads); empty when colour matching is off.
  std::vector<std::string> DescribeColourMatching() const;

  // Which input profile colour matching took, for the summary line
  // ("the embedded profile of photo.jpg"); empty when it was not set.
  const std::string& InputProfileNote() const { return inputProfileNote_; }
  // Why an embedded profile gave way to the settings' input profile
  // (--fallback-profile), in a sentence; empty when it did not.
  const std::string& FallbackNote() const { return fallbackNote_; }

  // The stages that will run on a page, in pipeline order, for messages.
  std::vector<std::string> PlannedStages(bool swap) const;

  K7730_FilterInstance* Instance() const { return inst_; }
  const LoadedModule& Module() const { return module_; }

 private:
  void ApplyToneCurve(bool input, const std::string& path);
  void ApplyMtf(const MtfKernel& kernel, const std::string& source);
  void ApplyColorMatching(const StageOptions& stages, const ImageHeader* image, const std::string& imagePath,
                          const Console& console);
  std::string ChooseInputProfile(const StageOptions& s, const ImageHeader* image, const std::string& imagePath,
                                 const std::string& fromSettings, std::uint16_t intent, const Console& console);
  std::string EmbeddedProfileProblem(const ImageHeader& image, const std::string& imagePath, std::uint16_t intent);
  std::string ProfileName(const std::string& path) const;
  void SwitchOff(std::uint16_t selector);
  void RecordMtfName(const std::string& file);
  std::string ExplainProfiles(const std::string& input, const std::string& output, std::uint16_t intent) const;
  std::string SaveEmbeddedProfile(const ImageHeader& image);

  const LoadedModule& module_;
  K7730_FilterInstance* inst_ = nullptr;
  std::string embeddedProfileFile_;   // removed when the session ends
  std::string embeddedProfileName_;   // "the embedded profile of photo.jpg"
  std::string inputProfileNote_;
  std::string fallbackNote_;
  std::vector<std::uint8_t> defaults_;
};

// Checks that a file looks like an RGB ICC profile, so that a refusal names
// the real problem. Throws HostError naming the file.
void CheckRgbProfileFile(const std::string& path);
// The same check on profile bytes: empty when usable, else the problem.
std::string RgbProfileProblem(std::span<const std::uint8_t> bytes);

}  // namespace k7730::host
