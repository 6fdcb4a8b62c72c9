// Item painting through QPainter (the exporter's side) on a 200 x 200 picture of a 100 x 100
// image shown at scale 2, checked pixel by pixel against hand-worked geometry.
#include "PaintScene.h"
#include "ThermalApp.h"

#include <ItemPainter.h>
#include <PaintResources.h>

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

constexpr QRgb kBg = 0xFF303030;
constexpr QRgb kWhite = 0xFFFFFFFF, kBlack = 0xFF000000, kRed = 0xFFFF0000, kBlue = 0xFF0000FF;
constexpr uint32_t kGreen = 0xFF00FF00;

class ItemPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureThermalApp();
    initPaintResources();
    image_ = QImage(200, 200, QImage::Format_ARGB32);
    image_.fill(kBg);
    tables_.apply(painter_);
    qp_.begin(&image_);
    painter_.beginQPainter(&qp_, 100, 100, 200, 200);
  }
  void finish() {
    painter_.end();
    if (qp_.isActive()) qp_.end();
  }
  void TearDown() override { finish(); }
  QRgb at(int x, int y) const { return image_.pixel(x, y); }
  bool anyOf(QRgb c, int x0, int y0, int x1, int y1) const {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (at(x, y) == c) return true;
    return false;
  }
  bool onlyBackground(int x0, int y0, int x1, int y1) const {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (at(x, y) != kBg) return false;
    return true;
  }

  QImage image_;
  QPainter qp_;
  PaintTables tables_{100, 100, 0, 0, 200, 200};
  ItemPainter painter_;
};

TEST_F(ItemPaint, ColourTablesHoldTheFixedValues) {
  const PaintResources &r = paintResources();
  EXPECT_EQ(r.colors[1].rgba(), kWhite);
  EXPECT_EQ(r.colors[3].rgba(), kRed);
  EXPECT_EQ(r.colors[4].rgba(), 0xFF00FF00u);
  EXPECT_EQ(r.colors[6].rgba(), 0xFF00FFFFu);
  EXPECT_EQ(r.colors[9].rgba(), 0xFFA0A0A0u);
  EXPECT_EQ(r.colors[10].rgba(), 0x80000000u);
  EXPECT_EQ(r.pens[2].width(), 2);
  EXPECT_EQ(r.pens[2].capStyle(), Qt::SquareCap);
  EXPECT_EQ(r.pens[2].joinStyle(), Qt::BevelJoin);
  EXPECT_FLOAT_EQ(r.qornColors[10].a, 128.0f / 255.0f);
  EXPECT_EQ(r.labelFont.pointSize(), 12);
  EXPECT_EQ(r.labelFont.families().last(), QStringLiteral("WenQuanYi Micro Hei"));
  EXPECT_EQ(itemColorArgb(0), 0xFFFF0000u);
  EXPECT_EQ(itemColorArgb(15), 0xFFFF00FFu);
  EXPECT_EQ(itemColorArgb(16), 0xFFFF0000u);
}

TEST_F(ItemPaint, HandleIsEightWhiteAroundFourBlack) {
  const QPoint pts[] = {QPoint(50, 60), QPoint(150, 20)};
  painter_.drawHandles(pts, 2);
  finish();
  for (const QPoint &c : pts)
    for (int y = c.y() - 8; y < c.y() + 8; ++y)
      for (int x = c.x() - 8; x < c.x() + 8; ++x) {
        const int dx = x - c.x(), dy = y - c.y();
        QRgb want = kBg;
        if (dx >= -4 && dx < 4 && dy >= -4 && dy < 4) want = kWhite;
        if (dx >= -2 && dx < 2 && dy >= -2 && dy < 2) want = kBlack;
        ASSERT_EQ(at(x, y), want) << x << "," << y;
      }
}

