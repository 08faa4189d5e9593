// Writes the module's two default ICC profiles into a folder:
//   A17D50.ICC  the image source, an sRGB-like RGB matrix/TRC profile;
//   K77302.ICC  the printer, an RGB output profile with 16-bit lookup
//               tables for all three intents in both directions.
// Both are ICC version 2 with a fixed creation date, so every build writes
// the same bytes.
#include <lcms2.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "printer_model.h"

using k7730::profiles::PrinterModel;
using k7730::profiles::Vec3;

namespace {

bool Fail(const std::string& message) {
  std::fprintf(stderr, "make_default_profiles: %s\n", message.c_str());
  return false;
}

bool SetText(cmsHPROFILE profile, cmsTagSignature tag, const char* text) {
  cmsMLU* mlu = cmsMLUalloc(nullptr, 1);
  const bool ok = mlu != nullptr && cmsMLUsetASCII(mlu, "en", "US", text) && cmsWriteTag(profile, tag, mlu);
  cmsMLUfree(mlu);
  return ok;
}

// Saves with the creation date fixed to 2012-07-17 00:00:00.
bool Save(cmsHPROFILE profile, const std::string& path) {
  cmsUInt32Number size = 0;
  if (!cmsSaveProfileToMem(profile, nullptr, &size)) return Fail("cannot serialise " + path);
  std::vector<unsigned char> bytes(size);
  if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) return Fail("cannot serialise " + path);
  const unsigned char date[12] = {0x07, 0xDC, 0, 7, 0, 17, 0, 0, 0, 0, 0, 0};
  std::memcpy(bytes.data() + 24, date, sizeof date);
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return Fail("cannot create " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) return Fail("cannot write " + path);
  return true;
}

