// Pixel geometry of measurement shapes: the integer line walk and the per-row spans of
// ellipses and polygons. Spans make the cost follow the area instead of area x edges.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace ostrel::alg {

struct MeaBox {
  int x0, y0, x1, y1;  // inclusive; empty when x1 < x0 or y1 < y0
  bool empty() const { return x1 < x0 || y1 < y0; }
};

// The box clipped to a width x height frame.
inline MeaBox clipBox(MeaBox b, int width, int height) {
  return {std::max(b.x0, 0), std::max(b.y0, 0), std::min(b.x1, width - 1), std::min(b.y1, height - 1)};
}

// Integer line walk from (x0, y0) to (x1, y1), both ends visited. visit(x, y) returns false to
// stop early. Returns false when stopped.
template <class Visit>
bool walkLine(int x0, int y0, int x1, int y1, Visit&& visit) {
  const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = (dx > dy ? dx : -dy) / 2;
  int x = x0, y = y0;
  for (;;) {
    if (!visit(x, y)) return false;
    if (x == x1 && y == y1) return true;
    const int e = err;
    if (e > -dx) {
      err -= dy;
      x += sx;
    }
    if (e < dy) {
      err += dx;
      y += sy;
    }
  }
}

// Inside test of the ellipse in the box (x0, y0)-(x1, y1):
// a^2 b^2 >= a^2 (2y - y0 - y1)^2 + b^2 (2x - x0 - x1)^2 with a = x1 - x0, b = y1 - y0.
// 128-bit, because unchecked 16-bit corners make the products exceed 64 bits.
inline bool ellipseInside(const MeaBox& e, int x, int y) {
  using W = __int128;
  const W a = e.x1 - e.x0, b = e.y1 - e.y0;
  const W v = 2 * W(y) - e.y0 - e.y1, u = 2 * W(x) - e.x0 - e.x1;
  return a * a * b * b >= a * a * v * v + b * b * u * u;
}

// Calls span(y, xa, xb) for the inside pixels of the ellipse of `e` within `clip`, rows top-down.
template <class Span>
void ellipseSpans(const MeaBox& e, const MeaBox& clip, Span&& span) {
  using W = __int128;
  const W a = e.x1 - e.x0, b = e.y1 - e.y0;
  const int64_t cx2 = int64_t(e.x0) + e.x1;
  for (int y = clip.y0; y <= clip.y1; ++y) {
    const W v = 2 * W(y) - e.y0 - e.y1;
    const W r = a * a * b * b - a * a * v * v;  // b^2 (2x - cx2)^2 must not exceed r
    if (r < 0) continue;
    int64_t xa, xb;
    if (b == 0) {
      xa = clip.x0;
      xb = clip.x1;
    } else {
      // Largest m with m^2 <= r / b^2: |2x - cx2| <= m.
      const W q = r / (b * b);
      int64_t m = int64_t(std::sqrt(double(q)));
      while (W(m) * m > q) --m;
      while (W(m + 1) * (m + 1) <= q) ++m;
      xa = (cx2 - m + 1) >> 1;  // ceil((cx2 - m) / 2)
      xb = (cx2 + m) >> 1;      // floor((cx2 + m) / 2)
      xa = std::max<int64_t>(xa, clip.x0);
      xb = std::min<int64_t>(xb, clip.x1);
    }
    if (xa <= xb) span(y, int(xa), int(xb));
  }
}

struct MeaVertex {
  int x, y;
};

// Even-odd inside test, edge j -> i with j the previous vertex: the edge counts when it spans
// row y and (xj - xi)(y - yi) < (yj - yi)(x - xi) for yj - yi <= 0, > otherwise. Vertex is any
// type with integer members x and y (MeaVertex, MtPoint).
template <class Vertex>
bool polygonInside(const Vertex* v, int n, int x, int y) {
  bool inside = false;
  for (int i = 0, j = n - 1; i < n; j = i++) {
    if ((y < v[j].y) != (y < v[i].y)) {
      const int64_t p1 = int64_t(v[j].x - v[i].x) * (y - v[i].y);
      const int64_t p2 = int64_t(v[j].y - v[i].y) * (x - v[i].x);
      if (v[j].y - v[i].y <= 0 ? p1 < p2 : p1 > p2) inside = !inside;
    }
  }
  return inside;
}

inline int64_t ceilDiv(int64_t n, int64_t d) {  // d > 0
  int64_t q = n / d;
  if (q * d < n) ++q;
  return q;
}

// Calls span(y, xa, xb) for the inside pixels (even-odd, the same rule as polygonInside) within
// `clip`, rows top-down, spans left to right. At most 32 vertices.
template <class Span>
void polygonSpans(const MeaVertex* v, int n, const MeaBox& clip, Span&& span) {
  int64_t cut[32];
  for (int y = clip.y0; y <= clip.y1; ++y) {
    int m = 0;
    for (int i = 0, j = n - 1; i < n; j = i++) {
      if ((y < v[j].y) == (y < v[i].y)) continue;
      // The edge counts exactly for x < N / D with D = |yj - yi| > 0.
      const int64_t dy = v[j].y - v[i].y;
      const int64_t base = int64_t(v[i].x) * dy + int64_t(v[j].x - v[i].x) * (y - v[i].y);
      cut[m++] = dy > 0 ? ceilDiv(base, dy) : ceilDiv(-base, -dy);
    }
    std::sort(cut, cut + m);
    // Pixels x < cut[0] see all m edges (even), so the parity flips at each cut.
    for (int k = 0; k + 1 < m; k += 2) {
      const int64_t xa = std::max<int64_t>(cut[k], clip.x0);
      const int64_t xb = std::min<int64_t>(cut[k + 1] - 1, clip.x1);
      if (xa <= xb) span(y, int(xa), int(xb));
    }
  }
}

}  // namespace ostrel::alg