TEST_F(ItemPaint, ExtremeMarkersSitOnTheConvertedSpots) {
  // Hottest at image (40, 30) = view (80, 60): a red triangle above it; coldest at image
  // (20, 70) = view (40, 140): a blue one below it.
  MeaItem def = makeDef(0, "GLOBAL", 0xFF808080, {});
  def.meaFlags = 3;
  const MeaResult res = makeResult(50, 30, 10, 40, 30, 20, 70);
  painter_.drawGlobal(def, res);
  finish();
  EXPECT_EQ(at(80, 54), kRed) << "centroid (80, 54.7)";
  EXPECT_EQ(at(40, 145), kBlue) << "centroid (40, 145.3)";
  EXPECT_TRUE(anyOf(kWhite, 75, 51, 85, 53)) << "white outline along the top edge";
  EXPECT_EQ(at(80, 64), kBg) << "nothing below the hottest spot";
  EXPECT_EQ(at(40, 136), kBg) << "nothing above the coldest spot";
}

TEST_F(ItemPaint, MarkersFollowTheTrackFlags) {
  MeaItem def = makeDef(0, "GLOBAL", 0xFF808080, {});
  def.meaFlags = 2;
  painter_.drawGlobal(def, makeResult(50, 30, 10, 40, 30, 20, 70));
  finish();
  EXPECT_EQ(at(80, 54), kBg);
  EXPECT_EQ(at(40, 145), kBlue);
}

TEST_F(ItemPaint, AutomaticLabelFlipsAtTheRightAndBottomEdges) {
  const QString text = QStringLiteral("Spot 1\n 12.3");
  const QRectF r = painter_.drawLabel(QPoint(197, 100), 0, text, 5);
  ASSERT_GT(r.width(), 10);
  EXPECT_DOUBLE_EQ(r.x() + r.width(), 192.0) << "left of the anchor by the offset";
  EXPECT_DOUBLE_EQ(r.y(), 105.0);
  const QRectF right = painter_.drawLabel(QPoint(197, 20), 2, text, 5);
  EXPECT_DOUBLE_EQ(right.x(), 202.0) << "textPos 2 stays right and runs off";
  EXPECT_DOUBLE_EQ(right.y() + right.height(), 15.0);
  const QRectF low = painter_.drawLabel(QPoint(20, 197), 0, text, 5);
  EXPECT_DOUBLE_EQ(low.x(), 25.0);
  EXPECT_DOUBLE_EQ(low.y() + low.height(), 192.0);
  const QRectF mouse = painter_.drawLabel(QPoint(20, 20), 4, text, 10);
  EXPECT_EQ(painter_.lastLabelRect(), mouse);
  EXPECT_DOUBLE_EQ(mouse.x(), 30.0);
  finish();
  // The background is half-transparent black over the picture; the anchor's side stays clear.
  const QRgb blended = at(int(r.x()), int(r.y() + r.height()) - 1);
  EXPECT_NEAR(qRed(blended), 0x18, 1);
  EXPECT_TRUE(onlyBackground(193, 100, 199, 130));
}

TEST_F(ItemPaint, PointTypeThreeArmsReachTheImageEdges) {
  MeaItem def = makeDef(3, "P3", kGreen, {{50, 50}, {0, 0}});
  painter_.drawPoint(def, makeResult(0, 25, 0, 0, 0, 0, 0), nullptr, 3);
  finish();
  // View point (100, 100); arms run along row 100 and column 100 to 0 and 200.
  EXPECT_TRUE(anyOf(kGreen, 0, 99, 0, 101));
  EXPECT_TRUE(anyOf(kGreen, 199, 99, 199, 101));
  EXPECT_TRUE(anyOf(kGreen, 99, 0, 101, 0));
  EXPECT_TRUE(anyOf(kGreen, 99, 199, 101, 199));
  EXPECT_EQ(at(100, 100), kBg) << "the box is open in the middle";
}

