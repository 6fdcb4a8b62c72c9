// The workspace file: what is written (checked by xmllint and a byte golden), what a fresh
// workspace reads back, and how bad files and failing writes are handled. Camera modules name
// addresses on this suite's loopback range; building a workspace contacts none of them.
#include <sys/resource.h>

#include <QFileInfo>
#include <QSignalSpy>
#include <csignal>

#include "ShellSupport.h"
#include "program/CApp.h"
#include "workspace/WorkspaceFile.h"

namespace {

const QString kGolden = QStringLiteral(OSTREL_TEST_SOURCE_DIR "/golden/three_tabs.workspace");

// The golden file names its cameras on the default range 127.0.20.x; this run's are elsewhere.
std::string golden() {
  const std::string run = ostrel::test::loopbackAddress(20, 0);
  return shell::readAll(kGolden).replace("127.0.20.", QByteArray::fromStdString(run.substr(0, run.size() - 1))).toStdString();
}

CModule* addCamera(CApp& app, CFrame* frame, int host) {
  CInputIr* in = app.inputManager()->device_createIr(shell::qaddress(host), false);
  if (!in) return nullptr;
  return app.tabManager()->module_create(1, in, frame);
}

// Three tabs: two cameras in the first (one with settings text that needs escaping), one in the
// second, an empty third with a name that needs escaping; the second tab selected.
void buildThreeTabs(CApp& app) {
  CTabManager* tm = app.tabManager();
  CTab* a = tm->tab_create();
  a->setLayoutType(2);
  CModule* m = addCamera(app, a->frame(0), 10);
  ASSERT_NE(m, nullptr);
  m->setModuleData(QStringLiteral("zoom=2 & <fit> \"all\""));
  ASSERT_NE(addCamera(app, a->frame(0), 11), nullptr);
  a->frame(0)->setModuleSelected(0);
  CTab* b = tm->tab_create();
  b->setLayoutType(4);
  ASSERT_NE(addCamera(app, b->frame(3), 12), nullptr);
  CTab* c = tm->tab_create();
  c->setViewName(QStringLiteral("Hall <east> & \"west\""));
  c->setLayoutType(1);
  tm->tab_select(1);
}

int xmllint(const QStringList& args, QByteArray* out = nullptr) {
  int status = -1;
  QByteArray o = shell::runCommand(QStringLiteral("xmllint"), args, &status);
  // xmllint ends a printed value with a newline of its own.
  if (o.endsWith('\n')) o.chop(1);
  if (out) *out = o;
  return status;
}

QByteArray minimal(const QByteArray& tabsBody, const QByteArray& tabsAttr = "tabSelected=\"0\"") {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<workspace><tabs " + tabsAttr + ">" + tabsBody + "</tabs></workspace>\n";
}

QByteArray cameraModule(int host, const QByteArray& inner = "<moduleData>x</moduleData>") {
  return "<module moduleType=\"1\" inputName=\"" + QByteArray::fromStdString(shell::address(host)) +
         "\" viewName=\"v\">" + inner + "</module>";
}

class WorkspaceFileTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path(const char* name) const { return dir_.path() + "/" + name; }
};

}  // namespace

TEST_F(WorkspaceFileTest, SavedFileIsValidMatchesTheGoldenAndReloadsByteForByte) {
  CApp first;
  buildThreeTabs(first);
  const QString a = path("a.workspace");
  ASSERT_EQ(first.tabManager()->workspace_save(a), 0);
  // Saving does not name the workspace.
  EXPECT_TRUE(first.tabManager()->workspaceName().isEmpty());

  EXPECT_EQ(xmllint({"--noout", a}), 0);
  QByteArray count;
  ASSERT_EQ(xmllint({"--xpath", "count(//frame)", a}, &count), 0);
  EXPECT_EQ(count, "12");
  QByteArray escaped;
  ASSERT_EQ(xmllint({"--xpath", "string(//tab[3]/@viewName)", a}, &escaped), 0);
  EXPECT_EQ(escaped, "Hall <east> & \"west\"");
  ASSERT_EQ(xmllint({"--xpath", "string(//tab[1]//module[1]/moduleData)", a}, &escaped), 0);
  EXPECT_EQ(escaped, "zoom=2 & <fit> \"all\"");
  EXPECT_EQ(shell::readAll(a).toStdString(), golden());

  // A fresh workspace (its own inputs) reads it back and writes the same bytes.
  CApp second;
  QSignalSpy listChanged(second.tabManager(), &CTabManager::tabListChanged);
  QSignalSpy nameChanged(second.tabManager(), &CTabManager::workspaceNameShortChanged);
  ASSERT_EQ(second.tabManager()->workspace_load(a), 0);
  EXPECT_EQ(listChanged.count(), 1);
  EXPECT_EQ(nameChanged.count(), 1);
  EXPECT_EQ(second.tabManager()->workspaceName(), a);
  EXPECT_EQ(second.tabManager()->workspaceNameShort(), "a.workspace");
  const auto& tabs = second.tabManager()->tabs();
  ASSERT_EQ(tabs.size(), 3);
  EXPECT_EQ(second.tabManager()->tabSelected(), 1);
  EXPECT_EQ(tabs[0]->layoutType(), 2);
  EXPECT_EQ(tabs[1]->layoutType(), 4);
  EXPECT_EQ(tabs[2]->viewName(), "Hall <east> & \"west\"");
  ASSERT_EQ(tabs[0]->frame(0)->modules().size(), 2);
  EXPECT_EQ(tabs[0]->frame(0)->moduleSelected(), 0);
  EXPECT_EQ(tabs[0]->frame(0)->modules()[0]->input()->inputNameAbs(), shell::qaddress(10));
  EXPECT_EQ(tabs[0]->frame(0)->modules()[0]->moduleData(), "zoom=2 & <fit> \"all\"");
  ASSERT_EQ(tabs[1]->frame(3)->modules().size(), 1);
  for (int slot = 0; slot < CTab::kFrameCount; ++slot) EXPECT_EQ(tabs[1]->frame(slot)->viewIndex(), slot);
  const QString b = path("b.workspace");
  ASSERT_EQ(second.tabManager()->workspace_save(b), 0);
  EXPECT_EQ(shell::readAll(b), shell::readAll(a));
}

