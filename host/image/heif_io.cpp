// HEIF (HEIC and AVIF) through libheif, read only. libheif reads from
// memory, so the file is taken whole; the primary picture is decoded whole
// on the first rows asked for, to 8-bit RGB, so that the header (size,
// profile, notices) is known before anything is decoded. libheif turns the
// picture upright itself (the irot and imir boxes) while decoding, so the
// header's orientation stays 1 and nothing turns it a second time.
#include <libheif/heif.h>

#include <cstring>
#include <string_view>

#include "host/core/host_error.h"
#include "host/image/format_io.h"
#include "host/image/format_support.h"

namespace k7730::host {

namespace {

// AV1 codes a flat picture in a few bits per 128 x 128 block: 8000 x 6000
// grey fits in 928 bytes, 155 000 bytes of pixels for each, and the ratio
// grows with the size. A header claiming more than this for each byte of
// its file is refused before anything is decoded.
constexpr std::uint64_t kBestHeifRatio = 1u << 22;
// libheif's own default bound on a side, kept: it counts pixels in int.
constexpr int kMaxHeifSide = 1 << 15;
constexpr std::size_t kFtypHeadBytes = 16;   // size, "ftyp", major brand, minor version
constexpr std::string_view kBrands[] = {"heic", "heix", "heim", "heis", "hevc",
                                        "hevx", "mif1", "msf1", "avif", "avis"};

bool KnownBrand(const std::uint8_t* brand) {
  const std::string_view text(reinterpret_cast<const char*>(brand), 4);
  for (std::string_view known : kBrands) {
    if (text == known) return true;
  }
  return false;
}

struct HeifDeleter {
  void operator()(heif_context* context) const { heif_context_free(context); }
  void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
  void operator()(heif_image* image) const { heif_image_release(image); }
  void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
  void operator()(heif_color_profile_nclx* nclx) const { heif_nclx_color_profile_free(nclx); }
};
template <typename T>
using HeifPtr = std::unique_ptr<T, HeifDeleter>;

// A colour description of sRGB's primaries (or none said) and the sRGB
// curve (or none said) is what a picture without a profile is taken as.
bool SrgbLike(const heif_color_profile_nclx& nclx) {
  const bool primaries = nclx.color_primaries == heif_color_primaries_ITU_R_BT_709_5 ||
                         nclx.color_primaries == heif_color_primaries_unspecified;
  const bool transfer = nclx.transfer_characteristics == heif_transfer_characteristic_IEC_61966_2_1 ||
                        nclx.transfer_characteristics == heif_transfer_characteristic_unspecified;
  return primaries && transfer;
}

std::string NclxNotice(const heif_color_profile_nclx& nclx) {
  return "HEIF colour description (primaries " + std::to_string(int(nclx.color_primaries)) + ", transfer " +
         std::to_string(int(nclx.transfer_characteristics)) + ") is not used: the picture is taken as sRGB";
}

class HeifSource : public ImageSource {
 public:
  HeifSource(const std::string& path, std::FILE* stream, const std::string& consumed) : path_(path) {
    {
      OwnedFile file(stream);
      bytes_ = ReadWholeStream(path, file.file, consumed, kMaxWholeFileBytes, "HEIF");
    }
    context_.reset(heif_context_alloc());
    if (!context_) throw FileError(path, "out of memory reading HEIF");
    heif_context_set_maximum_image_size_limit(context_.get(), kMaxHeifSide);
    Check(heif_context_read_from_memory_without_copy(context_.get(), bytes_.data(), bytes_.size(), nullptr));
    heif_image_handle* handle = nullptr;
    Check(heif_context_get_primary_image_handle(context_.get(), &handle));
    handle_.reset(handle);
    const int width = heif_image_handle_get_width(handle);
    const int height = heif_image_handle_get_height(handle);
    CheckImageSize(path, static_cast<std::uint32_t>(width > 0 ? width : 0),
                   static_cast<std::uint32_t>(height > 0 ? height : 0));
    CheckImageData(path, std::uint64_t(width) * std::uint64_t(height) * 3, bytes_.size(), kBestHeifRatio);
    header_.width = static_cast<std::uint32_t>(width);
    header_.height = static_cast<std::uint32_t>(height);
    const int bits = heif_image_handle_get_luma_bits_per_pixel(handle);
    if (bits > 8) header_.notices.push_back(std::to_string(bits) + "-bit HEIF converted to 8 bits per sample");
    alpha_ = heif_image_handle_has_alpha_channel(handle) != 0;
    premultiplied_ = alpha_ && heif_image_handle_is_premultiplied_alpha(handle) != 0;
    if (alpha_) header_.notices.push_back("transparency composited onto white paper");
    ReadColour();
  }

