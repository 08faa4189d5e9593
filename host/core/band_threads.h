// The threads beside the one that runs the module on a page: one reads the
// page's bands ahead of it, one writes the lines the module released. Each
// meets the module's thread through a BandQueue of two or three buffers,
// so memory follows the band, not the page.
#pragma once

#include <cstdint>
#include <span>
#include <thread>
#include <vector>

#include "host/core/band_queue.h"
#include "host/core/image_stream.h"

namespace k7730::host {

// Reads `source` in bands of `bandLines` lines on a thread of its own, so
// that decoding the next band overlaps filtering this one. The source is
// used by that thread alone from here on.
class BandReader {
 public:
  BandReader(ImageSource& source, std::uint32_t bandLines);
  // Stops the thread at the next band and waits for it.
  ~BandReader();
  BandReader(const BandReader&) = delete;
  BandReader& operator=(const BandReader&) = delete;

  // The next band; false after the last. Throws the source's error once
  // the bands read before it are taken.
  bool Next(BandQueue::Band& band);
  // Gives a band's buffer back for the bands to come.
  void Done(BandQueue::Band band);
  // Waits for the thread; returns the seconds it spent reading.
  double Finish();

 private:
  void Run(ImageSource& source, std::uint32_t bandLines);

  BandQueue queue_;
  double seconds_ = 0;
  std::thread worker_;
};

// Writes bands to every sink on a thread of its own, so that compressing
// the output overlaps reading and filtering the next bands. The buffers
// are the module's output buffers: the module writes into them directly.
// An error on the thread comes back from the next Buffer or from Finish.
class BandWriter {
 public:
  BandWriter(std::span<ImageSink* const> sinks, std::size_t bufferBytes);
  // Drops the bands not yet written and waits for the thread.
  ~BandWriter();
  BandWriter(const BandWriter&) = delete;
  BandWriter& operator=(const BandWriter&) = delete;

  // A free buffer of `bufferBytes`; waits while every buffer is taken.
  BandQueue::Band Buffer();
  // Writes the band's `count` rows on the thread; a band of no rows just
  // gives its buffer back.
  void Put(BandQueue::Band band);
  // Waits until every band is written, then finishes the sinks here.
  // Returns the seconds spent writing on the thread.
  double Finish();

 private:
  void Run();
  void Stop();

  std::vector<ImageSink*> sinks_;
  BandQueue queue_;
  double seconds_ = 0;
  std::thread worker_;
};

}  // namespace k7730::host
