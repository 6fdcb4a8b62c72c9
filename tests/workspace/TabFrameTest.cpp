// Tabs and frames: names that follow the tab count, the selection after each deletion, the frames
// of a tab, and the module list and selection of a frame, each with exact signal counts.
#include <QSignalSpy>

#include "WorkspaceSupport.h"
#include "modules/CModule.h"
#include "workspace/CTabManager.h"

namespace {

QStringList tabNames(const CTabManager& m) {
  QStringList names;
  for (CTab* t : m.tabs()) names << t->viewName();
  return names;
}

TEST(Tabs, NamesFollowTheCountNotASerial) {
  CTabManager m;
  QSignalSpy list(&m, &CTabManager::tabListChanged);
  QSignalSpy selected(&m, &CTabManager::tabSelectedChanged);
  EXPECT_EQ(m.tabSelected(), -1);
  m.tab_create();
  m.tab_create();
  m.tab_create();
  EXPECT_EQ(tabNames(m), (QStringList{"1", "2", "3"}));
  EXPECT_EQ(m.tabSelected(), 2);
  EXPECT_EQ(list.count(), 3);
  EXPECT_EQ(selected.count(), 3);

  m.tab_delete(0);
  CTab* made = m.tab_create();
  EXPECT_EQ(tabNames(m), (QStringList{"2", "3", "3"}));
  EXPECT_EQ(m.tabs().last(), made);
  EXPECT_EQ(list.count(), 5);
  // The deletion re-selects index 0 and the creation selects the new last tab.
  EXPECT_EQ(selected.count(), 5);
  EXPECT_EQ(m.tabSelected(), 2);
}

TEST(Tabs, SelectionAfterDeletingMiddleLastAndOnly) {
  CTabManager m;
  for (int i = 0; i < 3; ++i) m.tab_create();
  CTab* third = m.tabs()[2];
  QSignalSpy selected(&m, &CTabManager::tabSelectedChanged);
  QSignalSpy list(&m, &CTabManager::tabListChanged);

  m.tab_delete(1);  // the middle: index 1 stays selected, now naming the former third tab
  EXPECT_EQ(m.tabSelected(), 1);
  EXPECT_EQ(m.tabs()[1], third);
  EXPECT_EQ(selected.count(), 1);  // emitted even though the index did not change
  EXPECT_EQ(list.count(), 1);

  m.tab_create();
  m.tab_select(0);
  selected.clear();
  m.tab_delete(2);  // the last of three: the new last is selected
  EXPECT_EQ(m.tabSelected(), 1);
  EXPECT_EQ(selected.count(), 1);

  m.tab_delete(0);
  EXPECT_EQ(m.tabSelected(), 0);
  m.tab_delete(0);  // the only one
  EXPECT_EQ(m.tabSelected(), -1);
  EXPECT_TRUE(m.tabs().isEmpty());

  selected.clear();
  list.clear();
  m.tab_delete(0);
  m.tab_delete(-1);
  m.tab_select(0);
  EXPECT_EQ(selected.count(), 0);
  EXPECT_EQ(list.count(), 0);
}

TEST(Tabs, SelectIgnoresSameAndOutOfRange) {
  CTabManager m;
  m.tab_create();
  m.tab_create();
  QSignalSpy selected(&m, &CTabManager::tabSelectedChanged);
  m.tab_select(1);
  m.tab_select(2);
  m.tab_select(-1);
  EXPECT_EQ(selected.count(), 0);
  m.tab_select(0);
  EXPECT_EQ(selected.count(), 1);
  EXPECT_EQ(m.tabSelected(), 0);
}

TEST(Tabs, FourFramesInSlotOrderOwnedByTheTab) {
  CTabManager m;
  CTab* tab = m.tab_create();
  EXPECT_EQ(tab->layoutType(), 0);
  EXPECT_EQ(tab->viewIndex(), 0);
  QQmlListProperty<CFrame> frames = tab->frameListProperty();
  ASSERT_EQ(frames.count(&frames), 4);
  for (int i = 0; i < 4; ++i) {
    CFrame* f = frames.at(&frames, i);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f, tab->frame(i));
    EXPECT_EQ(f->tab(), tab);
    EXPECT_EQ(f->viewIndex(), i);
    EXPECT_EQ(f->moduleSelected(), -1);
    EXPECT_EQ(f->parent(), nullptr);
  }
  EXPECT_EQ(tab->frame(4), nullptr);
  EXPECT_EQ(tab->frame(-1), nullptr);
}

