// One-dimensional curves: resampling 16-bit lut tables and 'curv' elements
// to 8-bit (and 16-bit) tables, and inverting 8-bit curves.
#pragma once

#include <cstdint>

#include "cmm/refusal.h"
#include "formats/byte_reader.h"

namespace k7730::cmm {

inline constexpr std::uint32_t kCurvType = 0x63757276;  // 'curv'
inline constexpr std::uint32_t kParaType = 0x70617261;  // 'para'
// A 'para' element is decoded as the 'curv' of this many entries sampled
// from its function.
inline constexpr std::uint32_t kParaSamples = 4096;

// Resamples `count` 16-bit entries (entries[first .. first+count-1], count of
// at least 2) to a 256-entry byte table.
void ResampleTable8(const BigEndian16Array& entries, std::size_t first, std::uint32_t count, std::uint8_t out[256]);

// The tables of `channels` channels of `count` entries each, one after the
// other. `entries` must hold count * channels entries.
void Lut16CurvesToTables8(std::uint32_t count, std::uint32_t channels, const BigEndian16Array& entries,
                          std::uint8_t (*out)[256]);

// Samples a 'para' element's function at i / 4095 (i = 0..4095), limited to
// 0..1 and rounded to 16 bits. False when the element is not a 'para', its
// function type is unknown, its parameters do not fit the element, or they
// make no curve (a gamma of zero or below, a zero slope where the function
// divides by it).
bool SampleParametricCurve(ByteView element, std::uint16_t out[kParaSamples]);

// Why a 'para' element is not decoded: TrcType (not a 'para'), TrcFunction
// (its function type, also given in `function`, is unknown), TrcCutShort,
// TrcNoGamma, TrcNoSlope or TrcNoCurve; None when it decodes.
Refusal ParametricRefusal(ByteView element, std::uint32_t* function);
// Why CurveToTable8 refuses an element, in the same terms (TrcType when it
// is neither a 'curv' nor a 'para'); None when it decodes.
Refusal CurveRefusal(ByteView element, std::uint32_t* function);

// Decodes a 'curv' element, or a 'para' element as the 'curv' of its
// samples. False, with the outputs untouched, when the element is neither
// or its entries do not fit it.
bool CurveToTable8(ByteView element, std::uint8_t out[256]);
// The same 256-byte table and a 65536-entry table on the 16-bit scale.
bool CurveToTables8And16(ByteView element, std::uint8_t out8[256], std::uint32_t* out16);

// Inverts one curve in place: each output value maps back to the largest
// input that reaches it, and values no input reaches take the nearest one
// that is reached.
void InvertCurve8(std::uint8_t curve[256]);
void InvertCurves8(std::uint8_t (*curves)[256]);

}  // namespace k7730::cmm
