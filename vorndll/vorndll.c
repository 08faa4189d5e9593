#include "vorndll.h"

#include <stddef.h>

#define VORN_DEFAULT_DOTS 1844u

struct VornTable {
  int radius;
  int threshold;
};

static const struct VornTable kTables[VORN_TABLES] = {
    {1, 4}, {1, 8}, {1, 12}, {2, 16}, {2, 24}, {2, 32},
};

static uint32_t g_dots = VORN_DEFAULT_DOTS;
static uint32_t g_table = 0;

uint32_t VORN_CALL VornDllInit(void) {
  g_dots = VORN_DEFAULT_DOTS;
  g_table = 0;
  return 0;
}

uint32_t VORN_CALL VornDllFin(void) { return 0; }

uint32_t VORN_CALL VornDllSetDotsPerLine(uint32_t dots) {
  if (dots == 0 || dots > VORN_MAX_DOTS) return 1;
  g_dots = dots;
  return 0;
}

uint32_t VORN_CALL VornDllSetParameterTableNo(uint32_t table) {
  if (table >= VORN_TABLES) return 1;
  g_table = table;
  return 0;
}

uint32_t VORN_CALL VornDllPreFilter(void) { return 0; }

uint32_t VORN_CALL VornDllFilter(const uint8_t* line, uint8_t* out) {
  if (line == NULL || out == NULL) return 1;
  const uint32_t dots = g_dots;
  const struct VornTable t = kTables[g_table];
  for (uint32_t x = 0; x < dots; ++x) {
    for (int c = 0; c < 3; ++c) {
      const int centre = line[x * 3 + c];
      int sum = 2 * centre;
      int weight = 2;
      for (int d = -t.radius; d <= t.radius; ++d) {
        if (d == 0) continue;
        const int64_t nx = (int64_t)x + d;
        if (nx < 0 || nx >= (int64_t)dots) continue;
        const int v = line[nx * 3 + c];
        const int diff = v > centre ? v - centre : centre - v;
        if (diff > t.threshold) continue;
        sum += v;
        weight += 1;
      }
      out[x * 3 + c] = (uint8_t)((sum + weight / 2) / weight);
    }
  }
  return 0;
}
