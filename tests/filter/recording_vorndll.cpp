// A line-filter library for tests: records every call in a text log, can
// refuse widths and parameter tables, and can be built without any one of
// its six entry points (LACKS_ENTRY = 0..5 in lookup order). Its filter
// inverts every byte of the line, so filtered bytes are easy to recognise.
#include <cstdint>
#include <string>

#if defined(_WIN32)
#define EXPORT extern "C" __declspec(dllexport)
#else
#define EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
std::string g_log;
std::uint32_t g_dots = 1844;
std::uint32_t g_refuseWidthsAbove = 0xFFFFFFFFu;
std::uint32_t g_refuseTablesAbove = 5;

void Log(const std::string& text) { g_log += text + ';'; }
std::uint32_t Logged(const char* call) {
  Log(call);
  return 0;
}
// The refusal sits in the low byte only; the high bytes carry noise the
// module must ignore.
std::uint32_t Answer(const char* name, std::uint32_t arg, bool refuse) {
  const std::uint32_t result = refuse ? 0x1201u : 0xAB00u;
  Log(std::string(name) + "(" + std::to_string(arg) + ")=" + std::to_string(result & 0xFF));
  return result;
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
  return Logged("Init");
}
#endif
#if LACKS_ENTRY != 1
EXPORT std::uint32_t VornDllFin() { return Logged("Fin"); }
#endif
#if LACKS_ENTRY != 2
EXPORT std::uint32_t VornDllSetDotsPerLine(std::uint32_t dots) {
  if (dots <= g_refuseWidthsAbove) g_dots = dots;
  return Answer("SetDots", dots, dots > g_refuseWidthsAbove);
}
#endif
#if LACKS_ENTRY != 3
EXPORT std::uint32_t VornDllSetParameterTableNo(std::uint32_t table) {
  return Answer("SetTable", table, table > g_refuseTablesAbove);
}
#endif
#if LACKS_ENTRY != 4
EXPORT std::uint32_t VornDllPreFilter() { return Logged("Pre"); }
#endif
#if LACKS_ENTRY != 5
EXPORT std::uint32_t VornDllFilter(const std::uint8_t* line, std::uint8_t* out) {
  for (std::uint32_t i = 0; i < g_dots * 3; ++i) out[i] = static_cast<std::uint8_t>(255 - line[i]);
  return Logged("Filter");
}
#endif
