// "RecorderConfig.bin", the storage figures against Python's os.statvfs, and the recordings
// table's binding to a camera module.
#include <QFile>
#include <QSignalSpy>
#include <sys/stat.h>
#include <utime.h>

#include "RecorderSupport.h"
#include "modules/CModuleTableRecorder.h"

namespace {

using namespace rectest;

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct SettingsRig {
  QTemporaryDir dir;
  CConfigManager config;
  std::unique_ptr<RecorderManager> manager;
  SettingsRig() {
    config.setAppDir(dir.path());
    config.config()->setSaveDir(dir.path());
    QDir(dir.path()).mkpath(QStringLiteral("Calorvue-Config"));
    manager = std::make_unique<RecorderManager>(&config, nullptr, nullptr);
  }
  QString file() const { return manager->configPath(); }
};

TEST(RecorderSettings, TheDefaultsFileHasItsFieldsAtTheirOffsets) {
  SettingsRig rig;
  EXPECT_EQ(rig.manager->init(), 1);  // no file: the defaults, unlike the empty record
  RecorderConfig edited;
  edited.cls2cls(rig.manager->config());
  edited.setRecordDiv(2);
  ASSERT_EQ(rig.manager->saveConfig(&edited), 1);
  edited.setRecordDiv(1);
  ASSERT_EQ(rig.manager->saveConfig(&edited), 1);
  const QByteArray b = readAll(rig.file());
  ASSERT_EQ(b.size(), 576);
  auto hex = [&](int off) { return b.mid(off, 4).toHex().toStdString(); };
  EXPECT_EQ(hex(0), "01000000");
  EXPECT_EQ(hex(4), "01010000");
  EXPECT_EQ(hex(8), "01020000");
  EXPECT_EQ(hex(12), "01000000");
  EXPECT_EQ(hex(280), "01000000");
  EXPECT_EQ(hex(284), "04000000");
  EXPECT_EQ(hex(292), "01000000");
  EXPECT_EQ(hex(572), "0a000000");
  EXPECT_EQ(b.count('\0'), 576 - 10);  // ten bytes above are not zero

  // Read back by a fresh manager: equal to the defaults.
  SettingsRig again;
  QFile::copy(rig.file(), again.file());
  EXPECT_EQ(again.manager->init(), 1);
  EXPECT_EQ(std::memcmp(&again.manager->config()->record(), b.constData(), 576), 0);
}

TEST(RecorderSettings, AShortFileGivesTheDefaultsAndAnUnchangedSaveWritesNothing) {
  SettingsRig rig;
  {
    QFile f(rig.file());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(575, '\x11'));
  }
  rig.manager->init();
  const RecorderConfigRecord d = RecorderConfig::defaults();
  EXPECT_EQ(std::memcmp(&rig.manager->config()->record(), &d, sizeof d), 0);

