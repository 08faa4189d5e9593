#include "tools/win32_resources/image_files.h"

namespace k7730::resgen {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;

class ByteWriter {
 public:
  void U8(std::uint8_t v) { bytes_.push_back(v); }
  void U16(std::uint16_t v) {
    U8(static_cast<std::uint8_t>(v));
    U8(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  std::vector<std::uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

void InfoHeader(ByteWriter& w, std::int32_t width, std::int32_t height, std::uint16_t bits,
                std::uint32_t imageSize) {
  w.U32(kInfoHeaderSize);
  w.U32(static_cast<std::uint32_t>(width));
  w.U32(static_cast<std::uint32_t>(height));
  w.U16(1);  // planes
  w.U16(bits);
  w.U32(0);  // BI_RGB
  w.U32(imageSize);
  w.U32(3780);  // 96 dpi in pixels per metre
  w.U32(3780);
  w.U32(0);  // every palette entry used
  w.U32(0);
}

void PaletteEntryBgr(ByteWriter& w, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  w.U8(b);
  w.U8(g);
  w.U8(r);
  w.U8(0);
}

std::uint32_t RowBytes(int width, int bits) { return ((static_cast<std::uint32_t>(width) * bits + 31) / 32) * 4; }

}  // namespace

std::vector<std::uint8_t> BmpFile(const Picture& picture) {
  const std::uint32_t rowBytes = RowBytes(picture.width, 4);
  const std::uint32_t imageSize = rowBytes * static_cast<std::uint32_t>(picture.height);
  const std::uint32_t dataOffset = kFileHeaderSize + kInfoHeaderSize + 16 * 4;
  ByteWriter w;
  w.U8('B');
  w.U8('M');
  w.U32(dataOffset + imageSize);
  w.U32(0);
  w.U32(dataOffset);
  InfoHeader(w, picture.width, picture.height, 4, imageSize);
  for (const PaletteEntry& e : kPalette) PaletteEntryBgr(w, e.r, e.g, e.b);
  for (int y = picture.height - 1; y >= 0; --y) {
    std::uint32_t written = 0;
    for (int x = 0; x < picture.width; x += 2) {
      const std::uint8_t high = picture.At(x, y);
      const std::uint8_t low = x + 1 < picture.width ? picture.At(x + 1, y) : 0;
      w.U8(static_cast<std::uint8_t>((high << 4) | low));
      ++written;
    }
    for (; written < rowBytes; ++written) w.U8(0);
  }
  return std::move(w.Bytes());
}

std::vector<std::uint8_t> CurFile(const Cursor& cursor) {
  constexpr std::uint32_t kDirSize = 6 + 16;
  const std::uint32_t maskBytes = RowBytes(kCursorSize, 1) * kCursorSize;
  const std::uint32_t imageBytes = kInfoHeaderSize + 2 * 4 + 2 * maskBytes;
  ByteWriter w;
  w.U16(0);  // reserved
  w.U16(2);  // cursor
  w.U16(1);  // one image
  w.U8(kCursorSize);
  w.U8(kCursorSize);
  w.U8(0);  // colour count
  w.U8(0);
  w.U16(static_cast<std::uint16_t>(cursor.hotX));
  w.U16(static_cast<std::uint16_t>(cursor.hotY));
  w.U32(imageBytes);
  w.U32(kDirSize);
  InfoHeader(w, kCursorSize, 2 * kCursorSize, 1, 2 * maskBytes);
  PaletteEntryBgr(w, 0, 0, 0);
  PaletteEntryBgr(w, 255, 255, 255);
  // XOR bit set: white (or inverted where the AND bit is set too).
  // AND bit set: the screen shows through.
  auto mask = [&](bool xorMask) {
    for (int y = kCursorSize - 1; y >= 0; --y) {
      for (int byte = 0; byte < kCursorSize / 8; ++byte) {
        std::uint8_t bits = 0;
        for (int bit = 0; bit < 8; ++bit) {
          const CursorPixel p = cursor.At(byte * 8 + bit, y);
          const bool set = xorMask ? (p == CursorPixel::White || p == CursorPixel::Invert)
                                   : (p == CursorPixel::Clear || p == CursorPixel::Invert);
          if (set) bits |= static_cast<std::uint8_t>(0x80 >> bit);
        }
        w.U8(bits);
      }
    }
  };
  mask(true);
  mask(false);
  return std::move(w.Bytes());
}

}  // namespace k7730::resgen
