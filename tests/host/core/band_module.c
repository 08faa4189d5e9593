/* A stand-in filter module for the band runner's tests. It inverts every
 * byte and holds back the last lines of each band until later, releasing
 * the rest with the page's last band, as a sharpening module does. It can
 * be told to fail on the band that reaches a given line, or at the end of
 * the page. */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "support/stand_in_module.h"

static uint32_t g_width, g_height, g_taken, g_released, g_held;
static uint8_t* g_store;   /* the whole page, inverted, as it came */
static uint32_t g_holdBack = 2, g_failAt = UINT32_MAX, g_failEnd;

/* Lines to hold back per band, the line whose band fails, and whether the
 * end of the page fails. */
EXPORT void band_module_configure(uint32_t holdBack, uint32_t failAtLine, uint32_t failEnd) {
  g_holdBack = holdBack;
  g_failAt = failAtLine;
  g_failEnd = failEnd;
}

/* Frees the output buffers the module allocated; the instance is static. */
EXPORT void plugin_filter_disposPtr(void* address) {
  if (address != g_instance) free(address);
}

EXPORT uint32_t plugin_filter_initpage(void* inst, uint32_t width, uint32_t height, uint32_t swap, uint16_t* err) {
  (void)inst;
  (void)swap;
  g_width = width;
  g_height = height;
  free(g_store);
  g_store = malloc((size_t)width * height * 3);
  SetError(err, 0);
  return g_store != 0;
}

EXPORT uint32_t plugin_filter_startpage(void* inst, uint16_t* err) {
  (void)inst;
  g_taken = g_released = 0;
  SetError(err, 0);
  return 1;
}

EXPORT uint32_t plugin_filter_do(void* inst, uint8_t* band, uint32_t lines, uint8_t** output, uint32_t* outLines,
                                 uint16_t* err) {
  (void)inst;
  const size_t row = (size_t)g_width * 3;
  if (g_taken + lines > g_height || (g_failAt >= g_taken && g_failAt < g_taken + lines)) {
    SetError(err, 9);
    return 0;
  }
  for (size_t i = 0; i < lines * row; ++i) g_store[g_taken * row + i] = (uint8_t)(255 - band[i]);
  memset(band, 0, lines * row); /* the real module changes bands in place too */
  g_taken += lines;
  uint32_t upTo = g_taken == g_height ? g_height : (g_taken > g_holdBack ? g_taken - g_holdBack : 0);
  if (upTo < g_released) upTo = g_released;
  if (*output == 0) *output = malloc(((size_t)lines + 2 + g_holdBack) * row);
  memcpy(*output, g_store + g_released * row, (upTo - g_released) * row);
  *outLines = upTo - g_released;
  g_released = upTo;
  SetError(err, 0);
  return 1;
}

EXPORT uint32_t plugin_filter_endpage(void* inst, uint16_t* err) {
  (void)inst;
  SetError(err, g_failEnd ? 9 : 0);
  return !g_failEnd;
}

EXPORT uint32_t plugin_filter_freepage(void* inst, uint16_t* err) {
  (void)inst;
  free(g_store);
  g_store = 0;
  SetError(err, 0);
  return 1;
}
