#include "host/core/printer_defaults.h"

#include "host/core/filter_session.h"
#include "host/core/mtf_file.h"

namespace k7730::host {

StageOptions PhotoPrinterStages() {
  StageOptions stages;
  MtfKernel kernel;
  SharpenPreset("mild", kernel);
  stages.mtfKernel = kernel;
  stages.mtfSource = "mild sharpening";
  stages.colorMatch = true;
  return stages;
}

std::vector<std::uint8_t> RecordWithStages(const LoadedModule& module, const StageOptions& stages,
                                           const Console& console) {
  FilterSession session(module);
  session.ApplyStages(stages, nullptr, "", console);
  return session.StorableBlock();
}

}  // namespace k7730::host
