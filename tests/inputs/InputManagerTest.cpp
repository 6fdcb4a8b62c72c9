// The input manager without broadcasts: camera inputs made with and without a login test, the
// file lists and their removal order, the linked folder and recent files, and save-file names.
#include <sys/time.h>

#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>

#include "InputsSupport.h"
#include "settings/CConfigManager.h"
#include "inputs/CInputManager.h"

namespace {

using namespace inputs;

QString qaddr(int host) {
  return QString::fromStdString(address(host));
}

void processDeferredDeletes() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(InputManagerCameras, LoginTestCreatesTheInputOnce) {
  camsim::CameraIdentity id;
  id.cameraId = "TX6401-20~650N00123";
  id.dataWidth = 384;
  id.dataHeight = 288;
  CameraEnv env(20, id);
  CInputManager manager;
  EXPECT_EQ(manager.init(), 0);
  QSignalSpy changed(&manager, &CInputManager::deviceListChanged);
  CInputIr* input = manager.device_createIr(qaddr(20), true);
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(manager.workState(), 0);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(input->device_id(), "TX6401-20~650N00123");
  EXPECT_EQ(input->device_ip(), qaddr(20));
  EXPECT_EQ(input->inputName(), qaddr(20));
  EXPECT_EQ(input->inputNameShort(), qaddr(20));
  EXPECT_EQ(input->dataWidth(), 384);
  EXPECT_EQ(input->dataFpsDen(), 1);
  EXPECT_FALSE(input->device_isConnected());
  EXPECT_EQ(QQmlEngine::objectOwnership(input), QQmlEngine::CppOwnership);

  // Known address: the same input, no second login test.
  const size_t messages = env.sim->log().count();
  EXPECT_EQ(manager.device_createIr(qaddr(20), true), input);
  EXPECT_EQ(manager.device_createIr(qaddr(20)), input);
  EXPECT_EQ(env.sim->log().count(), messages);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(manager.device_find(qaddr(20)), input);
}

TEST(InputManagerCameras, RejectedLoginsAndBadAddressesCreateNothing) {
  ASSERT_EQ(Ostrel_InitSDK(), 0);
  CInputManager manager;
  QSignalSpy changed(&manager, &CInputManager::deviceListChanged);
  // Nothing listens on this address.
  EXPECT_EQ(manager.device_createIr(qaddr(21), true), nullptr);
  EXPECT_EQ(manager.workState(), 0);
  EXPECT_EQ(manager.device_createIr(QStringLiteral("not-an-address"), false), nullptr);
  EXPECT_EQ(manager.device_createIr(QString(), true), nullptr);
  EXPECT_EQ(changed.count(), 0);
  EXPECT_TRUE(manager.devices().isEmpty());
  // Without a test nothing is contacted: the input is made at once.
  CInputIr* later = manager.device_createIr(qaddr(21), false);
  ASSERT_NE(later, nullptr);
  EXPECT_EQ(later->dataWidth(), 0);
  EXPECT_EQ(changed.count(), 1);
  Ostrel_FreeSDK();
}

TEST(InputManagerCameras, PlainCreationIsNotRefusedWhileWorkRuns) {
  CameraEnv env(22);
  camsim::CommandFaults slow;
  slow.replyDelayMs = 1500;
  env.sim->command().setFaults(slow);
  CInputManager manager;
  CInputIr* duringTest = nullptr;
  CInputIr* secondTest = reinterpret_cast<CInputIr*>(1);
  int stateSeen = -1;
  // Runs inside the login test's event processing, like a workspace being loaded meanwhile.
  QTimer::singleShot(0, &manager, [&] {
    stateSeen = manager.workState();
    duringTest = manager.device_createIr(qaddr(23));
    secondTest = manager.device_createIr(qaddr(24), true);
  });
  CInputIr* tested = manager.device_createIr(qaddr(22), true);
  EXPECT_EQ(stateSeen, CInputManager::LoginTest);
  ASSERT_NE(duringTest, nullptr);
  EXPECT_EQ(secondTest, nullptr) << "a second login test waits for idle";
  ASSERT_NE(tested, nullptr);
  ASSERT_EQ(manager.devices().size(), 2);
  EXPECT_EQ(manager.devices()[0], duringTest);
  EXPECT_EQ(manager.devices()[1], tested);
}

class InputManagerFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    ASSERT_TRUE(makeGoldens(dir_.path()));
  }
  QString path(const QString& name) const { return dir_.filePath(name); }
  QTemporaryDir dir_;
  CInputManager manager_;
};

