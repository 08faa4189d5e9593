// Brackets for the code of one instruction set inside a file compiled for
// the baseline: only the functions defined between K7730_TARGET_BEGIN and
// K7730_TARGET_END may use the set's instructions. Everything included
// before the opening bracket (the standard library, shared inline helpers)
// stays baseline code, so no inline function that the linker may merge
// across objects is ever compiled for a wider set.
//
//   #include ...every header first...
//   K7730_TARGET_BEGIN("avx2")
//   namespace k7730::...::avx2 { ... }
//   K7730_TARGET_END
#pragma once

#define K7730_PRAGMA(x) _Pragma(#x)
#if defined(__clang__)
#define K7730_TARGET_BEGIN(features) K7730_PRAGMA(clang attribute push(__attribute__((target(features))), apply_to = function))
#define K7730_TARGET_END K7730_PRAGMA(clang attribute pop)
#elif defined(__GNUC__)
#define K7730_TARGET_BEGIN(features) K7730_PRAGMA(GCC push_options) K7730_PRAGMA(GCC target(features))
#define K7730_TARGET_END K7730_PRAGMA(GCC pop_options)
#endif

// Helpers of vector code are forced inline into their callers, which carry
// the instruction set.
#define K7730_VECTOR_INLINE static inline __attribute__((always_inline))
