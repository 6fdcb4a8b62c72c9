// The QRhi back end drawing into an offscreen target, read back and compared with QPainter's
// rasteriser on the same drawing; object creation on the Null back end.
#include "QornRhiBackend.h"
#include "RhiTarget.h"

#include <qorn/QornInit.h>

#include "GpuTestMain.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

namespace {

constexpr int kW = 160;
constexpr int kH = 120;

QImage reference(const std::function<void(QPainter &)> &draw) {
  QImage img(kW, kH, QImage::Format_RGBA8888_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  draw(p);
  return img;
}

int alphaAt(const QImage &img, int x, int y) { return qAlpha(img.pixel(x, y)); }

double alphaSum(const QImage &img) {
  double s = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) s += alphaAt(img, x, y) / 255.0;
  return s;
}

// Pixels of the reference whose 5 x 5 neighbourhood is uniform lie away from every edge; there
// both rasterisers must agree within +-1 per channel. Returns the number of such pixels.
int compareInteriors(const QImage &got, const QImage &want) {
  int checked = 0;
  for (int y = 2; y < want.height() - 2; ++y)
    for (int x = 2; x < want.width() - 2; ++x) {
      const QRgb c = want.pixel(x, y);
      bool uniform = true;
      for (int dy = -2; dy <= 2 && uniform; ++dy)
        for (int dx = -2; dx <= 2 && uniform; ++dx) uniform = want.pixel(x + dx, y + dy) == c;
      if (!uniform) continue;
      const QRgb g = got.pixel(x, y);
      ++checked;
      EXPECT_NEAR(qRed(g), qRed(c), 1) << "at " << x << "," << y;
      EXPECT_NEAR(qGreen(g), qGreen(c), 1) << "at " << x << "," << y;
      EXPECT_NEAR(qBlue(g), qBlue(c), 1) << "at " << x << "," << y;
      EXPECT_NEAR(qAlpha(g), qAlpha(c), 1) << "at " << x << "," << y;
      if (::testing::Test::HasFailure()) return checked;
    }
  return checked;
}

QPointF starPoint(int k) {
  const double a = (-90.0 + 144.0 * k) * M_PI / 180.0;
  return QPointF(80 + 50 * std::cos(a), 60 + 50 * std::sin(a));
}

// A scene with every call type: stencil fill, convex fill, stroke, image and text.
void mixedScene(QornPainter &p, QornImage *image) {
  p.fillColor(qornColorFromRgba(200, 40, 30, 255));
  p.beginPath();
  p.rect(10, 10, 60, 40);
  p.fill();
  p.fillColor(qornColorFromRgba(30, 90, 220, 160));
  p.beginPath();
  p.moveTo(float(starPoint(0).x()), float(starPoint(0).y()));
  for (int k = 1; k < 5; ++k) p.lineTo(float(starPoint(k).x()), float(starPoint(k).y()));
  p.fill();
  p.strokeColor(qornColorFromRgba(20, 160, 60, 255));
  p.strokeWidth(3);
  p.beginPath();
  p.ellipse(110, 70, 30, 20);
  p.stroke();
  if (image) p.drawImage(*image, QRectF(0, 0, 8, 8), QRectF(120, 8, 32, 32));
  p.fillColor(qornColorFromRgba(255, 255, 255, 255));
  p.text(QStringLiteral("Tmax 41.7"), 12, 108);
}

void fillQuadrants(QornImage &img) {
  // Bytes blue, green, red, alpha: red, green / blue, white quadrants.
  const unsigned char colours[4][4] = {
      {0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}, {255, 255, 255, 255}};
  unsigned char *px = img.pixels();
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x) {
      const int q = (y >= img.height() / 2 ? 2 : 0) + (x >= img.width() / 2 ? 1 : 0);
      std::memcpy(px + (y * img.width() + x) * 4, colours[q], 4);
    }
}

class GpuBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    target_ = std::make_unique<RhiTarget>(RhiTarget::fromEnvironment(), QSize(kW, kH));
    ASSERT_TRUE(target_->ok()) << "no QRhi target";
    // A real graphics API, never a stand-in that draws nothing.
    const QRhi::Implementation impl = target_->rhi()->backend();
    ASSERT_TRUE(impl == QRhi::OpenGLES2 || impl == QRhi::Vulkan) << target_->rhi()->backendName();
    ASSERT_NE(target_->painter().core(), nullptr);
  }
  std::unique_ptr<RhiTarget> target_;
};

