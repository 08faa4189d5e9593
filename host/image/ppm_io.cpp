// Binary PPM (P6), 8 or 16 bits per sample, row by row from a file or a
// pipe.
#include <algorithm>
#include <cstdio>
#include <string>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/image/format_io.h"
#include "host/image/format_support.h"

namespace k7730::host {

namespace {

// The longest header accepted: three numbers with their blanks and comments.
constexpr std::size_t kMaxPpmHeaderBytes = 4096;

bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Header bytes: first those read to recognise the format, then the stream.
class HeaderReader {
 public:
  HeaderReader(std::FILE* file, const std::string& consumed) : file_(file), consumed_(consumed) {}
  int Get() {
    if (++count_ > kMaxPpmHeaderBytes) return EOF;
    if (pos_ < consumed_.size()) return static_cast<unsigned char>(consumed_[pos_++]);
    return std::fgetc(file_);
  }
 private:
  std::FILE* file_;
  std::string consumed_;
  std::size_t pos_ = 0, count_ = 0;
};

// Reads one decimal header field, skipping blanks and '#' comments before
// it, and the single character after it into `next`.
bool ReadHeaderNumber(HeaderReader& in, std::uint32_t& value, int& next) {
  int c = in.Get();
  for (;;) {
    while (IsSpace(c)) c = in.Get();
    if (c != '#') break;
    while (c != '\n' && c != EOF) c = in.Get();
  }
  if (c < '0' || c > '9') return false;
  std::uint64_t v = 0;
  while (c >= '0' && c <= '9') {
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
    if (v > 0xFFFFFFFFu) return false;
    c = in.Get();
  }
  value = static_cast<std::uint32_t>(v);
  next = c;
  return true;
}

class PpmSource : public ImageSource {
 public:
  PpmSource(const std::string& path, std::FILE* stream, std::string consumed) : path_(path), file_(stream) {
    // The magic number, from the stream when the caller read none of it.
    for (int c; consumed.size() < 2 && (c = std::fgetc(file_.file)) != EOF;) consumed.push_back(static_cast<char>(c));
    if (consumed.size() < 2 || consumed[0] != 'P') throw FileError(path, "not a PPM file");
    if (consumed[1] != '6') {
      throw FileError(path, std::string("a P") + consumed[1] + " file: only binary colour PPM (P6) is read");
    }
    HeaderReader in(file_.file, consumed.substr(2));
    std::uint32_t width = 0, height = 0;
    int next = 0;
    // The three numbers; the single blank after the last ends the header.
    if (!ReadHeaderNumber(in, width, next) || !IsSpace(next) || !ReadHeaderNumber(in, height, next) ||
        !IsSpace(next) || !ReadHeaderNumber(in, maxval_, next) || !IsSpace(next)) {
      throw FileError(path, "damaged PPM header");
    }
    if (maxval_ == 0 || maxval_ > 65535) {
      throw FileError(path, "PPM maximum value " + std::to_string(maxval_) + " is outside 1 to 65535");
    }
    CheckImageSize(path, width, height);
    bytesPerSample_ = maxval_ > 255 ? 2 : 1;
    header_.width = width;
    header_.height = height;
    // Bytes of the header that came from the stream, then the data.
    const std::uint64_t headerBytes = static_cast<std::uint64_t>(std::ftell(file_.file));
    const std::uint64_t dataBytes = std::uint64_t{width} * height * 3 * bytesPerSample_;
    const std::uint64_t fileBytes = FileSizeOf(file_.file);
    if (fileBytes != 0 && fileBytes - std::min(fileBytes, headerBytes) < dataBytes) {
      throw FileError(path, "the PPM data is truncated (" + std::to_string(fileBytes - std::min(fileBytes, headerBytes)) +
                                " of " + std::to_string(dataBytes) + " bytes)");
    }
    if (maxval_ != 255) {
      header_.notices.push_back(bytesPerSample_ == 2 ? "16-bit PPM converted to 8 bits per sample"
                                                     : "PPM with maximum value " + std::to_string(maxval_) +
                                                           " scaled to 0-255");
    }
  }

  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    if (count > header_.height - done_) throw FileError(path_, "read past the end of the PPM");
    const std::size_t samples = std::size_t{count} * header_.RowBytes();
    if (maxval_ == 255) {
      ReadExactly(rgb, samples);
    } else {
      raw_.resize(samples * bytesPerSample_);
      ReadExactly(raw_.data(), raw_.size());
      for (std::size_t i = 0; i < samples; ++i) {
        std::uint32_t v = bytesPerSample_ == 2 ? (raw_[2 * i] << 8) | raw_[2 * i + 1] : raw_[i];
        if (v > maxval_) v = maxval_;
        rgb[i] = static_cast<std::uint8_t>((v * 255 + maxval_ / 2) / maxval_);
      }
    }
    done_ += count;
  }

 private:
  void ReadExactly(std::uint8_t* out, std::size_t size) {
    const std::size_t got = std::fread(out, 1, size, file_.file);
    if (got != size) {
      throw FileError(path_, std::ferror(file_.file) != 0 ? "cannot read: " + ErrnoText()
                                                            : std::string("the PPM data is truncated"));
    }
  }

  std::string path_;
  OwnedFile file_;
  std::uint32_t maxval_ = 0;
  std::size_t bytesPerSample_ = 1;
  std::uint32_t done_ = 0;
  std::vector<std::uint8_t> raw_;
};

class PpmSink : public ImageSink {
 public:
  PpmSink(int fd, const std::string& path, const ImageHeader& header)
      : fd_(fd), path_(path), rowBytes_(header.RowBytes()) {
    const std::string text = "P6\n" + std::to_string(header.width) + " " + std::to_string(header.height) + "\n255\n";
    WriteAll(fd_, path_, text.data(), text.size());
  }
  void WriteRows(const std::uint8_t* rgb, std::uint32_t count) override {
    WriteAll(fd_, path_, rgb, rowBytes_ * count);
  }
  void Finish() override {}

 private:
  int fd_;
  std::string path_;
  std::size_t rowBytes_;
};

}  // namespace

bool IsPpm(const std::uint8_t* head, std::size_t count) {
  return count >= 2 && head[0] == 'P' && head[1] >= '1' && head[1] <= '7';
}

std::unique_ptr<ImageSource> OpenPpm(const std::string& path, std::FILE* stream, const std::string& consumed) {
  return std::make_unique<PpmSource>(path, stream, consumed);
}

std::unique_ptr<ImageSink> CreatePpmSink(int fd, const std::string& path, const ImageHeader& header,
                                         const WriteOptions&) {
  return std::make_unique<PpmSink>(fd, path, header);
}

}  // namespace k7730::host
