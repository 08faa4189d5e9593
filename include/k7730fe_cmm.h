/*
 * K7730fe colour engine: ICC profile access, ColorWorld transforms, image
 * matching and table export.
 *
 * Status results are 0 for success and -1 for refusal. A ColorWorld is a
 * 32-bit handle, 0 meaning none. Profiles are opened into a caller-owned
 * 32-bit ProfileRef word, and every other profile call takes its address.
 *
 * Four-channel (CMYK) pixel components are complemented at both ends of a
 * ColorWorld: a component holds 255 minus the device value of its profile.
 */
#ifndef K7730FE_CMM_H
#define K7730FE_CMM_H

#include <stddef.h>
#include <stdint.h>

#include "k7730fe_abi.h"
#include "k7730fe_exports.h"

K7730_EXTERN_C_BEGIN

/* ---- Handles ---------------------------------------------------------- */
typedef uintptr_t K7730_ProfileRef; /* the open profile file: a platform file handle word */
typedef uintptr_t K7730_ColorWorld; /* a built transform; 0 is none */

/* ---- Four-character signatures as host-order integers ------------------ */
#define K7730_SIG(a, b, c, d) \
  (((uint32_t)(a) << 24) | ((uint32_t)(b) << 16) | ((uint32_t)(c) << 8) | (uint32_t)(d))
#define K7730_SIG_RGB K7730_SIG('R', 'G', 'B', ' ')
#define K7730_SIG_CMYK K7730_SIG('C', 'M', 'Y', 'K')
#define K7730_SIG_LAB K7730_SIG('L', 'a', 'b', ' ')
#define K7730_SIG_XYZ K7730_SIG('X', 'Y', 'Z', ' ')

/* Rendering intents accepted by SDKCMCreateColorWorld. */
enum {
  K7730_INTENT_PERCEPTUAL = 0,
  K7730_INTENT_RELATIVE = 1,
  K7730_INTENT_SATURATION = 2,
  K7730_INTENT_ABSOLUTE = 3 /* the same tables as K7730_INTENT_RELATIVE */
};

/* ---- Profile header, host order ---------------------------------------- */
/* Bytes 0..127 of the profile. Every numeric field up to offset 84 is turned
 * into host order; the 64-bit device attributes stay as two 32-bit words in
 * file order (deviceAttributes[0] holds the file's first four bytes). */
typedef struct K7730_ProfileHeader {
  uint32_t size;
  uint32_t cmmType;
  uint32_t version; /* major version in the top byte */
  uint32_t deviceClass;
  uint32_t colorSpace;
  uint32_t pcs;
  uint16_t dateTime[6]; /* year, month, day, hours, minutes, seconds */
  uint32_t fileSignature; /* 'acsp' in a well-formed profile; never checked */
  uint32_t platform;
  uint32_t flags;
  uint32_t manufacturer;
  uint32_t model;
  uint32_t deviceAttributes[2];
  uint32_t renderingIntent;
  int32_t illuminant[3]; /* X, Y, Z as s15Fixed16Number */
  uint32_t creator;
  uint8_t remainder[44]; /* profile ID and reserved bytes, as in the file */
} K7730_ProfileHeader;

/* ---- Tag table, host order --------------------------------------------- */
typedef struct K7730_TagEntry {
  uint32_t signature;
  uint32_t offset; /* from the start of the file */
  uint32_t size;
} K7730_TagEntry;

/* The count followed by `count` entries: 4 + 12 * count bytes in all. */
typedef struct K7730_TagTable {
  uint32_t count;
  K7730_TagEntry entries[1];
} K7730_TagTable;
#define K7730_TAG_TABLE_BYTES(count) (4u + 12u * (uint32_t)(count))

/* ---- Curve sets --------------------------------------------------------- */
/* Five 256-entry tables: table 0 is applied first to every channel, tables 1
 * to 4 are the curves of channels 1 to 4 after it. */
typedef struct K7730_CurveLutSet {
  uint8_t tables[5][256];
} K7730_CurveLutSet;

/* ---- Image descriptions ------------------------------------------------- */
typedef struct K7730_PixelMap {
  int32_t width;       /* pixels per row */
  int32_t height;      /* rows */
  uint32_t components; /* bytes per pixel; must equal the ColorWorld's channel count */
  uint32_t rowBytes;   /* from the start of one row to the start of the next */
  uint8_t* base;       /* first byte of the first row */
} K7730_PixelMap;

/* A three-plane map need only supply plane[0..2]: plane[3] is read only when
 * components is 4. */
typedef struct K7730_PlaneMap {
  int32_t width;
  int32_t height;
  uint32_t components; /* number of planes */
  uint32_t rowBytes;   /* between rows within each plane */
  uint8_t* plane[4];
} K7730_PlaneMap;

/* ---- Table export ------------------------------------------------------- */
#define K7730_IPB_RECORD_SIZE 29484u

/* ---- The exports -------------------------------------------------------
 * Declared from the one list in k7730fe_exports.h, which shows each
 * export's parameters and what it returns. */
K7730_CMM_EXPORTS(K7730_DECLARE_CMM_EXPORT)

#if defined(_WIN32)
/* Standard-call twins that only forward. The DLL exports each only under its
 * decorated name _Name_@N (an underscore, the name, a second underscore, @
 * and the argument bytes), which is the name hosts look up with
 * GetProcAddress. */
K7730_CMM_EXPORTS(K7730_DECLARE_TWIN)
#endif

/* ---- Layout checks ------------------------------------------------------- */
K7730_STATIC_ASSERT(sizeof(K7730_ProfileHeader) == 128, "ProfileHeader is 128 bytes");
K7730_STATIC_ASSERT(offsetof(K7730_ProfileHeader, dateTime) == 24, "ProfileHeader.dateTime");
K7730_STATIC_ASSERT(offsetof(K7730_ProfileHeader, fileSignature) == 36, "ProfileHeader.fileSignature");
K7730_STATIC_ASSERT(offsetof(K7730_ProfileHeader, deviceAttributes) == 56, "ProfileHeader.deviceAttributes");
K7730_STATIC_ASSERT(offsetof(K7730_ProfileHeader, renderingIntent) == 64, "ProfileHeader.renderingIntent");
K7730_STATIC_ASSERT(offsetof(K7730_ProfileHeader, illuminant) == 68, "ProfileHeader.illuminant");
K7730_STATIC_ASSERT(offsetof(K7730_ProfileHeader, creator) == 80, "ProfileHeader.creator");
K7730_STATIC_ASSERT(offsetof(K7730_ProfileHeader, remainder) == 84, "ProfileHeader.remainder");
K7730_STATIC_ASSERT(sizeof(K7730_TagEntry) == 12, "TagEntry is 12 bytes");
K7730_STATIC_ASSERT(offsetof(K7730_TagTable, entries) == 4, "TagTable entries follow the count");
K7730_STATIC_ASSERT(sizeof(K7730_CurveLutSet) == 1280, "CurveLutSet is five 256-byte tables");
K7730_STATIC_ASSERT(offsetof(K7730_PixelMap, base) == 16, "PixelMap.base");
K7730_STATIC_ASSERT(sizeof(K7730_PixelMap) == 16 + sizeof(void*), "PixelMap is four words and a pointer");
K7730_STATIC_ASSERT(offsetof(K7730_PlaneMap, plane) == 16, "PlaneMap.plane");
K7730_STATIC_ASSERT(sizeof(K7730_PlaneMap) == 16 + 4 * sizeof(void*), "PlaneMap is four words and four pointers");

K7730_EXTERN_C_END

#endif
