// Binary PPM (P6), 8 or 16 bits per sample.
#include <cstdio>
#include <string>

#include "file_bytes.h"
#include "host_error.h"
#include "image_formats.h"

namespace k7730::host {

namespace {

bool IsSpace(std::uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads one decimal header field, skipping blanks and '#' comments before it.
bool ReadHeaderNumber(const std::vector<std::uint8_t>& b, std::size_t& pos, std::uint32_t& value) {
  for (;;) {
    while (pos < b.size() && IsSpace(b[pos])) ++pos;
    if (pos < b.size() && b[pos] == '#') {
      while (pos < b.size() && b[pos] != '\n') ++pos;
      continue;
    }
    break;
  }
  if (pos >= b.size() || b[pos] < '0' || b[pos] > '9') return false;
  std::uint64_t v = 0;
  while (pos < b.size() && b[pos] >= '0' && b[pos] <= '9') {
    v = v * 10 + (b[pos] - '0');
    if (v > 0xFFFFFFFFu) return false;
    ++pos;
  }
  value = static_cast<std::uint32_t>(v);
  return true;
}

}  // namespace

Image ReadPpm(const std::string& path) {
  const std::vector<std::uint8_t> b = ReadFileBytes(path, 2 * kMaxImageBytes + 4096);
  if (b.size() < 2 || b[0] != 'P') throw FileError(path, "not a PPM file");
  if (b[1] != '6') {
    throw FileError(path, std::string("a P") + static_cast<char>(b[1]) +
                              " file: only binary colour PPM (P6) is read");
  }
  std::size_t pos = 2;
  std::uint32_t width = 0, height = 0, maxval = 0;
  if (!ReadHeaderNumber(b, pos, width) || !ReadHeaderNumber(b, pos, height) ||
      !ReadHeaderNumber(b, pos, maxval) || pos >= b.size() || !IsSpace(b[pos])) {
    throw FileError(path, "damaged PPM header");
  }
  ++pos;  // the single blank that ends the header
  if (maxval == 0 || maxval > 65535) {
    throw FileError(path, "PPM maximum value " + std::to_string(maxval) + " is outside 1 to 65535");
  }
  CheckImageSize(path, width, height);
  const std::size_t bytesPerSample = maxval > 255 ? 2 : 1;
  const std::size_t samples = static_cast<std::size_t>(width) * height * 3;
  if (b.size() - pos < samples * bytesPerSample) {
    throw FileError(path, "the PPM data is truncated (" + std::to_string(b.size() - pos) + " of " +
                              std::to_string(samples * bytesPerSample) + " bytes)");
  }
  Image image;
  image.width = width;
  image.height = height;
  image.rgb.resize(samples);
  const std::uint8_t* data = b.data() + pos;
  if (maxval == 255) {
    std::copy(data, data + samples, image.rgb.begin());
    return image;
  }
  for (std::size_t i = 0; i < samples; ++i) {
    std::uint32_t v = bytesPerSample == 2 ? (data[2 * i] << 8) | data[2 * i + 1] : data[i];
    if (v > maxval) v = maxval;
    image.rgb[i] = static_cast<std::uint8_t>((v * 255 + maxval / 2) / maxval);
  }
  image.notices.push_back(bytesPerSample == 2
                              ? "16-bit PPM converted to 8 bits per sample"
                              : "PPM with maximum value " + std::to_string(maxval) + " scaled to 0-255");
  return image;
}

void WritePpm(int fd, const std::string& path, const Image& image) {
  const std::string header =
      "P6\n" + std::to_string(image.width) + " " + std::to_string(image.height) + "\n255\n";
  WriteAll(fd, path, header.data(), header.size());
  WriteAll(fd, path, image.rgb.data(), image.rgb.size());
}

}  // namespace k7730::host
