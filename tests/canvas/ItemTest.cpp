// Measurement items: shapes, hit tests, editing, statistics against hand counts, and the
// sanitising of definitions that come from files.
#include "CanvasSupport.h"

#include <QSignalSpy>

#include <cstring>

using namespace canvastest;

namespace {

// 640 x 480 shown 1:1 in a 640 x 480 view, so view and image pixels coincide.
class Items : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas.setSize(QSizeF(640, 480));
    ASSERT_EQ(canvas.beginUpdate(640, 480), 0);
    frame.fill(20, 0x000000FFu);
    frame.disc(320, 240, 40, 50, 0x00FFFF00u);
    ASSERT_EQ(canvas.updateData(frame.handle()), 0);
  }
  TempCanvasItemBase *make(const MeaItem &d) { return canvas.createItem(&d); }
  TempCanvasManager manager;
  ProbeCanvas canvas;
  ProducerFrame frame{640, 480};
};

TEST_F(Items, PolylineVerticesAreNearWithinSevenPixels) {
  auto *line = make(makeDef(5, {{100, 100}, {200, 100}, {200, 200}}));
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->hitTest(QPoint(107, 107)), 1);
  EXPECT_EQ(line->hitTest(QPoint(108, 107)), -1);
  EXPECT_EQ(line->hitTest(QPoint(193, 207)), 3);
  EXPECT_EQ(line->hitTest(QPoint(193, 107)), 2);
  EXPECT_EQ(line->hitTest(QPoint(192, 107)), -1);
  // On a segment: the distance must stay below the square root of 8.
  EXPECT_EQ(line->hitTest(QPoint(150, 102)), 0);
  EXPECT_EQ(line->hitTest(QPoint(150, 103)), -1);
  EXPECT_EQ(line->hitTest(QPoint(198, 150)), 0);
  // The hit selected it with that edit index.
  line->hitTest(QPoint(100, 100));
  EXPECT_EQ(line->editIndex, 1);
  EXPECT_EQ(canvas.itemSelected(), line);
}

TEST_F(Items, PointAndRectHitTests) {
  auto *pt = make(makeDef(1, {{50, 60}}));
  EXPECT_EQ(pt->hitTest(QPoint(57, 53)), 1);
  EXPECT_EQ(pt->hitTest(QPoint(58, 60)), -1);
  auto *rect = make(makeDef(9, {{300, 300}, {400, 350}}));
  EXPECT_EQ(rect->hitTest(QPoint(406, 306)), 2);
  EXPECT_EQ(rect->hitTest(QPoint(300, 350)), 4);
  EXPECT_EQ(rect->hitTest(QPoint(350, 320)), 0);
  EXPECT_EQ(rect->hitTest(QPoint(400, 340)), 0);  // the edge is inside
  EXPECT_EQ(rect->hitTest(QPoint(409, 325)), -1);
}

TEST_F(Items, PolygonEvenOddInside) {
  // A concave "U": the notch between the arms is outside.
  auto *poly = make(makeDef(11, {{100, 100}, {300, 100}, {300, 300}, {250, 300}, {250, 150}, {150, 150}, {150, 300}, {100, 300}}));
  ASSERT_NE(poly, nullptr);
  EXPECT_EQ(poly->hitTest(QPoint(125, 250)), 0);
  EXPECT_EQ(poly->hitTest(QPoint(275, 250)), 0);
  EXPECT_EQ(poly->hitTest(QPoint(200, 250)), -1);
  EXPECT_EQ(poly->hitTest(QPoint(200, 125)), 0);
  EXPECT_EQ(poly->hitTest(QPoint(350, 125)), -1);
  EXPECT_EQ(poly->hitTest(QPoint(252, 152)), 5);
}

