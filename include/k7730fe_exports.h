/*
 * The module's exports, each listed once. The public headers declare them
 * from these lists; the Windows build makes the standard-call twins and the
 * export table from them, and hosts can build a table of entry points
 * resolved by name:
 *
 *   K7730_FILTER_EXPORTS(X)  X(name, member, result, (parameters))
 *   K7730_CMM_EXPORTS(X)     X(name, member, twinBytes, result, (parameters), (arguments))
 *
 * `member` is a short name for a host's table of entry points. `twinBytes`
 * is N in the decorated name _name_@N under which the Windows library
 * exports the colour engine's standard-call twin (the argument bytes on
 * 32-bit Windows). The types named here come from k7730fe.h and
 * k7730fe_cmm.h, which expand the lists after defining them.
 */
#ifndef K7730FE_EXPORTS_H
#define K7730FE_EXPORTS_H

/* ---- The filter interface (k7730fe.h) ----------------------------------
 * plugin_filter_setMtf takes the nine coefficients of the centre 3 x 3, row
 * by row, and the scale.
 * plugin_filter_do: band holds lines x width x 3 bytes, changed in place by
 * the first stages. output is the address of the output-buffer pointer; when
 * that pointer is null the module allocates (lines + 2) x width x 3 bytes,
 * which the host later releases with plugin_filter_disposPtr. */
#define K7730_FILTER_EXPORTS(X)                                                                 \
  X(plugin_filter_open, open, K7730_FilterInstance*, (uint16_t* err))                           \
  X(plugin_filter_close, close, void, (K7730_FilterInstance* inst))                             \
  X(plugin_filter_disposPtr, disposPtr, void, (void* address))                                  \
  X(plugin_filter_preference, preference, uint32_t,                                             \
    (K7730_FilterInstance* inst, uint16_t mode, uint16_t selector, void* data, uint32_t* size,  \
     uint16_t* err))                                                                            \
  X(plugin_filter_setInputToneCurve, setInputToneCurve, uint32_t,                               \
    (K7730_FilterInstance* inst, uint8_t enable, const uint8_t* table1, const uint8_t* table2,  \
     const uint8_t* table3, const uint8_t* table4, uint16_t* err))                              \
  X(plugin_filter_setOutputToneCurve, setOutputToneCurve, uint32_t,                             \
    (K7730_FilterInstance* inst, uint8_t enable, const uint8_t* table1, const uint8_t* table2,  \
     const uint8_t* table3, const uint8_t* table4, uint16_t* err))                              \
  X(plugin_filter_setMtf, setMtf, uint32_t,                                                     \
    (K7730_FilterInstance* inst, uint8_t enable, const int32_t* coefficients, int32_t scale,    \
     uint16_t* err))                                                                            \
  X(plugin_filter_setIccProfile, setIccProfile, uint32_t,                                       \
    (K7730_FilterInstance* inst, uint8_t enable, const char* inputProfile,                      \
     const char* outputProfile, uint16_t intent, uint16_t* err))                                \
  X(plugin_filter_initpage, initpage, uint32_t,                                                 \
    (K7730_FilterInstance* inst, uint32_t width, uint32_t height, uint32_t swapFlag,            \
     uint16_t* err))                                                                            \
  X(plugin_filter_startpage, startpage, uint32_t, (K7730_FilterInstance* inst, uint16_t* err))  \
  X(plugin_filter_do, doBand, uint32_t,                                                         \
    (K7730_FilterInstance* inst, uint8_t* band, uint32_t lines, uint8_t** output,               \
     uint32_t* outputLines, uint16_t* err))                                                     \
  X(plugin_filter_endpage, endpage, uint32_t, (K7730_FilterInstance* inst, uint16_t* err))      \
  X(plugin_filter_freepage, freepage, uint32_t, (K7730_FilterInstance* inst, uint16_t* err))

