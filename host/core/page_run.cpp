#include "host/core/page_run.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "host/core/band_runner.h"
#include "host/core/band_threads.h"
#include "host/core/host_error.h"

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

std::uint32_t ModulePage::Run(std::uint8_t* band, std::uint32_t lines, std::uint8_t** output) {
  std::uint32_t outLines = 0;
  std::uint16_t err = 0;
  if (module_.Api().doBand(inst_, band, lines, output, &outLines, &err) != 1) {
    throw FileError(name_, "the module failed on the band at line " + std::to_string(taken_) + ": " +
                               DescribeErrorCode(err));
  }
  if (outLines > height_ - released_ || (outLines > 0 && *output == nullptr)) {
    throw FileError(name_, "the module released more lines than the page has (" +
                               std::to_string(released_ + outLines) + " of " + std::to_string(height_) + ")");
  }
  taken_ += lines;
  released_ += outLines;
  return outLines;
}

std::span<const std::uint8_t> ModulePage::Band(std::uint8_t* band, std::uint32_t lines) {
  const std::uint32_t outLines = Run(band, lines, &output_);
  return {output_, std::size_t{outLines} * width_ * 3};
}

std::uint32_t ModulePage::BandInto(std::uint8_t* band, std::uint32_t lines, std::uint8_t* output) {
  return Run(band, lines, &output);
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
  const std::uint32_t bandLines = std::min(options.bandHeight, header.height);
  timer.Begin("start page (tone tables, MTF buffers, colour transform)");
  BandRunner runner(session, header.width, header.height, options.imagePath, bandLines, 1, options.swap);
  timer.End();

  Stopwatch filtering;
  const std::size_t rowBytes = header.RowBytes();
  // The module releases up to two lines more than a band holds, into the
  // writer's buffers. The reader is declared last so that on the way out
  // of an error it stops first.
  BandWriter writer(sinks, rowBytes * (std::size_t{bandLines} + 2));
  BandReader reader(source, bandLines);
  std::uint32_t written = 0;
  ProgressBar progress(options.progress, header.height, options.progressLabel);
  // Each band is read on the reader's thread, filtered here and written on
  // the writer's thread; the bar counts the lines handed to the writer.
  BandQueue::Band band;
  while (reader.Next(band)) {
    BandQueue::Band released = writer.Buffer();
    released.count = filtering.Time([&] { return runner.BandInto(band.rows.data(), band.count, released.rows.data()); });
    written += released.count;
    reader.Done(std::move(band));
    writer.Put(std::move(released));
    ++report.bands;
    progress.Update(written);
  }
  const double readSeconds = reader.Finish();
  progress.Finish();
  filtering.Time([&] { runner.EndStreamed(); });
  const auto finishing = std::chrono::steady_clock::now();
  const double writeSeconds = writer.Finish();
  const double finishSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - finishing).count();
  timer.Record("read " + std::to_string(header.height) + " lines (beside the filtering)", readSeconds);
  timer.Record("filter in bands of up to " + std::to_string(options.bandHeight) + " lines", filtering.seconds);
  timer.Record("write (beside the above), and the end of the file", writeSeconds + finishSeconds);
}

Image RunPage(FilterSession& session, const Image& page, const PageRunOptions& options, StepTimer& timer,
              PageRunReport& report) {
  const std::unique_ptr<ImageSource> source = ReadFromMemory(page);
  Image out;
  static_cast<ImageHeader&>(out) = page;
  out.notices.clear();
  out.rgb.reserve(page.rgb.size());
  MemorySink sink(out.rgb);
  sink.rowBytes = page.RowBytes();
  ImageSink* sinks[] = {&sink};
  StreamPage(session, *source, sinks, options, timer, report);
  return out;
}

}  // namespace k7730::host
