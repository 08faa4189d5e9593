// Writes the colour engine's test profiles with LittleCMS: ICC version 2
// profiles, so that lookup tables are stored as lut8 ('mft1') or lut16
// ('mft2') and tone curves as 'curv', and one version 4 matrix/TRC profile
// whose tone curves are stored as 'para'. The header date is fixed so that the
// files are the same on every build.
//
// Usage: profilegen OUTPUT_FOLDER
#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string g_folder;

// ---- The colour model behind every generated profile ---------------------
// An RGB space with sRGB primaries and a pure 2.2 gamma; CMYK is derived
// from it with half grey-component replacement.

const cmsCIExyYTRIPLE kPrimaries = {{0.6400, 0.3300, 1.0}, {0.3000, 0.6000, 1.0}, {0.1500, 0.0600, 1.0}};

cmsHPROFILE RgbMatrixProfile(cmsToneCurve* curve) {
  cmsCIExyY white;
  cmsWhitePointFromTemp(&white, 6504);
  cmsToneCurve* curves[3] = {curve, curve, curve};
  return cmsCreateRGBProfile(&white, &kPrimaries, curves);
}

struct Model {
  cmsHTRANSFORM toLab = nullptr;    // device RGB (0..1) -> Lab
  cmsHTRANSFORM fromLab = nullptr;  // Lab -> device RGB (0..1)
  Model() {
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE rgb = RgbMatrixProfile(gamma);
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    const cmsUInt32Number flags = cmsFLAGS_NOOPTIMIZE | cmsFLAGS_NOCACHE;
    toLab = cmsCreateTransform(rgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, flags);
    fromLab = cmsCreateTransform(lab, TYPE_Lab_DBL, rgb, TYPE_RGB_DBL, INTENT_RELATIVE_COLORIMETRIC, flags);
    cmsCloseProfile(rgb);
    cmsCloseProfile(lab);
    cmsFreeToneCurve(gamma);
  }
  ~Model() {
    cmsDeleteTransform(toLab);
    cmsDeleteTransform(fromLab);
  }
};

Model* g_model = nullptr;

// Each intent bends chroma a little, so tests can tell the intents apart:
// 0 perceptual 0.9, 1 colorimetric 1.0, 2 saturation 1.1.
double ChromaScale(int intent) { return intent == 0 ? 0.9 : intent == 2 ? 1.1 : 1.0; }

double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

void RgbToLab(const double rgb[3], int intent, cmsCIELab* lab) {
  cmsDoTransform(g_model->toLab, rgb, lab, 1);
  lab->a *= ChromaScale(intent);
  lab->b *= ChromaScale(intent);
}

void LabToRgb(cmsCIELab lab, int intent, double rgb[3]) {
  lab.a /= ChromaScale(intent);
  lab.b /= ChromaScale(intent);
  cmsDoTransform(g_model->fromLab, &lab, rgb, 1);
  for (int c = 0; c < 3; ++c) rgb[c] = Clamp01(rgb[c]);
}

void CmykToRgb(const double cmyk[4], double rgb[3]) {
  for (int c = 0; c < 3; ++c) rgb[c] = (1 - cmyk[c]) * (1 - cmyk[3]);
}

void RgbToCmyk(const double rgb[3], double cmyk[4]) {
  double cmy[3] = {1 - rgb[0], 1 - rgb[1], 1 - rgb[2]};
  double k = 0.5 * std::min({cmy[0], cmy[1], cmy[2]});
  for (int c = 0; c < 3; ++c) cmyk[c] = k >= 1 ? 0 : Clamp01((cmy[c] - k) / (1 - k));
  cmyk[3] = k;
}

// ---- Samplers -------------------------------------------------------------

enum class Encoding { LabV2, LabV4 };  // lut16 Lab vs lut8 Lab

struct SamplerCargo {
  int intent;
  Encoding encoding;
  bool linearRgb;  // device RGB arrives / leaves linear (gamma in the curves)
};

void EncodeLab(const cmsCIELab& lab, Encoding e, cmsUInt16Number out[3]) {
  if (e == Encoding::LabV2)
    cmsFloat2LabEncodedV2(out, &lab);
  else
    cmsFloat2LabEncoded(out, &lab);
}