TEST_F(InputManagerFiles, PicturesAndStreamsJoinTheListAndTheRecentFiles) {
  QSignalSpy files(&manager_, &CInputManager::fileListChanged);
  QSignalSpy recent(&manager_, &CInputManager::linkRecentListChanged);
  EXPECT_EQ(manager_.file_createJpg(path("missing.jpg")), nullptr);
  ASSERT_TRUE(writeAll(path("plain.jpg"), QByteArray(1000, 'x')));
  EXPECT_EQ(manager_.file_createJpg(path("plain.jpg")), nullptr);
  EXPECT_EQ(manager_.file_createStream(path("missing.stream")), nullptr);
  EXPECT_EQ(files.count(), 0);

  CInputJpg* pic = manager_.file_createJpg(path("pic_conf.jpg"));
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->inputType(), 2);
  EXPECT_EQ(pic->inputName(), path("pic_conf.jpg"));
  EXPECT_EQ(pic->inputNameAbs(), path("pic_conf.jpg"));
  EXPECT_EQ(pic->inputNameShort(), "pic_conf.jpg");
  EXPECT_EQ(pic->fileName(), "pic_conf.jpg");
  EXPECT_EQ(QUrl(pic->inputNameIcon()).toLocalFile(), path("pic_conf.jpg"));
  EXPECT_EQ(pic->dataWidth(), 0);
  EXPECT_FALSE(pic->isOpen());
  EXPECT_EQ(QQmlEngine::objectOwnership(pic), QQmlEngine::CppOwnership);
  CInputStream* st = manager_.file_createStream(path("stream3.stream"));
  ASSERT_NE(st, nullptr);
  EXPECT_EQ(st->inputType(), 3);
  EXPECT_EQ(st->dataFrameCount(), 0);
  EXPECT_EQ(files.count(), 2);
  ASSERT_EQ(manager_.linkRecent().size(), 2);
  EXPECT_EQ(manager_.linkRecent()[0]->fileNameAbs(), path("pic_conf.jpg"));
  EXPECT_EQ(manager_.linkRecent()[0]->fileSize(), QFileInfo(path("pic_conf.jpg")).size());
  // The same file again: a second input, but no second recent entry.
  ASSERT_NE(manager_.file_createJpg(path("pic_conf.jpg")), nullptr);
  EXPECT_EQ(manager_.linkRecent().size(), 2);
  EXPECT_EQ(recent.count(), 2);

  EXPECT_EQ(manager_.file_find(path("stream3.stream")), st);
  EXPECT_EQ(manager_.file_find(path("nothing.jpg")), nullptr);
  QObject module;
  st->setModule(&module);
  EXPECT_EQ(manager_.input_findModule(path("stream3.stream")), &module);
  EXPECT_EQ(manager_.input_findModule(path("pic_conf.jpg")), nullptr);
  st->setModule(nullptr);
}

