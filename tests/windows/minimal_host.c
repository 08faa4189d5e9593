/* A minimal Windows host: loads K7730fe.dll with LoadLibraryA, finds the
 * exports with GetProcAddress and prints one grey page with mild
 * sharpening. The README shows this program. */
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "k7730fe.h"

#ifndef K7730FE_DLL
#define K7730FE_DLL "K7730fe.dll"
#endif
#define GET(name) (__typeof__(&name))(void*)GetProcAddress(lib, #name)

int main(void) {
  HMODULE lib = LoadLibraryA(K7730FE_DLL);
  if (!lib) { fprintf(stderr, "LoadLibraryA: error %lu\n", GetLastError()); return 1; }
  __typeof__(&plugin_filter_open) open = GET(plugin_filter_open);
  __typeof__(&plugin_filter_setMtf) setMtf = GET(plugin_filter_setMtf);
  __typeof__(&plugin_filter_initpage) initpage = GET(plugin_filter_initpage);
  __typeof__(&plugin_filter_startpage) startpage = GET(plugin_filter_startpage);
  __typeof__(&plugin_filter_do) run = GET(plugin_filter_do);
  __typeof__(&plugin_filter_endpage) endpage = GET(plugin_filter_endpage);
  __typeof__(&plugin_filter_freepage) freepage = GET(plugin_filter_freepage);
  __typeof__(&plugin_filter_close) close = GET(plugin_filter_close);
  __typeof__(&plugin_filter_disposPtr) dispose = GET(plugin_filter_disposPtr);

  enum { W = 640, H = 480, BAND = 128 };
  static uint8_t page[H][W * 3], printed[H][W * 3];
  memset(page, 128, sizeof page);

  uint16_t err;
  K7730_FilterInstance* f = open(&err);
  const int32_t mild[9] = {0, -10, 0, -10, 140, -10, 0, -10, 0};
  setMtf(f, 1, mild, 100, &err);

  uint8_t* out = NULL;                 /* allocated by the first band */
  uint32_t done = 0;
  if (!initpage(f, W, H, 0, &err) || !startpage(f, &err)) {
    fprintf(stderr, "initpage: ErrorCode %u\n", err);
    return 1;
  }
  for (uint32_t y = 0; y < H; y += BAND) {
    uint32_t lines = H - y < BAND ? H - y : BAND, got = 0;
    if (!run(f, page[y], lines, &out, &got, &err)) { fprintf(stderr, "ErrorCode %u\n", err); break; }
    memcpy(printed[done], out, (size_t)got * W * 3);
    done += got;
  }
  endpage(f, &err);
  freepage(f, &err);
  dispose(out);
  close(f);
  dispose(f);
  FreeLibrary(lib);
  printf("%u of %u lines\n", done, H);
  return 0;
}
