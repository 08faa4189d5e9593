// WebP and HEIF (HEIC and AVIF) photos, made by libwebp's and libheif's own
// encoders: pixels, embedded profiles and colour descriptions, orientation
// (turned once), transparency, deep and grey pictures, and damaged or
// hostile files refused with a reason naming the file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "host/core/file_bytes.h"
#include "host/core/host_error.h"
#include "host/image/image_formats.h"
#include "host/image/oriented_source.h"
#include "support/photo_files.h"
#include "support/test_images.h"

namespace k7730::host {
namespace {

using test::HeifCodec;
using Bytes = std::vector<std::uint8_t>;

// Lossy coding of a smooth picture: no sample further than this from the
// source, and on average within a few levels.
constexpr int kLossyMaxError = 24;
constexpr double kLossyMeanError = 3.0;

// A smooth picture that is told apart from its turns and mirrors, with
// `channels` samples a pixel (the fourth a ramp of transparency).
Bytes Smooth(std::uint32_t w, std::uint32_t h, int channels) {
  Bytes p(std::size_t(w) * h * channels);
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      std::uint8_t* px = &p[(std::size_t(y) * w + x) * channels];
      const int v[4] = {int(40 + 170 * x / w), int(30 + 190 * y / h), int(200 - 120 * (x + y) / (w + h)),
                        int(255 * x / w)};
      for (int c = 0; c < channels; ++c) px[c] = std::uint8_t(channels == 1 ? v[1] : v[c]);
    }
  }
  return p;
}

Bytes OverWhitePixels(const Bytes& rgba) {
  Bytes rgb;
  for (std::size_t i = 0; i < rgba.size(); i += 4) {
    for (int c = 0; c < 3; ++c) rgb.push_back(OverWhite(rgba[i + c], rgba[i + 3], false));
  }
  return rgb;
}

Bytes GreyToRgb(const Bytes& grey) {
  Bytes rgb;
  for (std::uint8_t v : grey) rgb.insert(rgb.end(), {v, v, v});
  return rgb;
}

// The picture turned 90 degrees clockwise: what orientation 6 shows.
Bytes TurnedClockwise(const Bytes& rgb, std::uint32_t w, std::uint32_t h) {
  Bytes out(rgb.size());
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w; ++x) {
      const std::size_t to = (std::size_t(x) * h + (h - 1 - y)) * 3;
      std::memcpy(&out[to], &rgb[(std::size_t(y) * w + x) * 3], 3);
    }
  }
  return out;
}

::testing::AssertionResult Near(const Bytes& got, const Bytes& want) {
  if (got.size() != want.size()) {
    return ::testing::AssertionFailure() << "sizes " << got.size() << " and " << want.size();
  }
  double sum = 0;
  int worst = 0;
  for (std::size_t i = 0; i < got.size(); ++i) {
    const int d = std::abs(int(got[i]) - int(want[i]));
    sum += d;
    worst = std::max(worst, d);
  }
  const double mean = sum / double(got.size());
  if (worst <= kLossyMaxError && mean <= kLossyMeanError) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "largest difference " << worst << ", mean " << mean;
}

bool Has(const std::vector<std::string>& notices, const std::string& words) {
  return std::any_of(notices.begin(), notices.end(),
                     [&](const std::string& n) { return n.find(words) != std::string::npos; });
}

class PhotoFormats : public test::ScratchFolder {
 protected:
  std::string Refusal(const std::string& name) const {
    const std::string why = test::ReadRefusal(Path(name));
    EXPECT_EQ(why.rfind(Path(name), 0), 0u) << "the refusal names the file: " << why;
    return why;
  }
  Bytes Profile() const { return ReadFileBytes(std::string(K7730_PROFILE_FOLDER) + "/A17D50.ICC", 1 << 20); }
};