TEST_F(ItemPaint, PointTypesOneAndTwoHaveShortArmsAndALabel) {
  MeaItem one = makeDef(1, "P1", kGreen, {{25, 25}, {0, 0}});
  MeaItem two = makeDef(2, "P2", kGreen, {{75, 75}, {0, 0}});
  painter_.drawPoint(one, makeResult(0, 25, 0, 0, 0, 0, 0), nullptr, 1);
  const QRectF label = painter_.lastLabelRect();
  painter_.drawPoint(two, makeResult(0, 25, 0, 0, 0, 0, 0), nullptr, 2);
  finish();
  // Type 1 at (50, 50): box side 8, arms to 12 px; type 2 at (150, 150): box side 12, arms to 14.
  EXPECT_TRUE(anyOf(kGreen, 37, 49, 39, 51));
  EXPECT_TRUE(onlyBackground(30, 49, 35, 51));
  EXPECT_TRUE(anyOf(kGreen, 135, 149, 137, 151));
  EXPECT_TRUE(onlyBackground(128, 149, 133, 151));
  EXPECT_TRUE(anyOf(kGreen, 143, 143, 145, 145)) << "corner of the 12 px box";
  EXPECT_DOUBLE_EQ(label.x(), 55.0);
  EXPECT_DOUBLE_EQ(label.y(), 55.0);
}

#pragma pack(push, 1)
struct OversizedDef {
  MeaItem item;
  MeaPoint beyond[223];  // what a 255-point count would read past the record
};
#pragma pack(pop)

TEST_F(ItemPaint, PointCountFromAFileNeverReadsPastThirtyTwoPoints) {
  OversizedDef big;
  std::memset(&big, 0, sizeof big);
  big.item = makeDef(5, "long", kGreen, {});
  big.item.pointCount = 255;
  big.item.reserved84 = 1;  // no label
  for (int i = 0; i < 32; ++i) big.item.points[i] = MeaPoint{uint16_t(5 + i), uint16_t(10 + (i % 2) * 10)};
  for (auto &p : big.beyond) p = MeaPoint{95, 95};
  EXPECT_EQ(painter_.defPoints(big.item), 32);
  painter_.drawPoly(big.item, makeResult(0, 0, 0, 0, 0, 0, 0), nullptr, 0, 5);
  // The item's own view points: the count is clamped as well.
  QPoint view[32];
  for (int i = 0; i < 32; ++i) view[i] = QPoint(10 + 2 * i, 120);
  painter_.drawPoly(big.item, makeResult(0, 0, 0, 0, 0, 0, 0), view, 0, 11);
  finish();
  // Point 31 (image (36, 20)) carries a handle; nothing at view (190, 190).
  EXPECT_EQ(at(72, 40), kBlack);
  EXPECT_EQ(at(72 + 3, 40 + 3), kWhite);
  EXPECT_EQ(at(72, 120), kBlack) << "last of the given view points";
  EXPECT_TRUE(onlyBackground(150, 150, 199, 199));
}

TEST_F(ItemPaint, DefinitionPointCountsFollowTheType) {
  MeaItem d = makeDef(0, "", 0, {});
  d.pointCount = 9;
  EXPECT_EQ(painter_.defPoints(d), 0);
  for (int t : {1, 2, 3, 6, 7, 9, 10}) {
    d.meaType = uint8_t(t);
    d.pointCount = 200;
    EXPECT_EQ(painter_.defPoints(d), 2) << t;
  }
  d.meaType = 11;
  d.pointCount = 0;
  EXPECT_EQ(painter_.defPoints(d), 0);
  d.pointCount = 7;
  EXPECT_EQ(painter_.defPoints(d), 7);
  d.meaType = 200;
  d.pointCount = 255;
  EXPECT_EQ(painter_.defPoints(d), 32);
  // Coordinates beyond the tables' index range map to the far edge instead of reading past them.
  d = makeDef(5, "", 0, {{65535, 40000}, {50, 10}});
  ASSERT_EQ(painter_.defPoints(d), 2);
  EXPECT_EQ(painter_.scratch()[0], QPoint(200, 200));
  EXPECT_EQ(painter_.scratch()[1], QPoint(100, 20));
}