TEST(Frames, DuplicateAddChangesNothing) {
  CTab tab;
  CFrame* f = tab.frame(0);
  CModule a(6), b(7);
  f->addModule(&a);
  f->addModule(&b);
  QSignalSpy list(f, &CFrame::moduleListChanged);
  QSignalSpy selected(f, &CFrame::moduleSelectedChanged);
  f->addModule(&a);
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(selected.count(), 0);
  EXPECT_EQ(f->modules(), (QList<CModule*>{&a, &b}));
  EXPECT_EQ(f->moduleSelected(), 1);
  f->removeModule(&a);
  f->removeModule(&b);
}

TEST(Frames, RemovalMovesTheSelection) {
  CTab tab;
  CFrame* f = tab.frame(1);
  CModule a(6), b(7), c(9);
  QSignalSpy selected(f, &CFrame::moduleSelectedChanged);
  f->addModule(&a);
  f->addModule(&b);
  f->addModule(&c);
  EXPECT_EQ(selected.count(), 3);
  EXPECT_EQ(f->moduleSelected(), 2);

  selected.clear();
  QSignalSpy list(f, &CFrame::moduleListChanged);
  f->removeModule(&c);  // the last of three: 2 -> 1
  EXPECT_EQ(f->moduleSelected(), 1);
  EXPECT_EQ(selected.count(), 1);
  EXPECT_EQ(list.count(), 1);

  f->removeModule(&a);  // not the last: the selection keeps the removed position
  EXPECT_EQ(f->moduleSelected(), 0);
  EXPECT_EQ(f->modules(), (QList<CModule*>{&b}));
  f->removeModule(&b);
  EXPECT_EQ(f->moduleSelected(), -1);

  selected.clear();
  list.clear();
  f->removeModule(&b);  // not listed
  EXPECT_EQ(selected.count(), 0);
  EXPECT_EQ(list.count(), 0);
}

TEST(Frames, DeletingATabDetachesItsModulesWithoutDeletingThem) {
  CTabManager m;
  CTab* tab = m.tab_create();
  auto* a = new CModule(6);
  auto* b = new CModule(9);
  ASSERT_EQ(a->init(nullptr, tab->frame(0)), 0);
  ASSERT_EQ(b->init(nullptr, tab->frame(3)), 0);
  QPointer<CTab> watched(tab);
  m.tab_delete(0);
  EXPECT_FALSE(a->isAttached());
  EXPECT_FALSE(b->isAttached());
  EXPECT_EQ(a->frame(), nullptr);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watched.isNull());
  delete a;
  delete b;
}

TEST(Frames, ModulesAndFramesMayEndInEitherOrder) {
  auto* tab = new CTab;
  auto* kept = new CModule(6);
  auto* gone = new CModule(7);
  ASSERT_EQ(kept->init(nullptr, tab->frame(2)), 0);
  ASSERT_EQ(gone->init(nullptr, tab->frame(2)), 0);
  delete gone;  // leaves its frame
  EXPECT_EQ(tab->frame(2)->modules(), (QList<CModule*>{kept}));
  delete tab;  // the frame detaches the module still listed
  EXPECT_FALSE(kept->isAttached());
  EXPECT_EQ(kept->frame(), nullptr);
  EXPECT_EQ(kept->moveTo(nullptr), -7);
  delete kept;
}

TEST(Manager, DestructorLeavesNoModulePointingAtAFrame) {
  auto* m = new CTabManager;
  CModule a(6);
  ASSERT_EQ(a.init(nullptr, m->tab_create()->frame(0)), 0);
  delete m;
  EXPECT_FALSE(a.isAttached());
  EXPECT_EQ(a.frame(), nullptr);
}

}  // namespace