TEST_F(PhotoFormats, LosslessWebpReadsBackExactlyWithItsProfileAndTransparency) {
  const std::uint32_t w = 37, h = 23;
  const Bytes rgb = test::NoisePixels(w, h, 3);
  test::WriteWebpFile(Path("a.webp"), w, h, rgb, {.icc = Profile()});
  EXPECT_EQ(DetectFormat(Path("a.webp")), ImageFormat::Webp);
  const Image read = ReadImage(Path("a.webp"));
  EXPECT_EQ(read.rgb, rgb);
  EXPECT_EQ(read.iccProfile, Profile());
  EXPECT_TRUE(read.notices.empty());
  for (std::uint32_t band : {1u, 5u, 23u}) EXPECT_EQ(test::ReadInBands(*OpenImage(Path("a.webp")), band), rgb);
  EXPECT_EQ(ReadImageAs(ImageFormat::Webp, Path("a.webp")).rgb, rgb);

  const Bytes rgba = Smooth(w, h, 4);
  test::WriteWebpFile(Path("alpha.webp"), w, h, rgba, {.alpha = true});
  const Image clear = ReadImage(Path("alpha.webp"));
  EXPECT_EQ(clear.rgb, OverWhitePixels(rgba));
  EXPECT_TRUE(Has(clear.notices, "transparency composited onto white paper"));

  test::WriteWebpFile(Path("lossy.webp"), w, h, Smooth(w, h, 3), {.lossless = false});
  EXPECT_TRUE(Near(ReadImage(Path("lossy.webp")).rgb, Smooth(w, h, 3)));
}

TEST_F(PhotoFormats, WebpExifOrientationTurnsThePictureOnce) {
  const std::uint32_t w = 24, h = 16;
  const Bytes rgb = test::NoisePixels(w, h, 4);
  const Bytes exif = test::ExifWithOrientation(6);
  // The chunk holds the TIFF structure alone, or (some writers) after "Exif\0\0".
  test::WriteWebpFile(Path("bare.webp"), w, h, rgb, {.exif = Bytes(exif.begin() + 6, exif.end())});
  test::WriteWebpFile(Path("marked.webp"), w, h, rgb, {.exif = exif});
  for (const char* name : {"bare.webp", "marked.webp"}) {
    SCOPED_TRACE(name);
    const auto source = OpenImage(Path(name));
    EXPECT_EQ(source->Header().orientation, 6);
    EXPECT_EQ(source->Header().exif, exif);
    const auto upright = TurnUpright(OpenImage(Path(name)));
    EXPECT_EQ(upright->Header().width, h);
    EXPECT_EQ(test::ReadInBands(*upright, 7), TurnedClockwise(rgb, w, h));
  }
}

TEST_F(PhotoFormats, HeicAndAvifReadWithinTheLossOfTheirCoding) {
  const std::uint32_t w = 64, h = 48;
  const Bytes rgb = Smooth(w, h, 3);
  test::WriteHeifFile(Path("a.heic"), w, h, rgb, {.codec = HeifCodec::Hevc});
  test::WriteHeifFile(Path("a.avif"), w, h, rgb, {.codec = HeifCodec::Av1});
  test::WriteHeifFile(Path("deep.avif"), w, h, rgb, {.codec = HeifCodec::Av1, .bits = 12});
  test::WriteHeifFile(Path("deep.heic"), w, h, rgb, {.codec = HeifCodec::Hevc, .bits = 10});
  for (const char* name : {"a.heic", "a.avif", "deep.avif", "deep.heic"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DetectFormat(Path(name)), ImageFormat::Heif);
    const Image read = ReadImage(Path(name));
    EXPECT_EQ(read.width, w);
    EXPECT_EQ(read.orientation, 1);
    EXPECT_TRUE(read.iccProfile.empty());
    EXPECT_TRUE(Near(read.rgb, rgb));
    EXPECT_EQ(Has(read.notices, "-bit HEIF converted to 8 bits per sample"), name[0] == 'd');
    EXPECT_EQ(test::ReadInBands(*OpenImage(Path(name)), 5), read.rgb);
  }
  EXPECT_TRUE(Has(ReadImage(Path("deep.heic")).notices, "10-bit"));

  const Bytes grey = Smooth(w, h, 1);
  test::WriteHeifFile(Path("grey.heic"), w, h, grey, {.codec = HeifCodec::Hevc, .channels = 1});
  EXPECT_TRUE(Near(ReadImage(Path("grey.heic")).rgb, GreyToRgb(grey)));

  const Bytes rgba = Smooth(w, h, 4);
  test::WriteHeifFile(Path("alpha.avif"), w, h, rgba, {.codec = HeifCodec::Av1, .channels = 4});
  const Image clear = ReadImage(Path("alpha.avif"));
  EXPECT_TRUE(Near(clear.rgb, OverWhitePixels(rgba)));
  EXPECT_TRUE(Has(clear.notices, "transparency composited onto white paper"));
}

