/* Calling conventions and export markers shared by the public headers. */
#ifndef K7730FE_ABI_H
#define K7730FE_ABI_H

#include <stdint.h>

#if defined(_WIN32)
#  define K7730_CDECL __cdecl
#  define K7730_STDCALL __stdcall
#  if defined(K7730FE_BUILDING)
#    define K7730_API __declspec(dllexport)
#  else
#    define K7730_API __declspec(dllimport)
#  endif
#else
#  define K7730_CDECL
#  define K7730_STDCALL
#  if defined(K7730FE_BUILDING)
#    define K7730_API __attribute__((visibility("default")))
#  else
#    define K7730_API
#  endif
#endif

#if defined(__cplusplus)
#  define K7730_EXTERN_C_BEGIN extern "C" {
#  define K7730_EXTERN_C_END }
#  define K7730_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#  define K7730_EXTERN_C_BEGIN
#  define K7730_EXTERN_C_END
#  define K7730_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

#endif
