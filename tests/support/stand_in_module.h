/* What the tests' stand-in filter modules share: the export marker, the
 * error word, one static instance, and the open, close and settings calls
 * of a module that keeps its settings record as it was given. */
#pragma once

#include <stdint.h>
#include <string.h>

#define EXPORT __attribute__((visibility("default")))

static uint8_t g_instance[16];
static uint8_t g_block[4340];

static void SetError(uint16_t* err, uint16_t code) {
  if (err != 0) *err = code;
}

/* The record starts as the size and magic of a settings record. */
EXPORT void* plugin_filter_open(uint16_t* err) {
  const uint32_t size = 4340, magic = 0x20120717u;
  memcpy(g_block, &size, 4);
  memcpy(g_block + 4, &magic, 4);
  SetError(err, 0);
  return g_instance;
}

EXPORT void plugin_filter_close(void* inst) { (void)inst; }

EXPORT uint32_t plugin_filter_preference(void* inst, uint16_t mode, uint16_t selector, void* data,
                                         uint32_t* size, uint16_t* err) {
  (void)inst;
  (void)selector;
  if (mode == 2 && size != 0) {
    if (data != 0) memcpy(data, g_block, sizeof g_block);
    *size = sizeof g_block;
  } else if (mode == 1 && data != 0) {
    memcpy(g_block, data, sizeof g_block);
  }
  SetError(err, 0);
  return 1;
}
