// A line-filter library for tests: records every call in a text log, can
// refuse widths and parameter tables, and can be built without any one of
// its six entry points (LACKS_ENTRY = 0..5 in lookup order). Its filter
// inverts every byte of the line, so filtered bytes are easy to recognise.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
std::string g_log;
std::uint32_t g_dots = 1844;
std::uint32_t g_refuseWidthsAbove = 0xFFFFFFFFu;
std::uint32_t g_refuseTablesAbove = 5;

void Log(const char* text) { g_log += text; g_log += ';'; }
void Log(const char* name, std::uint32_t arg, std::uint32_t result) {
  char text[64];
  std::snprintf(text, sizeof text, "%s(%u)=%u", name, arg, result);
  Log(text);
}
}  // namespace

EXPORT void RecVornConfigure(std::uint32_t refuseWidthsAbove, std::uint32_t refuseTablesAbove) {
  g_refuseWidthsAbove = refuseWidthsAbove;
  g_refuseTablesAbove = refuseTablesAbove;
  g_log.clear();
}

EXPORT const char* RecVornLog() { return g_log.c_str(); }

#if LACKS_ENTRY != 0
EXPORT std::uint32_t VornDllInit() {
  g_dots = 1844;
  Log("Init");
  return 0;
}
#endif
#if LACKS_ENTRY != 1
EXPORT std::uint32_t VornDllFin() {
  Log("Fin");
  return 0;
}
#endif
#if LACKS_ENTRY != 2
EXPORT std::uint32_t VornDllSetDotsPerLine(std::uint32_t dots) {
  // The refusal sits in the low byte only; the high bytes carry noise the
  // module must ignore.
  const std::uint32_t result = dots > g_refuseWidthsAbove ? 0x1201u : 0xAB00u;
  if ((result & 0xFF) == 0) g_dots = dots;
  Log("SetDots", dots, result & 0xFF);
  return result;
}
#endif
#if LACKS_ENTRY != 3
EXPORT std::uint32_t VornDllSetParameterTableNo(std::uint32_t table) {
  const std::uint32_t result = table > g_refuseTablesAbove ? 1u : 0x300u;
  Log("SetTable", table, result & 0xFF);
  return result;
}
#endif
#if LACKS_ENTRY != 4
EXPORT std::uint32_t VornDllPreFilter() {
  Log("Pre");
  return 0;
}
#endif
#if LACKS_ENTRY != 5
EXPORT std::uint32_t VornDllFilter(const std::uint8_t* line, std::uint8_t* out) {
  for (std::uint32_t i = 0; i < g_dots * 3; ++i) out[i] = static_cast<std::uint8_t>(255 - line[i]);
  Log("Filter");
  return 0;
}
#endif
