#include "formats/polarity.h"

#include <algorithm>

namespace k7730 {

void ReverseInvertTable(std::uint8_t table[256]) {
  for (int i = 0; i < 128; ++i) {
    const std::uint8_t low = table[i];
    const std::uint8_t high = table[255 - i];
    table[i] = static_cast<std::uint8_t>(255 - high);
    table[255 - i] = static_cast<std::uint8_t>(255 - low);
  }
}

void FlipPoints(ControlPoint* points, int count) {
  if (points == nullptr || count <= 0) return;
  count = std::min(count, kMaxCurvePoints);
  std::reverse(points, points + count);
  for (int i = 0; i < count; ++i) {
    points[i].input = static_cast<std::uint16_t>(255 - points[i].input);
    points[i].output = static_cast<std::uint16_t>(255 - points[i].output);
  }
}

void NormaliseLutRecord(LutRecord& record, std::uint16_t targetIn, std::uint16_t targetOut) {
  const bool inDiffers = record.inPolarity != targetIn;
  const bool outDiffers = record.outPolarity != targetOut;
  if (inDiffers && outDiffers) {
    ReverseInvertTable(record.table);
  } else if (outDiffers) {
    for (std::uint8_t& v : record.table) v = static_cast<std::uint8_t>(255 - v);
  } else if (inDiffers) {
    std::reverse(record.table, record.table + 256);
  }
  record.inPolarity = targetIn;
  record.outPolarity = targetOut;
}

}  // namespace k7730
