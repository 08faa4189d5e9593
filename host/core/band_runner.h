// One page through the module in bands of a fixed height, whoever brings
// the lines: a host pushes them one at a time, or the runner pulls them
// from a reader. The module releases lines late when sharpening holds some
// back; the runner gathers what it releases and hands a copy out only once
// the copy is complete, and the last copy only once the module has also
// ended the page without error, so that nothing of a refused page reaches
// the output. Copies are made here: the lines that came in are kept and
// sent again for each later copy, since the module changes bands in place.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "host/core/filter_session.h"

namespace k7730::host {

// Lines handed to the module per band, in every host.
constexpr std::uint32_t kBandLines = 128;
// The most bytes a band may take, for very wide pages.
constexpr std::uint64_t kMaxBandBytes = std::uint64_t{16} << 20;

// The band height for lines of `rowBytes` bytes: kBandLines, fewer when a
// band would pass kMaxBandBytes, at least one.
std::uint32_t BandLinesFor(std::size_t rowBytes);

class ModulePage;

class BandRunner {
 public:
  // Starts the page on the module and its first copy. Throws HostError
  // naming `name`, as every later step does.
  BandRunner(FilterSession& session, std::uint32_t width, std::uint32_t height, std::string name,
             std::uint32_t bandLines = kBandLines, unsigned copies = 1, bool swap = false);
  ~BandRunner();
  BandRunner(const BandRunner&) = delete;
  BandRunner& operator=(const BandRunner&) = delete;

  std::uint32_t BandLines() const { return bandLines_; }
  std::uint32_t LinesIn() const { return linesIn_; }
  unsigned Copies() const { return copies_; }

  // Pushing: room for the next line (width x 3 bytes), then Push to take
  // it. A band goes to the module when it is full or the page's last line
  // came. Lines past the page's height are refused.
  std::uint8_t* NextLine();
  void Push();

  // Pulling: the rest of the page, band by band, from `read`, which fills
  // `count` lines of the page from line `y` on.
  using LineReader = std::function<void(std::uint8_t* rows, std::uint32_t y, std::uint32_t count)>;
  void Pull(const LineReader& read);

  // Hands each copy to `deliver` in order, as width x 3 bytes per line.
  // Throws instead when a copy is incomplete or the module fails; the last
  // copy goes out only after the module ended the page.
  void Deliver(const std::function<void(std::span<const std::uint8_t>)>& deliver);

  // For a host that streams the released lines on (into files it keeps only
  // when the page succeeds) rather than gathering them: one band into the
  // host's buffer of (lines + 2) lines; returns the lines released.
  std::uint32_t BandInto(std::uint8_t* band, std::uint32_t lines, std::uint8_t* output);
  // Ends the streamed page and checks every line came back.
  void EndStreamed();

 private:
  void RunBand();
  void Replay();

  std::size_t rowBytes_;
  std::uint32_t height_, bandLines_;
  unsigned copies_;
  std::unique_ptr<ModulePage> page_;
  std::vector<std::uint8_t> band_, kept_, printed_;
  std::uint32_t bandFill_ = 0, linesIn_ = 0;
  std::string name_;
};

}  // namespace k7730::host
