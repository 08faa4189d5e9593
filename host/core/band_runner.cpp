#include "host/core/band_runner.h"

#include <algorithm>
#include <cstring>

#include "host/core/host_error.h"
#include "host/core/page_run.h"

namespace k7730::host {

std::uint32_t BandLinesFor(std::size_t rowBytes) {
  const std::uint64_t fit = kMaxBandBytes / std::max<std::size_t>(rowBytes, 1);
  return static_cast<std::uint32_t>(std::clamp<std::uint64_t>(fit, 1, kBandLines));
}

BandRunner::BandRunner(FilterSession& session, std::uint32_t width, std::uint32_t height, std::string name,
                       std::uint32_t bandLines, unsigned copies, bool swap)
    : rowBytes_(std::size_t{width} * 3), height_(height), bandLines_(std::max(1u, bandLines)),
      copies_(std::max(1u, copies)), name_(std::move(name)) {
  page_ = std::make_unique<ModulePage>(session, width, height, swap, name_);
  page_->StartCopy();
}

BandRunner::~BandRunner() = default;

std::uint8_t* BandRunner::NextLine() {
  if (linesIn_ >= height_) {
    throw HostError(name_ + ": more lines came than the page's " + std::to_string(height_));
  }
  if (band_.empty()) {
    band_.resize(std::size_t{bandLines_} * rowBytes_);
    printed_.reserve(std::size_t{height_} * rowBytes_);
  }
  return band_.data() + std::size_t{bandFill_} * rowBytes_;
}

void BandRunner::Push() {
  if (band_.empty() || linesIn_ >= height_) throw HostError(name_ + ": a line was pushed without room for it");
  ++bandFill_;
  ++linesIn_;
  if (bandFill_ == bandLines_ || linesIn_ == height_) RunBand();
}

void BandRunner::Pull(const LineReader& read) {
  while (linesIn_ < height_) {
    const std::uint32_t lines = std::min(bandLines_ - bandFill_, height_ - linesIn_);
    std::uint8_t* rows = NextLine();
    read(rows, linesIn_, lines);
    bandFill_ += lines;
    linesIn_ += lines;
    RunBand();
  }
}

// The band to the module; the lines it releases join the copy, and the
// band's lines are kept when later copies need them again.
void BandRunner::RunBand() {
  const std::size_t bytes = std::size_t{bandFill_} * rowBytes_;
  if (copies_ > 1) kept_.insert(kept_.end(), band_.begin(), band_.begin() + static_cast<std::ptrdiff_t>(bytes));
  const std::span<const std::uint8_t> released = page_->Band(band_.data(), bandFill_);
  printed_.insert(printed_.end(), released.begin(), released.end());
  bandFill_ = 0;
}

// The next copy: the page restarted and the kept lines sent again.
void BandRunner::Replay() {
  page_->StartCopy();
  printed_.clear();
  for (std::uint32_t y = 0; y < height_; y += bandLines_) {
    const std::uint32_t lines = std::min(bandLines_, height_ - y);
    std::memcpy(band_.data(), kept_.data() + std::size_t{y} * rowBytes_, std::size_t{lines} * rowBytes_);
    const std::span<const std::uint8_t> released = page_->Band(band_.data(), lines);
    printed_.insert(printed_.end(), released.begin(), released.end());
  }
}

void BandRunner::Deliver(const std::function<void(std::span<const std::uint8_t>)>& deliver) {
  if (linesIn_ < height_) {
    throw HostError(name_ + ": the page ends at line " + std::to_string(linesIn_) + " of " + std::to_string(height_));
  }
  for (unsigned copy = 0; copy < copies_; ++copy) {
    if (copy > 0) Replay();
    page_->FinishCopy();
    if (copy + 1 == copies_) page_->End();
    deliver(printed_);
  }
}

std::uint32_t BandRunner::BandInto(std::uint8_t* band, std::uint32_t lines, std::uint8_t* output) {
  linesIn_ += lines;
  return page_->BandInto(band, lines, output);
}

void BandRunner::EndStreamed() {
  page_->End();
  page_->FinishCopy();
}

}  // namespace k7730::host