void DecodeLab(const cmsUInt16Number in[3], Encoding e, cmsCIELab* lab) {
  if (e == Encoding::LabV2)
    cmsLabEncoded2FloatV2(lab, in);
  else
    cmsLabEncoded2Float(lab, in);
}

cmsUInt16Number To16(double v) { return static_cast<cmsUInt16Number>(std::lround(Clamp01(v) * 65535.0)); }

int RgbToLabSampler(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
  auto* c = static_cast<SamplerCargo*>(cargo);
  double rgb[3];
  for (int i = 0; i < 3; ++i) {
    rgb[i] = in[i] / 65535.0;
    if (c->linearRgb) rgb[i] = std::pow(rgb[i], 1 / 2.2);
  }
  cmsCIELab lab;
  RgbToLab(rgb, c->intent, &lab);
  EncodeLab(lab, c->encoding, out);
  return 1;
}

int LabToRgbSampler(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
  auto* c = static_cast<SamplerCargo*>(cargo);
  cmsCIELab lab;
  DecodeLab(in, c->encoding, &lab);
  double rgb[3];
  LabToRgb(lab, c->intent, rgb);
  for (int i = 0; i < 3; ++i) out[i] = To16(c->linearRgb ? std::pow(rgb[i], 2.2) : rgb[i]);
  return 1;
}

int CmykToLabSampler(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
  auto* c = static_cast<SamplerCargo*>(cargo);
  double cmyk[4], rgb[3];
  for (int i = 0; i < 4; ++i) cmyk[i] = in[i] / 65535.0;
  CmykToRgb(cmyk, rgb);
  cmsCIELab lab;
  RgbToLab(rgb, c->intent, &lab);
  EncodeLab(lab, c->encoding, out);
  return 1;
}

int LabToCmykSampler(const cmsUInt16Number in[], cmsUInt16Number out[], void* cargo) {
  auto* c = static_cast<SamplerCargo*>(cargo);
  cmsCIELab lab;
  DecodeLab(in, c->encoding, &lab);
  double rgb[3], cmyk[4];
  LabToRgb(lab, c->intent, rgb);
  RgbToCmyk(rgb, cmyk);
  for (int i = 0; i < 4; ++i) out[i] = To16(cmyk[i]);
  return 1;
}

int IdentitySampler(const cmsUInt16Number in[], cmsUInt16Number out[], void*) {
  for (int i = 0; i < 3; ++i) out[i] = in[i];
  return 1;
}

// ---- Pipelines ------------------------------------------------------------

cmsStage* CurveStage(int channels, cmsToneCurve* curve) {
  std::vector<cmsToneCurve*> curves(channels, curve);
  return cmsStageAllocToneCurves(nullptr, channels, curves.data());
}

cmsToneCurve* TabulatedGamma(int entries, double gamma) {
  std::vector<cmsUInt16Number> table(entries);
  for (int i = 0; i < entries; ++i)
    table[i] = static_cast<cmsUInt16Number>(std::lround(std::pow(i / double(entries - 1), gamma) * 65535.0));
  return cmsBuildTabulatedToneCurve16(nullptr, entries, table.data());
}

struct LutShape {
  int in;
  int out;
  int grid;
  cmsSAMPLER16 sampler;
  SamplerCargo cargo;
  cmsToneCurve* before = nullptr;  // optional curves on each side of the CLUT
  cmsToneCurve* after = nullptr;
  bool eightBit = false;
};

cmsPipeline* BuildLut(LutShape& s) {
  cmsPipeline* p = cmsPipelineAlloc(nullptr, s.in, s.out);
  if (s.before != nullptr) cmsPipelineInsertStage(p, cmsAT_END, CurveStage(s.in, s.before));
  cmsStage* clut = cmsStageAllocCLut16bit(nullptr, s.grid, s.in, s.out, nullptr);
  cmsStageSampleCLut16bit(clut, s.sampler, &s.cargo, 0);
  cmsPipelineInsertStage(p, cmsAT_END, clut);
  if (s.after != nullptr) cmsPipelineInsertStage(p, cmsAT_END, CurveStage(s.out, s.after));
  if (s.eightBit) cmsPipelineSetSaveAs8bitsFlag(p, TRUE);
  return p;
}

