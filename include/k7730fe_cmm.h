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

/* ---- Profile access ----------------------------------------------------- */
K7730_API int32_t K7730_CDECL SDKCMOpenProfile(const char* path, K7730_ProfileRef* ref);
/* Non-zero when the file was closed. */
K7730_API int32_t K7730_CDECL SDKCMCloseProfile(K7730_ProfileRef* ref);
K7730_API void K7730_CDECL SDKCMGetProfileHeader(K7730_ProfileRef* ref, K7730_ProfileHeader* header);
/* With a null table only the count is returned; the table, when given, must
 * hold K7730_TAG_TABLE_BYTES(count) bytes for the count returned before. */
K7730_API void K7730_CDECL SDKCMGetTagTableInfo(K7730_ProfileRef* ref, uint32_t* count,
                                                K7730_TagTable* table);
/* With a null buffer *count receives the element's size; otherwise up to
 * *count bytes from `offset` into the element are read and *count receives
 * the number read. */
K7730_API int32_t K7730_CDECL SDKCMGetPartialProfileElement(K7730_ProfileRef* ref, uint32_t tag,
                                                            uint32_t offset, uint32_t* count,
                                                            void* buffer);

/* ---- ColorWorld ---------------------------------------------------------- */
K7730_API K7730_ColorWorld K7730_CDECL SDKCMCreateColorWorld(uint32_t intent, K7730_ProfileRef* source,
                                                             const K7730_CurveLutSet* inputCurves,
                                                             K7730_ProfileRef* destination,
                                                             const K7730_CurveLutSet* outputCurves);
K7730_API void K7730_CDECL SDKCMDisposeColorWorld(K7730_ColorWorld world);

/* ---- Matching ------------------------------------------------------------ */
/* A null destination writes the results over the source buffers; a
 * three-to-four ColorWorld cannot, and refuses. Four-to-three in place keeps
 * each source row's padding: output row y starts y * (rowBytes - width)
 * bytes into the buffer, a packed run of 3-byte pixels when the rows are
 * packed. Results: 0 done (also for a width or height of 0, with nothing
 * written), -1 refused with nothing written: a handle that names no live
 * ColorWorld, component counts that differ from the ColorWorld's, negative
 * sizes, rows shorter than width * components (or width, for planes), a
 * missing buffer, an image beyond the address space, or a three-to-four
 * destination that overlaps the source. */
K7730_API int32_t K7730_CDECL SDKCMMatchPixelMap(K7730_ColorWorld world, const K7730_PixelMap* source,
                                                 const K7730_PixelMap* destination);
K7730_API int32_t K7730_CDECL SDKCMMatchPlaneMap(K7730_ColorWorld world, const K7730_PlaneMap* source,
                                                 const K7730_PlaneMap* destination);
/* The ColorWorld's input and output components, 3 or 4; 0 for a handle that
 * names no live ColorWorld. */
K7730_API uint32_t K7730_CDECL SDKCMGetNumsOfInPixComp(K7730_ColorWorld world);
K7730_API uint32_t K7730_CDECL SDKCMGetNumsOfOutPixComp(K7730_ColorWorld world);

/* ---- Table export -------------------------------------------------------- */
/* Gammas in hundredths (100 is the identity); `tables` receives a 1280-byte
 * K7730_CurveLutSet. */
K7730_API void K7730_CDECL SDKCMCreatLUT(int16_t gamma0, int16_t gamma1, int16_t gamma2, int16_t gamma3,
                                         int16_t gamma4, K7730_CurveLutSet* tables);
/* K7730_IPB_RECORD_SIZE for a 3-to-3 ColorWorld (a null record only asks),
 * else 0 with nothing written. */
K7730_API uint32_t K7730_CDECL SDKCMConvertColorWorldToIPB(K7730_ColorWorld world, void* record);

#if defined(_WIN32)
/* Standard-call twins that only forward. The DLL exports each only under its
 * decorated name _Name_@N (an underscore, the name, a second underscore, @
 * and the argument bytes), which is the name hosts look up with
 * GetProcAddress. */
int32_t K7730_STDCALL SDKCMOpenProfile_(const char* path, K7730_ProfileRef* ref);
int32_t K7730_STDCALL SDKCMCloseProfile_(K7730_ProfileRef* ref);
void K7730_STDCALL SDKCMGetProfileHeader_(K7730_ProfileRef* ref, K7730_ProfileHeader* header);
void K7730_STDCALL SDKCMGetTagTableInfo_(K7730_ProfileRef* ref, uint32_t* count,
                                                   K7730_TagTable* table);
int32_t K7730_STDCALL SDKCMGetPartialProfileElement_(K7730_ProfileRef* ref, uint32_t tag,
                                                               uint32_t offset, uint32_t* count,
                                                               void* buffer);
K7730_ColorWorld K7730_STDCALL SDKCMCreateColorWorld_(uint32_t intent, K7730_ProfileRef* source,
                                                                const K7730_CurveLutSet* inputCurves,
                                                                K7730_ProfileRef* destination,
                                                                const K7730_CurveLutSet* outputCurves);
void K7730_STDCALL SDKCMDisposeColorWorld_(K7730_ColorWorld world);
int32_t K7730_STDCALL SDKCMMatchPixelMap_(K7730_ColorWorld world, const K7730_PixelMap* source,
                                                    const K7730_PixelMap* destination);
int32_t K7730_STDCALL SDKCMMatchPlaneMap_(K7730_ColorWorld world, const K7730_PlaneMap* source,
                                                    const K7730_PlaneMap* destination);
uint32_t K7730_STDCALL SDKCMGetNumsOfInPixComp_(K7730_ColorWorld world);
uint32_t K7730_STDCALL SDKCMGetNumsOfOutPixComp_(K7730_ColorWorld world);
void K7730_STDCALL SDKCMCreatLUT_(int16_t gamma0, int16_t gamma1, int16_t gamma2, int16_t gamma3,
                                            int16_t gamma4, K7730_CurveLutSet* tables);
uint32_t K7730_STDCALL SDKCMConvertColorWorldToIPB_(K7730_ColorWorld world, void* record);
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