  void ReadRows(std::uint8_t* rgb, std::uint32_t count) override {
    if (count > header_.height - done_) throw FileError(path_, "read past the end of the HEIF");
    const std::uint8_t* plane = Decoded();
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint8_t* row = plane + (std::size_t{done_} + i) * stride_;
      std::uint8_t* out = rgb + i * header_.RowBytes();
      if (!alpha_) {
        std::memcpy(out, row, header_.RowBytes());
        continue;
      }
      for (std::uint32_t x = 0; x < header_.width; ++x) {
        for (int c = 0; c < 3; ++c) out[x * 3 + c] = OverWhite(row[x * 4 + c], row[x * 4 + 3], premultiplied_);
      }
    }
    done_ += count;
    if (done_ == header_.height) Release();
  }

 private:
  // An ICC profile (prof or rICC) is the picture's; a colour description
  // (nclx) other than sRGB's is reported, as no profile is made for it.
  void ReadColour() {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle_.get());
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
      std::vector<std::uint8_t> profile(heif_image_handle_get_raw_color_profile_size(handle_.get()));
      const heif_error error = heif_image_handle_get_raw_color_profile(handle_.get(), profile.data());
      if (error.code != heif_error_Ok || profile.empty()) {
        header_.iccProblem = std::string("its colour profile box cannot be read (") + error.message + ")";
      } else {
        header_.iccProfile = std::move(profile);
      }
      return;
    }
    heif_color_profile_nclx* nclx = nullptr;
    if (heif_image_handle_get_nclx_color_profile(handle_.get(), &nclx).code != heif_error_Ok) return;
    const HeifPtr<heif_color_profile_nclx> owned(nclx);
    if (nclx != nullptr && !SrgbLike(*nclx)) header_.notices.push_back(NclxNotice(*nclx));
  }

  const std::uint8_t* Decoded() {
    if (image_) return plane_;
    const HeifPtr<heif_decoding_options> options(heif_decoding_options_alloc());
    if (!options) throw FileError(path_, "out of memory reading HEIF");
    options->convert_hdr_to_8bit = 1;
    options->strict_decoding = 1;
    heif_image* image = nullptr;
    Check(heif_decode_image(handle_.get(), &image, heif_colorspace_RGB,
                            alpha_ ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()));
    image_.reset(image);
    int stride = 0;
    plane_ = heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    const std::size_t channels = alpha_ ? 4 : 3;
    if (plane_ == nullptr || heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) != 8 ||
        heif_image_get_width(image, heif_channel_interleaved) != int(header_.width) ||
        heif_image_get_height(image, heif_channel_interleaved) != int(header_.height) ||
        stride < 0 || std::size_t(stride) < header_.width * channels) {
      throw FileError(path_, "damaged or unreadable HEIF: the decoded picture is not the size its header says");
    }
    stride_ = static_cast<std::size_t>(stride);
    return plane_;
  }

  // The decoded pixels, the file's bytes and libheif's state go once the
  // last row is out.
  void Release() {
    image_.reset();
    handle_.reset();
    context_.reset();
    bytes_ = {};
  }

  void Check(const heif_error& error) const {
    if (error.code == heif_error_Ok) return;
    throw FileError(path_, std::string("damaged or unreadable HEIF: ") + error.message);
  }

  std::string path_;
  std::vector<std::uint8_t> bytes_;   // read by libheif without a copy: outlives context_
  HeifPtr<heif_context> context_;
  HeifPtr<heif_image_handle> handle_;
  HeifPtr<heif_image> image_;
  const std::uint8_t* plane_ = nullptr;
  std::size_t stride_ = 0;
  bool alpha_ = false;
  bool premultiplied_ = false;
  std::uint32_t done_ = 0;
};

}  // namespace

bool IsHeif(const std::uint8_t* head, std::size_t count) {
  if (count < kFtypHeadBytes || std::memcmp(head + 4, "ftyp", 4) != 0) return false;
  const std::uint32_t boxBytes = std::uint32_t{head[0]} << 24 | std::uint32_t{head[1]} << 16 |
                                 std::uint32_t{head[2]} << 8 | head[3];
  if (boxBytes < kFtypHeadBytes) return false;
  if (KnownBrand(head + 8)) return true;
  // The compatible brands follow the minor version, up to the box's end.
  const std::size_t end = std::min<std::size_t>(count, boxBytes);
  for (std::size_t at = kFtypHeadBytes; at + 4 <= end; at += 4) {
    if (KnownBrand(head + at)) return true;
  }
  return false;
}

std::unique_ptr<ImageSource> OpenHeif(const std::string& path, std::FILE* stream, const std::string& consumed) {
  return std::make_unique<HeifSource>(path, stream, consumed);
}

}  // namespace k7730::host
