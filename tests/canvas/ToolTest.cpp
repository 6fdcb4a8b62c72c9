// Drawing tools driven by synthetic mouse, hover and key events, and the manager's naming,
// colouring, grouping, tool and hide-all rules across canvases.
#include "CanvasSupport.h"

#include "PaintResources.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QSignalSpy>

using namespace canvastest;

namespace {

class Tools : public ::testing::Test {
 protected:
  void SetUp() override {
    for (ProbeCanvas *c : {&a, &b}) {
      c->setSize(QSizeF(640, 480));
      ASSERT_EQ(c->beginUpdate(640, 480), 0);
    }
    frame.fill(20, 0x000000FFu);
    frame.disc(320, 240, 40, 50, 0x00FFFF00u);
    ASSERT_EQ(a.updateData(frame.handle()), 0);
    ASSERT_EQ(b.updateData(frame.handle()), 0);
  }
  QString name(TempCanvasItemBase *i) const { return i ? i->meaName() : QString(); }
  // Draws a rectangle with the tool bar's rectangle tool.
  TempCanvasItemBase *drawRect(ProbeCanvas &c, QPoint from, QPoint to) {
    manager.setTool(9);
    c.click(from);
    c.hover(to);
    c.click(to, Qt::RightButton);
    return c.itemList().size() > 1 ? c.itemList().last() : nullptr;
  }
  TempCanvasManager manager;
  ProbeCanvas a, b;
  ProducerFrame frame{640, 480};
};

TEST_F(Tools, PointToolCreatesFollowsAndFinishes) {
  manager.setTool(1);
  EXPECT_EQ(a.tool(), 1);
  EXPECT_EQ(b.tool(), 1);
  a.click(QPointF(100.7, 50.2));
  ASSERT_EQ(a.itemList().size(), 2);
  TempCanvasItemBase *p = a.itemList()[1];
  EXPECT_EQ(p->meaType(), 1);
  EXPECT_EQ(name(p), QStringLiteral("M1"));
  EXPECT_EQ(p->def.points[0].x, 100);
  EXPECT_EQ(p->def.points[0].y, 50);
  EXPECT_EQ(a.itemSelected(), p);
  EXPECT_EQ(manager.meaSelected(), p);
  a.hover(QPointF(320, 240));
  EXPECT_EQ(p->def.points[0].x, 320);
  EXPECT_EQ(p->result_max().left(4), QStringLiteral("50.0"));
  // A second left click does not make another point while one is being placed.
  a.click(QPointF(10, 10));
  EXPECT_EQ(a.itemList().size(), 2);
  a.click(QPointF(320, 240), Qt::RightButton);
  EXPECT_EQ(manager.tool(), 0);
  EXPECT_EQ(a.tool(), 0);
  EXPECT_EQ(b.tool(), 0);
  EXPECT_EQ(a.itemSelected(), a.itemGlobal());
  a.hover(QPointF(5, 5));
  EXPECT_EQ(p->def.points[0].x, 320);
}

TEST_F(Tools, PolylineClickClickRightClickLeavesTwoPoints) {
  manager.setTool(5);
  a.click(QPointF(100, 100));
  // One click and a right click: not more than two points yet, drawing goes on.
  a.click(QPointF(100, 100), Qt::RightButton);
  EXPECT_EQ(a.tool(), 5);
  a.hover(QPointF(200, 120));
  a.click(QPointF(200, 120));
  ASSERT_EQ(a.itemList().size(), 2);
  TempCanvasItemBase *line = a.itemList()[1];
  EXPECT_EQ(line->def.pointCount, 3);
  a.hover(QPointF(300, 300));
  EXPECT_EQ(line->viewPoints[2], QPoint(300, 300));
  a.click(QPointF(300, 300), Qt::RightButton);
  EXPECT_EQ(line->def.pointCount, 2);
  EXPECT_EQ(line->def.points[1].x, 200);
  EXPECT_EQ(line->def.points[1].y, 120);
  EXPECT_EQ(a.tool(), 0);
}

TEST_F(Tools, PolygonNeedsThreeClicks) {
  manager.setTool(11);
  a.click(QPointF(100, 100));
  a.hover(QPointF(200, 100));
  a.click(QPointF(200, 100));
  a.click(QPointF(200, 100), Qt::RightButton);
  EXPECT_EQ(a.tool(), 11);  // three points while drawing: not enough
  a.hover(QPointF(200, 200));
  a.click(QPointF(200, 200));
  a.hover(QPointF(150, 250));
  a.click(QPointF(150, 250), Qt::RightButton);
  EXPECT_EQ(a.tool(), 0);
  TempCanvasItemBase *poly = a.itemList()[1];
  EXPECT_EQ(poly->meaType(), 11);
  EXPECT_EQ(poly->def.pointCount, 3);
}

TEST_F(Tools, RectangleToolStretchesCornerThree) {
  TempCanvasItemBase *r = drawRect(a, QPoint(100, 100), QPoint(180, 160));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->meaType(), 9);
  EXPECT_EQ(r->def.points[0].x, 100);
  EXPECT_EQ(r->def.points[1].x, 180);
  EXPECT_EQ(r->def.points[1].y, 160);
  EXPECT_FLOAT_EQ(r->def.fixEmi, 0.97f);
  EXPECT_FLOAT_EQ(r->def.fixReflectTemp, 25.0f);
  EXPECT_TRUE(r->meaFlags_trackHigh());
  EXPECT_EQ(a.tool(), 0);
  EXPECT_EQ(r->editIndex, -1);
}