TEST_F(Items, RectDraggedPastItsLeftEdgeCollapses) {
  auto *r = static_cast<TempCanvasItemRect *>(make(makeDef(9, {{100, 100}, {200, 150}})));
  r->movePoint(3, QPoint(60, 170));
  EXPECT_EQ(r->x1, r->x0);
  EXPECT_EQ(r->x0, 100);
  EXPECT_EQ(r->y1, 170);
  EXPECT_EQ(r->def.points[1].x, 100);
  EXPECT_EQ(r->editIndex, 3);
  // Moved whole by a displacement.
  r->movePoint(0, QPoint(10, -5));
  EXPECT_EQ(r->x0, 110);
  EXPECT_EQ(r->y0, 95);
  EXPECT_EQ(r->editIndex, 0);
}

TEST_F(Items, SquareDraggedByCornerOneFollowsTheLargerDistance) {
  auto *sq = static_cast<TempCanvasItemRect *>(make(makeDef(10, {{100, 100}, {200, 200}})));
  ASSERT_TRUE(sq->square);
  sq->movePoint(1, QPoint(200 - 10, 200 - 30));
  EXPECT_EQ(sq->x1 - sq->x0, 30);
  EXPECT_EQ(sq->y1 - sq->y0, 30);
  EXPECT_EQ(sq->def.points[1].x - sq->def.points[0].x, 30);
  // A circle keeps y1 = x1 + y0 - x0 however its second point is dragged.
  auto *c = static_cast<TempCanvasItemRect *>(make(makeDef(7, {{10, 10}, {40, 90}})));
  EXPECT_EQ(c->y1 - c->y0, c->x1 - c->x0);
}

TEST_F(Items, PolylineAndPolygonPointLimits) {
  MeaItem d = makeDef(5, {});
  d.pointCount = 32;
  for (int i = 0; i < 32; ++i) d.points[i] = MeaPoint{uint16_t(10 + i * 10), uint16_t(20)};
  auto *line = make(d);
  MeaItem before = line->def;
  EXPECT_EQ(line->addPoint(QPoint(5, 5)), 32);
  EXPECT_EQ(std::memcmp(&before, &line->def, sizeof before), 0);

  auto *two = make(makeDef(5, {{1, 1}, {20, 20}}));
  two->removeLastPoint();
  EXPECT_EQ(two->def.pointCount, 2);
  auto *tri = make(makeDef(11, {{1, 1}, {20, 20}, {1, 40}}));
  tri->removeLastPoint();
  EXPECT_EQ(tri->def.pointCount, 3);
  EXPECT_EQ(tri->addPoint(QPoint(30, 30)), 4);
  tri->removeLastPoint();
  EXPECT_EQ(tri->def.pointCount, 3);
  EXPECT_EQ(tri->editIndex, 0);
}

TEST_F(Items, StatisticsMatchAHandCount) {
  // Rectangle 300..359 x 200..259 over the disc centred at (320, 240), radius 40.
  auto *r = make(makeDef(9, {{300, 200}, {359, 259}}));
  double sum = 0;
  int n = 0;
  for (int y = 200; y <= 259; ++y)
    for (int x = 300; x <= 359; ++x) {
      sum += ProducerFrame::inDisc(x, y, 320, 240, 40) ? 50 : 20;
      ++n;
    }
  EXPECT_FLOAT_EQ(r->result.max, 50.0f);
  EXPECT_FLOAT_EQ(r->result.min, 20.0f);
  EXPECT_NEAR(r->result.avg, sum / n, 0.01);
  // The hottest pixel lies in the disc, the coldest outside it, both inside the rectangle.
  EXPECT_TRUE(ProducerFrame::inDisc(r->result.maxX, r->result.maxY, 320, 240, 40));
  EXPECT_FALSE(ProducerFrame::inDisc(r->result.minX, r->result.minY, 320, 240, 40));
  EXPECT_GE(r->result.minX, 300);
  EXPECT_LE(r->result.minY, 259);
  const QString expectMax = QStringLiteral("50.0 (%1,%2)").arg(r->result.maxX).arg(r->result.maxY);
  EXPECT_EQ(r->result_max(), expectMax);
}

