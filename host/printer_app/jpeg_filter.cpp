#include "host/printer_app/jpeg_filter.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "host/printer_app/document_check.h"
#include "host/image/image_formats.h"
#include "host/printer_app/page_job.h"

namespace k7730::printer_app {

namespace {

ImageLimits LimitsOf(pappl_system_t* system) {
  int width = 0, height = 0;
  papplSystemGetMaxImageSize(system, &width, &height);
  return {static_cast<std::uint32_t>(std::max(0, width)), static_cast<std::uint32_t>(std::max(0, height))};
}

bool FilterJpeg(pappl_job_t* job, pappl_device_t* device, void* data) {
  const char* file = papplJobGetFilename(job);
  if (file == nullptr) return RefuseJob(job, "the job has no document", PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  if (std::string problem = JpegFileProblem(file, LimitsOf(static_cast<pappl_system_t*>(data))); !problem.empty()) {
    return RefuseJob(job, problem, PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  }
  host::Image image;
  try {
    image = host::ReadJpeg(file);
  } catch (const std::exception& e) {
    return RefuseJob(job, e.what(), PAPPL_JREASON_DOCUMENT_FORMAT_ERROR);
  }
  pappl_pr_options_t* options = papplJobCreatePrintOptions(job, 1, true);
  const int ppi = image.resolution.Known() ? static_cast<int>(std::lround(image.resolution.x)) : 0;
  // Smoothing when the client asks for high quality, as PAPPL's own filter
  // does; the module's stages do not depend on print-quality.
  const bool smooth = options->print_quality == IPP_QUALITY_HIGH;
  const bool ok = papplJobFilterImage(job, device, options, image.rgb.data(), static_cast<int>(image.width),
                                      static_cast<int>(image.height), 3, ppi, smooth);
  papplJobDeletePrintOptions(options);
  return ok;
}

}  // namespace

void AddJpegFilter(pappl_system_t* system) {
  papplSystemAddMIMEFilter(system, "image/jpeg", kDeviceFormat, FilterJpeg, system);
}

}  // namespace k7730::printer_app
