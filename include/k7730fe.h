/*
 * K7730fe print filter module: the filter interface a print host uses.
 *
 * Every export except plugin_filter_close and plugin_filter_disposPtr takes a
 * pointer to a 16-bit ErrorCode as its last argument; it may be null. Results
 * named "1/0" are 1 for success and 0 for failure.
 */
#ifndef K7730FE_H
#define K7730FE_H

#include <stddef.h>
#include <stdint.h>

#include "k7730fe_abi.h"
#include "k7730fe_exports.h"

K7730_EXTERN_C_BEGIN

/* ---- ErrorCode values ------------------------------------------------- */
enum {
  K7730_OK = 0,
  K7730_ERR_NO_MEMORY = 1000,       /* no memory, or no ColorWorld could be built */
  K7730_ERR_PROFILE = 1005,         /* a profile does not open or has the wrong colour space */
  K7730_ERR_BAD_ARGUMENT = 1006,    /* bad argument or state */
  K7730_ERR_LINE_FILTER = 1007,     /* the line-filter library cannot be loaded */
  K7730_ERR_BAD_BLOCK = 1106        /* a SettingsBlock with a wrong size field or magic */
};

/* ---- plugin_filter_preference modes and selectors --------------------- */
enum {
  K7730_PREF_RESET = 0,
  K7730_PREF_SET_BLOCK = 1,
  K7730_PREF_GET_BLOCK = 2,
  K7730_PREF_DIALOG = 3,
  K7730_PREF_SWITCH_ON = 4,
  K7730_PREF_SWITCH_OFF = 5
};
enum {
  K7730_DIALOG_CORRECTION = 0,
  K7730_DIALOG_INPUT_CURVE = 1,
  K7730_DIALOG_OUTPUT_CURVE = 2,
  K7730_DIALOG_COLOR_MATCHING = 3,
  K7730_DIALOG_MTF = 4
};
enum {
  K7730_SWITCH_INPUT_CURVE = 1,
  K7730_SWITCH_OUTPUT_CURVE = 2,
  K7730_SWITCH_ICC = 3,
  K7730_SWITCH_MTF = 4
};

/* ---- The stored SettingsBlock ----------------------------------------- */
#define K7730_SETTINGS_SIZE 4340u
#define K7730_SETTINGS_MAGIC 0x20120717u
#define K7730_PATH_FIELD 260
#define K7730_CURVE_CHANNELS 5
#define K7730_CURVE_POINTS 20

/* One control point of a tone curve: output first, then input. */
typedef struct K7730_ControlPoint {
  uint16_t output;
  uint16_t input;
} K7730_ControlPoint;

/* Five channel curves: 0 common, 1..3 the colour channels, 4 a fourth
 * channel that only the colour engine receives. */
typedef struct K7730_ToneCurveSet {
  uint16_t mode[K7730_CURVE_CHANNELS];            /* 1 points, 2 free-hand, 3 gamma */
  int16_t gammaHundredths[K7730_CURVE_CHANNELS];
  int16_t pointCount[K7730_CURVE_CHANNELS];
  K7730_ControlPoint points[K7730_CURVE_CHANNELS][K7730_CURVE_POINTS];
  uint8_t tables[K7730_CURVE_CHANNELS][256];
  uint16_t polarity;                               /* 1 levels, 2 ink amounts */
} K7730_ToneCurveSet;

/* 5 x 5 kernel row by row (index 12 the centre), then the scale. */
typedef struct K7730_MtfSettings {
  int32_t coefficients[25];
  int32_t scale;
} K7730_MtfSettings;

/* The 4340-byte record a host stores. Little-endian. */
typedef struct K7730_SettingsBlock {
  uint32_t blockSize;                      /* 0    */
  uint32_t magic;                          /* 4    */
  uint32_t iccEnabled;                     /* 8    */
  uint16_t intent;                         /* 12   */
  char inputProfilePath[K7730_PATH_FIELD]; /* 14   */
  char outputProfilePath[K7730_PATH_FIELD];/* 274  */
  uint16_t reserved;                       /* 534  */
  uint32_t mtfEnabled;                     /* 536  */
  K7730_MtfSettings mtf;                   /* 540  */
  char mtfName[K7730_PATH_FIELD];          /* 644  */
  uint32_t inputCurveEnabled;              /* 904  */
  K7730_ToneCurveSet inputCurves;          /* 908  */
  uint32_t outputCurveEnabled;             /* 2620 */
  K7730_ToneCurveSet outputCurves;         /* 2624 */
  uint32_t lineFilterEnabled;              /* 4336 */
} K7730_SettingsBlock;

K7730_STATIC_ASSERT(sizeof(K7730_ControlPoint) == 4, "ControlPoint is 4 bytes");
K7730_STATIC_ASSERT(sizeof(K7730_ToneCurveSet) == 1712, "ToneCurveSet is 1712 bytes");
K7730_STATIC_ASSERT(offsetof(K7730_ToneCurveSet, gammaHundredths) == 10, "ToneCurveSet layout");
K7730_STATIC_ASSERT(offsetof(K7730_ToneCurveSet, pointCount) == 20, "ToneCurveSet layout");
K7730_STATIC_ASSERT(offsetof(K7730_ToneCurveSet, points) == 30, "ToneCurveSet layout");
K7730_STATIC_ASSERT(offsetof(K7730_ToneCurveSet, tables) == 430, "ToneCurveSet layout");
K7730_STATIC_ASSERT(offsetof(K7730_ToneCurveSet, polarity) == 1710, "ToneCurveSet layout");
K7730_STATIC_ASSERT(sizeof(K7730_MtfSettings) == 104, "MtfSettings is 104 bytes");
K7730_STATIC_ASSERT(sizeof(K7730_SettingsBlock) == K7730_SETTINGS_SIZE, "SettingsBlock is 4340 bytes");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, intent) == 12, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, inputProfilePath) == 14, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, outputProfilePath) == 274, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, reserved) == 534, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, mtfEnabled) == 536, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, mtf) == 540, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, mtfName) == 644, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, inputCurveEnabled) == 904, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, inputCurves) == 908, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, outputCurveEnabled) == 2620, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, outputCurves) == 2624, "SettingsBlock layout");
K7730_STATIC_ASSERT(offsetof(K7730_SettingsBlock, lineFilterEnabled) == 4336, "SettingsBlock layout");

/* ---- The filter exports ------------------------------------------------
 * Declared from the one list in k7730fe_exports.h, which shows each
 * export's parameters. */
typedef struct K7730_FilterInstance K7730_FilterInstance;

K7730_FILTER_EXPORTS(K7730_DECLARE_EXPORT)

K7730_EXTERN_C_END

#endif