TEST_F(Items, ResultTextsFormatLikeThePrintfPattern) {
  auto *pt = make(makeDef(1, {{12, 7}}));
  ProducerFrame f(640, 480);
  f.fill(5, 0);
  f.codes[7 * 640 + 12] = 3640;
  ASSERT_EQ(canvas.updateData(f.handle()), 0);
  EXPECT_EQ(pt->result_max(), QStringLiteral("36.4 (12,7)"));
  EXPECT_EQ(pt->result_avg(), QStringLiteral("36.4"));
  EXPECT_EQ(canvas.itemGlobal()->result_avg().left(3), QStringLiteral("5.0"));
}

TEST_F(Items, DefinitionsFromFilesAreSanitised) {
  MeaItem d = makeDef(5, {{10, 10}, {900, 700}});
  d.pointCount = 255;  // a damaged file
  std::memset(d.name, 'x', sizeof d.name);  // no terminator
  for (int i = 2; i < 32; ++i) d.points[i] = MeaPoint{uint16_t(i), uint16_t(i)};
  const MeaItem copy = d;
  auto *line = make(d);
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(std::memcmp(&copy, &d, sizeof d), 0);  // the caller's record is untouched
  EXPECT_EQ(line->def.pointCount, 32);
  EXPECT_EQ(line->def.points[1].x, 639);
  EXPECT_EQ(line->def.points[1].y, 479);
  EXPECT_EQ(line->meaName().size(), 63);
  EXPECT_NE(line->result_max(), QString());  // measurable after the repair
  // A point keeps one point, a rectangle two, whatever the count says.
  MeaItem p = makeDef(2, {{5, 5}});
  p.pointCount = 200;
  EXPECT_EQ(make(p)->def.pointCount, 1);
  MeaItem r = makeDef(9, {{5, 5}, {50, 50}});
  r.pointCount = 0;
  EXPECT_EQ(make(r)->def.pointCount, 2);
  // Types without items are refused.
  for (int t : {0, 4, 8, 12, 200}) EXPECT_EQ(make(makeDef(t, {{1, 1}, {2, 2}})), nullptr) << t;
}

TEST_F(Items, FixCorrectionIsStoredWholeAndMarksTheItem) {
  auto *r = make(makeDef(9, {{300, 200}, {359, 259}}));
  ASSERT_FALSE(r->dirty);
  EXPECT_TRUE(r->set_fix(true, 0.5f, 30.0f));
  EXPECT_EQ(r->def.fixEnable, 1u);
  EXPECT_FLOAT_EQ(r->def.fixEmi, 0.5f);
  EXPECT_FLOAT_EQ(r->def.fixReflectTemp, 30.0f);
  EXPECT_TRUE(r->dirty);
  // An unchanged call leaves a pending recomputation pending.
  EXPECT_FALSE(r->set_fix(true, 0.5f, 30.0f));
  EXPECT_TRUE(r->dirty);
  // Emissivity out of range is ignored; the reflected temperature alone is a change.
  EXPECT_FALSE(r->set_fix(true, 1.5f, 30.0f));
  EXPECT_FLOAT_EQ(r->def.fixEmi, 0.5f);
  EXPECT_TRUE(r->set_fix(true, 0.5f, 10.0f));
  // The whole 32-bit field is written.
  r->def.fixEnable = 0xFFFFFF00u;
  EXPECT_TRUE(r->set_fix(false, 0.5f, 10.0f));
  EXPECT_EQ(r->def.fixEnable, 0u);
  EXPECT_TRUE(r->set_fix(true, 0.5f, 10.0f));
  QSignalSpy data(r, &TempCanvasItemBase::meaTempDataChanged);
  canvas.forceRedraw();
  EXPECT_FALSE(r->dirty);
  EXPECT_EQ(data.count(), 1);
  // The correction changed the result compared with the plain one.
  MeaItem plain = r->def;
  plain.fixEnable = 0;
  MeaResult ref{};
  ASSERT_EQ(VEZ2024_GetResult(&plain, canvas.frameHead(), canvas.frameData(), &ref), 0);
  EXPECT_NE(r->result.max, ref.max);
}