TEST_F(WorkspaceFileTest, LoadedSelectionsAreOffsetAndKeptInRange) {
  CApp app;
  app.tabManager()->tab_create();  // already open: the file's tabs follow it
  const QByteArray frame5 =
      "<frame viewIndex=\"9\" moduleSelected=\"5\"><modules>" + cameraModule(20) + cameraModule(21) + "</modules></frame>";
  const QByteArray tab = "<tab viewIndex=\"0\" viewName=\"t\" layoutType=\"0\"><frames>" + frame5 + "</frames></tab>";
  ASSERT_TRUE(shell::writeAll(path("sel.workspace"), minimal(tab + tab, "tabSelected=\"1\"")));
  ASSERT_EQ(app.tabManager()->workspace_load(path("sel.workspace")), 0);
  // The file's second tab is the workspace's third.
  EXPECT_EQ(app.tabManager()->tabSelected(), 2);
  CFrame* f = app.tabManager()->tabs()[1]->frame(0);
  // Both modules read, then the stored selection clamped to them; the slot is the frame's place.
  EXPECT_EQ(f->modules().size(), 2);
  EXPECT_EQ(f->moduleSelected(), 1);
  EXPECT_EQ(f->viewIndex(), 0);

  CApp other;
  ASSERT_TRUE(shell::writeAll(path("far.workspace"), minimal(
      "<tab viewIndex=\"0\" viewName=\"t\" layoutType=\"0\"><frames/></tab>", "tabSelected=\"99\"")));
  ASSERT_EQ(other.tabManager()->workspace_load(path("far.workspace")), 0);
  EXPECT_EQ(other.tabManager()->tabSelected(), 0);
  ASSERT_TRUE(shell::writeAll(path("neg.workspace"), minimal(
      "<tab viewIndex=\"0\" viewName=\"t\" layoutType=\"0\"><frames/></tab>", "tabSelected=\"-5\"")));
  ASSERT_EQ(other.tabManager()->workspace_load(path("neg.workspace")), 0);
  EXPECT_EQ(other.tabManager()->tabSelected(), 0);
}