// ---- Writing --------------------------------------------------------------

// Saves with a fixed creation date (1 January 2020, midnight).
bool Save(cmsHPROFILE h, const char* name, double version = 2.1) {
  cmsSetProfileVersion(h, version);
  cmsUInt32Number bytes = 0;
  if (!cmsSaveProfileToMem(h, nullptr, &bytes)) return false;
  std::vector<unsigned char> data(bytes);
  if (!cmsSaveProfileToMem(h, data.data(), &bytes)) return false;
  const unsigned char date[12] = {0x07, 0xE4, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0};
  std::memcpy(data.data() + 24, date, sizeof date);
  std::string path = g_folder + "/" + name;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

bool SaveAndClose(cmsHPROFILE h, const char* name, double version = 2.1) {
  bool ok = h != nullptr && Save(h, name, version);
  if (h != nullptr) cmsCloseProfile(h);
  if (!ok) std::fprintf(stderr, "profilegen: cannot write %s\n", name);
  return ok;
}

bool MatrixProfile(const char* name, cmsToneCurve* curve, double version = 2.1) {
  cmsHPROFILE h = RgbMatrixProfile(curve);
  cmsFreeToneCurve(curve);
  return SaveAndClose(h, name, version);
}

// The sRGB curve as ICC function type 4 (LittleCMS type 5), with small
// offsets on both pieces so that all seven parameters count.
cmsToneCurve* ParametricSrgbCurve() {
  const cmsFloat64Number p[7] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045, 0.002, 0.002};
  return cmsBuildParametricToneCurve(nullptr, 5, p);
}

cmsHPROFILE LutPlaceholder(cmsColorSpaceSignature space) {
  cmsHPROFILE h = cmsCreateProfilePlaceholder(nullptr);
  cmsSetDeviceClass(h, cmsSigOutputClass);
  cmsSetColorSpace(h, space);
  cmsSetPCS(h, cmsSigLabData);
  cmsWriteTag(h, cmsSigMediaWhitePointTag, cmsD50_XYZ());
  return h;
}

const cmsTagSignature kA2B[3] = {cmsSigAToB0Tag, cmsSigAToB1Tag, cmsSigAToB2Tag};
const cmsTagSignature kB2A[3] = {cmsSigBToA0Tag, cmsSigBToA1Tag, cmsSigBToA2Tag};

void WriteLut(cmsHPROFILE h, cmsTagSignature tag, LutShape shape) {
  cmsPipeline* p = BuildLut(shape);
  cmsWriteTag(h, tag, p);
  cmsPipelineFree(p);
}

// RGB output profile with lut16 or lut8 tables for the listed intents.
bool RgbLutProfile(const char* name, bool eightBit, std::vector<int> intents, int grid = 33) {
  cmsHPROFILE h = LutPlaceholder(cmsSigRgbData);
  Encoding enc = eightBit ? Encoding::LabV4 : Encoding::LabV2;
  cmsToneCurve* identity = TabulatedGamma(256, 1.0);
  // lut16: the gamma lives in 1024-entry curves and the CLUTs are linear.
  cmsToneCurve* linearise = TabulatedGamma(1024, 2.2);
  cmsToneCurve* encode = TabulatedGamma(1024, 1 / 2.2);
  for (int intent : intents) {
    LutShape a2b{3, 3, grid, RgbToLabSampler, {intent, enc, !eightBit}};
    LutShape b2a{3, 3, grid, LabToRgbSampler, {intent, enc, !eightBit}};
    if (eightBit) {
      a2b.before = a2b.after = b2a.before = b2a.after = identity;
      a2b.eightBit = b2a.eightBit = true;
    } else {
      a2b.before = linearise;
      b2a.after = encode;
    }
    WriteLut(h, kA2B[intent], a2b);
    WriteLut(h, kB2A[intent], b2a);
  }
  cmsFreeToneCurve(identity);
  cmsFreeToneCurve(linearise);
  cmsFreeToneCurve(encode);
  return SaveAndClose(h, name);
}

