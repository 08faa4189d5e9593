// The soft proof: the printed device values converted back through the
// printer profile to a screen profile with the module's own colour engine,
// so that the print can be judged on screen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/core/image_stream.h"
#include "host/core/module_api.h"

namespace k7730::host {

// The sRGB-like profile that sits next to the module (its default image
// profile); proofs are converted to it and tagged with it.
std::string ScreenProfilePath(const LoadedModule& module);

// Converts each row from `printerProfile` device values to `screenProfile`
// (relative colorimetric) and hands it on to `next`.
class ProofSink : public ImageSink {
 public:
  // Throws HostError naming the profiles when the colour engine cannot
  // build the conversion.
  ProofSink(const LoadedModule& module, const std::string& printerProfile, const std::string& screenProfile,
            std::uint32_t width, std::unique_ptr<ImageSink> next);
  ~ProofSink() override;
  ProofSink(const ProofSink&) = delete;
  ProofSink& operator=(const ProofSink&) = delete;

  void WriteRows(const std::uint8_t* rgb, std::uint32_t count) override;
  void Finish() override { next_->Finish(); }

 private:
  const ModuleApi& api_;
  K7730_ColorWorld world_ = 0;
  std::uint32_t width_;
  std::unique_ptr<ImageSink> next_;
  std::vector<std::uint8_t> rows_;
};

}  // namespace k7730::host
