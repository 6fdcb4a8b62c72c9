// Line walks against textbook sequences, ellipse spans against the exact inequality, polygon
// spans against the classic even-odd crossing test.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <utility>
#include <vector>

#include "alg/measure/MeaGeometry.h"

namespace {
using namespace ostrel::alg;
using Seq = std::vector<std::pair<int, int>>;

Seq walk(int x0, int y0, int x1, int y1) {
  Seq s;
  walkLine(x0, y0, x1, y1, [&](int x, int y) {
    s.emplace_back(x, y);
    return true;
  });
  return s;
}

TEST(LineWalk, TextbookSequences) {
  EXPECT_EQ(walk(0, 0, 3, 1), (Seq{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
  EXPECT_EQ(walk(0, 0, 1, 3), (Seq{{0, 0}, {0, 1}, {1, 2}, {1, 3}}));
  EXPECT_EQ(walk(2, 2, 2, 2), (Seq{{2, 2}}));
  EXPECT_EQ(walk(3, 0, 0, 0), (Seq{{3, 0}, {2, 0}, {1, 0}, {0, 0}}));
  EXPECT_EQ(walk(0, 0, 3, 3), (Seq{{0, 0}, {1, 1}, {2, 2}, {3, 3}}));
  EXPECT_EQ(walk(0, 4, 0, 1), (Seq{{0, 4}, {0, 3}, {0, 2}, {0, 1}}));
  EXPECT_EQ(walk(0, 0, 5, 2), (Seq{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}));
}

TEST(LineWalk, RandomSegmentsStayWithinHalfAPixelOfTheTrueLine) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> c(0, 60);
  for (int t = 0; t < 2000; ++t) {
    const int x0 = c(rng), y0 = c(rng), x1 = c(rng), y1 = c(rng);
    const Seq s = walk(x0, y0, x1, y1);
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    ASSERT_EQ(int(s.size()), std::max(dx, dy) + 1);
    ASSERT_EQ(s.front(), std::make_pair(x0, y0));
    ASSERT_EQ(s.back(), std::make_pair(x1, y1));
    for (size_t i = 0; i < s.size(); ++i) {
      if (i > 0) {
        ASSERT_LE(std::abs(s[i].first - s[i - 1].first), 1);
        ASSERT_LE(std::abs(s[i].second - s[i - 1].second), 1);
      }
      // Distance along the minor axis from the ideal line is at most half a pixel.
      const double num = double(s[i].first - x0) * (y1 - y0) - double(s[i].second - y0) * (x1 - x0);
      ASSERT_LE(std::abs(num) / std::max(dx, dy), 0.5 + 1e-12) << x0 << "," << y0 << " " << x1 << "," << y1;
    }
  }
}

std::vector<uint8_t> maskFrom(int w, int h,
                              const std::function<void(const std::function<void(int, int, int)>&)>& run) {
  std::vector<uint8_t> m(size_t(w) * h, 0);
  run([&](int y, int xa, int xb) {
    for (int x = xa; x <= xb; ++x) {
      EXPECT_EQ(m[size_t(y) * w + x], 0) << "pixel covered twice";
      m[size_t(y) * w + x] = 1;
    }
  });
  return m;
}

TEST(EllipseSpans, MatchTheExactInequality) {
  std::mt19937 rng(11);
  const int w = 90, h = 70;
  std::uniform_int_distribution<int> cx(0, w + 10), cy(0, h + 10);
  for (int t = 0; t < 400; ++t) {
    MeaBox e{cx(rng), cy(rng), cx(rng), cy(rng)};
    if (e.x1 < e.x0) std::swap(e.x0, e.x1);
    if (e.y1 < e.y0) std::swap(e.y0, e.y1);
    const MeaBox clip = clipBox(e, w, h);
    const auto m = maskFrom(w, h, [&](auto&& span) { ellipseSpans(e, clip, span); });
    const double a = e.x1 - e.x0, b = e.y1 - e.y0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const double v = 2.0 * y - e.y0 - e.y1, u = 2.0 * x - e.x0 - e.x1;
        const bool in = x >= clip.x0 && x <= clip.x1 && y >= clip.y0 && y <= clip.y1 &&
                        a * a * b * b >= a * a * v * v + b * b * u * u;
        ASSERT_EQ(m[size_t(y) * w + x], in ? 1 : 0)
            << x << "," << y << " box " << e.x0 << "," << e.y0 << "-" << e.x1 << "," << e.y1;
      }
    }
  }
}

// W. R. Franklin's point-in-polygon crossing test, in floating point.
bool pnpoly(const std::vector<MeaVertex>& v, double x, double y) {
  bool c = false;
  const size_t n = v.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    if (((v[i].y > y) != (v[j].y > y)) &&
        (x < double(v[j].x - v[i].x) * (y - v[i].y) / double(v[j].y - v[i].y) + v[i].x)) {
      c = !c;
    }
  }
  return c;
}

TEST(PolygonSpans, MatchTheEvenOddCrossingTestOnRandomPolygons) {
  std::mt19937 rng(5);
  const int w = 80, h = 60;
  std::uniform_int_distribution<int> px(0, w - 1), py(0, h - 1), pn(3, 32);
  for (int t = 0; t < 300; ++t) {
    std::vector<MeaVertex> v(pn(rng));
    for (auto& p : v) p = {px(rng), py(rng)};
    if (t % 3 == 0) {  // also axis-aligned and repeated vertices
      v[1].y = v[0].y;
      v[2] = v[1];
    }
    MeaBox box{w, h, -1, -1};
    for (auto& p : v)
      box = {std::min(box.x0, p.x), std::min(box.y0, p.y), std::max(box.x1, p.x), std::max(box.y1, p.y)};
    const auto m = maskFrom(w, h, [&](auto&& span) { polygonSpans(v.data(), int(v.size()), box, span); });
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const bool inBox = x >= box.x0 && x <= box.x1 && y >= box.y0 && y <= box.y1;
        const bool in = inBox && pnpoly(v, x, y);
        ASSERT_EQ(m[size_t(y) * w + x], in ? 1 : 0) << x << "," << y << " polygon " << t;
        ASSERT_EQ(inBox && polygonInside(v.data(), int(v.size()), x, y), in);
      }
    }
  }
}

}  // namespace