TEST_F(Tools, SelectPicksTheBodyBeforeAVertexAndMovesIt) {
  TempCanvasItemBase *itemA = drawRect(a, QPoint(100, 100), QPoint(200, 200));
  TempCanvasItemBase *itemB = drawRect(a, QPoint(195, 150), QPoint(300, 300));
  ASSERT_NE(itemB, nullptr);
  // (200, 200) is corner 3 of A and inside B.
  a.press(QPointF(200, 200));
  EXPECT_EQ(a.itemSelected(), itemB);
  QSignalSpy done(itemB, &TempCanvasItemBase::meaTempDataChanged);
  a.move(QPointF(210, 205));
  a.release(QPointF(210, 205));
  EXPECT_EQ(itemB->def.points[0].x, 205);
  EXPECT_EQ(itemB->def.points[0].y, 155);
  EXPECT_EQ(itemA->def.points[0].x, 100);
  EXPECT_EQ(done.count(), 1);
  // A vertex alone is dragged as a vertex.
  a.press(QPointF(102, 98));
  EXPECT_EQ(a.itemSelected(), itemA);
  EXPECT_EQ(itemA->editIndex, 1);
  a.move(QPointF(120, 90));
  EXPECT_EQ(itemA->def.points[0].x, 120);
  EXPECT_EQ(itemA->def.points[0].y, 90);
  a.release(QPointF(120, 90));
  // Nothing under the press: nothing selected, the drag pans instead.
  a.press(QPointF(600, 450));
  EXPECT_EQ(a.itemSelected(), a.itemGlobal());
}

TEST_F(Tools, DeleteRemovesThePickedItemOnly) {
  TempCanvasItemBase *r = drawRect(a, QPoint(100, 100), QPoint(200, 200));
  drawRect(a, QPoint(300, 300), QPoint(350, 350));
  a.key(Qt::Key_Delete);  // nothing picked
  EXPECT_EQ(a.itemList().size(), 3);
  a.press(QPointF(150, 150));
  a.release(QPointF(150, 150));
  QSignalSpy gone(r, &QObject::destroyed);
  QSignalSpy list(&manager, &TempCanvasManager::meaListChanged);
  a.key(Qt::Key_Delete);
  EXPECT_EQ(gone.count(), 1);
  EXPECT_EQ(a.itemList().size(), 2);
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(a.itemSelected(), a.itemGlobal());
  // The tool let go of it: another Delete and a drag touch nothing freed.
  a.key(Qt::Key_Delete);
  a.move(QPointF(160, 160));
  EXPECT_EQ(a.itemList().size(), 2);
}

TEST_F(Tools, ItemDeletedElsewhereIsForgottenByTheDrawingTool) {
  manager.setTool(5);
  a.click(QPointF(100, 100));
  a.item_deleteAll();
  a.hover(QPointF(150, 150));  // would move a freed item
  a.click(QPointF(150, 150));  // starts a new line instead
  EXPECT_EQ(a.itemList().size(), 2);
}

