#include "host/core/page_run.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <cstring>

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

// Writes bands on a thread of its own, so that compressing the output
// overlaps reading and filtering the next bands. A few bands wait at most,
// so memory still follows the band. An error on the thread is handed back
// to the next Put or to Finish.
class BandWriter {
 public:
  BandWriter(std::span<ImageSink* const> sinks, std::size_t bandBytes, std::size_t rowBytes)
      : sinks_(sinks.begin(), sinks.end()), rowBytes_(rowBytes) {
    for (int i = 0; i < kQueuedBands; ++i) free_.emplace_back(bandBytes);
    worker_ = std::thread([this] { Run(); });
  }
  ~BandWriter() { Stop(true); }
  BandWriter(const BandWriter&) = delete;
  BandWriter& operator=(const BandWriter&) = delete;

  // Copies `count` rows for the thread; waits while every buffer is taken.
  void Put(const std::uint8_t* rows, std::uint32_t count) {
    if (count == 0) return;
    std::vector<std::uint8_t> buffer;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return !free_.empty() || error_; });
      if (error_) std::rethrow_exception(error_);
      buffer = std::move(free_.back());
      free_.pop_back();
    }
    buffer.resize(std::size_t{count} * rowBytes_);
    std::memcpy(buffer.data(), rows, buffer.size());
    {
      const std::lock_guard lock(mutex_);
      queue_.push_back({std::move(buffer), count});
    }
    changed_.notify_all();
  }

  // Waits until every band is written, then finishes the sinks here.
  void Finish() {
    Stop(false);
    if (error_) std::rethrow_exception(error_);
    for (ImageSink* sink : sinks_) sink->Finish();
  }

  double seconds = 0;   // spent writing on the thread; read after Finish

 private:
  static constexpr int kQueuedBands = 3;
  struct Band {
    std::vector<std::uint8_t> rows;
    std::uint32_t count;
  };

  void Run() {
    for (;;) {
      Band band;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !queue_.empty() || stopping_; });
        if (queue_.empty() || cancelled_) return;
        band = std::move(queue_.front());
        queue_.pop_front();
      }
      try {
        const auto start = std::chrono::steady_clock::now();
        for (ImageSink* sink : sinks_) sink->WriteRows(band.rows.data(), band.count);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      } catch (...) {
        const std::lock_guard lock(mutex_);
        error_ = std::current_exception();
        changed_.notify_all();
        return;
      }
      {
        const std::lock_guard lock(mutex_);
        free_.push_back(std::move(band.rows));
      }
      changed_.notify_all();
    }
  }

  // Lets the thread finish the queued bands (or drop them when cancelled)
  // and waits for it.
  void Stop(bool cancel) {
    {
      const std::lock_guard lock(mutex_);
      stopping_ = true;
      cancelled_ = cancel;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
  }

  std::vector<ImageSink*> sinks_;
  std::size_t rowBytes_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Band> queue_;
  std::vector<std::vector<std::uint8_t>> free_;
  std::exception_ptr error_;
  bool stopping_ = false, cancelled_ = false;
  std::thread worker_;
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

  Stopwatch reading, filtering;
  const std::size_t rowBytes = header.RowBytes();
  const std::uint32_t bandLines = std::min(options.bandHeight, header.height);
  std::vector<std::uint8_t> band(rowBytes * bandLines);
  // The module releases up to two lines more than a band holds.
  BandWriter writer(sinks, rowBytes * (std::size_t{bandLines} + 2), rowBytes);
  std::uint32_t taken = 0, written = 0;
  ProgressBar progress(options.progress, header.height, options.progressLabel);
  // Each band is read and filtered here and written on the writer's
  // thread; the bar counts the lines handed to it.
  while (taken < header.height) {
    const std::uint32_t lines = std::min(options.bandHeight, header.height - taken);
    reading.Time([&] { source.ReadRows(band.data(), lines); });
    const std::span<const std::uint8_t> released = filtering.Time([&] { return modulePage.Band(band.data(), lines); });
    const auto releasedLines = static_cast<std::uint32_t>(released.size() / rowBytes);
    writer.Put(released.data(), releasedLines);
    taken += lines;
    written += releasedLines;
    ++report.bands;
    progress.Update(written);
  }
  progress.Finish();
  filtering.Time([&] { modulePage.End(); });
  modulePage.FinishCopy();
  const auto finishing = std::chrono::steady_clock::now();
  writer.Finish();
  const double finishSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - finishing).count();
  timer.Record("read " + std::to_string(header.height) + " lines", reading.seconds);
  timer.Record("filter in bands of up to " + std::to_string(options.bandHeight) + " lines", filtering.seconds);
  timer.Record("write (beside the above), and the end of the file", writer.seconds + finishSeconds);
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
