#include "host/core/band_queue.h"

namespace k7730::host {

BandQueue::BandQueue(int buffers, std::size_t bytes) {
  for (int i = 0; i < buffers; ++i) empty_.push_back({std::vector<std::uint8_t>(bytes), 0});
}

bool BandQueue::TakeEmpty(Band& band) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !empty_.empty() || error_ || cancelled_; });
  if (error_) std::rethrow_exception(error_);
  if (cancelled_) return false;
  band = std::move(empty_.back());
  empty_.pop_back();
  return true;
}

void BandQueue::PutFull(Band band) {
  {
    const std::lock_guard lock(mutex_);
    full_.push_back(std::move(band));
  }
  changed_.notify_all();
}

void BandQueue::Close() {
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

bool BandQueue::TakeFull(Band& band) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !full_.empty() || error_ || closed_ || cancelled_; });
  if (cancelled_) return false;
  if (full_.empty()) {
    if (error_) std::rethrow_exception(error_);
    return false;
  }
  band = std::move(full_.front());
  full_.pop_front();
  return true;
}

void BandQueue::PutEmpty(Band band) {
  {
    const std::lock_guard lock(mutex_);
    empty_.push_back(std::move(band));
  }
  changed_.notify_all();
}

void BandQueue::Fail(std::exception_ptr error) {
  {
    const std::lock_guard lock(mutex_);
    if (!error_) error_ = std::move(error);
  }
  changed_.notify_all();
}

void BandQueue::Cancel() {
  {
    const std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  changed_.notify_all();
}

std::exception_ptr BandQueue::Failure() {
  const std::lock_guard lock(mutex_);
  return error_;
}

}  // namespace k7730::host
