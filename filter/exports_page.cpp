// The page exports: set up a page, restart it, run bands, end and free it.
#include "filter/band_run.h"
#include "filter/filter_instance.h"
#include "filter/page_objects.h"
#include "filter/page_setup.h"

using namespace k7730;

extern "C" {

K7730_API std::uint32_t K7730_CDECL plugin_filter_initpage(K7730_FilterInstance* inst,
                                                           std::uint32_t width,
                                                           std::uint32_t height,
                                                           std::uint32_t swapFlag,
                                                           std::uint16_t* err) {
  if (inst == nullptr || width == 0 || height == 0) return Report(err, K7730_ERR_BAD_ARGUMENT);
  return Report(err, SetUpPage(*inst, width, height, swapFlag));
}

K7730_API std::uint32_t K7730_CDECL plugin_filter_startpage(K7730_FilterInstance* inst,
                                                            std::uint16_t* err) {
  if (!PageSetUp(inst)) return Report(err, K7730_ERR_BAD_ARGUMENT);
  RestartPage(*inst);
  return Report(err, K7730_OK);
}

K7730_API std::uint32_t K7730_CDECL plugin_filter_do(K7730_FilterInstance* inst,
                                                     std::uint8_t* band, std::uint32_t lines,
                                                     std::uint8_t** output,
                                                     std::uint32_t* outputLines,
                                                     std::uint16_t* err) {
  if (outputLines != nullptr) *outputLines = 0;
  if (!PageSetUp(inst) || band == nullptr || output == nullptr || lines == 0) {
    return Report(err, K7730_ERR_BAD_ARGUMENT);
  }
  return Report(err, FilterBand(*inst, band, lines, output, outputLines));
}

K7730_API std::uint32_t K7730_CDECL plugin_filter_endpage(K7730_FilterInstance*,
                                                          std::uint16_t* err) {
  // The MTF filter has already released the page's last lines.
  return Report(err, K7730_OK);
}

K7730_API std::uint32_t K7730_CDECL plugin_filter_freepage(K7730_FilterInstance* inst,
                                                           std::uint16_t* err) {
  if (inst == nullptr) return Report(err, K7730_ERR_BAD_ARGUMENT);
  ReleasePageObjects(*inst);
  return Report(err, K7730_OK);
}

}  // extern "C"