  RecorderConfig edited;
  edited.cls2cls(rig.manager->config());
  edited.setPreBufferEnable(true);
  edited.setPreBuffer(3);
  ASSERT_EQ(rig.manager->saveConfig(&edited), 1);
  EXPECT_EQ(rig.manager->config()->preBuffer(), 3);
  // Back-date the file; saving equal settings must leave it untouched.
  const QByteArray path = rig.file().toUtf8();
  struct utimbuf old = {1000000000, 1000000000};
  ASSERT_EQ(::utime(path.constData(), &old), 0);
  EXPECT_EQ(rig.manager->saveConfig(&edited), 0);
  {
    // Two recorders with equal settings: destroying one writes nothing either.
    Recorder a, b;
    a.setManager(rig.manager.get());
    b.setManager(rig.manager.get());
    EXPECT_EQ(a.config()->preBuffer(), 3);
  }
  struct stat st{};
  ASSERT_EQ(::stat(path.constData(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1000000000);
  EXPECT_EQ(rig.manager->saveConfig(nullptr), -8);
}

TEST(RecorderSettings, TextsOfTwoHundredFiftyFiveBytesAreKeptTwoHundredFiftySixRefused) {
  RecorderConfig c;
  QSignalSpy spy(&c, &RecorderConfig::fnPrefixChanged);
  const QString ok255(255, QLatin1Char('a'));
  c.setFnPrefix(ok255);
  EXPECT_EQ(c.fnPrefix(), ok255);
  EXPECT_EQ(std::string(c.record().fnPrefix), ok255.toStdString());
  c.setFnPrefix(QString(256, QLatin1Char('b')));
  EXPECT_EQ(c.fnPrefix(), ok255);
  // 128 two-byte characters are 256 bytes: refused; 127 and one byte: 255, kept.
  c.setFnSuffix(QString(128, QChar(0xE9)));
  EXPECT_TRUE(c.fnSuffix().isEmpty());
  const QString mixed = QString(127, QChar(0xE9)) + QLatin1Char('x');
  c.setFnSuffix(mixed);
  EXPECT_EQ(c.fnSuffix(), mixed);
  EXPECT_EQ(spy.count(), 1);
  c.setFnPrefix(ok255);  // unchanged: no signal
  EXPECT_EQ(spy.count(), 1);
}

TEST(RecorderSettings, StorageFiguresMatchPythonsStatvfs) {
  SettingsRig rig;
  QSignalSpy total(rig.manager.get(), &RecorderManager::storageTotalChanged);
  rig.manager->init();
  EXPECT_EQ(total.count(), 1);
  const auto f = pythonFacts("statvfs", rig.dir.path().toStdString());
  ASSERT_TRUE(f.count("total")) << f.begin()->second;
  const double pyTotal = std::stod(f.at("total")), pyFree = std::stod(f.at("free"));
  EXPECT_NEAR(rig.manager->storageTotal(), pyTotal, 1e-6);
  // Free space moves with whatever else writes to this disk meanwhile.
  EXPECT_NEAR(rig.manager->storageFree(), pyFree, std::max(0.5, pyTotal * 0.01));
  EXPECT_GT(rig.manager->storageFree(), 0.0);
}

TEST(RecorderTable, ASecondTableStaysUnboundAndDeletingTheCameraUnbindsTheFirst) {
  RecorderRig rig(10, camsim::CameraIdentity{});
  ASSERT_TRUE(rig.makeModule());
  CModuleInputIr* cam = rig.module();
  auto* t1 = qobject_cast<CModuleTableRecorder*>(rig.tabs().module_create(8, nullptr, rig.frame()));
  auto* t2 = qobject_cast<CModuleTableRecorder*>(rig.tabs().module_create(8, nullptr, rig.frame()));
  ASSERT_NE(t1, nullptr);
  ASSERT_NE(t2, nullptr);
  EXPECT_EQ(t1->moduleType(), 8);
  QSignalSpy bound(t1, &CModuleTableRecorder::irChanged);
  t1->ir_create(cam);
  EXPECT_EQ(t1->ir(), cam);
  EXPECT_EQ(bound.count(), 1);
  EXPECT_EQ(cam->subModuleRecorder(), t1);
  EXPECT_EQ(t1->moduleName(), QStringLiteral("tableRecorder-%1").arg(cam->input()->inputName()));
  t2->ir_create(cam);
  EXPECT_EQ(t2->ir(), nullptr);
  EXPECT_EQ(cam->subModuleRecorder(), t1);
  t1->saveModuleData();
  EXPECT_EQ(t1->moduleData(), cam->input()->inputNameAbs());
  t2->saveModuleData();
  EXPECT_TRUE(t2->moduleData().isEmpty());

  rig.dropModule();
  EXPECT_EQ(t1->ir(), nullptr);
  EXPECT_TRUE(rig.frame()->modules().contains(t1));  // the table stays in its frame
  t1->saveModuleData();
  EXPECT_TRUE(t1->moduleData().isEmpty());
  // Unbound, it may bind again; detaching unbinds.
  delete t2;
  delete t1;
}

}  // namespace
