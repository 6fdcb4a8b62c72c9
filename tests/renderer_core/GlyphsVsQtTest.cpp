// Glyphs of the atlas (stb_truetype) against Qt's QRawFont (FreeType) on the same font files:
// glyph indices, advances and the total coverage of each rasterised glyph.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QRawFont>

#include <memory>
#include <vector>

#include "Atlas.h"
#include "RendererKit.h"

namespace ostrel::test {
namespace {

// QRawFont needs a GUI application; it lives for the whole test program.
class QtEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    static int argc = 1;
    static char name[] = "test_renderer_glyphs_qt";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QGuiApplication>(argc, argv);
  }
  void TearDown() override { app_.reset(); }

private:
  std::unique_ptr<QGuiApplication> app_;
};
const auto* const kQtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

QGuiApplication* app() { return qobject_cast<QGuiApplication*>(QCoreApplication::instance()); }

double qtCoverage(const QRawFont& font, quint32 glyph) {
  QImage img = font.alphaMapForGlyph(glyph, QRawFont::PixelAntialiasing);
  double sum = 0;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) {
      switch (img.format()) {
        case QImage::Format_Indexed8:
        case QImage::Format_Alpha8:
        case QImage::Format_Grayscale8:
          sum += img.constScanLine(y)[x];
          break;
        default:
          sum += qAlpha(img.pixel(x, y));
      }
    }
  }
  return sum;
}

double atlasCoverage(qorn::Atlas& atlas, const qorn::Glyph& g) {
  int w = 0, h = 0;
  const unsigned char* data = atlas.textureData(&w, &h);
  double sum = 0;
  for (int y = g.y0; y < g.y1; ++y)
    for (int x = g.x0; x < g.x1; ++x) sum += data[static_cast<size_t>(y) * w + x];
  return sum;
}

void compareWithQt(const char* path, const QString& text) {
  ASSERT_NE(app(), nullptr);
  const float px = 16.0f;
  QRawFont qt(QString::fromUtf8(path), px, QFont::PreferNoHinting);
  ASSERT_TRUE(qt.isValid()) << path;

  auto bytes = readFileBytes(path);
  ASSERT_FALSE(bytes.empty()) << path;
  std::unique_ptr<qorn::Atlas> atlas(qorn::Atlas::create(512, 512));
  const int font = atlas->addFont(path, bytes.data(), static_cast<int>(bytes.size()), 0);
  ASSERT_GE(font, 0);

  const QList<quint32> indexes = qt.glyphIndexesForString(text);
  const QList<QPointF> advances = qt.advancesForGlyphIndexes(indexes, QRawFont::UseDesignMetrics);
  const std::u32string cps = text.toStdU32String();
  ASSERT_EQ(static_cast<size_t>(indexes.size()), cps.size());
  double oursTotal = 0, theirsTotal = 0;
  for (size_t i = 0; i < cps.size(); ++i) {
    const qorn::Glyph* g = atlas->glyph(font, cps[i], px, 0, qorn::kGlyphBitmapRequired);
    ASSERT_NE(g, nullptr) << "U+" << std::hex << static_cast<unsigned>(cps[i]);
    EXPECT_EQ(static_cast<quint32>(g->index), indexes[i]);
    EXPECT_NEAR(g->xadv / 10.0, advances[i].x(), 0.1) << "U+" << std::hex << static_cast<unsigned>(cps[i]);
    const double ours = atlasCoverage(*atlas, *g);
    const double theirs = qtCoverage(qt, indexes[i]);
    ASSERT_GT(theirs, 0);
    oursTotal += ours;
    theirsTotal += theirs;
    // The two engines flatten curves differently; a glyph of many small curves differs most.
    EXPECT_NEAR(ours / theirs, 1.0, 0.08) << "U+" << std::hex << static_cast<unsigned>(cps[i]) << " ours " << ours
                                          << " Qt " << theirs;
  }
  EXPECT_NEAR(oursTotal / theirsTotal, 1.0, 0.05);
}

TEST(GlyphsVsQt, LatinGlyphsOfDejaVuSans) { compareWithQt(OSTREL_FONT_DEJAVU, QStringLiteral("AaBbgQW8@&%mx")); }

TEST(GlyphsVsQt, CjkGlyphsOfTheFirstFaceOfWenQuanYi) {
  compareWithQt(OSTREL_FONT_WQY, QString::fromUtf8("中文温度测量热像仪"));
}

}  // namespace
}  // namespace ostrel::test
