// WebP through libwebp, read only. The file is taken whole (libwebp
// decodes from memory), its chunks listed by libwebpdemux for the ICC
// profile and the Exif block, and the picture decoded whole on the first
// rows asked for, so that the header is known before anything is decoded.
#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>

#include "host/core/host_error.h"
#include "host/image/exif_orientation.h"
#include "host/image/format_io.h"
#include "host/image/format_support.h"

namespace k7730::host {

namespace {

// libwebp packs a lossless picture of one flat colour into about one
// byte for 76 000 bytes of pixels (8000 x 6000 grey in 1.9 kB); a header
// claiming more than three times that of its file is refused before
// anything is decoded.
constexpr std::uint64_t kBestWebpRatio = 1u << 18;
constexpr std::size_t kRiffHeaderBytes = 12;
constexpr char kExifSignature[] = "Exif\0\0";

const char* StatusWords(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "it uses a feature libwebp does not read";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "the file is cut short";
    case VP8_STATUS_BITSTREAM_ERROR: return "its image data is damaged";
    default: return "libwebp cannot decode it";
  }
}

struct DemuxDeleter {
  void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};

// The payload of the file's first chunk named `fourcc`; empty when none.
std::vector<std::uint8_t> ChunkOf(WebPDemuxer* demux, const char* fourcc) {
  WebPChunkIterator chunk;
  std::vector<std::uint8_t> bytes;
  if (WebPDemuxGetChunk(demux, fourcc, 1, &chunk) != 0) {
    bytes.assign(chunk.chunk.bytes, chunk.chunk.bytes + chunk.chunk.size);
  }
  WebPDemuxReleaseChunkIterator(&chunk);
  return bytes;
}

// The EXIF chunk holds the TIFF structure itself; the header's Exif block
// is that structure after "Exif\0\0", as a JPEG's APP1 carries it. Some
// writers put the "Exif\0\0" in the chunk already.
std::vector<std::uint8_t> ExifBlock(std::vector<std::uint8_t> chunk) {
  if (chunk.empty()) return chunk;
  if (chunk.size() >= 6 && std::memcmp(chunk.data(), kExifSignature, 6) == 0) return chunk;
  chunk.insert(chunk.begin(), kExifSignature, kExifSignature + 6);
  return chunk;
}

class WebpSource : public ImageSource {
 public:
  WebpSource(const std::string& path, std::FILE* stream, const std::string& consumed) : path_(path) {
    {
      OwnedFile file(stream);
      bytes_ = ReadWholeStream(path, file.file, consumed, kMaxWholeFileBytes, "WebP");
    }
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(bytes_.data(), bytes_.size(), &features);
    if (status != VP8_STATUS_OK) Fail(StatusWords(status));
    if (features.has_animation != 0) {
      throw FileError(path, "an animated WebP: only still pictures are printed");
    }
    CheckImageSize(path, static_cast<std::uint32_t>(features.width), static_cast<std::uint32_t>(features.height));
    CheckImageData(path, std::uint64_t(features.width) * std::uint64_t(features.height) * 3, bytes_.size(),
                   kBestWebpRatio);
    header_.width = static_cast<std::uint32_t>(features.width);
    header_.height = static_cast<std::uint32_t>(features.height);
    alpha_ = features.has_alpha != 0;
    if (alpha_) header_.notices.push_back("transparency composited onto white paper");
    ReadChunks();
  }

  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    if (count > header_.height - done_) throw FileError(path_, "read past the end of the WebP");
    DecodeWhole();
    const std::size_t channels = alpha_ ? 4 : 3;
    const std::size_t stride = std::size_t{header_.width} * channels;
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* row = pixels_.data() + (std::size_t{done_} + i) * stride;
      std::uint8_t* out = rgb + i * header_.RowBytes();
      if (!alpha_) {
        std::memcpy(out, row, stride);
        continue;
      }
      for (std::uint32_t x = 0; x < header_.width; ++x) {
        for (int c = 0; c < 3; ++c) out[x * 3 + c] = OverWhite(row[x * 4 + c], row[x * 4 + 3], false);
      }
    }
    done_ += count;
    if (done_ == header_.height) pixels_ = {};
  }

 private:
  // The whole RIFF structure is checked here, so a file cut short or with
  // chunk sizes past its end is refused before anything is decoded.
  void ReadChunks() {
    const WebPData data = {bytes_.data(), bytes_.size()};
    const std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&data));
    if (!demux) Fail("its chunks are damaged or the file is cut short");
    const std::uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    if ((flags & ICCP_FLAG) != 0) {
      header_.iccProfile = ChunkOf(demux.get(), "ICCP");
      if (header_.iccProfile.empty()) header_.iccProblem = "its ICCP chunk is missing or empty";
    }
    if ((flags & EXIF_FLAG) != 0) {
      header_.exif = ExifBlock(ChunkOf(demux.get(), "EXIF"));
      header_.orientation = ExifOrientation(header_.exif);
    }
  }

  void DecodeWhole() {
    if (decoded_) return;
    WebPDecoderConfig config;
    if (WebPInitDecoderConfig(&config) == 0) Fail("libwebp's version does not match");
    const std::size_t channels = alpha_ ? 4 : 3;
    const std::size_t stride = std::size_t{header_.width} * channels;
    pixels_.resize(stride * header_.height);
    config.output.colorspace = alpha_ ? MODE_RGBA : MODE_RGB;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = pixels_.data();
    config.output.u.RGBA.stride = static_cast<int>(stride);
    config.output.u.RGBA.size = pixels_.size();
    const VP8StatusCode status = WebPDecode(bytes_.data(), bytes_.size(), &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) Fail(StatusWords(status));
    decoded_ = true;
    bytes_ = {};
  }

  [[noreturn]] void Fail(const char* why) const {
    throw FileError(path_, std::string("damaged or unreadable WebP: ") + why);
  }

  std::string path_;
  std::vector<std::uint8_t> bytes_, pixels_;
  bool alpha_ = false;
  bool decoded_ = false;
  std::uint32_t done_ = 0;
};

}  // namespace

bool IsWebp(const std::uint8_t* head, std::size_t count) {
  return count >= kRiffHeaderBytes && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "WEBP", 4) == 0;
}

std::unique_ptr<ImageSource> OpenWebp(const std::string& path, std::FILE* stream, const std::string& consumed) {
  return std::make_unique<WebpSource>(path, stream, consumed);
}

}  // namespace k7730::host