/* ---- The colour engine (k7730fe_cmm.h) ---------------------------------
 * Profile access. SDKCMCloseProfile gives non-zero when the file was closed.
 * SDKCMGetTagTableInfo with a null table returns only the count; the table,
 * when given, must hold K7730_TAG_TABLE_BYTES(count) bytes for the count
 * returned before. SDKCMGetPartialProfileElement with a null buffer puts the
 * element's size in *count; otherwise it reads up to *count bytes from
 * `offset` into the element and puts the number read in *count.
 *
 * Matching. A null destination writes the results over the source buffers;
 * a three-to-four ColorWorld cannot, and refuses. Four-to-three in place
 * keeps each source row's padding: output row y starts y * (rowBytes -
 * width) bytes into the buffer, a packed run of 3-byte pixels when the rows
 * are packed. Results: 0 done (also for a width or height of 0, with nothing
 * written), -1 refused with nothing written: a handle that names no live
 * ColorWorld, component counts that differ from the ColorWorld's, negative
 * sizes, rows shorter than width * components (or width, for planes), a
 * missing buffer, an image beyond the address space, or a three-to-four
 * destination that overlaps the source. SDKCMGetNumsOfInPixComp and
 * SDKCMGetNumsOfOutPixComp give the ColorWorld's input and output
 * components, 3 or 4, and 0 for a handle that names no live ColorWorld.
 *
 * Table export. SDKCMCreatLUT takes gammas in hundredths (100 is the
 * identity) and fills a 1280-byte K7730_CurveLutSet.
 * SDKCMConvertColorWorldToIPB gives K7730_IPB_RECORD_SIZE for a 3-to-3
 * ColorWorld (a null record only asks), else 0 with nothing written. */
#define K7730_CMM_EXPORTS(X)                                                                    \
  X(SDKCMOpenProfile, openProfile, 8, int32_t, (const char* path, K7730_ProfileRef* ref),       \
    (path, ref))                                                                                \
  X(SDKCMCloseProfile, closeProfile, 4, int32_t, (K7730_ProfileRef* ref), (ref))                \
  X(SDKCMGetProfileHeader, getProfileHeader, 8, void,                                           \
    (K7730_ProfileRef* ref, K7730_ProfileHeader* header), (ref, header))                        \
  X(SDKCMGetTagTableInfo, getTagTableInfo, 12, void,                                            \
    (K7730_ProfileRef* ref, uint32_t* count, K7730_TagTable* table), (ref, count, table))       \
  X(SDKCMGetPartialProfileElement, getPartialProfileElement, 20, int32_t,                       \
    (K7730_ProfileRef* ref, uint32_t tag, uint32_t offset, uint32_t* count, void* buffer),      \
    (ref, tag, offset, count, buffer))                                                          \
  X(SDKCMCreateColorWorld, createColorWorld, 20, K7730_ColorWorld,                              \
    (uint32_t intent, K7730_ProfileRef* source, const K7730_CurveLutSet* inputCurves,           \
     K7730_ProfileRef* destination, const K7730_CurveLutSet* outputCurves),                     \
    (intent, source, inputCurves, destination, outputCurves))                                   \
  X(SDKCMDisposeColorWorld, disposeColorWorld, 4, void, (K7730_ColorWorld world), (world))      \
  X(SDKCMMatchPixelMap, matchPixelMap, 12, int32_t,                                             \
    (K7730_ColorWorld world, const K7730_PixelMap* source, const K7730_PixelMap* destination),   \
    (world, source, destination))                                                               \
  X(SDKCMMatchPlaneMap, matchPlaneMap, 12, int32_t,                                             \
    (K7730_ColorWorld world, const K7730_PlaneMap* source, const K7730_PlaneMap* destination),   \
    (world, source, destination))                                                               \
  X(SDKCMGetNumsOfInPixComp, getNumsOfInPixComp, 4, uint32_t, (K7730_ColorWorld world), (world)) \
  X(SDKCMGetNumsOfOutPixComp, getNumsOfOutPixComp, 4, uint32_t, (K7730_ColorWorld world),       \
    (world))                                                                                    \
  X(SDKCMCreatLUT, creatLUT, 24, void,                                                          \
    (int16_t gamma0, int16_t gamma1, int16_t gamma2, int16_t gamma3, int16_t gamma4,            \
     K7730_CurveLutSet* tables),                                                                \
    (gamma0, gamma1, gamma2, gamma3, gamma4, tables))                                           \
  X(SDKCMConvertColorWorldToIPB, convertColorWorldToIPB, 8, uint32_t,                           \
    (K7730_ColorWorld world, void* record), (world, record))

/* Declarations of the exports, and of the twins that forward to them. */
#define K7730_DECLARE_EXPORT(name, member, result, parameters) \
  K7730_API result K7730_CDECL name parameters;
#define K7730_DECLARE_CMM_EXPORT(name, member, twinBytes, result, parameters, arguments) \
  K7730_API result K7730_CDECL name parameters;
#define K7730_DECLARE_TWIN(name, member, twinBytes, result, parameters, arguments) \
  result K7730_STDCALL name##_ parameters;

#endif