TEST_F(ItemPaint, PolygonOfTwoPointsHasNoMarkersPolylineHas) {
  MeaItem poly = makeDef(11, "pg", kGreen, {{10, 10}, {40, 10}});
  poly.meaFlags = 1;
  poly.reserved84 = 1;
  MeaItem line = makeDef(5, "pl", kGreen, {{10, 60}, {40, 60}});
  line.meaFlags = 1;
  line.reserved84 = 1;
  painter_.drawPoly(poly, makeResult(0, 0, 0, 20, 30, 0, 0), nullptr, -1, 11);
  painter_.drawPoly(line, makeResult(0, 0, 0, 70, 30, 0, 0), nullptr, -1, 5);
  finish();
  EXPECT_EQ(at(40, 54), kBg) << "polygon's marker at view (40, 60)";
  EXPECT_EQ(at(140, 54), kRed) << "polyline's marker at view (140, 60)";
  EXPECT_EQ(at(20, 23), kBg) << "editIndex -1: no handles";
}

TEST_F(ItemPaint, RectangleHandlesAndLabelAtCornerOne) {
  // Corners in view pixels (40, 40), (120, 40), (120, 100), (40, 100).
  const QPoint corners[4] = {QPoint(40, 40), QPoint(120, 40), QPoint(120, 100), QPoint(40, 100)};
  MeaItem rect = makeDef(9, "R", kGreen, {{20, 20}, {60, 50}});
  rect.reserved70[0] = 1;  // label top-left of its anchor, clear of the rectangle
  painter_.drawRect(rect, makeResult(1, 2, 3, 0, 0, 0, 0), corners, 0, 9);
  const QRectF label = painter_.lastLabelRect();
  finish();
  for (const QPoint &c : corners) EXPECT_EQ(at(c.x(), c.y()), kBlack) << c.x() << "," << c.y();
  EXPECT_DOUBLE_EQ(label.x() + label.width(), 35.0);
  EXPECT_DOUBLE_EQ(label.y() + label.height(), 35.0);
  EXPECT_TRUE(anyOf(kGreen, 80, 39, 80, 41)) << "top edge";
  EXPECT_TRUE(anyOf(kGreen, 80, 100, 80, 102)) << "bottom edge includes row 100";
}

TEST_F(ItemPaint, RectangleEditIndexPicksOneCornerAndExportUsesTheDefinition) {
  MeaItem rect = makeDef(6, "E", kGreen, {{20, 20}, {60, 50}});
  rect.reserved84 = 1;
  painter_.drawRect(rect, makeResult(1, 2, 3, 0, 0, 0, 0), nullptr, 3, 6);
  finish();
  // From the definition: (40, 40) to (120, 100); corner 3 only.
  EXPECT_EQ(at(120, 100), kBlack);
  EXPECT_EQ(at(40, 40), kBg) << "an ellipse does not reach its box corner";
  EXPECT_TRUE(anyOf(kGreen, 79, 38, 82, 42)) << "top of the ellipse";
  EXPECT_TRUE(anyOf(kGreen, 38, 69, 42, 72)) << "left of the ellipse";
}

TEST_F(ItemPaint, CursorReadoutAndCornerText) {
  MeaItem mouse = makeDef(1, "", 0, {{12, 34}});
  painter_.drawMouse(mouse, makeResult(0, 21.25f, 0, 0, 0, 0, 0), QPoint(20, 20));
  const QRectF r = painter_.lastLabelRect();
  EXPECT_DOUBLE_EQ(r.x(), 30.0);
  EXPECT_DOUBLE_EQ(r.y(), 30.0);
  painter_.drawCornerText(4, QStringLiteral("corner"));
  painter_.drawCenteredText(QStringLiteral("mid"), QRectF(100, 150, 80, 40), 1, 10);
  finish();
  EXPECT_NEAR(qRed(at(199, 199)), 0x18, 1) << "bottom-right corner text background";
  EXPECT_NEAR(qRed(at(103, 153)), 0x18, 1) << "centred text box filled";
}

TEST(ItemPaintIdle, NothingHappensOutsideBeginAndEnd) {
  ensureThermalApp();
  ItemPainter p;
  MeaItem d = makeDef(9, "x", 0, {{1, 1}, {2, 2}});
  p.drawRect(d, makeResult(0, 0, 0, 0, 0, 0, 0), nullptr, 0, 9);
  p.drawHandles(nullptr, 3);
  EXPECT_TRUE(p.drawLabel(QPoint(1, 1), 0, QStringLiteral("t"), 5).isNull());
  EXPECT_FALSE(p.active());
}

}  // namespace