TEST_F(GpuBackend, FillsMatchQPainterInSolidInteriors) {
  const QImage got = target_->frame([](QornPainter &p) {
    p.fillColor(qornColorFromRgba(255, 0, 0, 255));
    p.beginPath();
    p.rect(20.3f, 15.6f, 70, 50);
    p.fill();
    p.fillColor(qornColorFromRgba(0, 128, 255, 128));
    p.beginPath();
    p.ellipse(90, 60, 40, 30);
    p.fill();
  });
  const QImage want = reference([](QPainter &p) {
    p.setBrush(QColor(255, 0, 0, 255));
    p.drawRect(QRectF(20.3, 15.6, 70, 50));
    p.setBrush(QColor(0, 128, 255, 128));
    p.drawEllipse(QPointF(90, 60), 40, 30);
  });
  EXPECT_GT(compareInteriors(got, want), 4000);
}

TEST_F(GpuBackend, DiscCoverageIsItsArea) {
  const QImage got = target_->frame([](QornPainter &p) {
    p.fillColor(qornColorFromRgba(255, 255, 255, 255));
    p.beginPath();
    p.ellipse(80.3f, 59.6f, 30, 30);
    p.fill();
  });
  const double area = M_PI * 30 * 30;
  EXPECT_NEAR(alphaSum(got), area, area * 0.01);
  const QImage want = reference([](QPainter &p) {
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(80.3, 59.6), 30, 30);
  });
  EXPECT_NEAR(alphaSum(want), area, area * 0.01);
}

TEST_F(GpuBackend, PentagramFollowsTheNonZeroRule) {
  const QImage got = target_->frame([](QornPainter &p) {
    p.fillColor(qornColorFromRgba(255, 255, 255, 255));
    p.beginPath();
    p.moveTo(float(starPoint(0).x()), float(starPoint(0).y()));
    for (int k = 1; k < 5; ++k) p.lineTo(float(starPoint(k).x()), float(starPoint(k).y()));
    p.fill();
  });
  const QImage want = reference([](QPainter &p) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.moveTo(starPoint(0));
    for (int k = 1; k < 5; ++k) path.lineTo(starPoint(k));
    path.closeSubpath();
    p.fillPath(path, Qt::white);
  });
  // The inner pentagon is wound twice: filled under non-zero, empty under even-odd.
  EXPECT_EQ(alphaAt(got, 80, 62), 255);
  EXPECT_EQ(alphaAt(want, 80, 62), 255);
  EXPECT_EQ(alphaAt(got, 2, 2), 0);
  EXPECT_GT(compareInteriors(got, want), 2000);
  EXPECT_NEAR(alphaSum(got), alphaSum(want), alphaSum(want) * 0.01);
}

TEST_F(GpuBackend, SnappedOnePixelLineIsOneRow) {
  const QImage got = target_->frame([](QornPainter &p) {
    p.setSnapMode(1);
    p.strokeColor(qornColorFromRgba(255, 255, 255, 255));
    p.strokeWidth(1);
    p.beginPath();
    p.moveTo(10.3f, 20.7f);
    p.lineTo(150.2f, 20.7f);
    p.stroke();
    p.setSnapMode(0);
  });
  for (int x = 12; x < 148; ++x) {
    EXPECT_GE(alphaAt(got, x, 20), 250) << x;
    EXPECT_LE(alphaAt(got, x, 19), 3) << x;
    EXPECT_LE(alphaAt(got, x, 21), 3) << x;
  }
}

TEST_F(GpuBackend, QuadrantImageScaledTwiceWithNearestSamplingIsExact) {
  QornImage image(&target_->painter(), 8, 8);
  image.setFlags(QORN_IMAGE_PREMULTIPLIED | QORN_IMAGE_NEAREST);
  fillQuadrants(image);
  const QImage got = target_->frame(
      [&](QornPainter &p) { EXPECT_GT(p.drawImage(image, QRectF(0, 0, 8, 8), QRectF(20, 10, 16, 16)), 0); });
  const QRgb want[4] = {qRgba(255, 0, 0, 255), qRgba(0, 255, 0, 255), qRgba(0, 0, 255, 255),
                        qRgba(255, 255, 255, 255)};
  for (int y = 8; y < 28; ++y)
    for (int x = 18; x < 38; ++x) {
      const bool inside = x >= 20 && x < 36 && y >= 10 && y < 26;
      const QRgb g = got.pixel(x, y);
      if (!inside) {
        EXPECT_LE(qAlpha(g), 1) << x << "," << y;
        continue;
      }
      const int q = (y >= 18 ? 2 : 0) + (x >= 28 ? 1 : 0);
      EXPECT_EQ(g, want[q]) << x << "," << y;
    }
}

