#include "page_run.h"

#include <algorithm>
#include <cstring>

#include "host_error.h"

namespace k7730::host {

namespace {

// Ends the page and returns the output buffer on every path out of RunPage.
struct PageGuard {
  const ModuleApi& api;
  K7730_FilterInstance* inst;
  std::uint8_t* output = nullptr;
  bool onPage = false;
  ~PageGuard() {
    if (onPage) {
      std::uint16_t err = 0;
      api.endpage(inst, &err);
      api.freepage(inst, &err);
    }
    api.disposPtr(output);
  }
};

}  // namespace

Image RunPage(FilterSession& session, Image& page, const PageRunOptions& options, StepTimer& timer,
              PageRunReport& report) {
  const LoadedModule& module = session.Module();
  const ModuleApi& api = module.Api();
  module.Require(reinterpret_cast<const void*>(api.doBand), "plugin_filter_do", "running pages");
  module.Require(reinterpret_cast<const void*>(api.initpage), "plugin_filter_initpage", "running pages");
  module.Require(reinterpret_cast<const void*>(api.startpage), "plugin_filter_startpage", "running pages");
  module.Require(reinterpret_cast<const void*>(api.endpage), "plugin_filter_endpage", "running pages");
  module.Require(reinterpret_cast<const void*>(api.freepage), "plugin_filter_freepage", "running pages");

  K7730_FilterInstance* inst = session.Instance();
  const std::string& name = options.imagePath;
  PageGuard guard{api, inst};
  std::uint16_t err = 0;

  timer.Begin("start page (tone tables, MTF buffers, colour transform)");
  if (api.initpage(inst, page.width, page.height, options.swap ? 1 : 0, &err) != 1) {
    std::string why;
    if (err == K7730_ERR_PROFILE || err == K7730_ERR_NO_MEMORY) why = session.ExplainColourFailure();
    if (why.empty() && err == K7730_ERR_PROFILE) why = "; check the input and output profiles";
    throw FileError(name, "the module cannot start the page: " + DescribeErrorCode(err) + why);
  }
  guard.onPage = true;
  if (api.startpage(inst, &err) != 1) {
    throw FileError(name, "the module cannot start the page: " + DescribeErrorCode(err));
  }

  timer.Begin("bands of up to " + std::to_string(options.bandHeight) + " lines");
  Image out;
  out.width = page.width;
  out.height = page.height;
  out.rgb.assign(page.rgb.size(), 0);
  const std::size_t rowBytes = page.RowBytes();
  std::uint32_t taken = 0, released = 0;
  ProgressBar progress(options.progress, page.height);
  while (taken < page.height) {
    const std::uint32_t lines = std::min(options.bandHeight, page.height - taken);
    std::uint32_t outLines = 0;
    if (api.doBand(inst, page.rgb.data() + taken * rowBytes, lines, &guard.output, &outLines, &err) != 1) {
      throw FileError(name, "the module failed on the band at line " + std::to_string(taken) + ": " +
                                DescribeErrorCode(err));
    }
    if (outLines > page.height - released || (outLines > 0 && guard.output == nullptr)) {
      throw FileError(name, "the module released more lines than the page has (" +
                                std::to_string(released + outLines) + " of " + std::to_string(page.height) + ")");
    }
    if (outLines > 0) std::memcpy(out.rgb.data() + released * rowBytes, guard.output, outLines * rowBytes);
    released += outLines;
    taken += lines;
    ++report.bands;
    progress.Update(taken);
  }
  progress.Finish();

  timer.Begin("end page");
  guard.onPage = false;
  if (api.endpage(inst, &err) != 1) {
    api.freepage(inst, &err);
    throw FileError(name, "the module cannot end the page: " + DescribeErrorCode(err));
  }
  if (api.freepage(inst, &err) != 1) throw FileError(name, "the module cannot free the page: " + DescribeErrorCode(err));
  timer.End();
  if (released != page.height) {
    throw FileError(name, "the module released " + std::to_string(released) + " of " +
                              std::to_string(page.height) + " lines; the page is incomplete");
  }
  return out;
}

}  // namespace k7730::host
