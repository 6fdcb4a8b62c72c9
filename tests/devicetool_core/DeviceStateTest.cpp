// The device's own state against simulated cameras on 127.<run>.44.140-159: a recording ends as
// the kind it began, a Stop and Play inside a slow command leave exactly one login, snapshots and
// the configuration dialog's channels follow what the camera holds now, and a camera's NaN or
// infinity never goes back to it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>

#include "AppFolders.h"
#include "CDevice.h"
#include "CDeviceConfiger.h"
#include "CDeviceNode.h"
#include "NetKit.h"
#include "OstrelSDK.h"
#include "WaitUntil.h"
#include "camsim/CameraSim.h"

namespace {

using devicetest::waitUntil;

struct Camera {
  explicit Camera(int host) : addr(ostrel::test::loopbackAddress(44, host)) {
    camsim::CameraSimOptions o;
    o.address = addr;
    o.identity.cameraId = "STATE-" + std::to_string(host);
    o.identity.dataWidth = 160;
    o.identity.dataHeight = 120;
    sim = std::make_unique<camsim::CameraSim>(o);
    EXPECT_EQ(sim->start(), 0);
    node.setDeviceIpQuiet(QString::fromStdString(addr));
  }
  bool play(CDevice& dev) {
    return dev.startWork(&node) == 0 && waitUntil([&] { return dev.lastFrame() != nullptr; });
  }
  // The slot the SDK gives the next login: the lowest free one, so it counts the logins held.
  int nextLoginSlot() const {
    LoginInfo li{};
    std::strncpy(li.ip, addr.c_str(), sizeof li.ip - 1);
    CameraBasicInfoRecord rec{};
    const int id = Ostrel_Login(&li, &rec);
    if (id >= 0) Ostrel_Logout(id);
    return id;
  }
  std::string addr;
  std::unique_ptr<camsim::CameraSim> sim;
  CDeviceNode node;
};

void putF32(std::vector<uint8_t>& rec, size_t at, float v) {
  std::memcpy(&rec[at], &v, 4);
}

QJsonObject readSnapshot(const QString& path) {
  QProcess p;
  p.start(QStringLiteral(OSTREL_SYSTEM_PYTHON), {QStringLiteral(OSTREL_TEST_SOURCE_DIR "/snapshot_reader.py"), path});
  p.waitForFinished(60000);
  return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QString onlyFile(const QString& dir) {
  const QStringList files = QDir(dir).entryList(QDir::Files, QDir::Name);
  return files.size() == 1 ? dir + '/' + files[0] : QString();
}

TEST(DeviceState, AVideoBegunAsTypeThreeEndsAsAVideo) {
  QTemporaryDir save;
  calorset::setSaveDirUtf8(save.path().toUtf8());
  Camera cam(140);
  CDevice dev;
  ASSERT_TRUE(cam.play(dev));
  ASSERT_EQ(dev.beginSave(QString(), 3), 0);
  const QString path = onlyFile(save.path());
  ASSERT_FALSE(path.isEmpty());
  // Two seconds of frames reach the encoder (it holds some back before it writes any).
  const uint32_t begun = dev.lastFrame()->head->frameIndex;
  ASSERT_TRUE(waitUntil([&] { return dev.lastFrame()->head->frameIndex >= begun + 50; }));
  ASSERT_GE(dev.endSave(2), 0);  // the argument is not what decides
  EXPECT_FALSE(dev.isRecording());
  // An ended video is a whole file while the camera still streams: ffprobe finds its frames (a
  // video left open has no index yet and cannot be read).
  QProcess probe;
  probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                          "stream=nb_read_frames", "-of", "csv=p=0", path});
  ASSERT_TRUE(probe.waitForFinished(60000));
  const QByteArray out = probe.readAllStandardOutput().trimmed();
  EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
  EXPECT_GT(out.toInt(), 0) << out.toStdString();
  EXPECT_TRUE(dev.isWorking());
  dev.stopWork();
}

TEST(DeviceState, StopAndPlayDuringASlowCommandLeaveOneLoginAndAWorkingStream) {
  Camera cam(141);
  const int freeSlot = cam.nextLoginSlot();
  ASSERT_GE(freeSlot, 0);
  CDevice dev;
  ASSERT_TRUE(cam.play(dev));
  camsim::CommandFaults f;
  f.controlXDelayMs = {{18, 800}};
  cam.sim->command().setFaults(f);
  // While the focus command waits for its reply the window's Stop and Play run.
  bool replayed = false;
  QTimer::singleShot(100, [&] {
    dev.stopWork();
    replayed = dev.startWork(&cam.node) == 0;
  });
  dev.focusXFRel(5);
  ASSERT_TRUE(replayed);
  cam.sim->command().setFaults({});
  // The new start finishes and streams ...
  ASSERT_TRUE(waitUntil([&] { return dev.isWorking() && dev.qtcFlags() == 0 && dev.lastFrame() != nullptr; }));
  EXPECT_EQ(cam.nextLoginSlot(), freeSlot + 1);
  // ... and its stop gives back its login.
  dev.stopWork();
  EXPECT_EQ(cam.nextLoginSlot(), freeSlot);
}

TEST(DeviceState, SnapshotsAndRecordingsCarryTheCorrectionRecordTheDialogJustWrote) {
  QTemporaryDir save;
  calorset::setSaveDirUtf8(save.path().toUtf8());
  Camera cam(142);
  CDevice dev;
  ASSERT_TRUE(cam.play(dev));
  CDeviceConfiger cfg;
  ASSERT_EQ(cfg.startWork(&cam.node), 0);
  ASSERT_EQ(cfg.getConfig(2), 0);
  cfg.fixInfo()->setProperty("globalEmissivity", 0.5);
  cfg.fixInfo()->setProperty("targetDistance", 12.0);
  ASSERT_EQ(cfg.setConfig(2), 0);
  const std::vector<uint8_t> now = cam.sim->state().record(23);
  float emissivity = 0;
  std::memcpy(&emissivity, &now[24], 4);
  ASSERT_FLOAT_EQ(emissivity, 0.5f);

  ASSERT_EQ(dev.saveImage(QString()), 0);
  const QJsonObject r = readSnapshot(onlyFile(save.path()));
  ASSERT_FALSE(r.isEmpty());
  const QByteArray want(reinterpret_cast<const char*>(now.data()), qsizetype(now.size()));
  EXPECT_EQ(r["fix"].toString().toLatin1(), want.toHex());
  QFile::remove(onlyFile(save.path()));

  // Another edit, then a stream file: its head (at 4 x pixels + 1088 of the file) holds the record
  // at byte 44.
  cfg.fixInfo()->setProperty("globalEmissivity", 0.75);
  ASSERT_EQ(cfg.setConfig(2), 0);
  cfg.stopWork();
  const std::vector<uint8_t> later = cam.sim->state().record(23);
  ASSERT_NE(later, now);
  ASSERT_EQ(dev.beginSave(QString(), 2), 0);
  const QString stream = onlyFile(save.path());
  ASSERT_FALSE(stream.isEmpty());
  const qint64 headAt = 4 * 160 * 120 + 1088;
  ASSERT_TRUE(waitUntil([&] { return QFileInfo(stream).size() > headAt + 128; }));
  ASSERT_GE(dev.endSave(2), 0);
  QFile f(stream);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  ASSERT_TRUE(f.seek(headAt + 44));
  EXPECT_EQ(f.read(72).toHex(), QByteArray(reinterpret_cast<const char*>(later.data()), qsizetype(later.size())).toHex());
  dev.stopWork();
}

TEST(DeviceState, TheConfigurerReadsAChannelAgainOnEveryRequest) {
  Camera cam(143);
  CDeviceConfiger cfg;
  ASSERT_EQ(cfg.startWork(&cam.node), 0);
  const size_t before = cam.sim->log().count();
  EXPECT_EQ(cfg.getConfig(1), 0);  // the login's own record: no request
  EXPECT_EQ(cam.sim->log().count(), before);
  ASSERT_EQ(cfg.getConfig(2), 0);
  std::vector<uint8_t> rec = cam.sim->state().record(23);
  putF32(rec, 24, 0.625f);  // changed behind the dialog's back
  ASSERT_TRUE(cam.sim->state().setRecord(23, rec));
  ASSERT_EQ(cfg.getConfig(2), 0);
  EXPECT_FLOAT_EQ(cfg.fixInfo()->property("globalEmissivity").toFloat(), 0.625f);
  std::vector<uint8_t> tv = cam.sim->state().record(31);
  putF32(tv, 8, 3.5f);
  ASSERT_TRUE(cam.sim->state().setRecord(31, tv));
  ASSERT_EQ(cfg.getConfig(5), 0);
  ASSERT_EQ(cfg.getConfig(5), 0);
  EXPECT_FLOAT_EQ(cfg.tvoutInfo()->property("gain").toFloat(), 3.5f);
  cfg.stopWork();
}