TEST_F(GpuBackend, TextStaysInsideItsBounds) {
  QRectF bounds;
  const QString s = QStringLiteral("Thermal 42 \u00b0C gy");
  const QImage got = target_->frame([&](QornPainter &p) {
    p.setFont(p.defaultFont());
    p.fillColor(qornColorFromRgba(255, 255, 255, 255));
    p.text(s, 10.0f, 60.0f);
    bounds = p.textBounds(s, 10.0f, 60.0f);
  });
  ASSERT_GT(bounds.width(), 60);
  ASSERT_GT(bounds.height(), 10);
  int drawn = 0;
  const QRectF allowed = bounds.adjusted(-1, -1, 1, 1);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (alphaAt(got, x, y) > 0) {
        ++drawn;
        EXPECT_TRUE(allowed.contains(QPointF(x + 0.5, y + 0.5))) << x << "," << y;
      }
  EXPECT_GT(drawn, 150);
}

TEST_F(GpuBackend, ChineseTextFallsBackToTheSecondFont) {
  ASSERT_FALSE(qornFallbackFontPath().isEmpty()) << "fonts-wqy-microhei is part of the set-up";
  // DejaVu Sans has no CJK glyphs: without the fallback nothing would be drawn.
  const QString s = QStringLiteral("\u6e29\u5ea6");
  QRectF bounds;
  const QImage got = target_->frame([&](QornPainter &p) {
    p.setFont(p.defaultFont());
    p.fillColor(qornColorFromRgba(255, 255, 255, 255));
    p.text(s, 10.0f, 60.0f);
    bounds = p.textBounds(s, 10.0f, 60.0f);
  });
  EXPECT_GT(bounds.width(), 24);
  EXPECT_GT(alphaSum(got), 40);
}

TEST_F(GpuBackend, TextureMadeBetweenFramesWaitsForTheNextFrame) {
  target_->frame([](QornPainter &p) {
    p.fillColor(qornColorFromRgba(255, 255, 255, 255));
    p.beginPath();
    p.rect(0, 0, 4, 4);
    p.fill();
  });
  // No frame is open: the last command buffer has been submitted and must not be used.
  QornImage image(&target_->painter(), 8, 8);
  image.setFlags(QORN_IMAGE_PREMULTIPLIED | QORN_IMAGE_NEAREST);
  fillQuadrants(image);
  ASSERT_GT(image.ensureCreated(), 0);
  EXPECT_TRUE(target_->painter().backend()->hasPendingUploads());
  const QImage got = target_->frame(
      [&](QornPainter &p) { p.drawImage(image, QRectF(0, 0, 8, 8), QRectF(40, 40, 8, 8)); });
  EXPECT_FALSE(target_->painter().backend()->hasPendingUploads());
  EXPECT_EQ(got.pixel(41, 41), qRgba(255, 0, 0, 255));
  EXPECT_EQ(got.pixel(46, 46), qRgba(255, 255, 255, 255));
}

