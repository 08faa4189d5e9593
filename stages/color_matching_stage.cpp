#include "stages/color_matching_stage.h"

#include <algorithm>

#include "k7730fe_cmm.h"
#include "stages/profile_check.h"
#include "platform/path_utils.h"

namespace k7730 {
namespace {

// A path field that holds a terminated, non-empty string.
bool NamesAFile(const char (&field)[K7730_PATH_FIELD]) {
  const std::size_t length = BoundedLength(field, sizeof field);
  return length > 0 && length < sizeof field;
}

bool HasColorSpace(K7730_ProfileRef* ref, ColorSpaceKind kind) {
  K7730_ProfileHeader header{};
  SDKCMGetProfileHeader(ref, &header);
  switch (kind) {
    case ColorSpaceKind::Rgb: return header.colorSpace == K7730_SIG_RGB;
    case ColorSpaceKind::Cmyk: return header.colorSpace == K7730_SIG_CMYK;
    case ColorSpaceKind::Any: return true;
  }
  return false;
}

std::uint32_t IntentIndex(std::uint16_t intent) { return intent <= 2 ? intent : 0; }

// Closes the profiles it opened, whatever the outcome.
class OpenProfiles {
 public:
  ~OpenProfiles() {
    if (inputOpen_) SDKCMCloseProfile(&input_);
    if (outputOpen_) SDKCMCloseProfile(&output_);
  }
  bool OpenInput(const char* path) { return inputOpen_ = SDKCMOpenProfile(path, &input_) == 0; }
  bool OpenOutput(const char* path) { return outputOpen_ = SDKCMOpenProfile(path, &output_) == 0; }
  K7730_ProfileRef* input() { return &input_; }
  K7730_ProfileRef* output() { return &output_; }

 private:
  K7730_ProfileRef input_ = 0;
  K7730_ProfileRef output_ = 0;
  bool inputOpen_ = false;
  bool outputOpen_ = false;
};

}  // namespace

void DisposePageColorWorld(std::uintptr_t& colorWorld) {
  if (colorWorld != 0) SDKCMDisposeColorWorld(static_cast<K7730_ColorWorld>(colorWorld));
  colorWorld = 0;
}

std::uint16_t BuildPageColorWorld(const K7730_SettingsBlock& settings,
                                  const LutRecordSet& outputLuts, std::uintptr_t& colorWorld) {
  colorWorld = 0;
  // A stored block may hold anything: a path without its terminator names
  // no file, just as an empty one.
  if (settings.iccEnabled == 0 || !NamesAFile(settings.inputProfilePath) ||
      !NamesAFile(settings.outputProfilePath)) {
    return K7730_ERR_BAD_ARGUMENT;
  }
  K7730_ColorWorld world = 0;
  {
    OpenProfiles profiles;
    if (!profiles.OpenInput(settings.inputProfilePath) ||
        !HasColorSpace(profiles.input(), ColorSpaceKind::Rgb)) {
      return K7730_ERR_PROFILE;
    }
    if (!profiles.OpenOutput(settings.outputProfilePath) ||
        !HasColorSpace(profiles.output(), ColorSpaceKind::Rgb)) {
      return K7730_ERR_PROFILE;
    }
    K7730_CurveLutSet curves;
    const K7730_CurveLutSet* outputCurves = nullptr;
    if (settings.outputCurveEnabled == 1) {
      for (int k = 0; k < kCurveChannels; ++k) {
        std::copy(outputLuts[k].table, outputLuts[k].table + 256, curves.tables[k]);
      }
      outputCurves = &curves;
    }
    world = SDKCMCreateColorWorld(IntentIndex(settings.intent), profiles.input(), nullptr,
                                  profiles.output(), outputCurves);
  }
  if (world == 0) return K7730_ERR_NO_MEMORY;
  // The bands hold three bytes a pixel on both sides; a transform with a
  // four-channel end would read or write past them.
  if (SDKCMGetNumsOfInPixComp(world) != 3 || SDKCMGetNumsOfOutPixComp(world) != 3) {
    SDKCMDisposeColorWorld(world);
    return K7730_ERR_PROFILE;
  }
  colorWorld = world;
  return K7730_OK;
}

void MatchBandPixels(std::uintptr_t colorWorld, std::uint8_t* dst, const std::uint8_t* src,
                     std::uint32_t width, std::uint32_t lines) {
  const auto world = static_cast<K7730_ColorWorld>(colorWorld);
  const std::uint32_t inComponents = SDKCMGetNumsOfInPixComp(world);
  const std::uint32_t outComponents = SDKCMGetNumsOfOutPixComp(world);
  K7730_PixelMap source{static_cast<std::int32_t>(width), static_cast<std::int32_t>(lines),
                        inComponents, inComponents * width, const_cast<std::uint8_t*>(src)};
  K7730_PixelMap destination{static_cast<std::int32_t>(width), static_cast<std::int32_t>(lines),
                             outComponents, outComponents * width, dst};
  SDKCMMatchPixelMap(world, &source, &destination);
}

}  // namespace k7730
