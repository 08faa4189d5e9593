#include "support/photo_files.h"

#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <memory>

#include "support/temp_files.h"

namespace k7730::host::test {

namespace {

std::vector<std::uint8_t> EncodeWebp(std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
                                     const WebpFileOptions& o) {
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  const int stride = w * (o.alpha ? 4 : 3);
  std::uint8_t* out = nullptr;
  std::size_t size = 0;
  if (o.lossless) {
    size = o.alpha ? WebPEncodeLosslessRGBA(pixels.data(), w, h, stride, &out)
                   : WebPEncodeLosslessRGB(pixels.data(), w, h, stride, &out);
  } else {
    size = o.alpha ? WebPEncodeRGBA(pixels.data(), w, h, stride, 90, &out)
                   : WebPEncodeRGB(pixels.data(), w, h, stride, 90, &out);
  }
  std::vector<std::uint8_t> bytes(out, out + size);
  WebPFree(out);
  return bytes;
}

// The file with ICCP and EXIF chunks added by libwebpmux.
std::vector<std::uint8_t> AddChunks(const std::vector<std::uint8_t>& plain, const WebpFileOptions& o) {
  const WebPData in = {plain.data(), plain.size()};
  WebPMux* mux = WebPMuxCreate(&in, 1);
  EXPECT_NE(mux, nullptr);
  if (mux == nullptr) return plain;
  if (!o.icc.empty()) {
    const WebPData icc = {o.icc.data(), o.icc.size()};
    EXPECT_EQ(WebPMuxSetChunk(mux, "ICCP", &icc, 1), WEBP_MUX_OK);
  }
  if (!o.exif.empty()) {
    const WebPData exif = {o.exif.data(), o.exif.size()};
    EXPECT_EQ(WebPMuxSetChunk(mux, "EXIF", &exif, 1), WEBP_MUX_OK);
  }
  WebPData out;
  WebPDataInit(&out);
  EXPECT_EQ(WebPMuxAssemble(mux, &out), WEBP_MUX_OK);
  std::vector<std::uint8_t> bytes(out.bytes, out.bytes + out.size);
  WebPDataClear(&out);
  WebPMuxDelete(mux);
  return bytes;
}

#define ASSERT_HEIF_OK(call)                                  \
  do {                                                        \
    const heif_error e_ = (call);                             \
    ASSERT_EQ(e_.code, heif_error_Ok) << #call << ": " << e_.message; \
  } while (0)

// The picture as libheif takes it: interleaved RGB(A) of 8 bits, of more
// bits little-endian, or one grey plane.
void FillImage(heif_image** made, std::uint32_t width, std::uint32_t height, const std::vector<std::uint8_t>& pixels,
               const HeifFileOptions& o) {
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  const bool grey = o.channels == 1;
  const bool alpha = o.channels == 4;
  const heif_chroma chroma = grey          ? heif_chroma_monochrome
                             : o.bits == 8 ? (alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB)
                                           : (alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE);
  const heif_channel channel = grey ? heif_channel_Y : heif_channel_interleaved;
  ASSERT_HEIF_OK(heif_image_create(w, h, grey ? heif_colorspace_monochrome : heif_colorspace_RGB, chroma, made));
  ASSERT_HEIF_OK(heif_image_add_plane(*made, channel, w, h, o.bits));
  int stride = 0;
  std::uint8_t* plane = heif_image_get_plane(*made, channel, &stride);
  const std::size_t rowSamples = std::size_t(width) * o.channels;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::size_t i = 0; i < rowSamples; ++i) {
      const std::uint32_t v = pixels[y * rowSamples + i];
      if (o.bits == 8) {
        plane[y * stride + i] = std::uint8_t(v);
      } else {
        const std::uint32_t wide = (v * ((1u << o.bits) - 1) + 127) / 255;
        plane[y * stride + 2 * i] = std::uint8_t(wide & 0xFF);
        plane[y * stride + 2 * i + 1] = std::uint8_t(wide >> 8);
      }
    }
  }
  if (!o.icc.empty()) ASSERT_HEIF_OK(heif_image_set_raw_color_profile(*made, "prof", o.icc.data(), o.icc.size()));
  if (o.primaries != 0) {
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    heif_nclx_color_profile_set_color_primaries(nclx, std::uint16_t(o.primaries));
    heif_nclx_color_profile_set_transfer_characteristics(nclx, std::uint16_t(o.transfer));
    nclx->matrix_coefficients = heif_matrix_coefficients_ITU_R_BT_601_6;
    nclx->full_range_flag = 1;
    const heif_error e = heif_image_set_nclx_color_profile(*made, nclx);
    heif_nclx_color_profile_free(nclx);
    ASSERT_EQ(e.code, heif_error_Ok) << e.message;
  }
}

void Encode(heif_context* context, heif_image* image, const HeifFileOptions& o) {
  const heif_compression_format format = o.codec == HeifCodec::Hevc ? heif_compression_HEVC : heif_compression_AV1;
  ASSERT_TRUE(heif_have_encoder_for_format(format))
      << "libheif has no " << (o.codec == HeifCodec::Hevc ? "HEVC (x265)" : "AV1 (aom)") << " encoder";
  heif_encoder* encoder = nullptr;
  ASSERT_HEIF_OK(heif_context_get_encoder_for_format(context, format, &encoder));
  heif_encoder_set_lossy_quality(encoder, o.quality);
  // As cameras and most converters write them.
  ASSERT_HEIF_OK(heif_encoder_set_parameter_string(encoder, "chroma", "420"));
  heif_encoding_options* options = heif_encoding_options_alloc();
  // The nclx box is the one given, or none at all.
  options->macOS_compatibility_workaround_no_nclx_profile = 0;
  options->image_orientation = static_cast<heif_orientation>(o.orientation);
  const heif_error e = heif_context_encode_image(context, image, encoder, options, nullptr);
  heif_encoding_options_free(options);
  heif_encoder_release(encoder);
  ASSERT_EQ(e.code, heif_error_Ok) << e.message;
}

}  // namespace

void WriteWebpFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                   const std::vector<std::uint8_t>& pixels, const WebpFileOptions& options) {
  std::vector<std::uint8_t> bytes = EncodeWebp(width, height, pixels, options);
  ASSERT_FALSE(bytes.empty()) << "libwebp could not encode the picture";
  if (!options.icc.empty() || !options.exif.empty()) bytes = AddChunks(bytes, options);
  testing_files::WriteBytes(path, bytes);
}

void WriteHeifFile(const std::string& path, std::uint32_t width, std::uint32_t height,
                   const std::vector<std::uint8_t>& pixels, const HeifFileOptions& options) {
  heif_context* context = heif_context_alloc();
  heif_image* image = nullptr;
  FillImage(&image, width, height, pixels, options);
  if (!::testing::Test::HasFatalFailure()) Encode(context, image, options);
  if (!::testing::Test::HasFatalFailure()) {
    const heif_error e = heif_context_write_to_file(context, path.c_str());
    EXPECT_EQ(e.code, heif_error_Ok) << e.message;
  }
  if (image != nullptr) heif_image_release(image);
  heif_context_free(context);
}

}  // namespace k7730::host::test

// x265 keeps a few allocations of each encoder it opens until the process
// ends; they are the test encoder's, not the reader's, so LeakSanitizer is
// told to leave them out in every test that makes HEIC files.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }
