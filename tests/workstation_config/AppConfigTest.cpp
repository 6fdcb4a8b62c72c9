// The settings record "AppConfig.bin": layout checked with Python's struct, load, defaults,
// limits, saving and its signals.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdio>
#include <string>

#include "settings/CConfigManager.h"

namespace {

int runPython(const std::string& script) {
  std::string path = QDir::tempPath().toStdString() + "/appconfig_" + std::to_string(::getpid()) + ".py";
  FILE* f = std::fopen(path.c_str(), "w");
  if (!f) return -1;
  std::fputs(script.c_str(), f);
  std::fclose(f);
  int rc = std::system((std::string(OSTREL_SYSTEM_PYTHON) + " " + path).c_str());
  std::remove(path.c_str());
  return rc;
}

// Packs the record from its documented layout: <i i 1024s 1024s i i i (2068 bytes).
std::string packScript(const QString& file, int magic, int language, const std::string& saveDir,
                       const std::string& workspace, int fileMode, int wsMode, int fps) {
  return "import struct\n"
         "d=struct.pack('<ii1024s1024siii'," +
         std::to_string(magic) + "," + std::to_string(language) + ",bytes.fromhex('" +
         QByteArray::fromStdString(saveDir).toHex().toStdString() + "'),bytes.fromhex('" +
         QByteArray::fromStdString(workspace).toHex().toStdString() + "')," + std::to_string(fileMode) + "," +
         std::to_string(wsMode) + "," + std::to_string(fps) +
         ")\n"
         "assert len(d)==2068\n"
         "open('" +
         file.toStdString() + "','wb').write(d)\n";
}

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct timespec mtimeOf(const QString& path) {
  struct stat st {};
  ::stat(path.toUtf8().constData(), &st);
  return st.st_mtim;
}

class AppConfigFile : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    manager_.setAppDir(dir_.path());
    ASSERT_TRUE(QDir().mkpath(manager_.configDir()));
  }
  QString file() const { return manager_.configFile(); }
  QTemporaryDir dir_;
  CConfigManager manager_;
};

TEST_F(AppConfigFile, GoldenFileLoadsAndUnchangedSaveKeepsItByteForByte) {
  const std::string saveDir = (dir_.path() + "/Bilder-\xC3\xBC").toStdString();  // "ü": UTF-8 kept
  ASSERT_EQ(runPython(packScript(file(), 20240101, 1, saveDir, "/ws/last.xml", 1, 2, 30)), 0);
  const QByteArray before = readAll(file());
  ASSERT_EQ(before.size(), 2068);
  auto t0 = mtimeOf(file());

  EXPECT_EQ(manager_.init(), 1) << "differs from the fresh record";
  CAppConfig* c = manager_.config();
  EXPECT_EQ(c->language(), 1);
  EXPECT_EQ(c->saveDir(), QString::fromUtf8(saveDir.c_str()));
  EXPECT_EQ(c->workspaceLast(), QStringLiteral("/ws/last.xml"));
  EXPECT_EQ(c->fileSaveMode(), 1);
  EXPECT_EQ(c->workspaceSaveMode(), 2);
  EXPECT_EQ(c->displayFpsMax(), 30);
  EXPECT_EQ(displayFpsLimit.load(), 30u);
  EXPECT_TRUE(QDir(c->saveDir()).exists()) << "save folder made at load";

  CAppConfig copy;
  copy.cls2cls(c);
  EXPECT_EQ(manager_.save(&copy), 0);
  EXPECT_EQ(readAll(file()), before);
  auto t1 = mtimeOf(file());
  EXPECT_EQ(t0.tv_sec, t1.tv_sec);
  EXPECT_EQ(t0.tv_nsec, t1.tv_nsec) << "an unchanged save must not write";
  EXPECT_FALSE(QFile::exists(file() + ".tmp"));
}

TEST_F(AppConfigFile, OneChangedFieldEmitsOneSignalAndWritesTheLayout) {
  ASSERT_EQ(runPython(packScript(file(), 20240101, 0, "/data", "", 0, 0, 50)), 0);
  manager_.init();
  CAppConfig copy;
  copy.cls2cls(manager_.config());
  copy.setWorkspaceSaveMode(2);

  CAppConfig* live = manager_.config();
  QSignalSpy lang(live, &CAppConfig::languageChanged), dir(live, &CAppConfig::saveDirChanged),
      ws(live, &CAppConfig::workspaceLastChanged), fm(live, &CAppConfig::fileSaveModeChanged),
      wm(live, &CAppConfig::workspaceSaveModeChanged), fps(live, &CAppConfig::displayFpsMaxChanged);
  EXPECT_EQ(manager_.save(&copy), 1);
  EXPECT_EQ(wm.count(), 1);
  EXPECT_EQ(lang.count() + dir.count() + ws.count() + fm.count() + fps.count(), 0);

  // Read back by an independent reader.
  const std::string check =
      "import struct\n"
      "d=open('" +
      file().toStdString() +
      "','rb').read()\n"
      "assert len(d)==2068, len(d)\n"
      "m,l=struct.unpack_from('<ii',d,0)\n"
      "f,w,fps=struct.unpack_from('<iii',d,2056)\n"
      "assert (m,l,f,w,fps)==(20240101,0,0,2,50),(m,l,f,w,fps)\n"
      "assert d[8:8+6]==b'/data\\0' and d[14:1032]==bytes(1018)\n"
      "assert d[1032:2056]==bytes(1024)\n";
  EXPECT_EQ(runPython(check), 0);
}

TEST_F(AppConfigFile, WrongMagicOrShortFileGivesDefaultsAndLeavesTheFile) {
  ASSERT_EQ(runPython(packScript(file(), 20240102, 1, "/x", "/y", 1, 1, 30)), 0);
  const QByteArray before = readAll(file());
  manager_.init();
  CAppConfig* c = manager_.config();
  EXPECT_EQ(c->language(), 0);
  EXPECT_EQ(c->displayFpsMax(), 100);
  EXPECT_EQ(c->saveDir(), dir_.path() + "/Calorvue-Data");
  EXPECT_EQ(c->workspaceLast(), QString());
  EXPECT_TRUE(QDir(dir_.path() + "/Calorvue-Data").exists());
  EXPECT_EQ(readAll(file()), before) << "rewritten only at the next save with a change";

  CConfigManager shortFile;
  shortFile.setAppDir(dir_.path());
  QFile f(file());
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(before.left(2067));
  f.close();
  shortFile.init();
  EXPECT_EQ(shortFile.config()->displayFpsMax(), 100);
  EXPECT_EQ(shortFile.config()->language(), 0);
}

TEST_F(AppConfigFile, FrameRateLimitClampsWhileTheRecordKeepsItsValue) {
  ASSERT_EQ(runPython(packScript(file(), 20240101, 0, "", "", 0, 0, 5)), 0);
  manager_.init();
  EXPECT_EQ(manager_.config()->displayFpsMax(), 5);
  EXPECT_EQ(displayFpsLimit.load(), 10u);
  CAppConfig copy;
  copy.cls2cls(manager_.config());
  copy.setDisplayFpsMax(500);
  EXPECT_EQ(manager_.save(&copy), 1);
  EXPECT_EQ(manager_.config()->displayFpsMax(), 500);
  EXPECT_EQ(displayFpsLimit.load(), 100u);
  copy.setDisplayFpsMax(10);
  manager_.save(&copy);
  EXPECT_EQ(displayFpsLimit.load(), 10u);
  copy.setDisplayFpsMax(100);
  manager_.save(&copy);
  EXPECT_EQ(displayFpsLimit.load(), 100u);
}

TEST_F(AppConfigFile, FileEqualToAFreshRecordStillAppliesTheLimit) {
  // All zero with the magic: byte-equal to a new CAppConfig, displayFpsMax 0 -> limit 10.
  ASSERT_EQ(runPython(packScript(file(), 20240101, 0, "", "", 0, 0, 0)), 0);
  displayFpsLimit.store(100);
  EXPECT_EQ(manager_.init(), 0);
  EXPECT_EQ(displayFpsLimit.load(), 10u);
}

