#include "page_run.h"

#include <algorithm>
#include <chrono>
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

namespace {

// Adds up the time of many short stretches of one kind.
class Stopwatch {
 public:
  template <typename F>
  auto Time(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    struct Add {
      double& total;
      std::chrono::steady_clock::time_point start;
      ~Add() { total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); }
    } add{seconds, start};
    return f();
  }
  double seconds = 0;
};

class MemorySource : public ImageSource {
 public:
  explicit MemorySource(const Image& image) : rgb_(image.rgb) { header_ = image; }
  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    const std::size_t bytes = std::size_t{count} * header_.RowBytes();
    std::memcpy(rgb, rgb_.data() + at_, bytes);
    at_ += bytes;
  }

 private:
  const std::vector<std::uint8_t>& rgb_;
  std::size_t at_ = 0;
};

class MemorySink : public ImageSink {
 public:
  explicit MemorySink(std::vector<std::uint8_t>& rgb) : rgb_(rgb) {}
  void WriteRows(const std::uint8_t* rgb, std::uint32_t count) override {
    rgb_.insert(rgb_.end(), rgb, rgb + std::size_t{count} * rowBytes);
  }
  void Finish() override {}
  std::size_t rowBytes = 0;

 private:
  std::vector<std::uint8_t>& rgb_;
};

}  // namespace

void StreamPage(FilterSession& session, ImageSource& source, std::span<ImageSink* const> sinks,
                const PageRunOptions& options, StepTimer& timer, PageRunReport& report) {
  const ImageHeader& header = source.Header();
  timer.Begin("start page (tone tables, MTF buffers, colour transform)");
  ModulePage modulePage(session, header.width, header.height, options.swap, options.imagePath);
  modulePage.StartCopy();
  timer.End();

  Stopwatch reading, filtering, writing;
  const std::size_t rowBytes = header.RowBytes();
  std::vector<std::uint8_t> band(rowBytes * std::min(options.bandHeight, header.height));
  std::uint32_t taken = 0, written = 0;
  ProgressBar progress(options.progress, header.height, options.progressLabel);
  // Each band is read, filtered and written before the next is read; the
  // bar counts lines that are through all three.
  while (taken < header.height) {
    const std::uint32_t lines = std::min(options.bandHeight, header.height - taken);
    reading.Time([&] { source.ReadRows(band.data(), lines); });
    const std::span<const std::uint8_t> released = filtering.Time([&] { return modulePage.Band(band.data(), lines); });
    const auto releasedLines = static_cast<std::uint32_t>(released.size() / rowBytes);
    writing.Time([&] {
      for (ImageSink* sink : sinks) sink->WriteRows(released.data(), releasedLines);
    });
    taken += lines;
    written += releasedLines;
    ++report.bands;
    progress.Update(written);
  }
  progress.Finish();
  filtering.Time([&] { modulePage.End(); });
  modulePage.FinishCopy();
  writing.Time([&] {
    for (ImageSink* sink : sinks) sink->Finish();
  });
  timer.Record("read " + std::to_string(header.height) + " lines", reading.seconds);
  timer.Record("filter in bands of up to " + std::to_string(options.bandHeight) + " lines", filtering.seconds);
  timer.Record("write", writing.seconds);
}

Image RunPage(FilterSession& session, const Image& page, const PageRunOptions& options, StepTimer& timer,
              PageRunReport& report) {
  MemorySource source(page);
  Image out;
  static_cast<ImageHeader&>(out) = page;
  out.notices.clear();
  out.rgb.reserve(page.rgb.size());
  MemorySink sink(out.rgb);
  sink.rowBytes = page.RowBytes();
  ImageSink* sinks[] = {&sink};
  StreamPage(session, source, sinks, options, timer, report);
  return out;
}

}  // namespace k7730::host