bool WriteSourceProfile(const std::string& path) {
  // sRGB primaries and white, the sRGB tone curve tabulated as a 'curv'.
  const cmsCIExyY d65 = {0.3127, 0.3290, 1.0};
  const cmsCIExyYTRIPLE primaries = {{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
  std::vector<cmsUInt16Number> table(1024);
  for (std::size_t i = 0; i < table.size(); ++i) {
    const double v = static_cast<double>(i) / (table.size() - 1);
    const double linear = v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    table[i] = static_cast<cmsUInt16Number>(std::lround(linear * 65535.0));
  }
  cmsToneCurve* curve = cmsBuildTabulatedToneCurve16(nullptr, static_cast<cmsUInt32Number>(table.size()), table.data());
  if (curve == nullptr) return Fail("cannot build the source tone curve");
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&d65, &primaries, curves);
  cmsFreeToneCurve(curve);
  if (profile == nullptr) return Fail("cannot build the source profile");
  cmsSetProfileVersion(profile, 2.1);
  const bool ok = SetText(profile, cmsSigProfileDescriptionTag, "K7730 image source RGB (sRGB-like)") &&
                  SetText(profile, cmsSigCopyrightTag, "No copyright, use freely") && Save(profile, path);
  cmsCloseProfile(profile);
  return ok;
}

// 16-bit CIELAB as ICC version 2 lookup tables store it: L 0..100 on
// 0..0xFF00, a and b -128..127.996 on 0..0xFFFF.
cmsUInt16Number EncodeV2(double v, bool lightness) {
  const double code = lightness ? v * 652.80 : (v + 128.0) * 256.0;
  return static_cast<cmsUInt16Number>(std::lround(std::fmin(std::fmax(code, 0.0), 65535.0)));
}
double DecodeV2(cmsUInt16Number code, bool lightness) {
  return lightness ? code / 652.80 : code / 256.0 - 128.0;
}

enum class Rendering { Perceptual, Colorimetric, Saturation };

struct Cargo {
  const PrinterModel* model;
  Rendering rendering;
};

int SampleDeviceToLab(const cmsUInt16Number in[], cmsUInt16Number out[], void* data) {
  const auto* cargo = static_cast<const Cargo*>(data);
  Vec3 lab = cargo->model->DeviceToLab({in[0] / 65535.0, in[1] / 65535.0, in[2] / 65535.0});
  if (cargo->rendering == Rendering::Perceptual) {
    lab = k7730::profiles::ColorimetricToPerceptual(lab, cargo->model->BlackLightness());
  }
  out[0] = EncodeV2(lab[0], true);
  out[1] = EncodeV2(lab[1], false);
  out[2] = EncodeV2(lab[2], false);
  return 1;
}

int SampleLabToDevice(const cmsUInt16Number in[], cmsUInt16Number out[], void* data) {
  const auto* cargo = static_cast<const Cargo*>(data);
  Vec3 lab = {DecodeV2(in[0], true), DecodeV2(in[1], false), DecodeV2(in[2], false)};
  if (cargo->rendering == Rendering::Perceptual) {
    lab = k7730::profiles::PerceptualToColorimetric(lab, cargo->model->BlackLightness());
  } else if (cargo->rendering == Rendering::Saturation) {
    lab = k7730::profiles::SaturationToColorimetric(lab);
  }
  // Perceptual rendering already lifts black to the printer's and reduces
  // chroma, and its greys stay neutral with the dye-by-dye limit alone; the
  // colorimetric renderings need their unreachable colours mapped, or the
  // dark ones turn into vivid device values.
  if (cargo->rendering != Rendering::Perceptual) lab = cargo->model->MapIntoGamut(lab);
  const Vec3 rgb = cargo->model->LabToDevice(lab);
  for (int c = 0; c < 3; ++c) out[c] = static_cast<cmsUInt16Number>(std::lround(rgb[c] * 65535.0));
  return 1;
}

bool WriteLut(cmsHPROFILE profile, cmsTagSignature tag, cmsUInt32Number grid, cmsSAMPLER16 sampler, Cargo cargo) {
  cmsPipeline* lut = cmsPipelineAlloc(nullptr, 3, 3);
  cmsStage* clut = cmsStageAllocCLut16bit(nullptr, grid, 3, 3, nullptr);
  bool ok = lut != nullptr && clut != nullptr && cmsStageSampleCLut16bit(clut, sampler, &cargo, 0) &&
            cmsPipelineInsertStage(lut, cmsAT_END, clut);
  if (!ok && clut != nullptr) cmsStageFree(clut);
  ok = ok && cmsWriteTag(profile, tag, lut);
  if (lut != nullptr) cmsPipelineFree(lut);
  return ok;
}

bool WritePrinterProfile(const std::string& path) {
  const PrinterModel model;
  cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
  if (profile == nullptr) return Fail("cannot build the printer profile");
  cmsSetProfileVersion(profile, 2.1);
  cmsSetDeviceClass(profile, cmsSigOutputClass);
  cmsSetColorSpace(profile, cmsSigRgbData);
  cmsSetPCS(profile, cmsSigLabData);
  cmsSetHeaderRenderingIntent(profile, INTENT_PERCEPTUAL);
  // The paper: slightly blue-white, as photo papers are.
  const cmsCIEXYZ paper = {0.8890, 0.9200, 0.7820};
  bool ok = SetText(profile, cmsSigProfileDescriptionTag, "K7730 dye-sublimation printer RGB") &&
            SetText(profile, cmsSigCopyrightTag, "No copyright, use freely") &&
            cmsWriteTag(profile, cmsSigMediaWhitePointTag, &paper);
  const struct {
    cmsTagSignature toLab, toDevice;
    Rendering rendering;
  } intents[] = {{cmsSigAToB0Tag, cmsSigBToA0Tag, Rendering::Perceptual},
                 {cmsSigAToB1Tag, cmsSigBToA1Tag, Rendering::Colorimetric},
                 {cmsSigAToB2Tag, cmsSigBToA2Tag, Rendering::Saturation}};
  for (const auto& intent : intents) {
    // Saturation reads back as colorimetric: it only changes how colours
    // are sent to the printer.
    const Rendering back = intent.rendering == Rendering::Saturation ? Rendering::Colorimetric : intent.rendering;
    ok = ok && WriteLut(profile, intent.toLab, 17, SampleDeviceToLab, {&model, back}) &&
         WriteLut(profile, intent.toDevice, 33, SampleLabToDevice, {&model, intent.rendering});
  }
  ok = ok ? Save(profile, path) : Fail("cannot build the printer profile's tables");
  cmsCloseProfile(profile);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_default_profiles FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  const bool ok = WriteSourceProfile(folder + "/A17D50.ICC") && WritePrinterProfile(folder + "/K77302.ICC");
  return ok ? 0 : 1;
}
