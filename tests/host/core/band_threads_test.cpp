// The reading and writing threads beside the module: every row in order,
// errors from either thread handed over with their own message and at the
// band where they happened, and threads that stop when a page is abandoned.
// Also built under ThreadSanitizer (`make tsan`).
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "host/core/band_threads.h"
#include "host/core/host_error.h"

namespace k7730::host {
namespace {

constexpr std::uint32_t kWidth = 5;

std::uint8_t RowByte(std::uint32_t y, std::size_t i) { return static_cast<std::uint8_t>(y * 7 + i); }

// Rows whose bytes tell their number; fails at `failAt` when given.
class CountingSource : public ImageSource {
 public:
  CountingSource(std::uint32_t height, std::uint32_t failAt = UINT32_MAX) : failAt_(failAt) {
    header_.width = kWidth;
    header_.height = height;
  }
  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    for (std::uint32_t r = 0; r < count; ++r, ++next_) {
      if (next_ == failAt_) throw FileError("page.png", "damaged or unreadable PNG: row " + std::to_string(next_));
      for (std::size_t i = 0; i < header_.RowBytes(); ++i) rgb[r * header_.RowBytes() + i] = RowByte(next_, i);
    }
    rowsRead.store(next_);
  }
  std::atomic<std::uint32_t> rowsRead{0};

 private:
  std::uint32_t failAt_, next_ = 0;
};

class CollectingSink : public ImageSink {
 public:
  explicit CollectingSink(std::uint32_t failAt = UINT32_MAX) : failAt_(failAt) {}
  void WriteRows(const std::uint8_t* rgb, std::uint32_t count) override {
    if (rows + count > failAt_) throw HostError("out.png: cannot write: No space left on device");
    bytes.insert(bytes.end(), rgb, rgb + std::size_t{count} * kWidth * 3);
    rows += count;
  }
  void Finish() override { ++finished; }
  std::vector<std::uint8_t> bytes;
  std::uint32_t rows = 0;
  int finished = 0;

 private:
  std::uint32_t failAt_;
};

std::vector<std::uint8_t> ExpectedRows(std::uint32_t from, std::uint32_t count) {
  std::vector<std::uint8_t> rows;
  for (std::uint32_t y = from; y < from + count; ++y) {
    for (std::size_t i = 0; i < kWidth * 3; ++i) rows.push_back(RowByte(y, i));
  }
  return rows;
}

// Copies each band read into a writer's buffer, as the module does.
void Relay(BandReader& reader, BandWriter& writer) {
  BandQueue::Band band;
  while (reader.Next(band)) {
    BandQueue::Band out = writer.Buffer();
    std::memcpy(out.rows.data(), band.rows.data(), std::size_t{band.count} * kWidth * 3);
    out.count = band.count;
    reader.Done(std::move(band));
    writer.Put(std::move(out));
  }
}

TEST(BandThreads, EveryRowArrivesInOrderThroughBothThreads) {
  for (const std::uint32_t bandLines : {1u, 7u, 10u, 200u}) {
    CountingSource source(103);
    CollectingSink first, second;
    ImageSink* sinks[] = {&first, &second};
    BandWriter writer(sinks, std::size_t{bandLines + 2} * kWidth * 3);
    BandReader reader(source, std::min(bandLines, 103u));
    Relay(reader, writer);
    reader.Finish();
    // A band the module released no line of gives its buffer back.
    writer.Put(writer.Buffer());
    writer.Finish();
    EXPECT_EQ(first.bytes, ExpectedRows(0, 103)) << bandLines;
    EXPECT_EQ(second.bytes, first.bytes);
    EXPECT_EQ(first.finished, 1);
    EXPECT_EQ(second.finished, 1);
  }
}

TEST(BandThreads, AReadErrorComesAfterTheBandsBeforeItWithItsOwnMessage) {
  CountingSource source(100, 45);
  BandReader reader(source, 10);
  BandQueue::Band band;
  for (std::uint32_t y = 0; y < 40; y += 10) {
    ASSERT_TRUE(reader.Next(band));
    EXPECT_EQ(std::vector<std::uint8_t>(band.rows.begin(), band.rows.begin() + 10 * kWidth * 3),
              ExpectedRows(y, 10));
    reader.Done(std::move(band));
  }
  try {
    reader.Next(band);
    FAIL() << "the damaged band was handed over";
  } catch (const HostError& e) {
    EXPECT_STREQ(e.what(), "page.png: damaged or unreadable PNG: row 45");
  }
}

TEST(BandThreads, AnAbandonedPageStopsTheReaderAFewBandsAhead) {
  CountingSource source(10000);
  {
    BandReader reader(source, 10);
    BandQueue::Band band;
    ASSERT_TRUE(reader.Next(band));
  }
  // The band taken, and at most the buffers' worth more.
  EXPECT_LE(source.rowsRead.load(), 30u);
}

TEST(BandThreads, AWriteErrorComesBackAndNoSinkIsFinished) {
  CountingSource source(100);
  CollectingSink good, full(25);
  ImageSink* sinks[] = {&good, &full};
  BandWriter writer(sinks, 12 * kWidth * 3);
  BandReader reader(source, 10);
  try {
    Relay(reader, writer);
    writer.Finish();
    FAIL() << "the failed write was not reported";
  } catch (const HostError& e) {
    EXPECT_STREQ(e.what(), "out.png: cannot write: No space left on device");
  }
  EXPECT_EQ(good.finished + full.finished, 0);
  EXPECT_EQ(full.rows, 20u);
}

TEST(BandThreads, AWriterLeftWithBandsQueuedStopsWithoutWritingThem) {
  CountingSource source(1000);
  CollectingSink sink;
  ImageSink* sinks[] = {&sink};
  {
    BandWriter writer(sinks, 12 * kWidth * 3);
    BandReader reader(source, 10);
    BandQueue::Band band;
    for (int i = 0; i < 5 && reader.Next(band); ++i) {
      BandQueue::Band out = writer.Buffer();
      out.count = band.count;
      reader.Done(std::move(band));
      writer.Put(std::move(out));
    }
  }
  EXPECT_LE(sink.rows, 50u);
  EXPECT_EQ(sink.finished, 0);
}

}  // namespace
}  // namespace k7730::host