TEST_F(Tools, FullListKeepsNoItemAndTheNextPressTriesAgain) {
  for (int i = 1; i < TempCanvas::kMaxItems; ++i) a.createItem(&(const MeaItem &)makeDef(1, {{i, i}}));
  ASSERT_EQ(a.itemList().size(), TempCanvas::kMaxItems);
  manager.setTool(9);
  a.click(QPointF(100, 100));
  a.hover(QPointF(150, 150));
  EXPECT_EQ(a.itemList().size(), TempCanvas::kMaxItems);
  a.item_delete(a.itemList().last());
  a.click(QPointF(100, 100));
  EXPECT_EQ(a.itemList().size(), TempCanvas::kMaxItems);
}

TEST_F(Tools, HoverShowsTheReadoutAndMeasuresOnlyWhatChanged) {
  TempCanvasItemBase *r1 = drawRect(a, QPoint(100, 100), QPoint(200, 200));
  TempCanvasItemBase *r2 = drawRect(a, QPoint(300, 200), QPoint(350, 260));
  QSignalSpy s1(r1, &TempCanvasItemBase::result_maxChanged);
  QSignalSpy s2(r2, &TempCanvasItemBase::result_maxChanged);
  a.hover(QPointF(320.5, 240.4));
  EXPECT_TRUE(a.itemMouse()->visible);
  EXPECT_EQ(a.itemMouse()->def.points[0].x, 321);  // halves away from zero
  EXPECT_FLOAT_EQ(a.itemMouse()->result.avg, 50.0f);
  for (int i = 0; i < 20; ++i) a.hover(QPointF(10 + i, 10));
  EXPECT_EQ(s1.count(), 0);
  EXPECT_EQ(s2.count(), 0);
  // Dragging r2 re-measures r2 only.
  a.press(QPointF(320, 230));
  a.move(QPointF(330, 230));
  a.release(QPointF(330, 230));
  EXPECT_EQ(s1.count(), 0);
  EXPECT_GE(s2.count(), 1);
  // A new frame re-measures everything.
  ASSERT_EQ(a.updateData(frame.handle()), 0);
  EXPECT_EQ(s1.count(), 1);
  // Leaving the image hides the readout.
  a.hover(QPointF(-50, -50));
  EXPECT_FALSE(a.itemMouse()->visible);
}

TEST_F(Tools, ManagerNamesAndColoursAcrossCanvases) {
  TempCanvasItemBase *m1 = drawRect(a, QPoint(10, 10), QPoint(20, 20));
  TempCanvasItemBase *m2 = drawRect(b, QPoint(10, 10), QPoint(20, 20));
  TempCanvasItemBase *m3 = drawRect(a, QPoint(30, 30), QPoint(40, 40));
  EXPECT_EQ(name(m1), QStringLiteral("M1"));
  EXPECT_EQ(name(m2), QStringLiteral("M2"));
  EXPECT_EQ(name(m3), QStringLiteral("M3"));
  EXPECT_EQ(m2->def.meaColor, itemColorArgb(1));
  // Grouped by canvas: A's global, M1, M3, then B's global and M2.
  const QList<TempCanvasItemBase *> list = manager.meaList();
  ASSERT_EQ(list.size(), 5);
  EXPECT_EQ(list[0], a.itemGlobal());
  EXPECT_EQ(list[1], m1);
  EXPECT_EQ(list[2], m3);
  EXPECT_EQ(list[3], b.itemGlobal());
  EXPECT_EQ(list[4], m2);
  // Deleting M2: the next item is named M3 again, with colour entry 2.
  manager.mea_deleteInCanvas(m2);
  TempCanvasItemBase *again = drawRect(b, QPoint(50, 50), QPoint(60, 60));
  EXPECT_EQ(name(again), QStringLiteral("M3"));
  EXPECT_EQ(again->def.meaColor, itemColorArgb(2));
  // The global item is never deleted through the manager.
  manager.mea_deleteInCanvas(a.itemGlobal());
  EXPECT_EQ(manager.meaList().size(), 5);
  // The 17th user item takes colour entry 0 again.
  MeaItem d{};
  for (int i = manager.meaList().size() - 2; i < 16; ++i) {
    manager.nextItemDef(&d);
    d.meaType = 1;
    d.pointCount = 1;
    ASSERT_NE(a.createItem(&d), nullptr);
  }
  EXPECT_EQ(manager.nextItemDef(&d), itemColorArgb(0));
  EXPECT_STREQ(d.name, "M17");
  EXPECT_EQ(manager.meaColorArray().size(), 16);
  EXPECT_EQ(manager.meaColorArray()[2], QColor::fromRgba(itemColorArgb(2)));
}