TEST(GpuAgreement, OpenGLAndVulkanAgree) {
  RhiTarget gl(QRhi::OpenGLES2, QSize(kW, kH));
  RhiTarget vk(QRhi::Vulkan, QSize(kW, kH));
  ASSERT_TRUE(gl.ok());
  ASSERT_TRUE(vk.ok()) << "Vulkan (lavapipe) is part of the test set-up";
  ASSERT_EQ(gl.rhi()->backend(), QRhi::OpenGLES2);
  ASSERT_EQ(vk.rhi()->backend(), QRhi::Vulkan);
  QornImage glImage(&gl.painter(), 8, 8), vkImage(&vk.painter(), 8, 8);
  fillQuadrants(glImage);
  fillQuadrants(vkImage);
  const QImage a = gl.frame([&](QornPainter &p) {
    p.setFont(p.defaultFont());
    mixedScene(p, &glImage);
  });
  const QImage b = vk.frame([&](QornPainter &p) {
    p.setFont(p.defaultFont());
    mixedScene(p, &vkImage);
  });
  ASSERT_EQ(a.size(), b.size());
  int worst = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      worst = std::max({worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                        std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
    }
  EXPECT_LE(worst, 2);
  EXPECT_GT(alphaSum(a), 3000);
}

// --- Object creation, on the Null back end ------------------------------------------------------

TEST(NullBackend, SteadyFrameCreatesNoGpuObjects) {
  RhiTarget t(QRhi::Null, QSize(kW, kH));
  ASSERT_TRUE(t.ok());
  QornImage image(&t.painter(), 8, 8);
  fillQuadrants(image);
  std::vector<qorn::rhi::RhiCounters> after;
  for (int frame = 0; frame < 6; ++frame) {
    t.frame([&](QornPainter &p) {
      p.setFont(p.defaultFont());
      mixedScene(p, &image);
    });
    after.push_back(t.painter().backend()->counters());
  }
  EXPECT_GT(after[0].pipelines, 0);
  EXPECT_GT(after[0].bindings, 1);
  for (size_t i = 2; i < after.size(); ++i) {
    EXPECT_EQ(after[i].pipelines, after[1].pipelines) << "frame " << i + 1;
    EXPECT_EQ(after[i].bindings, after[1].bindings) << "frame " << i + 1;
    EXPECT_EQ(after[i].samplers, after[1].samplers) << "frame " << i + 1;
    EXPECT_EQ(after[i].buffers, after[1].buffers) << "frame " << i + 1;
    EXPECT_EQ(after[i].textures, after[1].textures) << "frame " << i + 1;
  }
}

TEST(NullBackend, UniformStrideAndBufferGrowth) {
  RhiTarget t(QRhi::Null, QSize(kW, kH));
  ASSERT_TRUE(t.ok());
  qorn::rhi::RhiBackend *be = t.painter().backend();
  EXPECT_EQ(be->fragStride(), t.rhi()->ubufAligned(176));
  EXPECT_GE(be->fragStride(), 176);
  auto strokes = [&](int n) {
    t.frame([n](QornPainter &p) {
      p.strokeColor(qornColorFromRgba(255, 255, 255, 255));
      for (int i = 0; i < n; ++i) {
        p.beginPath();
        p.rect(float(i % 100), float(i / 100), 10, 10);
        p.stroke();
      }
    });
  };
  strokes(10);
  EXPECT_EQ(be->bufferSize(0), 16384u);
  // Ten vertices per stroked rectangle: 120 rectangles need 19200 bytes, more than the first
  // 16384 and less than half as much again, so the buffer grows to exactly 1.5 times.
  strokes(120);
  const quint32 v1 = be->bufferSize(0), u1 = be->bufferSize(3);
  EXPECT_EQ(v1, 16384u * 3 / 2);
  EXPECT_GE(u1, quint32(be->fragStride()) * 120);
  strokes(10);
  EXPECT_EQ(be->bufferSize(0), v1) << "buffers never shrink";
  EXPECT_EQ(be->bufferSize(3), u1);
  strokes(150);
  EXPECT_EQ(be->bufferSize(0), v1) << "a larger frame that fits keeps the buffer";
  strokes(400);
  EXPECT_GE(be->bufferSize(0), 64000u);
}

// The Null back end keeps its dynamic vertex buffer in host memory: what a frame left there.
QByteArray nullVertexBytes(qorn::rhi::RhiBackend *be, int n) {
  QRhiBuffer *vb = be->vertexBuffer();
  const char *d = vb->beginFullDynamicBufferUpdateForCurrentFrame();
  QByteArray out(d, n);
  vb->endFullDynamicBufferUpdateForCurrentFrame();
  return out;
}

void clobberNullVertices(qorn::rhi::RhiBackend *be) {
  QRhiBuffer *vb = be->vertexBuffer();
  std::memset(vb->beginFullDynamicBufferUpdateForCurrentFrame(), 0xEE, vb->size());
  vb->endFullDynamicBufferUpdateForCurrentFrame();
}

// Dots as a chart draws them, after `first` small rectangles.
void dotsFrame(RhiTarget &t, int first, int dots) {
  t.frame([&](QornPainter &p) {
    p.strokeColor(qornColorFromRgba(255, 255, 255, 255));
    for (int i = 0; i < first; ++i) {
      p.beginPath();
      p.rect(float(i % 50) * 3, 2, 2, 2);
      p.stroke();
    }
    p.strokeWidth(2);
    p.beginPath();
    for (int i = 0; i < dots; ++i) p.ellipse(3.0f + float(i % 150) * 0.7f, 3.0f + float(i / 150) * 1.3f, 2, 2);
    p.stroke();
  });
}

// Vertices are tessellated straight into the dynamic buffer once it is big enough; a frame that
// outgrows it midway goes on in the array and is uploaded. Both leave the same bytes.
TEST(NullBackend, VerticesWrittenInPlaceEqualTheUploadedOnes) {
  RhiTarget a(QRhi::Null, QSize(kW, kH));
  ASSERT_TRUE(a.ok());
  qorn::rhi::RhiBackend *be = a.painter().backend();
  dotsFrame(a, 20, 3000);  // outgrows the first buffer: array, upload, growth
  const quint32 size = be->bufferSize(0);
  const int used = int(size / 3 * 2) & ~15;  // the frame's need, less its reserve
  ASSERT_GT(used, 3000 * 16 * 16);
  const QByteArray uploaded = nullVertexBytes(be, used);
  clobberNullVertices(be);
  const int buffers = be->counters().buffers;
  dotsFrame(a, 20, 3000);  // fits: written in place
  EXPECT_EQ(be->bufferSize(0), size);
  EXPECT_EQ(be->counters().buffers, buffers) << "a frame that fits makes no buffer";
  EXPECT_TRUE(nullVertexBytes(be, used) == uploaded);

  // The rectangles go in place into a small buffer, then the dots outgrow it.
  RhiTarget b(QRhi::Null, QSize(kW, kH));
  ASSERT_TRUE(b.ok());
  dotsFrame(b, 20, 10);
  dotsFrame(b, 20, 3000);
  EXPECT_TRUE(nullVertexBytes(b.painter().backend(), used) == uploaded);
}

TEST(PainterSnapping, DevicePixelRulesAtRatioOneAndAHalf) {
  QornPainter p(1);
  p.setDevicePixelRatio(1.5f);
  p.setSnapMode(1);
  EXPECT_NEAR(p.snapPosition(10.2f), 10.0f + 1.0f / 3.0f, 1e-5);
  EXPECT_NEAR(p.snapPosition(3.9f), 3.0f + 2.0f / 3.0f, 1e-5);
  EXPECT_NEAR(p.snapSize(10.2f), 10.0f, 1e-5);
  EXPECT_NEAR(p.snapSize(3.9f), 4.0f, 1e-5);
  p.setSnapMode(2);
  EXPECT_NEAR(p.snapPosition(10.2f), 10.0f, 1e-5);
  EXPECT_NEAR(p.snapPosition(3.9f), 3.0f + 1.0f / 3.0f, 1e-5);
  EXPECT_NEAR(p.snapSize(10.2f), 10.0f, 1e-5);
  EXPECT_NEAR(p.snapSize(3.9f), 4.0f, 1e-5);
  p.setSnapMode(0);
  EXPECT_EQ(p.snapPosition(10.2f), 10.2f);
  EXPECT_EQ(p.snapSize(3.9f), 3.9f);
}

TEST(NullBackend, DeletingAnUnknownImageChangesNothing) {
  RhiTarget t(QRhi::Null, QSize(kW, kH));
  ASSERT_TRUE(t.ok());
  qorn::rhi::RhiBackend *be = t.painter().backend();
  const int before = be->textureCount();
  EXPECT_EQ(be->deleteTexture(12345), 0);
  EXPECT_EQ(be->deleteTexture(0), 0);
  EXPECT_EQ(be->textureCount(), before);
  int w = 0, h = 0;
  EXPECT_EQ(be->textureSize(-3, &w, &h), 0);
  EXPECT_EQ(be->updateTexture(999, 0, 0, 1, 1, nullptr), 0);
}

TEST(SharedState, FontCacheAndShaderSetAreSafeAcrossRenderThreads) {
  std::vector<const QByteArray *> fonts(8, nullptr);
  std::vector<const qorn::rhi::ShaderSet *> sets(8, nullptr);
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&, i] {
      fonts[i] = qornFontFileData(qornDefaultFontPath());
      sets[i] = &qorn::rhi::shaderSet();
    });
  for (std::thread &th : threads) th.join();
  ASSERT_NE(fonts[0], nullptr);
  EXPECT_GT(fonts[0]->size(), 100000);
  for (int i = 1; i < 8; ++i) {
    EXPECT_EQ(fonts[i], fonts[0]);
    EXPECT_EQ(sets[i], sets[0]);
  }
  EXPECT_TRUE(sets[0]->vert.isValid());
  EXPECT_TRUE(sets[0]->frag.isValid());
  EXPECT_TRUE(sets[0]->fragEdgeAA.isValid());
  EXPECT_EQ(qornFontFileData(QStringLiteral("/nonexistent/font.ttf")), nullptr);
}

}  // namespace

int main(int argc, char **argv) { return runGpuTests(argc, argv); }
