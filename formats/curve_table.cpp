#include "formats/curve_table.h"

#include <cmath>

namespace k7730 {
namespace {

struct Point {
  int x;
  int y;
};

std::uint8_t ClampRounded(double y) {
  double v = y + 0.5;
  if (!(v < 256.0)) return 255;  // also catches NaN
  if (v < 0.0) return 0;
  return static_cast<std::uint8_t>(static_cast<int>(v));
}

std::uint8_t ClampByte(int v) { return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

// Entries outside the span of the points take the end points' outputs.
void FlattenEnds(const Point* p, int n, std::uint8_t table[256]) {
  for (int x = 0; x < p[0].x && x < 256; ++x) table[x] = ClampByte(p[0].y);
  for (int x = p[n - 1].x + 1; x < 256; ++x) {
    if (x >= 0) table[x] = ClampByte(p[n - 1].y);
  }
}

void StraightLine(const Point* p, std::uint8_t table[256]) {
  const int dx = p[1].x - p[0].x;
  const int dy = p[1].y - p[0].y;
  if (dx >= 0) {
    for (int k = 0; k <= dx; ++k) {
      const int x = p[0].x + k;
      if (x < 0 || x > 255) continue;
      const int y = dx == 0 ? p[0].y : p[0].y + (k * dy) / dx;
      table[x] = ClampByte(y);
    }
  }
  FlattenEnds(p, 2, table);
}

// Natural cubic spline; sigma is the second derivative divided by 6.
// Requires strictly rising inputs (the caller guarantees it).
void CubicSpline(const Point* p, int n, std::uint8_t table[256]) {
  int h[kMaxCurvePoints];
  double s[kMaxCurvePoints];
  double d[kMaxCurvePoints];
  double r[kMaxCurvePoints];
  double sigma[kMaxCurvePoints];

  for (int i = 0; i <= n - 2; ++i) {
    h[i] = p[i + 1].x - p[i].x;
    s[i] = static_cast<double>(p[i + 1].y - p[i].y) / h[i];
  }
  d[1] = 2.0 * (p[2].x - p[0].x);
  r[1] = s[1] - s[0];
  for (int i = 1; i <= n - 3; ++i) {
    const double m = h[i] / d[i];
    r[i + 1] = (s[i + 1] - s[i]) - m * r[i];
    d[i + 1] = 2.0 * (p[i + 2].x - p[i].x) - h[i] * m;
  }
  sigma[0] = 0.0;
  sigma[n - 1] = 0.0;
  for (int i = n - 2; i >= 1; --i) sigma[i] = (r[i] - h[i] * sigma[i + 1]) / d[i];

  for (int x = 0; x < 256; ++x) {
    int lo = 0;
    int hi = n - 1;
    while (lo < hi) {
      const int mid = (lo + hi) / 2;
      if (p[mid].x < x) {
        lo = mid + 1;
      } else {
        hi = mid;
      }
    }
    const int k = lo == 0 ? 0 : lo - 1;
    const double t = x - p[k].x;
    const double hk = p[k + 1].x - p[k].x;
    const double dy = p[k + 1].y - p[k].y;
    const double y =
        p[k].y + t * (dy / hk - (2.0 * sigma[k] + sigma[k + 1]) * hk +
                      t * (3.0 * sigma[k] + t * (sigma[k + 1] - sigma[k]) / hk));
    table[x] = ClampRounded(y);
  }
  FlattenEnds(p, n, table);
}

}  // namespace

void ComputeCurveTable(const ControlPoint* points, int count, std::uint8_t table[256]) {
  if (points == nullptr || table == nullptr || count < 2) return;
  if (count > kMaxCurvePoints) count = kMaxCurvePoints;

  // Coordinates are signed 16-bit values. Keep the strictly rising points
  // inside the table; for a set that keeps the invariants that is all of them.
  Point p[kMaxCurvePoints];
  int n = 0;
  for (int i = 0; i < count; ++i) {
    const int x = static_cast<std::int16_t>(points[i].input);
    const int y = static_cast<std::int16_t>(points[i].output);
    if (x < 0 || x > 255) continue;
    if (n > 0 && x <= p[n - 1].x) continue;
    p[n++] = Point{x, y < 0 ? 0 : (y > 255 ? 255 : y)};
  }
  if (n == 0) return;
  if (n == 1) {
    for (int x = 0; x < 256; ++x) table[x] = static_cast<std::uint8_t>(p[0].y);
    return;
  }
  if (n == 2) {
    StraightLine(p, table);
  } else {
    CubicSpline(p, n, table);
  }
}

}  // namespace k7730