TEST_F(PhotoFormats, RotatedHeicComesOutUprightOnce) {
  const std::uint32_t w = 64, h = 32;
  const Bytes rgb = Smooth(w, h, 3);
  test::WriteHeifFile(Path("turned.heic"), w, h, rgb, {.codec = HeifCodec::Hevc, .orientation = 6});
  const auto source = OpenImage(Path("turned.heic"));
  // libheif turns it while decoding; nothing is left for TurnUpright.
  EXPECT_EQ(source->Header().orientation, 1);
  EXPECT_EQ(source->Header().width, h);
  EXPECT_EQ(source->Header().height, w);
  EXPECT_TRUE(Near(test::ReadInBands(*TurnUpright(OpenImage(Path("turned.heic"))), 9), TurnedClockwise(rgb, w, h)));
}

TEST_F(PhotoFormats, HeifProfileIsKeptAndOnlyAnSrgbColourDescriptionGoesWithoutANotice) {
  const std::uint32_t w = 32, h = 32;
  const Bytes rgb = Smooth(w, h, 3);
  test::WriteHeifFile(Path("profile.heic"), w, h, rgb, {.icc = Profile()});
  test::WriteHeifFile(Path("srgb.avif"), w, h, rgb, {.codec = HeifCodec::Av1, .primaries = 1, .transfer = 13});
  test::WriteHeifFile(Path("unsaid.heic"), w, h, rgb, {.primaries = 2, .transfer = 2});
  test::WriteHeifFile(Path("p3.heic"), w, h, rgb, {.primaries = 12, .transfer = 13});
  test::WriteHeifFile(Path("pq.avif"), w, h, rgb, {.codec = HeifCodec::Av1, .primaries = 9, .transfer = 16});
  EXPECT_EQ(ReadImage(Path("profile.heic")).iccProfile, Profile());
  for (const char* name : {"srgb.avif", "unsaid.heic", "p3.heic", "pq.avif"}) {
    SCOPED_TRACE(name);
    const Image read = ReadImage(Path(name));
    EXPECT_TRUE(read.iccProfile.empty());
    const bool srgb = name[0] == 's' || name[0] == 'u';
    EXPECT_EQ(Has(read.notices, "colour description"), !srgb);
    EXPECT_EQ(Has(read.notices, "is not used"), !srgb);
  }
}

// The offset of the first `fourcc` in the file; fails the test when none.
std::size_t Find(const Bytes& bytes, const char* fourcc) {
  const auto at = std::search(bytes.begin(), bytes.end(), fourcc, fourcc + 4);
  EXPECT_NE(at, bytes.end()) << fourcc;
  return std::size_t(at - bytes.begin());
}

void PutBig32(Bytes& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = std::uint8_t(v >> (24 - 8 * i));
}

// Every picture's size box (of the coded picture and of the grid that
// crops it) says width x height.
void PutSizes(Bytes& heif, std::uint32_t width, std::uint32_t height) {
  const char kIspe[] = "ispe";
  for (auto at = heif.begin(); (at = std::search(at, heif.end(), kIspe, kIspe + 4)) != heif.end(); ++at) {
    PutBig32(heif, std::size_t(at - heif.begin()) + 8, width);
    PutBig32(heif, std::size_t(at - heif.begin()) + 12, height);
  }
}

TEST_F(PhotoFormats, DamagedFilesAreRefusedWithAReason) {
  const std::uint32_t w = 96, h = 64;
  test::WriteWebpFile(Path("good.webp"), w, h, test::NoisePixels(w, h, 8), {.icc = Profile()});
  test::WriteHeifFile(Path("good.heic"), w, h, Smooth(w, h, 3), {});
  test::WriteHeifFile(Path("good.avif"), w, h, Smooth(w, h, 3), {.codec = HeifCodec::Av1});
  const Bytes webp = test::ReadBytes(Path("good.webp"));
  const Bytes heic = test::ReadBytes(Path("good.heic"));
  const Bytes avif = test::ReadBytes(Path("good.avif"));
  test::WriteBytes(Path("cut.webp"), Bytes(webp.begin(), webp.begin() + long(webp.size() * 2 / 3)));
  test::WriteBytes(Path("cut-header.webp"), Bytes(webp.begin(), webp.begin() + 20));
  Bytes garbled = webp;
  std::fill(garbled.end() - long(webp.size() / 3), garbled.end(), 0xA5);
  test::WriteBytes(Path("garbled.webp"), garbled);
  test::WriteBytes(Path("cut.heic"), Bytes(heic.begin(), heic.begin() + long(heic.size() * 2 / 3)));
  test::WriteBytes(Path("cut.avif"), Bytes(avif.begin(), avif.begin() + long(avif.size() / 2)));
  test::WriteBytes(Path("head-only.heic"), Bytes(heic.begin(), heic.begin() + 40));
  // The item locations point past the end of the file.
  Bytes moved = heic;
  const std::size_t iloc = Find(moved, "iloc");
  for (std::size_t i = iloc + 8; i < std::min(moved.size(), iloc + 40); ++i) moved[i] = 0x7F;
  test::WriteBytes(Path("bad-iloc.heic"), moved);
  for (const char* name : {"cut.webp", "cut-header.webp", "garbled.webp"}) {
    EXPECT_NE(Refusal(name).find("WebP"), std::string::npos) << name;
  }
  for (const char* name : {"cut.heic", "cut.avif", "head-only.heic", "bad-iloc.heic"}) {
    EXPECT_NE(Refusal(name).find("HEIF"), std::string::npos) << name;
  }
}

