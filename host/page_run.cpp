#include "page_run.h"

#include <algorithm>
#include <cstring>

#include "host_error.h"

namespace k7730::host {

ModulePage::ModulePage(FilterSession& session, std::uint32_t width, std::uint32_t height, bool swap,
                       std::string name)
    : module_(session.Module()), inst_(session.Instance()), width_(width), height_(height), name_(std::move(name)) {
  const ModuleApi& api = module_.Api();
  module_.Require(reinterpret_cast<const void*>(api.doBand), "plugin_filter_do", "running pages");
  module_.Require(reinterpret_cast<const void*>(api.initpage), "plugin_filter_initpage", "running pages");
  module_.Require(reinterpret_cast<const void*>(api.startpage), "plugin_filter_startpage", "running pages");
  module_.Require(reinterpret_cast<const void*>(api.endpage), "plugin_filter_endpage", "running pages");
  module_.Require(reinterpret_cast<const void*>(api.freepage), "plugin_filter_freepage", "running pages");
  std::uint16_t err = 0;
  if (api.initpage(inst_, width, height, swap ? 1 : 0, &err) != 1) {
    std::string why;
    if (err == K7730_ERR_PROFILE || err == K7730_ERR_NO_MEMORY) why = session.ExplainColourFailure();
    if (why.empty() && err == K7730_ERR_PROFILE) why = "; check the input and output profiles";
    throw FileError(name_, "the module cannot start the page: " + DescribeErrorCode(err) + why);
  }
  onPage_ = true;
}

ModulePage::~ModulePage() {
  const ModuleApi& api = module_.Api();
  if (onPage_) {
    std::uint16_t err = 0;
    api.endpage(inst_, &err);
    api.freepage(inst_, &err);
  }
  api.disposPtr(output_);
}

void ModulePage::StartCopy() {
  std::uint16_t err = 0;
  if (module_.Api().startpage(inst_, &err) != 1) {
    throw FileError(name_, "the module cannot start the page: " + DescribeErrorCode(err));
  }
  taken_ = released_ = 0;
}

std::span<const std::uint8_t> ModulePage::Band(std::uint8_t* band, std::uint32_t lines) {
  std::uint32_t outLines = 0;
  std::uint16_t err = 0;
  if (module_.Api().doBand(inst_, band, lines, &output_, &outLines, &err) != 1) {
    throw FileError(name_, "the module failed on the band at line " + std::to_string(taken_) + ": " +
                               DescribeErrorCode(err));
  }
  if (outLines > height_ - released_ || (outLines > 0 && output_ == nullptr)) {
    throw FileError(name_, "the module released more lines than the page has (" +
                               std::to_string(released_ + outLines) + " of " + std::to_string(height_) + ")");
  }
  taken_ += lines;
  released_ += outLines;
  return {output_, std::size_t{outLines} * width_ * 3};
}

void ModulePage::FinishCopy() const {
  if (released_ != height_) {
    throw FileError(name_, "the module released " + std::to_string(released_) + " of " +
                               std::to_string(height_) + " lines; the page is incomplete");
  }
}

void ModulePage::End() {
  const ModuleApi& api = module_.Api();
  std::uint16_t err = 0;
  onPage_ = false;
  if (api.endpage(inst_, &err) != 1) {
    api.freepage(inst_, &err);
    throw FileError(name_, "the module cannot end the page: " + DescribeErrorCode(err));
  }
  if (api.freepage(inst_, &err) != 1) throw FileError(name_, "the module cannot free the page: " + DescribeErrorCode(err));
}

Image RunPage(FilterSession& session, Image& page, const PageRunOptions& options, StepTimer& timer,
              PageRunReport& report) {
  timer.Begin("start page (tone tables, MTF buffers, colour transform)");
  ModulePage modulePage(session, page.width, page.height, options.swap, options.imagePath);
  modulePage.StartCopy();

  timer.Begin("bands of up to " + std::to_string(options.bandHeight) + " lines");
  Image out;
  out.width = page.width;
  out.height = page.height;
  out.rgb.assign(page.rgb.size(), 0);
  const std::size_t rowBytes = page.RowBytes();
  std::uint32_t taken = 0;
  std::size_t filled = 0;
  ProgressBar progress(options.progress, page.height);
  while (taken < page.height) {
    const std::uint32_t lines = std::min(options.bandHeight, page.height - taken);
    const std::span<const std::uint8_t> released = modulePage.Band(page.rgb.data() + taken * rowBytes, lines);
    if (!released.empty()) std::memcpy(out.rgb.data() + filled, released.data(), released.size());
    filled += released.size();
    taken += lines;
    ++report.bands;
    progress.Update(taken);
  }
  progress.Finish();

  timer.Begin("end page");
  modulePage.End();
  timer.End();
  modulePage.FinishCopy();
  return out;
}

}  // namespace k7730::host
