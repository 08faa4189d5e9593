// ICC version 4 parametric curves ('para'): the function is sampled into
// the entries of an equivalent 'curv', so that every table built from it
// follows the same arithmetic as a tabulated curve.
#include <cmath>

#include "cmm/curve_decoding.h"

namespace k7730::cmm {
namespace {

constexpr std::uint64_t kParametersAt = 12;
// Parameters of function types 0..4: g; g a b; g a b c; g a b c d; g a b c d e f.
constexpr std::uint32_t kParameterCounts[5] = {1, 3, 4, 5, 7};

struct ParametricFunction {
  std::uint16_t type = 0;
  double g = 1, a = 1, b = 0, c = 0, d = 0, e = 0, f = 0;
};

Refusal ReadFunction(ByteView element, ParametricFunction* fn) {
  std::uint32_t signature = 0;
  if (!element.U32(0, &signature) || signature != kParaType) return Refusal::TrcType;
  if (!element.U16(8, &fn->type)) return Refusal::TrcCutShort;
  if (fn->type >= 5) return Refusal::TrcFunction;
  const std::uint32_t count = kParameterCounts[fn->type];
  double* slots[7] = {&fn->g, &fn->a, &fn->b, &fn->c, &fn->d, &fn->e, &fn->f};
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t raw = 0;
    if (!element.U32(kParametersAt + 4 * i, &raw)) return Refusal::TrcCutShort;
    *slots[i] = static_cast<std::int32_t>(raw) / 65536.0;  // s15Fixed16Number
  }
  // A gamma of zero or below has no value at 0 (or is flat); types 1 and 2
  // start where a X + b reaches zero, which a zero slope never does.
  if (!(fn->g > 0.0)) return Refusal::TrcNoGamma;
  if ((fn->type == 1 || fn->type == 2) && fn->a == 0.0) return Refusal::TrcNoSlope;
  return Refusal::None;
}

// (a X + b)^g, taken as 0 where the base is not positive (the function is
// defined as 0 below the point where a X + b reaches zero).
double PowerPart(const ParametricFunction& fn, double x) {
  const double base = fn.a * x + fn.b;
  return base > 0.0 ? std::pow(base, fn.g) : 0.0;
}

double Evaluate(const ParametricFunction& fn, double x) {
  switch (fn.type) {
    case 0: return x > 0.0 ? std::pow(x, fn.g) : 0.0;
    case 1: return x >= -fn.b / fn.a ? PowerPart(fn, x) : 0.0;
    case 2: return x >= -fn.b / fn.a ? PowerPart(fn, x) + fn.c : fn.c;
    case 3: return x >= fn.d ? PowerPart(fn, x) : fn.c * x;
    default: return x >= fn.d ? PowerPart(fn, x) + fn.e : fn.c * x + fn.f;
  }
}

// The function sampled at i / 4095; false when a sample is not a number.
bool Sample(const ParametricFunction& fn, std::uint16_t out[kParaSamples]) {
  std::uint16_t samples[kParaSamples];
  for (std::uint32_t i = 0; i < kParaSamples; ++i) {
    double y = Evaluate(fn, i / static_cast<double>(kParaSamples - 1));
    if (std::isnan(y)) return false;
    y = y < 0.0 ? 0.0 : (y > 1.0 ? 1.0 : y);
    samples[i] = static_cast<std::uint16_t>(y * 65535.0 + 0.5);
  }
  for (std::uint32_t i = 0; i < kParaSamples; ++i) out[i] = samples[i];
  return true;
}

}  // namespace

bool SampleParametricCurve(ByteView element, std::uint16_t out[kParaSamples]) {
  ParametricFunction fn;
  return ReadFunction(element, &fn) == Refusal::None && Sample(fn, out);
}

Refusal ParametricRefusal(ByteView element, std::uint32_t* function) {
  ParametricFunction fn;
  const Refusal refusal = ReadFunction(element, &fn);
  if (function != nullptr) *function = fn.type;
  if (refusal != Refusal::None) return refusal;
  std::uint16_t samples[kParaSamples];
  return Sample(fn, samples) ? Refusal::None : Refusal::TrcNoCurve;
}

}  // namespace k7730::cmm