TEST_F(Tools, ManagerSelectionToolAndHideAll) {
  TempCanvasItemBase *r = drawRect(a, QPoint(10, 10), QPoint(20, 20));
  a.selectItem(r);
  EXPECT_EQ(manager.meaSelected(), r);
  EXPECT_EQ(manager.meaSelectedIndex(), 1);
  // Drawing again turns hide-all off first.
  manager.setHideAll(true);
  QSignalSpy hide(&manager, &TempCanvasManager::hideAllChanged);
  QSignalSpy tool(&manager, &TempCanvasManager::toolChanged);
  manager.setTool(5);
  EXPECT_FALSE(manager.hideAll());
  EXPECT_EQ(hide.count(), 1);
  EXPECT_EQ(tool.count(), 1);
  manager.setTool(5);
  EXPECT_EQ(tool.count(), 1);
  // Deleting the selected item clears the manager's selection.
  manager.setTool(0);
  a.selectItem(r);
  a.item_delete(r);
  EXPECT_EQ(manager.meaSelected(), a.itemGlobal());
  EXPECT_EQ(manager.meaSelectedIndex(), 0);
  // A canvas going away leaves nothing of its own in the lists.
  {
    ProbeCanvas c;
    c.setSize(QSizeF(100, 100));
    ASSERT_EQ(c.beginUpdate(10, 10), 0);
    c.createItem(&(const MeaItem &)makeDef(1, {{1, 1}}));
    EXPECT_EQ(manager.canvasList().size(), 3);
  }
  EXPECT_EQ(manager.canvasList().size(), 2);
  for (TempCanvasItemBase *i : manager.meaList()) EXPECT_TRUE(i->canvas == &a || i->canvas == &b);
  // endUpdate takes the global item out of the list, beginUpdate puts it back.
  b.endUpdate();
  EXPECT_FALSE(manager.meaList().contains(b.itemGlobal()));
  ASSERT_EQ(b.beginUpdate(640, 480), 0);
  EXPECT_TRUE(manager.meaList().contains(b.itemGlobal()));
}

TEST(Manager, InitOnceAndNeverReplacedFromQml) {
  TempCanvasManager m;
  EXPECT_EQ(TempCanvasManager::instance(), &m);
  EXPECT_EQ(m.init(), 0);
  EXPECT_EQ(m.init(), 0);
  EXPECT_NE(VEZ2024_GetLut(100, 0), nullptr);  // the engine runs
  QQmlEngine engine;
  QQmlComponent bad(&engine);
  bad.setData("import Ostrel 1.0\nTempCanvasManager {}\n", QUrl());
  QObject *made = bad.create();
  EXPECT_EQ(made, nullptr);
  delete made;
  QQmlComponent good(&engine);
  good.setData("import Ostrel 1.0\nTempCanvas { width: 10; height: 10 }\n", QUrl());
  std::unique_ptr<QObject> canvas(good.create());
  ASSERT_NE(canvas, nullptr) << good.errorString().toStdString();
  // The views read the item list, its entries' properties and the palette state.
  QQmlExpression list(engine.rootContext(), canvas.get(), QStringLiteral("itemList.length + ':' + itemList[0].meaName + ':' + itemGlobal.meaType + ':' + paletteData.paletteType"));
  EXPECT_EQ(list.evaluate().toString(), QStringLiteral("1:GLOBAL:0:5")) << list.error().toString().toStdString();
  QQmlExpression index(engine.rootContext(), canvas.get(), QStringLiteral("itemGlobal.indexInCanvas()"));
  EXPECT_EQ(index.evaluate().toInt(), 0) << index.error().toString().toStdString();
  // A second manager made by mistake neither replaces the first nor ends the engine.
  { TempCanvasManager stray; EXPECT_EQ(TempCanvasManager::instance(), &m); }
  EXPECT_NE(VEZ2024_GetLut(100, 0), nullptr);
  EXPECT_EQ(TempCanvasManager::instance(), &m);
  canvas.reset();
}

}  // namespace