TEST_F(PhotoFormats, HeadersClaimingMoreThanTheFileHoldsAreRefusedBeforeDecoding) {
  test::WriteWebpFile(Path("small.webp"), 16, 16, test::NoisePixels(16, 16, 9), {});
  Bytes webp = test::ReadBytes(Path("small.webp"));
  // The lossless header after "VP8L", its length and the signature byte:
  // 14 bits of width - 1, then 14 of height - 1.
  const std::size_t vp8l = Find(webp, "VP8L") + 9;
  const std::uint32_t sides = 0x3FFFu | (0x3FFFu << 14) | (std::uint32_t(webp[vp8l + 3]) & 0xF0u) << 24;
  for (int i = 0; i < 4; ++i) webp[vp8l + i] = std::uint8_t(sides >> (8 * i));
  test::WriteBytes(Path("claims.webp"), webp);
  EXPECT_NE(Refusal("claims.webp").find("cannot hold the 805306368 bytes its header claims"), std::string::npos);

  test::WriteHeifFile(Path("small.heic"), 16, 16, Smooth(16, 16, 3), {});
  Bytes heic = test::ReadBytes(Path("small.heic"));
  PutSizes(heic, 30000, 20000);
  test::WriteBytes(Path("huge.heic"), heic);
  EXPECT_NE(Refusal("huge.heic").find("too large (30000 x 20000 pixels)"), std::string::npos);
  // Within the limits, a size that the coded picture does not have.
  PutSizes(heic, 2000, 1500);
  test::WriteBytes(Path("claims.heic"), heic);
  EXPECT_NE(Refusal("claims.heic").find("HEIF"), std::string::npos);
  PutSizes(heic, 40000, 18000);
  test::WriteBytes(Path("wide.heic"), heic);
  EXPECT_NE(Refusal("wide.heic").find("HEIF"), std::string::npos);
}

TEST_F(PhotoFormats, SignaturesNeedTheirWholeMarkAndAKnownBrand) {
  const auto is = [](ImageFormat format, const std::string& head) {
    return FormatInfo(format).matches(reinterpret_cast<const std::uint8_t*>(head.data()), head.size());
  };
  using namespace std::string_literals;
  EXPECT_TRUE(is(ImageFormat::Webp, "RIFF\x10\0\0\0WEBPVP8L"s));
  EXPECT_FALSE(is(ImageFormat::Webp, "RIFF\x10\0\0\0WAVEfmt "s));
  EXPECT_FALSE(is(ImageFormat::Webp, "RIFF\x10\0\0\0WEB"s));
  // The brand may be the major one or a compatible one within the box.
  EXPECT_TRUE(is(ImageFormat::Heif, "\0\0\0\x18" "ftypavif\0\0\0\0mif1miaf"s));
  EXPECT_TRUE(is(ImageFormat::Heif, "\0\0\0\x18" "ftypisom\0\0\0\0mif1heic"s));
  EXPECT_FALSE(is(ImageFormat::Heif, "\0\0\0\x18" "ftypisom\0\0\0\0mp41iso2"s));
  EXPECT_FALSE(is(ImageFormat::Heif, "\0\0\0\x10" "ftypisom\0\0\0\0heic"s)) << "past the box's end";
  EXPECT_FALSE(is(ImageFormat::Heif, "\0\0\0\x18" "ftypheic\0\0\0"s)) << "cut within the box's head";
}

}  // namespace
}  // namespace k7730::host