TEST_F(WorkspaceFileTest, MalformedFilesAreRefusedOrReadAsFarAsTheyMakeSense) {
  CApp app;
  CTabManager* tm = app.tabManager();
  // Not a workspace at all.
  ASSERT_TRUE(shell::writeAll(path("root.workspace"), "<?xml version=\"1.0\"?>\n<other><tabs/></other>\n"));
  EXPECT_EQ(tm->workspace_load(path("root.workspace")), -194);
  ASSERT_TRUE(shell::writeAll(path("child.workspace"), "<workspace><tab/></workspace>"));
  EXPECT_EQ(tm->workspace_load(path("child.workspace")), -194);
  // Cut off in the middle: nothing of it is kept, not even the camera it named.
  const QByteArray cut = minimal("<tab viewIndex=\"0\" viewName=\"t\" layoutType=\"0\"><frames><frame viewIndex=\"0\" "
                                 "moduleSelected=\"0\"><modules>" + cameraModule(30)).left(200);
  ASSERT_TRUE(shell::writeAll(path("cut.workspace"), cut));
  EXPECT_EQ(tm->workspace_load(path("cut.workspace")), -194);
  EXPECT_EQ(tm->workspace_load(path("missing.workspace")), -200);
  EXPECT_EQ(tm->tabs().size(), 0);
  EXPECT_TRUE(tm->workspaceName().isEmpty());

  // A fifth frame, a module without settings text, an unknown type, a second module on one camera.
  QByteArray frames;
  frames += "<frame viewIndex=\"0\" moduleSelected=\"0\"><modules>" + cameraModule(31, "") +
            "<module moduleType=\"42\" inputName=\"\" viewName=\"odd\"><moduleData>y</moduleData></module>" +
            cameraModule(31) + "<junk/></modules></frame>";
  for (int i = 1; i < 4; ++i) frames += "<frame viewIndex=\"" + QByteArray::number(i) + "\" moduleSelected=\"-1\"><modules/></frame>";
  frames += "<frame viewIndex=\"4\" moduleSelected=\"0\"><modules>" + cameraModule(32) + "</modules></frame>";
  ASSERT_TRUE(shell::writeAll(path("odd.workspace"),
                              minimal("<tab viewIndex=\"0\" viewName=\"t\" layoutType=\"3\"><frames>" + frames +
                                      "</frames></tab><note/>")));
  ASSERT_EQ(tm->workspace_load(path("odd.workspace")), 0);
  ASSERT_EQ(tm->tabs().size(), 1);
  CTab* tab = tm->tabs()[0];
  EXPECT_EQ(tab->layoutType(), 3);
  ASSERT_EQ(tab->frame(0)->modules().size(), 1);
  EXPECT_EQ(tab->frame(0)->modules()[0]->moduleData(), "");
  EXPECT_EQ(tab->frame(0)->moduleSelected(), 0);
  // The fifth frame's camera was never asked for.
  EXPECT_EQ(app.inputManager()->device_find(shell::qaddress(32)), nullptr);
  // A tab whose first child is not "frames" stays empty.
  CApp other;
  ASSERT_TRUE(shell::writeAll(path("noframes.workspace"),
                              minimal("<tab viewIndex=\"0\" viewName=\"t\" layoutType=\"0\"><x/><frames><frame viewIndex=\"0\" "
                                      "moduleSelected=\"0\"><modules>" + cameraModule(33) + "</modules></frame></frames></tab>")));
  ASSERT_EQ(other.tabManager()->workspace_load(path("noframes.workspace")), 0);
  ASSERT_EQ(other.tabManager()->tabs().size(), 1);
  EXPECT_EQ(other.tabManager()->tabs()[0]->frame(0)->modules().size(), 0);
}

TEST_F(WorkspaceFileTest, RefusedAndFailingSavesLeaveTheOldFile) {
  CApp app;
  CTabManager* tm = app.tabManager();
  EXPECT_EQ(tm->workspace_save(QString()), -8);
  const QString target = path("keep.workspace");
  EXPECT_EQ(tm->workspace_save(target), -7);
  EXPECT_FALSE(QFileInfo::exists(target));

  buildThreeTabs(app);
  EXPECT_EQ(tm->workspace_save(dir_.path() + "/no/such/folder/w.workspace"), -200);

  const QByteArray old = "<?xml version=\"1.0\"?>\n<workspace><tabs tabSelected=\"0\"/></workspace>\n";
  ASSERT_TRUE(shell::writeAll(target, old));
  // Files may not grow past 64 bytes for a moment: every write of the new content fails.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int rc = tm->workspace_save(target);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(rc, -197);
  EXPECT_EQ(shell::readAll(target), old);
  // No temporary file is left beside it.
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{"keep.workspace"});
  // With room again the same save replaces it.
  EXPECT_EQ(tm->workspace_save(target), 0);
  EXPECT_EQ(shell::readAll(target).toStdString(), golden());
}

TEST_F(WorkspaceFileTest, NewNeedsTheTabsGoneFirst) {
  CApp app;
  CTabManager* tm = app.tabManager();
  buildThreeTabs(app);
  ASSERT_EQ(tm->workspace_save(path("n.workspace")), 0);
  CApp fresh;
  ASSERT_EQ(fresh.tabManager()->workspace_load(path("n.workspace")), 0);
  EXPECT_EQ(fresh.tabManager()->workspace_new(), -7);
  EXPECT_EQ(fresh.tabManager()->workspaceNameShort(), "n.workspace");
  // As the views do it: the modules, then the tabs.
  for (CTab* t : fresh.tabManager()->tabs())
    for (int slot = 0; slot < CTab::kFrameCount; ++slot)
      for (CModule* m : QList<CModule*>(t->frame(slot)->modules())) fresh.tabManager()->module_delete(m);
  while (!fresh.tabManager()->tabs().isEmpty()) fresh.tabManager()->tab_delete(0);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QSignalSpy nameChanged(fresh.tabManager(), &CTabManager::workspaceNameChanged);
  EXPECT_EQ(fresh.tabManager()->workspace_new(), 0);
  EXPECT_EQ(nameChanged.count(), 1);
  EXPECT_TRUE(fresh.tabManager()->workspaceName().isEmpty());
  EXPECT_TRUE(fresh.tabManager()->workspaceNameShort().isEmpty());
}