TEST(DeviceState, NonFiniteValuesFromTheCameraAreMarkedAndNeverSentBack) {
  Camera cam(144);
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  std::vector<uint8_t> fix = cam.sim->state().record(23);
  putF32(fix, 0, nan);    // atmospheric temperature
  putF32(fix, 20, inf);   // target distance
  putF32(fix, 24, -inf);  // emissivity
  ASSERT_TRUE(cam.sim->state().setRecord(23, fix));
  std::vector<uint8_t> tv = cam.sim->state().record(31);
  putF32(tv, 8, nan);  // gain
  ASSERT_TRUE(cam.sim->state().setRecord(31, tv));

  CDeviceConfiger cfg;
  ASSERT_EQ(cfg.startWork(&cam.node), 0);
  ASSERT_EQ(cfg.getConfig(2), 0);
  ASSERT_EQ(cfg.getConfig(5), 0);
  CDeviceConfigBase* fixInfo = cfg.fixInfo();
  CDeviceConfigBase* tvout = cfg.tvoutInfo();
  EXPECT_EQ(fixInfo->invalidFields(),
            QStringList({"atmosphericTemperature", "targetDistance", "globalEmissivity"}));
  EXPECT_EQ(tvout->invalidFields(), QStringList({"gain"}));
  // Apply sends nothing while a value is not finite, edited or not.
  const size_t before = cam.sim->log().count();
  EXPECT_EQ(cfg.setConfig(2), -8);
  EXPECT_EQ(cfg.setConfig(5), -8);
  // Typed infinities and NaN are refused by the fields themselves.
  QSignalSpy marks(fixInfo, &CDeviceConfigBase::invalidFieldsChanged);
  fixInfo->setProperty("relativeHumidity", double(inf));
  fixInfo->setProperty("visibility", double(nan));
  tvout->setProperty("gain", 1e39);
  EXPECT_TRUE(std::isfinite(fixInfo->property("relativeHumidity").toFloat()));
  EXPECT_TRUE(std::isfinite(fixInfo->property("visibility").toFloat()));
  EXPECT_TRUE(std::isnan(tvout->property("gain").toFloat()));
  EXPECT_EQ(cfg.setConfig(2), -8);
  EXPECT_EQ(cam.sim->log().count(), before);
  EXPECT_EQ(cam.sim->state().record(23), fix);
  EXPECT_EQ(cam.sim->state().record(31), tv);

  // Once the person gives every marked field a number, exactly those go back.
  fixInfo->setProperty("atmosphericTemperature", 21.0);
  fixInfo->setProperty("targetDistance", 30.0);
  EXPECT_EQ(fixInfo->invalidFields(), QStringList({"globalEmissivity"}));
  fixInfo->setProperty("globalEmissivity", 0.9);
  EXPECT_TRUE(fixInfo->invalidFields().isEmpty());
  EXPECT_EQ(marks.count(), 3);
  tvout->setProperty("gain", 2.5);
  ASSERT_EQ(cfg.setConfig(2), 0);
  ASSERT_EQ(cfg.setConfig(5), 0);
  std::vector<uint8_t> want = fix;
  putF32(want, 0, 21.0f);
  putF32(want, 20, 30.0f);
  putF32(want, 24, 0.9f);
  EXPECT_EQ(cam.sim->state().record(23), want);
  std::vector<uint8_t> wantTv = tv;
  putF32(wantTv, 8, 2.5f);
  EXPECT_EQ(cam.sim->state().record(31), wantTv);
  cfg.stopWork();
}

TEST(DeviceState, PlayOnAnAddressTheSdkRefusesSaysSo) {
  CDeviceNode node;
  node.setDeviceIpQuiet(QStringLiteral("127.0.0.999"));
  CDevice dev;
  QSignalSpy failed(&dev, &CDevice::workFailed);
  ASSERT_EQ(dev.startWork(&node), 0);
  ASSERT_TRUE(waitUntil([&] { return failed.count() == 1; }));
  EXPECT_EQ(failed.at(0).at(0).toInt(), -8);
  EXPECT_EQ(dev.qtcFlags(), 0);
}

}  // namespace