bool CmykLutProfile(const char* name, bool eightBit, int a2bGrid = 17, int b2aGrid = 33) {
  cmsHPROFILE h = LutPlaceholder(cmsSigCmykData);
  Encoding enc = eightBit ? Encoding::LabV4 : Encoding::LabV2;
  cmsToneCurve* identity = TabulatedGamma(256, 1.0);
  for (int intent = 0; intent < 3; ++intent) {
    LutShape a2b{4, 3, a2bGrid, CmykToLabSampler, {intent, enc, false}};
    LutShape b2a{3, 4, b2aGrid, LabToCmykSampler, {intent, enc, false}};
    if (eightBit) {
      a2b.before = a2b.after = b2a.before = b2a.after = identity;
      a2b.eightBit = b2a.eightBit = true;
    }
    WriteLut(h, kA2B[intent], a2b);
    WriteLut(h, kB2A[intent], b2a);
  }
  cmsFreeToneCurve(identity);
  return SaveAndClose(h, name);
}

bool GrayProfile(const char* name) {
  cmsToneCurve* gamma = cmsBuildGamma(nullptr, 2.2);
  cmsHPROFILE h = cmsCreateGrayProfile(cmsD50_xyY(), gamma);
  cmsFreeToneCurve(gamma);
  return SaveAndClose(h, name);
}

bool LabAbstractProfile(const char* name) {
  cmsHPROFILE h = cmsCreateProfilePlaceholder(nullptr);
  cmsSetDeviceClass(h, cmsSigAbstractClass);
  cmsSetColorSpace(h, cmsSigLabData);
  cmsSetPCS(h, cmsSigLabData);
  // An identity in the lut16 Lab encoding: two-entry curves and a 2-point CLUT.
  cmsPipeline* p = cmsPipelineAlloc(nullptr, 3, 3);
  cmsStage* clut = cmsStageAllocCLut16bit(nullptr, 2, 3, 3, nullptr);
  cmsStageSampleCLut16bit(clut, IdentitySampler, nullptr, 0);
  cmsPipelineInsertStage(p, cmsAT_END, clut);
  cmsWriteTag(h, cmsSigAToB0Tag, p);
  cmsWriteTag(h, cmsSigBToA0Tag, p);
  cmsPipelineFree(p);
  return SaveAndClose(h, name);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: profilegen OUTPUT_FOLDER\n");
    return 2;
  }
  g_folder = argv[1];
  Model model;
  g_model = &model;
  bool ok = true;
  ok &= MatrixProfile("rgb_gamma22.icc", cmsBuildGamma(nullptr, 2.2));
  ok &= MatrixProfile("rgb_table256.icc", TabulatedGamma(256, 2.2));
  ok &= MatrixProfile("rgb_table1024.icc", TabulatedGamma(1024, 2.2));
  ok &= MatrixProfile("rgb_para_v4.icc", ParametricSrgbCurve(), 4.3);
  ok &= RgbLutProfile("rgb_lut16.icc", false, {0, 1, 2});
  ok &= RgbLutProfile("rgb_lut8.icc", true, {0, 1, 2});
  ok &= RgbLutProfile("rgb_lut16_intent1_only.icc", false, {1});
  ok &= CmykLutProfile("cmyk_lut16.icc", false);
  ok &= CmykLutProfile("cmyk_lut8.icc", true);
  // Small-grid variants: quick to read, for fuzzing seeds.
  ok &= RgbLutProfile("small_rgb_lut16.icc", false, {0, 1, 2}, 5);
  ok &= RgbLutProfile("small_rgb_lut8.icc", true, {1}, 3);
  ok &= CmykLutProfile("small_cmyk_lut16.icc", false, 3, 5);
  ok &= CmykLutProfile("small_cmyk_lut8.icc", true, 3, 3);
  ok &= GrayProfile("gray.icc");
  ok &= LabAbstractProfile("lab_abstract.icc");
  return ok ? 0 : 1;
}
