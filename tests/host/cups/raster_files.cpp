#include "raster_files.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "support/temp_files.h"

namespace k7730::host::test {

cups_page_header2_t RgbHeader(std::uint32_t width, std::uint32_t height, cups_cspace_t space,
                              unsigned bitsPerPixel) {
  cups_page_header2_t h;
  std::memset(&h, 0, sizeof h);
  std::strcpy(h.MediaClass, "PwgRaster");
  h.HWResolution[0] = h.HWResolution[1] = 300;
  h.PageSize[0] = width * 72 / 300;
  h.PageSize[1] = height * 72 / 300;
  h.NumCopies = 1;
  h.cupsWidth = width;
  h.cupsHeight = height;
  h.cupsBitsPerColor = 8;
  h.cupsBitsPerPixel = bitsPerPixel;
  h.cupsBytesPerLine = (width * bitsPerPixel + 7) / 8;
  h.cupsColorOrder = CUPS_ORDER_CHUNKED;
  h.cupsColorSpace = space;
  h.cupsNumColors = bitsPerPixel / 8;
  return h;
}

void WriteRasterFile(const std::string& path, const std::vector<RasterPage>& pages, cups_mode_t mode) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  cups_raster_t* r = cupsRasterOpen(fd, mode);
  for (const RasterPage& page : pages) {
    cups_page_header2_t h = page.header;
    if (cupsRasterWriteHeader2(r, &h) == 0) throw std::runtime_error("cupsRasterWriteHeader2 failed");
    std::vector<std::uint8_t> pixels = page.pixels;
    if (!pixels.empty() && cupsRasterWritePixels(r, pixels.data(), static_cast<unsigned>(pixels.size())) == 0) {
      throw std::runtime_error("cupsRasterWritePixels failed");
    }
  }
  cupsRasterClose(r);
  ::close(fd);
}

std::vector<RasterPage> ReadRasterFile(const std::string& path) {
  std::vector<RasterPage> pages;
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) return pages;
  cups_raster_t* r = cupsRasterOpen(fd, CUPS_RASTER_READ);
  RasterPage page;
  while (r != nullptr && cupsRasterReadHeader2(r, &page.header) != 0) {
    page.pixels.assign(std::size_t{page.header.cupsBytesPerLine} * page.header.cupsHeight, 0);
    if (cupsRasterReadPixels(r, page.pixels.data(), static_cast<unsigned>(page.pixels.size())) == 0) break;
    pages.push_back(page);
  }
  if (r != nullptr) cupsRasterClose(r);
  ::close(fd);
  return pages;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

int FilterRun::Count(const std::string& level) const {
  int n = 0;
  for (const auto& line : lines) n += line.rfind(level + ": ", 0) == 0 ? 1 : 0;
  return n;
}

bool FilterRun::EndsWithOneError() const {
  return Count("ERROR") == 1 && !lines.empty() && lines.back().rfind("ERROR: ", 0) == 0;
}

FilterRun RunRasterFilter(const std::string& folder, const std::string& options, const std::string& input,
                          const std::string& env, bool asFileArgument) {
  FilterRun run;
  run.outputPath = folder + "/filter-out.ras";
  const std::string errPath = folder + "/filter-err.txt";
  std::string command = env + " " + K7730_RASTER_FILTER_PATH + " 7 tester title 1 " + ShellQuote(options);
  command += asFileArgument ? " " + ShellQuote(input) + " </dev/null" : " <" + ShellQuote(input);
  command += " >" + ShellQuote(run.outputPath) + " 2>" + ShellQuote(errPath);
  const int status = std::system(command.c_str());
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.log = testing_files::ReadText(errPath);
  std::istringstream lines(run.log);
  for (std::string line; std::getline(lines, line);) run.lines.push_back(line);
  return run;
}

}  // namespace k7730::host::test
