// Bands handed from one thread to another in order, through a fixed number
// of buffers that go round: memory follows the band, not the page. A
// failure on either side is handed to the other.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

namespace k7730::host {

class BandQueue {
 public:
  struct Band {
    std::vector<std::uint8_t> rows;   // always the buffer's full size
    std::uint32_t count = 0;          // rows in use
  };

  // `buffers` buffers of `bytes` bytes each.
  BandQueue(int buffers, std::size_t bytes);
  BandQueue(const BandQueue&) = delete;
  BandQueue& operator=(const BandQueue&) = delete;

  // The producer's side. TakeEmpty waits for a free buffer; it throws the
  // consumer's failure and returns false once the queue is cancelled.
  bool TakeEmpty(Band& band);
  void PutFull(Band band);
  // No more bands will come.
  void Close();

  // The consumer's side. TakeFull waits for the next band; it returns false
  // once the queue is closed and every band taken, or cancelled, and throws
  // the producer's failure once the bands put before it are taken.
  bool TakeFull(Band& band);
  void PutEmpty(Band band);

  // Either side: a failure that ends the queue for the other side.
  void Fail(std::exception_ptr error);
  // Wakes both sides and makes every wait return false.
  void Cancel();
  // The failure handed over, if any.
  std::exception_ptr Failure();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Band> full_;
  std::vector<Band> empty_;
  std::exception_ptr error_;
  bool closed_ = false, cancelled_ = false;
};

}  // namespace k7730::host