TEST_F(Items, PropertySettersSignalOnlyOnChange) {
  auto *r = make(makeDef(9, {{300, 200}, {359, 259}}));
  QSignalSpy name(r, &TempCanvasItemBase::meaNameChanged);
  r->setMeaName(QStringLiteral("Box"));
  r->setMeaName(QStringLiteral("Box"));
  r->setMeaName(QString(64, QChar('a')));  // 64 bytes do not fit with the terminator
  EXPECT_EQ(name.count(), 1);
  EXPECT_STREQ(r->def.name, "Box");
  QSignalSpy colour(r, &TempCanvasItemBase::meaColorChanged);
  r->setMeaColor(QColor(1, 2, 3));
  r->setMeaColor(QColor(1, 2, 3));
  EXPECT_EQ(colour.count(), 1);
  EXPECT_EQ(r->def.meaColor, 0xFF010203u);
  QSignalSpy use(r, &TempCanvasItemBase::use3x3Changed);
  r->setUse3x3(true);
  r->setUse3x3(true);
  EXPECT_EQ(use.count(), 1);
  EXPECT_TRUE(r->dirty);
  r->setMeaFlags_trackLow(true);
  EXPECT_EQ(r->def.meaFlags & 2, 2);
  EXPECT_EQ(r->indexInCanvas(), 1);
  EXPECT_EQ(canvas.itemGlobal()->indexInCanvas(), 0);
  TempCanvasItemRect loose;
  EXPECT_EQ(loose.indexInCanvas(), 0);
}

TEST_F(Items, DefinitionsRoundTripAndTheListLimit) {
  MeaItem defs[40];
  defs[0] = MeaItem{};
  defs[0].meaColor = 0xFF123456u;
  for (int i = 1; i < 40; ++i) defs[i] = makeDef(9, {{i, i}, {i + 10, i + 10}});
  EXPECT_EQ(canvas.setItemDefs(defs, 40), 0);
  EXPECT_EQ(canvas.itemList().size(), TempCanvas::kMaxItems);
  EXPECT_EQ(canvas.createItem(&defs[1]), nullptr);
  EXPECT_EQ(canvas.itemGlobal()->meaColor(), QColor(0x12, 0x34, 0x56));
  MeaItem out[40];
  EXPECT_EQ(canvas.getItemDefs(out, 40), 31);
  EXPECT_EQ(std::memcmp(&out[5], &defs[5], sizeof(MeaItem)), 0);
  EXPECT_EQ(canvas.getItemDefs(out, 3), 3);
  // The global item is never deleted; others are.
  canvas.item_delete(canvas.itemGlobal());
  EXPECT_EQ(canvas.itemList().size(), 31);
  canvas.item_delete(canvas.itemList()[3]);
  EXPECT_EQ(canvas.itemList().size(), 30);
  canvas.item_deleteAll();
  EXPECT_EQ(canvas.itemList().size(), 1);
  EXPECT_EQ(canvas.itemSelected(), canvas.itemGlobal());
  // A type that cannot be created ends the loading quietly.
  MeaItem mixed[3] = {MeaItem{}, makeDef(4, {{1, 1}, {5, 5}}), makeDef(9, {{1, 1}, {5, 5}})};
  EXPECT_EQ(canvas.setItemDefs(mixed, 3), 0);
  EXPECT_EQ(canvas.itemList().size(), 1);
}

TEST_F(Items, ItemsFollowTheViewThroughTheTables) {
  auto *r = static_cast<TempCanvasItemRect *>(make(makeDef(9, {{100, 100}, {200, 150}})));
  canvas.setSize(QSizeF(1280, 960));  // a resize fits again: scale 2
  EXPECT_EQ(r->x0, 200);
  EXPECT_EQ(r->y1, 300);
  EXPECT_EQ(r->def.points[1].x, 200);  // image points unchanged
  // Dragging past the displayed image clamps into it.
  r->movePoint(3, QPoint(5000, 5000));
  EXPECT_EQ(r->def.points[1].x, 639);
  EXPECT_EQ(r->def.points[1].y, 479);
}

}  // namespace
