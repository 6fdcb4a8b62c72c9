// Geometry of the path core checked by hand: areas, distances and widths that follow from the
// shapes, not from the tessellation code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "RendererKit.h"

namespace ostrel::test {
namespace {

constexpr double kPi = 3.14159265358979323846;

class PathCore : public ::testing::Test, public CoreFixtureBase {
protected:
  explicit PathCore(int aa = 1) : CoreFixtureBase(aa) {}
  void SetUp() override {
    ASSERT_NE(ctx, nullptr);
    beginFrame();
  }
  QornContext* c() { return ctx.get(); }
};

class PathCoreNoAA : public PathCore {
protected:
  PathCoreNoAA() : PathCore(0) {}
};

double shoelace(const std::vector<std::pair<double, double>>& pts) {
  double a = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    const auto& p = pts[i];
    const auto& q = pts[(i + 1) % pts.size()];
    a += p.first * q.second - q.first * p.second;
  }
  return std::fabs(a) * 0.5;
}

// Sum of the fan (first, l - 1, l) that the back end draws from a path's fill vertices.
double fanArea(std::span<const QornVertex> v) {
  double a = 0;
  for (size_t l = 2; l < v.size(); ++l) a += triangleArea(v[0], v[l - 1], v[l]);
  return a;
}

TEST_F(PathCoreNoAA, ConvexPolygonFanCoversTheShoelaceArea) {
  // An irregular convex heptagon: points of an ellipse at uneven angles, given clockwise on
  // screen so the core has to reverse them.
  std::vector<std::pair<double, double>> pts;
  const double angles[] = {0.0, 0.7, 1.9, 2.5, 3.6, 4.4, 5.6};
  for (double a : angles) pts.emplace_back(300 + 120 * std::cos(-a), 200 + 70 * std::sin(-a));

  qornBeginPath(c());
  qornMoveTo(c(), static_cast<float>(pts[0].first), static_cast<float>(pts[0].second));
  for (size_t i = 1; i < pts.size(); ++i)
    qornLineTo(c(), static_cast<float>(pts[i].first), static_cast<float>(pts[i].second));
  qornClosePath(c());
  qornFill(c());

  ASSERT_EQ(backend.calls.size(), 1u);
  const RecordedCall& call = backend.calls[0];
  EXPECT_EQ(call.type, RecordedCallType::ConvexFill);
  ASSERT_EQ(call.pathCount, 1);
  const RecordedPath& path = backend.pathsOf(call)[0];
  EXPECT_EQ(path.fillCount, 7);
  EXPECT_EQ(path.strokeCount, 0) << "no fringe without anti-aliasing";
  EXPECT_NEAR(fanArea(backend.fill(path)), shoelace(pts), 1e-3 * shoelace(pts));
  // Bounds of the cover are the polygon's.
  double minx = 1e9, maxy = -1e9;
  for (const auto& p : pts) minx = std::min(minx, p.first), maxy = std::max(maxy, p.second);
  EXPECT_NEAR(call.bounds[0], minx, 1e-3);
  EXPECT_NEAR(call.bounds[3], maxy, 1e-3);
}

TEST_F(PathCoreNoAA, FlattenedEllipseLiesOnTheEllipseWithinTheTolerance) {
  for (float ratio : {1.0f, 2.0f}) {
    beginFrame(ratio);
    const float cx = 200, cy = 150, rx = 120, ry = 45;
    qornBeginPath(c());
    qornEllipse(c(), cx, cy, rx, ry);
    qornFill(c());
    ASSERT_EQ(backend.calls.size(), 1u);
    const RecordedPath& path = backend.pathsOf(backend.calls[0])[0];
    const auto pts = backend.fill(path);
    ASSERT_GE(pts.size(), 16u);
    const double tol = 0.25 / ratio;
    for (const QornVertex& v : pts) {
      const double nx = (v.x - cx) / rx, ny = (v.y - cy) / ry;
      const double r = std::sqrt(nx * nx + ny * ny);
      // Radial distance from the true ellipse, in pixels along the smaller radius at worst.
      EXPECT_NEAR(r, 1.0, tol / ry) << "point " << v.x << "," << v.y;
    }
    // Chords between neighbouring points stay within the tolerance of the curve: the midpoint of
    // each chord is no further inside than the tolerance.
    for (size_t i = 0; i < pts.size(); ++i) {
      const QornVertex& a = pts[i];
      const QornVertex& b = pts[(i + 1) % pts.size()];
      const double mx = ((a.x + b.x) / 2 - cx) / rx, my = ((a.y + b.y) / 2 - cy) / ry;
      EXPECT_GT(std::sqrt(mx * mx + my * my), 1.0 - 4 * tol / ry);
    }
    EXPECT_NEAR(fanArea(pts), kPi * rx * ry, kPi * rx * ry * 0.01);
  }
}

TEST_F(PathCoreNoAA, StrokeVerticesLieAtHalfTheWidth) {
  qornStrokeWidth(c(), 6);
  qornBeginPath(c());
  qornMoveTo(c(), 10, 20);
  qornLineTo(c(), 60, 20);
  qornLineTo(c(), 110, 20.001f);
  qornStroke(c());
  ASSERT_EQ(backend.calls.size(), 1u);
  EXPECT_EQ(backend.calls[0].type, RecordedCallType::Stroke);
  EXPECT_FLOAT_EQ(backend.calls[0].strokeWidth, 6);
  const RecordedPath& path = backend.pathsOf(backend.calls[0])[0];
  ASSERT_GT(path.strokeCount, 0);
  for (const QornVertex& v : backend.stroke(path)) {
    EXPECT_NEAR(std::fabs(v.y - 20), 3.0, 0.01);
    EXPECT_GE(v.x, 10 - 1e-3);
    EXPECT_LE(v.x, 110 + 1e-3);
    EXPECT_FLOAT_EQ(v.u, 0.5f) << "no coverage gradient without anti-aliasing";
  }
}

TEST_F(PathCore, ClosedRectangleStrokeHasMiterCornersAtHalfWidthPlusHalfFringe) {
  qornStrokeWidth(c(), 4);
  qornBeginPath(c());
  qornRect(c(), 50, 40, 100, 60);
  qornStroke(c());
  ASSERT_EQ(backend.calls.size(), 1u);
  const RecordedPath& path = backend.pathsOf(backend.calls[0])[0];
  EXPECT_TRUE(path.closed);
  const float w = 2 + 0.5f;  // half width + half fringe
  auto near = [](float v, std::initializer_list<float> set) {
    for (float s : set)
      if (std::fabs(v - s) < 1e-3f) return true;
    return false;
  };
  for (const QornVertex& v : backend.stroke(path)) {
    EXPECT_TRUE(near(v.x, {50 - w, 50 + w, 150 - w, 150 + w})) << v.x;
    EXPECT_TRUE(near(v.y, {40 - w, 40 + w, 100 - w, 100 + w})) << v.y;
    EXPECT_TRUE(v.u == 0.0f || v.u == 1.0f);
  }
  // 4 corners x 2 sides, plus the first two repeated to close the strip.
  EXPECT_EQ(path.strokeCount, 10);
}

TEST_F(PathCore, ButtCapFadesAcrossOneFringeCentredOnTheEndPoint) {
  qornStrokeWidth(c(), 2);
  qornBeginPath(c());
  qornMoveTo(c(), 10, 10);
  qornLineTo(c(), 30, 10);
  qornStroke(c());
  const auto v = backend.stroke(backend.pathsOf(backend.calls[0])[0]);
  ASSERT_EQ(v.size(), 8u);
  // Start cap: the transparent edge half a fringe before the end point, the solid edge after it.
  EXPECT_NEAR(v[0].x, 9.5, 1e-4);
  EXPECT_FLOAT_EQ(v[0].v, 0.0f);
  EXPECT_NEAR(v[2].x, 10.5, 1e-4);
  EXPECT_FLOAT_EQ(v[2].v, 1.0f);
  EXPECT_NEAR(v[5].x, 29.5, 1e-4);
  EXPECT_NEAR(v[7].x, 30.5, 1e-4);
  EXPECT_FLOAT_EQ(v[7].v, 0.0f);
}

TEST_F(PathCore, HairlineIsWidenedToOneDevicePixelWithItsCoverageAsAlpha) {
  qornStrokeColor(c(), QornColor{1, 0, 0, 1});
  qornStrokeWidth(c(), 0.5f);
  qornBeginPath(c());
  qornMoveTo(c(), 0, 5);
  qornLineTo(c(), 100, 5);
  qornStroke(c());
  ASSERT_EQ(backend.calls.size(), 1u);
  EXPECT_FLOAT_EQ(backend.calls[0].strokeWidth, 1.0f);
  EXPECT_FLOAT_EQ(backend.calls[0].paint.innerColor.a, 0.25f);
  EXPECT_FLOAT_EQ(backend.calls[0].paint.outerColor.a, 0.25f);
  for (const QornVertex& v : backend.stroke(backend.pathsOf(backend.calls[0])[0]))
    EXPECT_NEAR(std::fabs(v.y - 5), 1.0, 1e-4);  // half of 1 px + half a fringe

  // At ratio 2 the same stroke covers one whole device pixel: no alpha reduction.
  beginFrame(2.0f);
  qornStrokeWidth(c(), 0.5f);
  qornBeginPath(c());
  qornMoveTo(c(), 0, 5);
  qornLineTo(c(), 100, 5);
  qornStroke(c());
  EXPECT_FLOAT_EQ(backend.calls[0].strokeWidth, 0.5f);
  EXPECT_FLOAT_EQ(backend.calls[0].paint.innerColor.a, 1.0f);
  EXPECT_FLOAT_EQ(backend.calls[0].fringe, 0.5f);
}

TEST_F(PathCore, RectFillIsOneConvexCallAndTwoRectsNeedTheStencil) {
  qornBeginPath(c());
  qornRect(c(), 10, 10, 40, 30);
  qornFill(c());
  ASSERT_EQ(backend.calls.size(), 1u);
  EXPECT_EQ(backend.calls[0].type, RecordedCallType::ConvexFill);
  const RecordedPath& p = backend.pathsOf(backend.calls[0])[0];
  // Convex fringe: the inner edge at the fill's inset with u = 0.5, the outer half a pixel out.
  for (size_t i = 0; i < backend.stroke(p).size(); i += 2) {
    EXPECT_FLOAT_EQ(backend.stroke(p)[i].u, 0.5f);
    EXPECT_FLOAT_EQ(backend.stroke(p)[i + 1].u, 1.0f);
  }
  EXPECT_NEAR(fanArea(backend.fill(p)), 39.0 * 29.0, 1e-3) << "fill inset by half a fringe";

  backend.clearCalls();
  qornBeginPath(c());
  qornRect(c(), 10, 10, 40, 30);
  qornRect(c(), 100, 10, 40, 30);
  qornFill(c());
  ASSERT_EQ(backend.calls.size(), 1u);
  EXPECT_EQ(backend.calls[0].type, RecordedCallType::Fill);
  EXPECT_EQ(backend.calls[0].pathCount, 2);
  EXPECT_FLOAT_EQ(backend.calls[0].bounds[0], 10);
  EXPECT_FLOAT_EQ(backend.calls[0].bounds[2], 140);
  EXPECT_FLOAT_EQ(backend.calls[0].bounds[3], 40);
}

TEST_F(PathCore, PentagramTurnsOneWayButIsNotConvex) {
  qornBeginPath(c());
  for (int i = 0; i < 5; ++i) {
    const double a = -kPi / 2 + i * 4 * kPi / 5;  // every second point of a pentagon
    const float x = static_cast<float>(100 + 50 * std::cos(a)), y = static_cast<float>(100 + 50 * std::sin(a));
    if (i == 0)
      qornMoveTo(c(), x, y);
    else
      qornLineTo(c(), x, y);
  }
  qornClosePath(c());
  qornFill(c());
  ASSERT_EQ(backend.calls.size(), 1u);
  EXPECT_EQ(backend.calls[0].type, RecordedCallType::Fill) << "needs the stencil";
  EXPECT_EQ(backend.pathsOf(backend.calls[0])[0].convex, 0);
}

TEST_F(PathCore, FillColourCarriesTheStateAndASecondFillReusesTheFlattening) {
  qornFillColor(c(), QornColor{0.2f, 0.4f, 0.6f, 0.8f});
  qornBeginPath(c());
  qornEllipse(c(), 50, 50, 20, 20);
  qornFill(c());
  qornStroke(c());
  ASSERT_EQ(backend.calls.size(), 2u);
  const QornPaint& paint = backend.calls[0].paint;
  EXPECT_FLOAT_EQ(paint.innerColor.b, 0.6f);
  EXPECT_FLOAT_EQ(paint.outerColor.a, 0.8f);
  EXPECT_FLOAT_EQ(paint.feather, 1.0f);
  EXPECT_EQ(paint.image, 0);
  EXPECT_EQ(backend.calls[0].op.srcRGB, QORN_ONE);
  EXPECT_EQ(backend.calls[0].op.dstRGB, QORN_ONE_MINUS_SRC_ALPHA);
  EXPECT_FLOAT_EQ(backend.calls[0].scissor.extent[0], -1.0f);
  // The stroke of the same path walks the same flattened points (closed: a strip of 2 per point + 2).
  const int points = backend.pathsOf(backend.calls[0])[0].fillCount;
  EXPECT_EQ(backend.pathsOf(backend.calls[1])[0].strokeCount, 2 * points + 2);
}

TEST_F(PathCore, PointsCloserThanTheDistanceToleranceCollapse) {
  qornBeginPath(c());
  qornMoveTo(c(), 10, 10);
  qornLineTo(c(), 50, 10);
  qornLineTo(c(), 50.005f, 10.005f);  // within 0.01 of the previous point
  qornLineTo(c(), 50, 50);
  qornLineTo(c(), 10, 10.004f);  // back on the start: dropped, path closed
  qornFill(c());
  const RecordedPath& p = backend.pathsOf(backend.calls[0])[0];
  EXPECT_TRUE(p.closed);
  EXPECT_EQ(p.convex, 1);
  EXPECT_EQ(backend.calls[0].type, RecordedCallType::ConvexFill);
}

TEST_F(PathCore, StateStackHoldsThirtyTwoStates) {
  EXPECT_EQ(qornStateCount(c()), 1) << "the frame's first state";
  for (int i = 0; i < 31; ++i) qornSave(c());
  EXPECT_EQ(qornStateCount(c()), 32);
  qornStrokeWidth(c(), 7);
  qornSave(c());  // ignored
  EXPECT_EQ(qornStateCount(c()), 32);
  // The restore that pairs with the ignored save already removes one of the 32.
  EXPECT_EQ(qornRestore(c()), 31);
  for (int i = 0; i < 40; ++i) qornRestore(c());
  EXPECT_EQ(qornRestore(c()), 1) << "the last state is never removed";

  // Save copies the state; restore brings the earlier one back.
  qornStrokeWidth(c(), 3);
  qornSave(c());
  qornStrokeWidth(c(), 9);
  qornRestore(c());
  qornBeginPath(c());
  qornMoveTo(c(), 0, 0);
  qornLineTo(c(), 10, 0);
  qornStroke(c());
  EXPECT_FLOAT_EQ(backend.calls.back().strokeWidth, 3);

  // A new frame starts from the defaults.
  beginFrame();
  qornBeginPath(c());
  qornMoveTo(c(), 0, 0);
  qornLineTo(c(), 10, 0);
  qornStroke(c());
  EXPECT_FLOAT_EQ(backend.calls.back().strokeWidth, 1);
  EXPECT_FLOAT_EQ(backend.calls.back().paint.innerColor.r, 0);
  EXPECT_FLOAT_EQ(backend.viewport[2], 800);
}

TEST_F(PathCore, DegeneratePathsDrawNothingHarmful) {
  // A lone move-to and a two-point "polygon" must not read past their points.
  qornBeginPath(c());
  qornMoveTo(c(), 5, 5);
  qornStroke(c());
  qornFill(c());
  qornBeginPath(c());
  qornMoveTo(c(), 5, 5);
  qornLineTo(c(), 5, 5);
  qornStroke(c());
  qornBeginPath(c());
  qornBezierTo(c(), 1, 1, 2, 2, 3, 3);  // no current point
  qornLineTo(c(), 4, 4);                // no path yet
  qornFill(c());
  for (const RecordedCall& call : backend.calls)
    for (const RecordedPath& p : backend.pathsOf(call)) EXPECT_LE(p.strokeCount, 12);
}

TEST_F(PathCore, LongPathsGrowTheBuffers) {
  qornBeginPath(c());
  qornMoveTo(c(), 0, 0);
  for (int i = 1; i < 5000; ++i) qornLineTo(c(), static_cast<float>(i % 700), static_cast<float>((i * 37) % 500));
  qornStroke(c());
  qornFill(c());
  ASSERT_EQ(backend.calls.size(), 2u);
  EXPECT_GT(backend.pathsOf(backend.calls[0])[0].strokeCount, 2 * 4999);
}

TEST(PathCoreTransforms, InverseOfSingularIsIdentityAndReportsFailure) {
  float t[6] = {1, 2, 2, 4, 5, 6}, inv[6];
  EXPECT_EQ(qornTransformInverse(inv, t), 0);
  const float id[6] = {1, 0, 0, 1, 0, 0};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(inv[i], id[i]);

  float a[6];
  qornTransformRotate(a, 0.3f);
  a[4] = 7;
  a[5] = -3;
  ASSERT_EQ(qornTransformInverse(inv, a), 1);
  float x, y;
  qornTransformPoint(&x, &y, a, 11, 13);
  qornTransformPoint(&x, &y, inv, x, y);
  EXPECT_NEAR(x, 11, 1e-4);
  EXPECT_NEAR(y, 13, 1e-4);
}

TEST(PathCoreLifecycle, FailedCreationLeavesNothingBehind) {
  RecordingBackend refusing;
  refusing.failCreate = true;
  QornParams p = refusing.params();
  EXPECT_EQ(qornCreateInternal(&p), nullptr);
  EXPECT_EQ(refusing.deletes, 0) << "a back end that was not made is not deleted";

  RecordingBackend noTextures;
  noTextures.failTextureCreateAfter = 0;
  p = noTextures.params();
  EXPECT_EQ(qornCreateInternal(&p), nullptr);
  EXPECT_EQ(noTextures.deletes, 1);

  RecordingBackend ok;
  p = ok.params();
  QornContext* ctx = qornCreateInternal(&p);
  ASSERT_NE(ctx, nullptr);
  ASSERT_EQ(ok.textures.size(), 1u);
  EXPECT_EQ(ok.textures.begin()->second.width, 512);
  EXPECT_EQ(ok.textures.begin()->second.type, QORN_TEXTURE_ALPHA);
  const int img = qornCreateImageRGBA(ctx, 4, 4, QORN_IMAGE_PREMULTIPLIED, nullptr);
  EXPECT_GT(img, 0);
  int w = 0, h = 0;
  qornImageSize(ctx, img, &w, &h);
  EXPECT_EQ(w, 4);
  qornDeleteInternal(ctx);
  EXPECT_TRUE(ok.textures.empty() || ok.textures.count(img) == 1) << "images belong to the caller";
  EXPECT_EQ(ok.deletes, 1);
}

TEST_F(PathCore, ImagePatternFillPassesItsImageAndTransform) {
  const int img = qornCreateImageRGBA(c(), 8, 8, 0, nullptr);
  QornPaint paint = qornImagePattern(c(), 10, 20, 80, 40, 0, img, 0.5f);
  qornTranslate(c(), 5, 0);
  qornFillPaint(c(), paint);
  qornBeginPath(c());
  qornRect(c(), 10, 20, 80, 40);
  qornFill(c());
  ASSERT_EQ(backend.calls.size(), 1u);
  const QornPaint& got = backend.calls[0].paint;
  EXPECT_EQ(got.image, img);
  EXPECT_FLOAT_EQ(got.xform[4], 15) << "pattern moved with the current transform";
  EXPECT_FLOAT_EQ(got.extent[0], 80);
  EXPECT_FLOAT_EQ(got.innerColor.a, 0.5f);
  EXPECT_FLOAT_EQ(backend.calls[0].bounds[0], 15);
}

}  // namespace
}  // namespace ostrel::test
