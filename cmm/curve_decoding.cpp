#include "cmm/curve_decoding.h"

#include <cstring>

#include "cmm/profile_transform.h"
#include "formats/gamma_table.h"

namespace k7730::cmm {
namespace {

// Converts a value already limited to 0..limit (NaN counts as 0) to an integer.
std::uint32_t TruncLimited(double v, double limit) {
  if (!(v > 0.0)) return 0;
  if (v > limit) v = limit;
  return static_cast<std::uint32_t>(v);
}

// Two-entry tables: a straight line from 0 whose slope is the difference of
// the entries; the first entry itself is not added.
void TwoEntryTable8(double e0, double e1, std::uint8_t out[256]) {
  double slope = (e1 - e0) / 65535.0;
  for (int i = 0; i < 256; ++i) out[i] = static_cast<std::uint8_t>(TruncLimited(i * slope, 255.0));
}

// A curve as 'curv' entries: the element's own, or for a 'para' the
// samples of its function, held here as big-endian bytes like the element's.
struct CurvElement {
  BigEndian16Array entries;
  std::uint32_t count = 0;
  std::uint8_t sampled[2 * kParaSamples];
};

bool ReadParametric(ByteView element, CurvElement* curv) {
  std::uint16_t values[kParaSamples];
  if (!SampleParametricCurve(element, values)) return false;
  for (std::uint32_t i = 0; i < kParaSamples; ++i) {
    curv->sampled[2 * i] = static_cast<std::uint8_t>(values[i] >> 8);
    curv->sampled[2 * i + 1] = static_cast<std::uint8_t>(values[i] & 0xFF);
  }
  curv->count = kParaSamples;
  bool ok = false;
  curv->entries = BigEndian16Array(ByteView(curv->sampled, sizeof curv->sampled), 0, kParaSamples, &ok);
  return ok;
}

bool ReadCurv(ByteView element, CurvElement* curv) {
  std::uint32_t type = 0;
  if (!element.U32(0, &type)) return false;
  if (type == kParaType) return ReadParametric(element, curv);
  if (type != kCurvType) return false;
  if (!element.U32(8, &curv->count)) return false;
  bool ok = false;
  curv->entries = BigEndian16Array(element, 12, curv->count, &ok);
  return ok;
}

double GammaOf(const CurvElement& curv) { return curv.entries[0] / 256.0; }

}  // namespace

void SetIdentityCurves(std::uint8_t (*curves)[256], int count) {
  for (int c = 0; c < count; ++c)
    for (int i = 0; i < 256; ++i) curves[c][i] = static_cast<std::uint8_t>(i);
}

void ResampleTable8(const BigEndian16Array& e, std::size_t first, std::uint32_t n, std::uint8_t out[256]) {
  if (n == 2) {
    TwoEntryTable8(e[first], e[first + 1], out);
    return;
  }
  const double step = 255.0 / (n - 1);
  for (int i = 0; i < 256; ++i) {
    double x = i / step;
    std::uint32_t k = static_cast<std::uint32_t>(x);
    if (k >= n - 1) k = n - 2;
    double y0 = e[first + k] * 255.0 / 65535.0;
    double y1 = e[first + k + 1] * 255.0 / 65535.0;
    double y = y0 + (y1 - y0) * (i - k * step) / step;
    if (y >= 255.0) y = 255.0;
    if (y < 0.0) y = 0.0;
    out[i] = static_cast<std::uint8_t>(TruncLimited(y + 0.5, 255.0));
  }
}

void Lut16CurvesToTables8(std::uint32_t count, std::uint32_t channels, const BigEndian16Array& entries,
                          std::uint8_t (*out)[256]) {
  for (std::uint32_t c = 0; c < channels; ++c)
    ResampleTable8(entries, static_cast<std::size_t>(c) * count, count, out[c]);
}

namespace {

void CurvTable8(const CurvElement& curv, std::uint8_t out[256]) {
  if (curv.count == 0) {
    SetIdentityCurves(reinterpret_cast<std::uint8_t(*)[256]>(out), 1);
  } else if (curv.count == 1) {
    GammaTablePlainPower(GammaOf(curv), out);
  } else {
    ResampleTable8(curv.entries, 0, curv.count, out);
  }
}

void CurvTable16(const CurvElement& curv, std::uint32_t* out16) {
  const std::uint32_t n = curv.count;
  if (n == 0) {
    for (std::uint32_t v = 0; v < 65536; ++v) out16[v] = v;
  } else if (n == 1) {
    GammaTable16PlainPower(GammaOf(curv), out16);
  } else if (n == 2) {
    const double span = static_cast<double>(curv.entries[1]) - curv.entries[0];
    for (std::uint32_t v = 0; v < 65536; ++v) out16[v] = TruncLimited(v * span / 65535.0, 65535.0);
  } else {
    const double step = 65535.0 / (n - 1);
    for (std::uint32_t v = 0; v < 65536; ++v) {
      // The cell index is taken in full: a 16-bit cell number would wrap for
      // curves of more than 32768 entries and index outside them.
      std::uint32_t k = static_cast<std::uint32_t>(v / step);
      if (k >= n - 1) k = n - 2;
      double ek = curv.entries[k];
      double ek1 = curv.entries[k + 1];
      double y = ek + (ek1 - ek) * (v - k * step) / step;
      if (y >= 65535.0) y = 65535.0;
      if (y < 0.0) y = 0.0;
      out16[v] = TruncLimited(y + 0.5, 65535.0);
    }
  }
}

}  // namespace

Refusal CurveRefusal(ByteView element, std::uint32_t* function) {
  std::uint32_t type = 0;
  if (!element.U32(0, &type)) return Refusal::TrcCutShort;
  if (type == kParaType) return ParametricRefusal(element, function);
  if (type != kCurvType) return Refusal::TrcType;
  CurvElement curv;
  return ReadCurv(element, &curv) ? Refusal::None : Refusal::TrcCutShort;
}

bool CurveToTable8(ByteView element, std::uint8_t out[256]) {
  CurvElement curv;
  if (!ReadCurv(element, &curv)) return false;
  CurvTable8(curv, out);
  return true;
}

bool CurveToTables8And16(ByteView element, std::uint8_t out8[256], std::uint32_t* out16) {
  CurvElement curv;
  if (!ReadCurv(element, &curv)) return false;
  CurvTable8(curv, out8);
  CurvTable16(curv, out16);
  return true;
}

void InvertCurve8(std::uint8_t curve[256]) {
  std::uint8_t inverse[256] = {};
  bool hit[256] = {};
  for (int i = 0; i < 256; ++i) {
    inverse[curve[i]] = static_cast<std::uint8_t>(i);
    hit[curve[i]] = true;
  }
  if (!hit[0]) inverse[0] = 0;
  if (!hit[255]) inverse[255] = 255;

  // Each run of unreached values s..e takes its lower neighbour for its first
  // half and its upper neighbour for the rest (the middle goes up).
  auto fill = [&](int s, int e) {
    int half = (e - s + 1) / 2;
    for (int v = s; v <= e; ++v) inverse[v] = v < s + half ? inverse[s - 1] : inverse[e + 1];
  };
  int runStart = -1;
  for (int v = 1; v <= 254; ++v) {
    if (!hit[v]) {
      if (runStart < 0) runStart = v;
    } else if (runStart >= 0) {
      fill(runStart, v - 1);
      runStart = -1;
    }
  }
  if (runStart >= 0) fill(runStart, 254);
  std::memcpy(curve, inverse, 256);
}

void InvertCurves8(std::uint8_t (*curves)[256]) {
  for (int c = 0; c < 3; ++c) InvertCurve8(curves[c]);
}

}  // namespace k7730::cmm