TEST_F(InputManagerFiles, RemovedInputsLiveUntilTheChangeIsSignalled) {
  CInputJpg* a = manager_.file_createJpg(path("pic_plain.jpg"));
  CInputJpg* b = manager_.file_createJpg(path("pic_dated.jpg"));
  CInputStream* c = manager_.file_createStream(path("stream3.stream"));
  ASSERT_TRUE(a && b && c);
  QPointer<CInputBase> pa(a), pb(b), pc(c);
  // A view reacting to the change still reads the inputs it showed (AddressSanitizer watches).
  QStringList readInSlot;
  QList<CInputBase*> shown = {a, b, c};
  auto conn = QObject::connect(&manager_, &CInputManager::fileListChanged, &manager_, [&] {
    for (CInputBase* i : shown) readInSlot << i->inputNameShort();
  });
  manager_.file_delete(a);
  manager_.file_delete(a);  // no longer listed: nothing
  EXPECT_EQ(readInSlot.size(), 3);
  EXPECT_FALSE(manager_.files().contains(a));
  processDeferredDeletes();
  EXPECT_TRUE(pa.isNull());
  shown = {b, c};
  manager_.file_deleteAll();
  EXPECT_EQ(readInSlot.size(), 5);
  EXPECT_TRUE(manager_.files().isEmpty());
  EXPECT_FALSE(pb.isNull());
  processDeferredDeletes();
  EXPECT_TRUE(pb.isNull());
  EXPECT_TRUE(pc.isNull());
  QObject::disconnect(conn);
}

TEST_F(InputManagerFiles, LinkedFolderListsCheckedPicturesAndStreamsOldestFirst) {
  QDir().mkpath(path("linked"));
  const QString linked = path("linked");
  auto put = [&](const QString& from, const QString& name, time_t when) {
    const QString to = linked + "/" + name;
    EXPECT_TRUE(QFile::copy(from, to));
    timeval tv[2] = {{when, 0}, {when, 0}};
    ::utimes(to.toUtf8().constData(), tv);
  };
  put(path("stream3.stream"), "b.stream", 1500000300);
  put(path("pic_conf.jpg"), "a.jpg", 1500000100);
  ASSERT_TRUE(writeAll(path("noise.bin"), QByteArray(5000, 'n')));
  put(path("noise.bin"), "noise.jpg", 1500000200);
  put(path("noise.bin"), "Upper.JPG", 1500000400);  // checked like any picture: refused
  put(path("pic_conf.jpg"), "Good.JPG", 1500000450);
  put(path("pic_conf.jpg"), "c.bmp", 1500000500);   // not a listed extension

  QSignalSpy dir(&manager_, &CInputManager::linkDirListChanged);
  manager_.link_refresh(linked);
  EXPECT_EQ(dir.count(), 1);
  QStringList names;
  for (CFileLink* l : manager_.linkDir()) names << l->fileNameShort();
  QStringList expected = {"a.jpg", "b.stream"};
  if (!QDir(linked).entryList({"*.jpg"}, QDir::Files).filter("Good").isEmpty()) expected << "Good.JPG";
  EXPECT_EQ(names, expected);
  ASSERT_FALSE(manager_.linkDir().isEmpty());
  CFileLink* first = manager_.linkDir()[0];
  EXPECT_EQ(first->fileNameAbs(), linked + "/a.jpg");
  EXPECT_EQ(QUrl(first->fileNameUrl()).toLocalFile(), linked + "/a.jpg");
  EXPECT_EQ(first->fileSize(), QFileInfo(path("pic_conf.jpg")).size());

  // A refresh replaces the entries; the old ones go only after the signal.
  QPointer<CFileLink> old(first);
  QString readInSlot;
  auto conn = QObject::connect(&manager_, &CInputManager::linkDirListChanged, &manager_,
                               [&] { readInSlot = first->fileNameShort(); });
  QFile::remove(linked + "/a.jpg");
  manager_.link_refresh(linked);
  QObject::disconnect(conn);
  EXPECT_EQ(readInSlot, "a.jpg");
  processDeferredDeletes();
  EXPECT_TRUE(old.isNull());
  EXPECT_EQ(manager_.linkDir()[0]->fileNameShort(), "b.stream");
}

