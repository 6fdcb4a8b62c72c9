// Painter, fonts and images across core lifetimes, on Qt's Null back end (no pixels, but every
// QRhi object and upload is real).
#include "QornRhiBackend.h"
#include "RhiTarget.h"

#include <qorn/QornInit.h>

#include <gtest/gtest.h>

namespace {

TEST(PainterLifetime, ImagesAndFontsOfAnOldCoreAreMadeAgainOnTheNewOne) {
  RhiTarget t(QRhi::Null, QSize(64, 64));
  ASSERT_TRUE(t.ok());
  QornPainter &p = t.painter();
  QornImage image(&p, 4, 4);
  const int first = image.ensureCreated();
  ASSERT_GT(first, 0);
  t.frame([&](QornPainter &pp) { EXPECT_GT(pp.drawImage(image, QRectF(0, 0, 4, 4), QRectF(0, 0, 8, 8)), 0); });
  const int texturesBefore = p.backend()->textureCount();

  // A new core (as after the scene graph released its resources) knows nothing of the old ids.
  p.createCore(t.rhi());
  EXPECT_EQ(image.handle(), -1);
  const int again = image.ensureCreated();
  EXPECT_GT(again, 0);
  EXPECT_NE(p.backend()->texture(again), nullptr);
  t.frame([&](QornPainter &pp) {
    EXPECT_GE(pp.defaultFont().select(), 0) << "the default font resolves on the new core";
    EXPECT_GT(pp.drawImage(image, QRectF(0, 0, 4, 4), QRectF(0, 0, 8, 8)), 0);
  });
  EXPECT_LE(p.backend()->textureCount(), texturesBefore + 1);
}

TEST(PainterLifetime, UnreadableFontDrawsNoTextAndIsNotRetried) {
  RhiTarget t(QRhi::Null, QSize(64, 64));
  ASSERT_TRUE(t.ok());
  QornFont font(&t.painter(), QStringLiteral("/nonexistent/missing.ttf"));
  t.frame([&](QornPainter &p) {
    EXPECT_EQ(font.select(), -1);
    p.setFont(font);
    p.text(QStringLiteral("no font"), 4, 20);
    const QRectF b = p.textBounds(QStringLiteral("no font"), 4, 20);
    EXPECT_EQ(b, QRectF(4, 20, 0, 0));
    EXPECT_EQ(font.select(), -1);
  });
  EXPECT_EQ(qornFontFileData(QStringLiteral("/nonexistent/missing.ttf")), nullptr);
}

TEST(PainterLifetime, PendingUploadWaitsForAFrameWithCalls) {
  RhiTarget t(QRhi::Null, QSize(64, 64));
  ASSERT_TRUE(t.ok());
  QornImage image(&t.painter(), 4, 4);
  ASSERT_GT(image.ensureCreated(), 0);
  EXPECT_TRUE(t.painter().backend()->hasPendingUploads());
  t.frame([](QornPainter &) {});
  EXPECT_TRUE(t.painter().backend()->hasPendingUploads()) << "an empty frame uploads nothing";
  t.frame([&](QornPainter &p) { p.drawImage(image, QRectF(0, 0, 4, 4), QRectF(0, 0, 4, 4)); });
  EXPECT_FALSE(t.painter().backend()->hasPendingUploads());
}

TEST(PainterLifetime, NothingToDrawWithoutACore) {
  QornPainter p(1);
  QornImage image(&p, 4, 4);
  EXPECT_EQ(image.ensureCreated(), -1);
  EXPECT_EQ(p.drawImage(image, QRectF(0, 0, 4, 4), QRectF(0, 0, 4, 4)), -1);
  p.beginPath();
  p.rect(0, 0, 10, 10);
  p.fill();
  EXPECT_EQ(p.textBounds(QStringLiteral("x"), 3, 4), QRectF(3, 4, 0, 0));
  const QPoint two[2] = {QPoint(0, 0), QPoint(5, 5)};
  p.polygon(two, 2);
  p.polyline(two, 1);
}

}  // namespace
