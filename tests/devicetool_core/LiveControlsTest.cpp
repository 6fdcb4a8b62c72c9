// The live device's snapshots, recordings, commands, busy state and trend chart, and the detector
// utility, against simulated cameras on 127.<run>.44.1x. Files are read back by independent
// readers: a Python struct reader with Pillow, and the SDK's own file reader.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cmath>
#include <csignal>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <sys/resource.h>

#include "AppFolders.h"
#include "CDevice.h"
#include "CDeviceNode.h"
#include "CDeviceUtilV7R2K.h"
#include "NetKit.h"
#include "WaitUntil.h"
#include "SaveFiles.h"
#include "camsim/CameraSim.h"
#include "camsim/TempStreamServer.h"
#include "camsim/Wire.h"
#include "foundation/Helpers.h"

namespace {

using devicetest::kDeadlineMs;
using devicetest::waitUntil;

// A camera of 160 x 120 at 25 frames a second, and the tool's device playing it.
struct Live {
  explicit Live(int host, const char* softwareId = "SW-QF-2") : addr(ostrel::test::loopbackAddress(44, host)) {
    camsim::CameraSimOptions o;
    o.address = addr;
    o.identity.cameraId = "SNAP-" + std::to_string(host);
    o.identity.softwareId = softwareId;
    o.identity.dataWidth = 160;
    o.identity.dataHeight = 120;
    sim = std::make_unique<camsim::CameraSim>(o);
    EXPECT_EQ(sim->start(), 0);
    node.setDeviceIpQuiet(QString::fromStdString(addr));
    dev.initChartAndPresets();
  }
  bool play() {
    return dev.startWork(&node) == 0 && waitUntil([&] { return dev.lastFrame() != nullptr; });
  }
  std::vector<camsim::Observation> sent(uint16_t type) const {
    std::vector<camsim::Observation> out;
    for (auto& o : sim->log().snapshot())
      if (o.type == type) out.push_back(o);
    return out;
  }
  std::string addr;
  std::unique_ptr<camsim::CameraSim> sim;
  CDeviceNode node;
  CDevice dev;
};

QStringList filesIn(const QString& dir) {
  return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

QJsonObject readSnapshot(const QString& path, QString* error) {
  QProcess p;
  p.start(QStringLiteral(OSTREL_SYSTEM_PYTHON),
          {QStringLiteral(OSTREL_TEST_SOURCE_DIR "/snapshot_reader.py"), path});
  p.waitForFinished(60000);
  *error = QString::fromUtf8(p.readAllStandardError());
  return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QByteArray hexOf(const void* p, size_t n) {
  return QByteArray(static_cast<const char*>(p), qsizetype(n)).toHex();
}

TEST(LiveSnapshot, TwoInOneSecondAreTwoWholeFilesEachReadByThePythonReaderAndTheSdk) {
  QTemporaryDir save;
  calorset::setSaveDirUtf8(save.path().toUtf8());
  Live live(11);
  ASSERT_TRUE(live.play());
  EXPECT_EQ(live.dev.pauseWork(true), 0);
  EXPECT_TRUE(live.dev.isPaused());
  const int64_t before = ostrel::nowFileTime();
  // Both within one second of the clock: the second gets "_1" instead of replacing the first.
  ASSERT_EQ(live.dev.saveImage(QString()), 0);
  ASSERT_EQ(live.dev.saveImage(QString()), 0);
  const QStringList files = filesIn(save.path());
  ASSERT_EQ(files.size(), 2) << files.join(' ').toStdString();
  EXPECT_TRUE(files[0].endsWith(".jpg") && files[1].endsWith(".jpg"));

  const DataFrameHead& head = *live.dev.lastFrame()->head;
  std::vector<int16_t> sent;
  camsim::TempStreamConfig c;
  c.width = 160;
  c.height = 120;
  camsim::FrameContent::codes(c, head.frameIndex, sent);
  const std::vector<uint8_t> fix = live.sim->state().record(23);
  ASSERT_EQ(fix.size(), 72u);
  for (const QString& name : files) {
    const QString path = save.path() + '/' + name;
    QString error;
    const QJsonObject r = readSnapshot(path, &error);
    ASSERT_FALSE(r.isEmpty()) << name.toStdString() << ": " << error.toStdString();
    EXPECT_EQ(r["cameraId"].toString(), QStringLiteral("SNAP-11"));
    EXPECT_LE(std::llabs(qint64(r["time"].toDouble()) - before), 50000000LL);  // within 5 s
    EXPECT_EQ(r["width"].toInt(), 160);
    EXPECT_EQ(r["height"].toInt(), 120);
    EXPECT_EQ(r["jpegSize"].toArray(), QJsonArray({160, 120}));
    EXPECT_EQ(r["fix"].toString().toLatin1(), hexOf(fix.data(), fix.size()));
    EXPECT_EQ(r["head"].toString().toLatin1(), hexOf(&head, sizeof head));
    EXPECT_EQ(r["codes"].toString().toLatin1(), hexOf(sent.data(), sent.size() * 2));

    TFContext* tf = TF_Create();
    ASSERT_NE(tf, nullptr);
    const int opened = TF_Open(tf, path.toUtf8().constData(), TfOpenType_Picture);
    TFFrame f{};
    const int read = opened == 0 ? TF_ReadFrame(tf, 0, &f) : opened;
    EXPECT_EQ(read, 0) << name.toStdString();
    if (read == 0) {
      EXPECT_EQ(f.head->width, 160);
      EXPECT_EQ(std::memcmp(f.data, sent.data(), sent.size() * 2), 0);
    }
    TF_Free(&tf);
  }
}

TEST(LiveSnapshot, UnusableFoldersAndAShortWriteLeaveNoFileAndSayWhy) {
  Live live(12);
  ASSERT_TRUE(live.play());
  QTemporaryDir save;
  // An empty folder would name a file at the root; a name past 1023 bytes would be cut.
  calorset::setSaveDirUtf8(QByteArray());
  EXPECT_EQ(live.dev.saveImage(QString()), -8);
  EXPECT_EQ(live.dev.beginSave(QString(), 2), -8);
  calorset::setSaveDirUtf8(save.path().toUtf8() + '/' + QByteArray(1010, 'd'));
  EXPECT_EQ(live.dev.saveImage(QString()), -8);
  // A folder that is a file.
  QFile plain(save.path() + "/plain");
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  calorset::setSaveDirUtf8((save.path() + "/plain").toUtf8());
  EXPECT_EQ(live.dev.saveImage(QString()), -200);
  // The file system takes only part of the picture: -197, and neither the file nor its
  // temporary stays behind.
  calorset::setSaveDirUtf8(save.path().toUtf8());
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 20000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int r = live.dev.saveImage(QString());
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(r, -197);
  EXPECT_EQ(filesIn(save.path()), QStringList{QStringLiteral("plain")});

  // Names taken within one second go on with "_1", "_2".
  const QDateTime at(QDate(2024, 4, 8), QTime(9, 5, 3));
  QString name;
  for (const char* want : {"20240408_090503.jpg", "20240408_090503_1.jpg", "20240408_090503_2.jpg"}) {
    ASSERT_EQ(savefile::freeTimeFileName(save.path().toUtf8(), at, ".jpg", &name), 0);
    EXPECT_EQ(name, save.path() + '/' + want);
    ASSERT_EQ(savefile::writeNewFile(name, {QByteArrayView("x")}), 0);
  }
  EXPECT_EQ(savefile::writeNewFile(name, {QByteArrayView("y")}), -7);  // never replaced
}

TEST(LiveRecording, AStreamFileTheSdkOpensAndTheWrongStatesRefused) {
  QTemporaryDir save;
  calorset::setSaveDirUtf8(save.path().toUtf8());
  Live live(13);
  EXPECT_EQ(live.dev.endSave(2), -7);  // not working
  ASSERT_TRUE(live.play());
  EXPECT_EQ(live.dev.endSave(2), -7);  // not recording
  ASSERT_EQ(live.dev.beginSave(QString(), 2), 0);
  EXPECT_TRUE(live.dev.isRecording());
  EXPECT_EQ(live.dev.beginSave(QString(), 2), -7);
  EXPECT_EQ(live.dev.sendControl(2), -7);  // no commands while recording
  // The shown frames may have arrived before the recording began: wait for the file itself to hold
  // a whole frame, as the SDK's reader sees it.
  ASSERT_TRUE(waitUntil([&] {
    const QStringList now = filesIn(save.path());
    if (now.size() != 1) return false;
    TFContext* tf = TF_Create();
    TFFrame f{};
    const bool whole = TF_Open(tf, (save.path() + '/' + now[0]).toUtf8().constData(), TfOpenType_Stream) == 0 &&
                       TF_ReadFrame(tf, 0, &f) == 0;
    TF_Free(&tf);
    return whole;
  }));
  EXPECT_GE(live.dev.endSave(2), 0);
  EXPECT_FALSE(live.dev.isRecording());
  const QStringList files = filesIn(save.path());
  ASSERT_EQ(files.size(), 1);
  EXPECT_TRUE(files[0].endsWith(".stream"));
  TFContext* tf = TF_Create();
  ASSERT_NE(tf, nullptr);
  const int opened = TF_Open(tf, (save.path() + '/' + files[0]).toUtf8().constData(), TfOpenType_Stream);
  TFFrame f{};
  const int read = opened == 0 ? TF_ReadFrame(tf, 0, &f) : opened;
  const int width = read == 0 ? f.head->width : 0;
  TF_Free(&tf);
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(read, 0);
  EXPECT_EQ(width, 160);
}

// What one call put on the wire: the one-way record (10 bytes) or the request (68 bytes).
struct Expect {
  const char* what;
  std::function<int(CDevice&)> call;
  uint16_t message;               // 6 one-way, 56 request-reply
  std::vector<uint8_t> record;    // its leading bytes; every later byte is 0
};

std::vector<uint8_t> le32(int32_t v) {
  const uint32_t u = uint32_t(v);
  return {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
}
std::vector<uint8_t> cat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(LiveCommands, EveryControlSendsItsBytesAndRepliesUpdateOnlyOnSuccess) {
  Live live(14);
  ASSERT_TRUE(live.play());
  const std::vector<Expect> table = {
      {"focus near step", [](CDevice& d) { return d.focusMFDelta(-100); }, 6, {34, 0, 0x9C, 0xFF}},
      {"focus far, continuous", [](CDevice& d) { return d.focusMFConti(1); }, 6, {38, 0, 1}},
      {"autofocus, middle half of 160 x 120", [](CDevice& d) { return d.focusAF(nullptr); }, 56,
       cat({le32(4), {40, 0, 30, 0, 120, 0, 90, 0}})},
      {"focus motor to 1234", [](CDevice& d) { return d.focusXFAbs(1234); }, 56, cat({le32(17), le32(1234)})},
      {"focus motor by -100", [](CDevice& d) { return d.focusXFRel(-100); }, 56, cat({le32(18), le32(-100)})},
      {"filter reset", [](CDevice& d) { return d.filterReset(10000); }, 56, cat({le32(21), le32(10000)})},
      {"filter to 2", [](CDevice& d) { return d.filterGoto(2); }, 56, cat({le32(22), le32(2)})},
      {"pan-tilt up-left at 50", [](CDevice& d) { return d.ptzControl(5, 50); }, 56, cat({le32(14), {5, 50}})},
      {"pan-tilt to 300, -40", [](CDevice& d) { return d.ptzSetPTZ(300, -40, 0); }, 56,
       cat({le32(14), {19, 0, 0, 0}, le32(300), le32(-40)})},
      {"store preset 1", [](CDevice& d) { return d.ptzControl(15, 1); }, 56, cat({le32(14), {15, 1}})},
      {"pan-tilt to 0, 0", [](CDevice& d) { return d.ptzSetPTZ(0, 0, 0); }, 56, cat({le32(14), {19}})},
      {"store preset 255", [](CDevice& d) { return d.ptzControl(15, 255); }, 56, cat({le32(14), {15, 255}})},
      {"go to preset 1", [](CDevice& d) { return d.ptzControl(17, 1); }, 56, cat({le32(14), {17, 1}})},
      {"read the position", [](CDevice& d) { return d.ptzGetPTZ(); }, 56, cat({le32(14), {18}})},
  };
  for (const Expect& e : table) {
    live.sim->log().clear();
    EXPECT_EQ(e.call(live.dev), 0) << e.what;
    ASSERT_TRUE(live.sim->log().waitForType(e.message, kDeadlineMs)) << e.what;
    const auto got = live.sent(e.message);
    ASSERT_EQ(got.size(), 1u) << e.what;
    std::vector<uint8_t> want = e.record;
    want.resize(e.message == 6 ? 10 : 68, 0);
    EXPECT_EQ(std::vector<uint8_t>(got[0].bytes.begin() + 4, got[0].bytes.end()), want) << e.what;
  }
  EXPECT_EQ(live.dev.xfCur(), 1134);
  EXPECT_EQ(live.dev.filterCur(), 2);
  // The head went back to preset 1, stored at 300, -40.
  EXPECT_EQ(live.dev.ptzPan(), 300);
  EXPECT_EQ(live.dev.ptzTilt(), -40);

  // A reply of another type: -1, and no property moves or signals.
  QSignalSpy pan(&live.dev, &CDevice::ptzPanChanged), xf(&live.dev, &CDevice::xfCurChanged);
  ASSERT_EQ(live.dev.ptzSetPTZ(7, 8, 0), 0);
  camsim::CommandFaults f;
  f.controlXReplyType = 99;
  live.sim->command().setFaults(f);
  EXPECT_EQ(live.dev.ptzGetPTZ(), -1);
  EXPECT_EQ(live.dev.focusXFRel(100), -1);
  EXPECT_EQ(pan.count(), 0);
  EXPECT_EQ(xf.count(), 0);
  EXPECT_EQ(live.dev.ptzPan(), 300);
  EXPECT_EQ(live.dev.qtcFlags(), 0);
}

TEST(LiveCommands, VoltsBecomeCountsCheckedAndClampedAndTheRegisterTextIsRead) {
  Live live(15, "V7R2K-QPX-3");
  CDeviceUtilV7R2K util;
  EXPECT_EQ(util.applyVolOffset(), -7);
  ASSERT_EQ(util.init(QString::fromStdString(live.addr)), 0);
  EXPECT_EQ(util.deviceId(), QStringLiteral("SNAP-15"));
  const QStringList lines = util.fpaInfo().split('\n');
  ASSERT_GE(lines.size(), 10);
  // The seeded registers by hand: 3276 / 4095 x 5 = 4.000, 2867 -> 3.501, -819 -> -1.000.
  EXPECT_EQ(lines[0], QStringLiteral("gsk 4.000, gfid 3.000, vsk 2.000, vbus 3.501, tint 60, cint 3"));
  EXPECT_EQ(lines[2], QStringLiteral("vol_offset -819[-1.000], item_count 7"));
  EXPECT_EQ(lines[3], QStringLiteral("fpa -20, gsk 3000[3.663], gfid 2400[2.930], tint 50"));
  EXPECT_DOUBLE_EQ(util.volOffset(), -1.0);

  const struct {
    double volts;
    int result;
    int32_t count;  // -1: nothing sent
  } cases[] = {{1.0, 0, 819},        {-0.5, 0, -409},  {2.5, 0, 2047},
               {1e10, 0, 32767},     {-1e10, 0, -32768}, {std::nan(""), -8, -1},
               {std::numeric_limits<double>::infinity(), -8, -1}};
  for (const auto& c : cases) {
    live.sim->log().clear();
    util.setVolOffset(c.volts);
    EXPECT_EQ(util.applyVolOffset(), c.result) << c.volts;
    // Only the voltage commands (type 16): the login's clock set, sent without waiting for its
    // answer, may be logged after the clear.
    auto got = live.sent(56);
    std::erase_if(got, [](const auto& m) { return camsim::readI32(m.bytes.data(), m.bytes.size(), 4) != 16; });
    if (c.count == -1) {
      EXPECT_TRUE(got.empty()) << c.volts;
      continue;
    }
    ASSERT_EQ(got.size(), 1u) << c.volts;
    EXPECT_EQ(camsim::readI32(got[0].bytes.data(), got[0].bytes.size(), 8), c.count) << c.volts;
  }
  // The camera took the last offset sent into its register.
  const std::vector<uint8_t> regs = live.sim->state().record(120);
  EXPECT_EQ(int16_t(regs[18] | regs[19] << 8), -32768);

  // Only the upper-case code passes; the failed check logs out again.
  Live lower(16, "V7R2K-qpx-3");
  EXPECT_EQ(util.init(QString::fromStdString(lower.addr)), -2);
  EXPECT_EQ(util.applyVolOffset(), -7);
}

TEST(LiveBusy, DelayedRepliesKeepTheLoopTurningAndPropertiesChangeOnTheGuiThread) {
  Live live(17, "SW-QB-1");
  QThread* gui = QThread::currentThread();
  int offThread = 0;
  auto onGui = [&] { offThread += QThread::currentThread() != gui; };
  QObject::connect(&live.dev, &CDevice::gearEnableChanged, onGui);
  QObject::connect(&live.dev, &CDevice::gearLevelChanged, onGui);
  QObject::connect(&live.dev, &CDevice::qtcFlagsChanged, onGui);
  QObject::connect(&live.dev, &CDevice::xfCurChanged, onGui);
  ASSERT_TRUE(live.play());
  EXPECT_TRUE(live.dev.gearEnable());

  camsim::CommandFaults f;
  f.controlXDelayMs = {{18, 150}, {3, 150}};
  live.sim->command().setFaults(f);
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, largest = 0;
  int sawBusy = 0, stalls = 0;
  QTimer tick;
  tick.setInterval(5);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    largest = std::max(largest, now - last);
    stalls += now - last >= 150;
    last = now;
    sawBusy += live.dev.qtcFlags() == CDevice::StepControl;
    // A second command while one runs is refused.
    if (live.dev.qtcFlags() == CDevice::StepControl) {
      EXPECT_EQ(live.dev.focusXFRel(1), -7);
    }
  });
  // The same loop without commands first: what the machine itself allows.
  tick.start();
  last = clock.elapsed();
  waitUntil([&] { return clock.elapsed() > 400; });
  const qint64 idle = largest;
  largest = 0;
  stalls = 0;
  for (int i = 0; i < 9; ++i) EXPECT_EQ(live.dev.focusXFRel(10), 0);
  live.dev.setGearLevel(1);  // the tenth delayed command
  tick.stop();
  EXPECT_EQ(live.dev.gearLevel(), 1);
  EXPECT_EQ(live.dev.xfCur(), 90);
  EXPECT_GT(sawBusy, 10);
  EXPECT_EQ(offThread, 0);
  std::printf("busy state: ten commands of 150 ms delay in %lld ms, largest event-loop gap %lld ms (idle loop %lld ms)\n",
              (long long)clock.elapsed(), (long long)largest, (long long)idle);
  // A loop that waited on the camera would stall 150 ms on every one of the ten commands; a busy
  // host stalls it now and then, so the count of such stalls tells the two apart where the size of
  // the largest gap cannot.
  EXPECT_LT(stalls, 4) << "largest gap " << largest << " ms, idle loop " << idle << " ms";
}

TEST(LiveChart, TheCounterShiftsBackAndAnyLengthStaysBounded) {
  calorset::chartSampleInterval.store(10000000);
  calorset::chartLength.store(500);
  CDevice dev;
  dev.initChartAndPresets();
  ASSERT_EQ(dev.chartSeries().size(), 3);
  DataFrameHead h{};
  h.fpaTemp = 31500;
  h.shellTemp = 28250;
  h.shellTempHW = 27000;
  for (int i = 0; i < 10001; ++i) {
    h.time = 10000000LL * (i + 1);
    dev.sampleChart(h);
    dev.sampleChart(h);  // within the interval: no sample
  }
  EXPECT_EQ(dev.chartCounter(), 501);
  for (TCSeriesBase* s : dev.chartSeries()) {
    ASSERT_EQ(s->count(), 500);
    // Sample 10000 (the last) now sits at 10000 - 9500 = 500, sample 9501 at 1.
    EXPECT_EQ(s->samples().last().x, 500.0);
    EXPECT_EQ(s->samples().first().x, 1.0);
  }
  EXPECT_DOUBLE_EQ(dev.chartSeries()[0]->samples().last().y, 31.5);
  EXPECT_DOUBLE_EQ(dev.chartSeries()[1]->samples().last().y, 28.25);

  // A length of 0 (the settings clamp it when applied; the device clamps what it reads too).
  calorset::chartLength.store(0);
  calorset::chartSampleInterval.store(0);
  CDevice zero;
  zero.initChartAndPresets();
  for (int i = 0; i < 25000; ++i) {
    h.time = 10000000LL * (i + 1);
    zero.sampleChart(h);
  }
  for (TCSeriesBase* s : zero.chartSeries()) EXPECT_LE(s->count(), 10);
  EXPECT_LE(zero.chartCounter(), 10000);
  calorset::chartLength.store(500);
  calorset::chartSampleInterval.store(10000000);
}

}  // namespace