TEST_F(InputManagerFiles, RecentEntriesAreRemovedOneOrAll) {
  manager_.link_addRecent(path("pic_plain.jpg"));
  manager_.link_addRecent(path("pic_conf.jpg"));
  manager_.link_addRecent(path("pic_plain.jpg"));
  ASSERT_EQ(manager_.linkRecent().size(), 2);
  QSignalSpy recent(&manager_, &CInputManager::linkRecentListChanged);
  CFileLink* plain = manager_.linkRecent()[0];
  QPointer<CFileLink> watch(plain);
  CFileLink stranger(path("pic_conf.jpg"));
  manager_.link_delete(&stranger);  // not in the list
  manager_.link_delete(nullptr);
  EXPECT_EQ(recent.count(), 0);
  manager_.link_delete(plain);
  EXPECT_EQ(recent.count(), 1);
  EXPECT_FALSE(watch.isNull());
  processDeferredDeletes();
  EXPECT_TRUE(watch.isNull());
  manager_.link_deleteAll();
  EXPECT_EQ(recent.count(), 2);
  EXPECT_TRUE(manager_.linkRecent().isEmpty());
}

TEST(InputManagerNames, SaveNamesUseTheSaveFolderAndTheLocalTime) {
  QTemporaryDir dir;
  CConfigManager config;
  config.setAppDir(dir.path());
  config.init();
  CInputManager manager(&config);
  const QString before = QDateTime::currentDateTime().toString("yyyyMMdd_HHmmss");
  const QString name = manager.createFn(QStringLiteral("ignored"), QStringLiteral(".jpg"));
  const QString after = QDateTime::currentDateTime().toString("yyyyMMdd_HHmmss");
  const QString folder = config.config()->saveDir();
  ASSERT_FALSE(folder.isEmpty());
  QRegularExpression shape("^" + QRegularExpression::escape(folder) + "/(\\d{8}_\\d{6})\\.jpg$");
  QRegularExpressionMatch m = shape.match(name);
  ASSERT_TRUE(m.hasMatch()) << name.toStdString();
  EXPECT_GE(m.captured(1), before);
  EXPECT_LE(m.captured(1), after);
  // Camera inputs find their settings files in the configuration folder.
  CInputIr* input = manager.device_createIr(qaddr(25));
  ASSERT_NE(input, nullptr);
  EXPECT_EQ(input->configDir(), config.configDir());
}

}  // namespace

namespace {

using namespace inputs;

// The views reach the manager from QML: inputs handed to JavaScript stay the program's.
TEST(InputManagerQml, InputsHandedToQmlAreNotCollected) {
  registerInputQmlTypes();
  QQmlEngine engine;
  CInputManager manager;
  QQmlEngine::setObjectOwnership(&manager, QQmlEngine::CppOwnership);
  engine.globalObject().setProperty(QStringLiteral("inputManager"), engine.newQObject(&manager));
  const QString ip = QString::fromStdString(address(26));
  QJSValue made = engine.evaluate(QStringLiteral("var cam = inputManager.device_createIr('%1'); [cam.inputType, cam.device_ip, "
                                                 "cam.device_isConnected, inputManager.deviceList.length]")
                                      .arg(ip));
  ASSERT_FALSE(made.isError()) << made.toString().toStdString();
  EXPECT_EQ(made.property(0).toInt(), 1);
  EXPECT_EQ(made.property(1).toString(), ip);
  EXPECT_FALSE(made.property(2).toBool());
  EXPECT_EQ(made.property(3).toInt(), 1);
  ASSERT_EQ(manager.devices().size(), 1);
  QPointer<CInputIr> cam(manager.devices()[0]);
  engine.evaluate(QStringLiteral("cam = null"));
  engine.collectGarbage();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(cam.isNull());
  QQmlComponent component(&engine);
  component.setData("import Ostrel 1.0\nCInputIr {}\n", QUrl());
  std::unique_ptr<QObject> plain(component.create());
  ASSERT_NE(plain, nullptr) << component.errorString().toStdString();
  EXPECT_EQ(plain->property("inputType").toInt(), 1);
  EXPECT_EQ(plain->property("gearEnable").toBool(), false);
}

}  // namespace
