// Pushes pages through an open filter instance in bands, the way a print
// host does, and collects the lines the module releases.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "host/core/band_runner.h"
#include "host/core/console.h"
#include "host/core/filter_session.h"
#include "host/core/image.h"
#include "host/core/image_stream.h"

namespace k7730::host {

// One page on the module: initpage when made, then any number of copies,
// each a startpage and its bands; endpage and freepage at the end (or when
// it is destroyed on the way out of an error). Every failure throws
// HostError naming `name` and carrying the module's ErrorCode.
class ModulePage {
 public:
  ModulePage(FilterSession& session, std::uint32_t width, std::uint32_t height, bool swap, std::string name);
  ~ModulePage();
  ModulePage(const ModulePage&) = delete;
  ModulePage& operator=(const ModulePage&) = delete;

  // Restarts the page for the next copy; the first copy needs it too.
  void StartCopy();
  // Hands one band to the module (which changes it in place) and returns
  // the lines it released, valid until the next call.
  std::span<const std::uint8_t> Band(std::uint8_t* band, std::uint32_t lines);
  // As Band, with the released lines written into `output`, a buffer of
  // the host's of (lines + 2) x width x 3 bytes, so that several buffers
  // can take turns; returns the number of lines released.
  std::uint32_t BandInto(std::uint8_t* band, std::uint32_t lines, std::uint8_t* output);
  // Checks that the copy came back whole: exactly `height` lines.
  void FinishCopy() const;
  // Ends and frees the page.
  void End();

 private:
  std::uint32_t Run(std::uint8_t* band, std::uint32_t lines, std::uint8_t** output);

  const LoadedModule& module_;
  K7730_FilterInstance* inst_;
  std::uint32_t width_, height_;
  std::string name_;
  std::uint8_t* output_ = nullptr;     // the module's output buffer, ours to dispose
  bool onPage_ = false;
  std::uint32_t taken_ = 0, released_ = 0;
};

struct PageRunOptions {
  std::uint32_t bandHeight = kBandLines;
  bool swap = false;
  bool progress = false;      // draw the terminal bar for long pages
  std::string progressLabel;  // leads the bar, such as "2 of 5 photo.jpg"
  std::string imagePath;      // for messages
};

struct PageRunReport {
  std::uint32_t bands = 0;
};

// Streams one page: reads a band from `source`, hands it to the module and
// gives the lines it releases to every sink, until the page is done; then
// finishes the sinks. Memory follows the band, not the page. The time
// spent reading, in the module and writing goes to `timer`. Throws
// HostError with the module's ErrorCode when any step fails.
void StreamPage(FilterSession& session, ImageSource& source, std::span<ImageSink* const> sinks,
                const PageRunOptions& options, StepTimer& timer, PageRunReport& report);

// The whole page in memory, through StreamPage; the corrected page is
// returned.
Image RunPage(FilterSession& session, const Image& page, const PageRunOptions& options, StepTimer& timer,
              PageRunReport& report);

}  // namespace k7730::host
