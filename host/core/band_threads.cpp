#include "host/core/band_threads.h"

#include <algorithm>
#include <chrono>

namespace k7730::host {

namespace {

// Two buffers on each side: the reader fills one band while the module
// works on the other, and the module fills one while the writer compresses
// the other. A third writer buffer (4 MB on a page 10000 pixels wide)
// gained nothing measurable.
constexpr int kReadBuffers = 2;
constexpr int kWriteBuffers = 2;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

BandReader::BandReader(ImageSource& source, std::uint32_t bandLines)
    : queue_(kReadBuffers, source.Header().RowBytes() * bandLines) {
  worker_ = std::thread([this, &source, bandLines] { Run(source, bandLines); });
}

BandReader::~BandReader() {
  queue_.Cancel();
  if (worker_.joinable()) worker_.join();
}

void BandReader::Run(ImageSource& source, std::uint32_t bandLines) {
  const std::uint32_t height = source.Header().height;
  try {
    for (std::uint32_t taken = 0; taken < height;) {
      BandQueue::Band band;
      if (!queue_.TakeEmpty(band)) return;
      band.count = std::min(bandLines, height - taken);
      const auto start = std::chrono::steady_clock::now();
      source.ReadRows(band.rows.data(), band.count);
      seconds_ += SecondsSince(start);
      taken += band.count;
      queue_.PutFull(std::move(band));
    }
    queue_.Close();
  } catch (...) {
    queue_.Fail(std::current_exception());
  }
}

bool BandReader::Next(BandQueue::Band& band) { return queue_.TakeFull(band); }

void BandReader::Done(BandQueue::Band band) { queue_.PutEmpty(std::move(band)); }

double BandReader::Finish() {
  if (worker_.joinable()) worker_.join();
  return seconds_;
}

BandWriter::BandWriter(std::span<ImageSink* const> sinks, std::size_t bufferBytes)
    : sinks_(sinks.begin(), sinks.end()), queue_(kWriteBuffers, bufferBytes) {
  worker_ = std::thread([this] { Run(); });
}

BandWriter::~BandWriter() { Stop(); }

void BandWriter::Stop() {
  queue_.Cancel();
  if (worker_.joinable()) worker_.join();
}

BandQueue::Band BandWriter::Buffer() {
  BandQueue::Band band;
  queue_.TakeEmpty(band);
  band.count = 0;
  return band;
}

void BandWriter::Put(BandQueue::Band band) {
  if (band.count == 0) {
    queue_.PutEmpty(std::move(band));
  } else {
    queue_.PutFull(std::move(band));
  }
}

void BandWriter::Run() {
  try {
    BandQueue::Band band;
    while (queue_.TakeFull(band)) {
      const auto start = std::chrono::steady_clock::now();
      for (ImageSink* sink : sinks_) sink->WriteRows(band.rows.data(), band.count);
      seconds_ += SecondsSince(start);
      queue_.PutEmpty(std::move(band));
    }
  } catch (...) {
    queue_.Fail(std::current_exception());
  }
}

double BandWriter::Finish() {
  queue_.Close();
  if (worker_.joinable()) worker_.join();
  if (const std::exception_ptr error = queue_.Failure()) std::rethrow_exception(error);
  for (ImageSink* sink : sinks_) sink->Finish();
  return seconds_;
}

}  // namespace k7730::host