TEST_F(AppConfigFile, FailedWriteKeepsTheOldFile) {
  ASSERT_EQ(runPython(packScript(file(), 20240101, 0, "/a", "", 0, 0, 50)), 0);
  const QByteArray before = readAll(file());
  manager_.init();
  ASSERT_TRUE(QDir().mkpath(file() + ".tmp"));  // the temporary cannot be created
  CAppConfig copy;
  copy.cls2cls(manager_.config());
  copy.setLanguage(1);
  copy.setDisplayFpsMax(20);
  QSignalSpy languageSpy(manager_.config(), &CAppConfig::languageChanged);
  EXPECT_EQ(manager_.save(&copy), -200);
  EXPECT_EQ(readAll(file()), before);
  // Cancel after the failure: the program goes on with the settings the file holds.
  EXPECT_EQ(manager_.config()->language(), 0) << "a rejected edit does not take effect";
  EXPECT_EQ(manager_.config()->displayFpsMax(), 50);
  EXPECT_EQ(displayFpsLimit.load(), 50u);
  EXPECT_EQ(languageSpy.count(), 0);
  // The same settings again, once the folder allows it: written, then in effect.
  ASSERT_TRUE(QDir(file() + ".tmp").removeRecursively());
  EXPECT_EQ(manager_.save(&copy), 1);
  EXPECT_EQ(readAll(file()).mid(4, 4), QByteArray("\x01\x00\x00\x00", 4));
  EXPECT_EQ(manager_.config()->language(), 1);
  EXPECT_EQ(displayFpsLimit.load(), 20u);
  EXPECT_EQ(manager_.save(&copy), 0) << "stored now: nothing more to write";
  EXPECT_EQ(manager_.save(nullptr), -8);
}

TEST(AppConfig, TextFieldsTakeOnlyWhatFits) {
  CAppConfig c;
  QSignalSpy spy(&c, &CAppConfig::saveDirChanged);
  c.setSaveDir(QString(1023, QLatin1Char('a')));
  EXPECT_EQ(spy.count(), 1);
  EXPECT_EQ(c.record().saveDir[1022], 'a');
  EXPECT_EQ(c.record().saveDir[1023], 0);
  c.setSaveDir(QString(1024, QLatin1Char('b')));
  EXPECT_EQ(spy.count(), 1) << "1024 bytes refused";
  EXPECT_EQ(c.saveDir(), QString(1023, QLatin1Char('a')));
  c.setSaveDir(QString(512, QChar(0x00E9)));  // 512 x 2 UTF-8 bytes = 1024
  EXPECT_EQ(spy.count(), 1);
  // The views ask the same rule beforehand.
  EXPECT_TRUE(c.saveDirFits(QString(1023, QLatin1Char('a'))));
  EXPECT_FALSE(c.saveDirFits(QString(1024, QLatin1Char('b'))));
  EXPECT_FALSE(c.saveDirFits(QString(512, QChar(0x00E9))));
  EXPECT_TRUE(c.saveDirFits(QString(511, QChar(0x00E9))));
  c.setSaveDir(QStringLiteral("short"));
  EXPECT_EQ(spy.count(), 2);
  EXPECT_EQ(c.record().saveDir[5], 0);
  EXPECT_EQ(c.record().saveDir[6], 0) << "rest of the field zero-filled";
  c.setSaveDir(QStringLiteral("short"));
  EXPECT_EQ(spy.count(), 2) << "no signal without change";

  // An unterminated field is read as its first 1023 bytes.
  AppConfigRecord rec = c.record();
  std::memset(rec.workspaceLast, 'w', sizeof rec.workspaceLast);
  CAppConfig d;
  d.applyRecord(rec);
  EXPECT_EQ(d.workspaceLast(), QString(1023, QLatin1Char('w')));
  EXPECT_EQ(d.record().workspaceLast[1023], 0);
}

TEST(AppConfig, NewObjectIsZeroWithMagic) {
  CAppConfig c;
  AppConfigRecord zero{};
  zero.magic = 20240101;
  EXPECT_EQ(std::memcmp(&c.record(), &zero, sizeof zero), 0);
}

}  // namespace
