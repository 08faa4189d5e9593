/*
 * vorndll: the line filter that the K7730fe module can run as the last stage
 * of every band. It smooths each line lightly while keeping edges: a pixel
 * is averaged only with neighbours whose value in the same channel lies
 * within a threshold of its own, so noise and dye-sublimation banding in
 * flat areas calm down while edges and fine detail stay.
 *
 * Parameter tables (the module selects table 0 at every page start, so
 * table 0 is the library's default):
 *   0  radius 1, threshold 4     (mild, the default)
 *   1  radius 1, threshold 8
 *   2  radius 1, threshold 12
 *   3  radius 2, threshold 16
 *   4  radius 2, threshold 24
 *   5  radius 2, threshold 32    (strongest)
 * The centre pixel weighs 2, each admitted neighbour 1; the result is the
 * weighted mean rounded half up. Lines of 1 to VORN_MAX_DOTS pixels are
 * accepted; wider lines are refused. State (width, table) is shared by every
 * user of the loaded library.
 */
#ifndef VORNDLL_H
#define VORNDLL_H

#include <stdint.h>

#if defined(_WIN32)
#  define VORN_API __declspec(dllexport)
#  define VORN_CALL __cdecl
#else
#  define VORN_API __attribute__((visibility("default")))
#  define VORN_CALL
#endif

#define VORN_MAX_DOTS 16384u
#define VORN_TABLES 6u

#ifdef __cplusplus
extern "C" {
#endif

VORN_API uint32_t VORN_CALL VornDllInit(void);
VORN_API uint32_t VORN_CALL VornDllFin(void);
/* 0: accepted, 1: refused (0 or more than VORN_MAX_DOTS pixels). */
VORN_API uint32_t VORN_CALL VornDllSetDotsPerLine(uint32_t dots);
/* 0: accepted, 1: refused (table above 5). */
VORN_API uint32_t VORN_CALL VornDllSetParameterTableNo(uint32_t table);
VORN_API uint32_t VORN_CALL VornDllPreFilter(void);
/* Reads one line of the accepted width (3 bytes a pixel) and writes the
 * filtered line to `out`; the two must not overlap. */
VORN_API uint32_t VORN_CALL VornDllFilter(const uint8_t* line, uint8_t* out);

#ifdef __cplusplus
}
#endif

#endif
