// Plain per-pixel reference implementations for the measurement tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"

namespace meatest {

inline MeaItem item(int type, std::vector<std::pair<int, int>> pts) {
  MeaItem it{};
  it.meaType = uint8_t(type);
  it.pointCount = uint8_t(pts.size());
  for (size_t i = 0; i < pts.size() && i < 32; ++i)
    it.points[i] = {uint16_t(pts[i].first), uint16_t(pts[i].second)};
  return it;
}

inline bool ellipseIn(int x0, int y0, int x1, int y1, int x, int y) {
  const double a = x1 - x0, b = y1 - y0, v = 2.0 * y - y0 - y1, u = 2.0 * x - x0 - x1;
  return a * a * b * b >= a * a * v * v + b * b * u * u;
}

inline bool polyIn(const MeaItem& it, int x, int y) {
  bool c = false;
  const int n = it.pointCount;
  for (int i = 0, j = n - 1; i < n; j = i++) {
    const double xi = it.points[i].x, yi = it.points[i].y, xj = it.points[j].x, yj = it.points[j].y;
    if (((yi > y) != (yj > y)) && (x < (xj - xi) * (y - yi) / (yj - yi) + xi)) c = !c;
  }
  return c;
}

// Inside test of an area item at pixel (x, y), using the stored corners.
inline bool inside(const MeaItem& it, int x, int y) {
  const auto& p = it.points;
  switch (it.meaType) {
    case 6:
    case 7:
      return ellipseIn(p[0].x, p[0].y, p[1].x, p[1].y, x, y);
    case 11:
      return polyIn(it, x, y);
    default:
      return true;
  }
}

}  // namespace meatest
