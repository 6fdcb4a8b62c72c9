// The live camera input against the simulated camera: the open sequence and its failures, the
// frame ring, loss and restore reports, the thread its properties change on, the gear lens,
// commands, and the per-camera settings file checked with Python's struct.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QSignalSpy>
#include <QThread>
#include <QThreadPool>
#include <cstring>
#include <future>
#include <thread>

#include "InputsSupport.h"
#include "camsim/Wire.h"
#include "inputs/CInputIr.h"

namespace {

using namespace inputs;

QString qaddr(int host) {
  return QString::fromStdString(address(host));
}

std::unique_ptr<CInputIr> makeInput(int host, const QString& configDir, Consumer* consumer) {
  auto input = std::make_unique<CInputIr>(qaddr(host), CameraBasicInfoRecord{});
  input->setConfigDir(configDir);
  if (consumer != nullptr) {
    EXPECT_EQ(input->setConsumer(&Consumer::callback, consumer), 0);
  }
  return input;
}

class CameraInput : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  QTemporaryDir dir_;
  Consumer consumer_;
};

TEST_F(CameraInput, OpenWithoutConsumerSendsNoLogin) {
  CameraEnv env(1);
  auto input = makeInput(1, dir_.path(), nullptr);
  EXPECT_EQ(input->open(), -7);
  EXPECT_EQ(env.sim->log().count(), 0u);
  EXPECT_FALSE(input->isOpen());
  EXPECT_EQ(input->loginId(), -1);
  // A consumer cannot be swapped under a running preview.
  ASSERT_EQ(input->setConsumer(&Consumer::callback, &consumer_), 0);
  ASSERT_EQ(input->open(), 0);
  EXPECT_GT(env.sim->log().count(), 0u);
  EXPECT_EQ(input->open(), -7);
  EXPECT_EQ(input->setConsumer(nullptr, nullptr), -7);
  input->close();
}

TEST_F(CameraInput, SequencesWrapTheRingEverySixteen) {
  camsim::CameraIdentity id;
  id.dataFps = 100;
  CameraEnv env(2, id);
  auto input = makeInput(2, dir_.path(), &consumer_);
  ASSERT_EQ(input->open(), 0);
  ASSERT_TRUE(consumer_.waitFrames(34));
  input->close();
  std::vector<Handed> s = consumer_.seen();
  ASSERT_GE(s.size(), 34u);
  for (size_t i = 0; i < s.size(); ++i) {
    ASSERT_EQ(s[i].status, 0);
    EXPECT_EQ(s[i].sequence, i);
    EXPECT_EQ(s[i].width, 640);
    // The slot points into the SDK's store: slot n and n + 16 are one record.
    EXPECT_EQ(s[i].slot, s[i % 16].slot) << i;
    if (i > 0) {
      EXPECT_EQ(static_cast<uint16_t>(s[i].frameIndex - s[i - 1].frameIndex), 1) << i;
    }
  }
  for (size_t i = 1; i < 16; ++i) EXPECT_NE(s[i].slot, s[0].slot) << i;
  EXPECT_FALSE(consumer_.dataNotBehindHead());
}

TEST_F(CameraInput, StallReportsOneLossAndOneRestore) {
  // Small frames keep the receiver ahead of the stream even on a loaded machine, so the stall
  // is not hidden behind a backlog of buffered frames.
  camsim::CameraIdentity id;
  id.dataWidth = 160;
  id.dataHeight = 120;
  id.dataFps = 25;
  CameraEnv env(3, id);
  auto input = makeInput(3, dir_.path(), &consumer_);
  ASSERT_EQ(input->open(), 0);
  ASSERT_TRUE(consumer_.waitFrames(5));
  env.sim->tempStream()->setFault(camsim::StreamFault::Stall, 5000);
  ASSERT_TRUE(consumer_.waitFor([](const std::vector<Handed>& s) {
    size_t framesAfterRestore = 0;
    bool restored = false;
    for (const Handed& h : s) {
      restored = restored || h.status == -18;
      framesAfterRestore += restored && h.status == 0;
    }
    return framesAfterRestore >= 3;
  }, 30s)) << [&] {
    std::string trace;
    for (const Handed& h : consumer_.seen())
      if (h.status != 0) trace += std::to_string(h.status) + "@" + std::to_string(h.sequence) + " ";
    return trace + "frames " + std::to_string(Consumer::countStatus(consumer_.seen(), 0));
  }();
  input->close();
  std::vector<Handed> s = consumer_.seen();
  EXPECT_EQ(Consumer::countStatus(s, -17), 1u);
  EXPECT_EQ(Consumer::countStatus(s, -18), 1u);
  uint32_t next = 0;  // the sequence the next frame will carry
  for (const Handed& h : s) {
    if (h.status == 0) {
      EXPECT_EQ(h.sequence, next);
      ASSERT_NE(h.slot, nullptr);
      ++next;
    } else {
      EXPECT_EQ(h.slot, nullptr);
      EXPECT_EQ(h.sequence, next) << "a report must not advance the ring";
    }
  }
}

TEST_F(CameraInput, RefusedStartLogsOutAgain) {
  CameraEnv env(4);
  auto* stream = env.sim->tempStream();
  stream->setFault(camsim::StreamFault::RefuseConnections, 60000);
  // Wait until the stream port really refuses.
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(stream->config().port);
  inet_pton(AF_INET, address(4).c_str(), &sa.sin_addr);
  bool refused = false;
  for (auto end = std::chrono::steady_clock::now() + 10s; !refused && std::chrono::steady_clock::now() < end;) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    refused = ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 && errno == ECONNREFUSED;
    ::close(fd);
    if (!refused) std::this_thread::yield();
  }
  ASSERT_TRUE(refused);

  auto input = makeInput(4, dir_.path(), &consumer_);
  QSignalSpy connected(input.get(), &CInputIr::device_isConnectedChanged);
  EXPECT_LT(input->open(), 0);
  EXPECT_FALSE(input->isOpen());
  EXPECT_EQ(input->loginId(), -1);
  EXPECT_EQ(input->previewId(), -1);
  EXPECT_FALSE(input->device_isConnected());
  EXPECT_EQ(connected.count(), 0);
  // The failed start gave its login slot back: a fresh login takes the lowest slot again.
  LoginInfo login{};
  std::snprintf(login.ip, sizeof login.ip, "%s", address(4).c_str());
  CameraBasicInfoRecord rec{};
  EXPECT_EQ(Ostrel_Login(&login, &rec), 0);
}

TEST_F(CameraInput, PropertiesChangeOnTheGuiThread) {
  camsim::CameraIdentity id;
  id.cameraId = "TX6401-20~650N00123";
  id.cameraType = "TX640";
  id.dataFps = 50;
  id.dataRatio = 2;
  id.sendRatio = 0;  // the camera's "every frame"; must never become a divisor of 0
  CameraEnv env(5, id);
  auto input = makeInput(5, dir_.path(), &consumer_);

  QThread* gui = QThread::currentThread();
  std::vector<QThread*> threads;
  std::vector<QString> sizes;
  QObject::connect(input.get(), &CInputIr::device_isConnectedChanged, input.get(), [&] {
    threads.push_back(QThread::currentThread());
    sizes.push_back(input->dataSize());
  }, Qt::DirectConnection);
  QSignalSpy spy(input.get(), &CInputIr::device_isConnectedChanged);

  std::promise<int> opened;
  std::future<int> result = opened.get_future();
  QThreadPool::globalInstance()->start([&] { opened.set_value(input->open()); });
  ASSERT_TRUE(spy.wait(20000));
  ASSERT_EQ(result.wait_for(20s), std::future_status::ready);
  EXPECT_EQ(result.get(), 0);
  EXPECT_TRUE(input->device_isConnected());
  EXPECT_EQ(input->dataWidth(), 640);
  EXPECT_EQ(input->dataHeight(), 512);
  EXPECT_EQ(input->dataFpsNum(), 50);
  EXPECT_EQ(input->dataFpsDen(), 1);
  EXPECT_EQ(input->inputTypeName(), "CAMERA");
  EXPECT_EQ(input->cameraModel(), "TX640");
  EXPECT_EQ(input->tempRange(), "1-20~650");
  EXPECT_EQ(input->cameraSerial(), "00123");

  TempFileConf conf;
  std::memset(&conf, 0xEE, sizeof conf);
  input->fillCameraInfo(&conf);
  EXPECT_EQ(conf.magic, 20251016u);
  EXPECT_EQ(conf.captureTime, 0);
  EXPECT_STREQ(conf.cameraId, "TX6401-20~650N00123");
  EXPECT_EQ(conf.cameraId[31], 0);
  EXPECT_EQ(conf.width, 640);
  EXPECT_EQ(conf.height, 512);
  EXPECT_EQ(conf.fpsNum, 50);
  EXPECT_EQ(conf.fpsDiv, 2);
  EXPECT_STREQ(conf.cameraType, "TX640");
  EXPECT_EQ(conf.paletteIndex, static_cast<int32_t>(0xEEEEEEEE)) << "the view part is not the input's";

  std::promise<void> closed;
  QThreadPool::globalInstance()->start([&] {
    input->close();
    closed.set_value();
  });
  ASSERT_TRUE(spy.wait(20000));
  ASSERT_EQ(closed.get_future().wait_for(20s), std::future_status::ready);
  EXPECT_FALSE(input->device_isConnected());
  ASSERT_EQ(threads.size(), 2u);
  EXPECT_EQ(threads[0], gui);
  EXPECT_EQ(threads[1], gui);
  EXPECT_EQ(sizes[0], "640x512@50/1");
}

TEST_F(CameraInput, GearLensFollowsTheSoftwareId) {
  camsim::CameraIdentity zoom;
  zoom.softwareId = "SW-QB-2.1";
  CameraEnv env(6, zoom);
  env.sim->state().setGearLevel(2);
  auto input = makeInput(6, dir_.path(), &consumer_);
  QSignalSpy enable(input.get(), &CInputIr::gearEnableChanged);
  QSignalSpy level(input.get(), &CInputIr::gearLevelChanged);
  input->setGearLevel(1);  // closed: ignored
  EXPECT_EQ(env.sim->state().gearLevel(), 2);
  ASSERT_EQ(input->open(), 0);
  EXPECT_TRUE(input->gearEnable());
  EXPECT_EQ(input->gearLevel(), 2);
  EXPECT_EQ(enable.count(), 1);
  EXPECT_EQ(level.count(), 1);
  input->setGearLevel(1);
  EXPECT_EQ(env.sim->state().gearLevel(), 1);
  EXPECT_EQ(input->gearLevel(), 1);
  EXPECT_EQ(level.count(), 2);
  input->setGearLevel(1);  // unchanged: nothing sent
  EXPECT_EQ(level.count(), 2);
  input->close();
}

TEST_F(CameraInput, NoGearWithoutTheLensMark) {
  camsim::CameraIdentity plain;
  plain.softwareId = "SW-qb-QX";  // lower case and a different pair do not count
  CameraEnv env(7, plain);
  auto input = makeInput(7, dir_.path(), &consumer_);
  ASSERT_EQ(input->open(), 0);
  EXPECT_FALSE(input->gearEnable());
  EXPECT_EQ(input->gearLevel(), 0);
  const size_t before = env.sim->log().count();
  input->setGearLevel(2);
  EXPECT_EQ(input->gearLevel(), 0);
  EXPECT_EQ(env.sim->log().count(), before);
  // No gear request (command types 2 and 3 of message 56) at open or since.
  for (const camsim::Observation& o : env.sim->log().snapshot())
    if (o.type == 56 && o.bytes.size() >= 8) {
      const uint32_t command = ostrel::bytes::readU32(o.bytes.data(), o.bytes.size(), 4);
      EXPECT_TRUE(command != 2 && command != 3) << command;
    }
  EXPECT_EQ(env.sim->state().gearLevel(), 3);
  input->close();
}

TEST_F(CameraInput, CommandsNeedAnOpenCamera) {
  CameraEnv env(8);
  auto input = makeInput(8, dir_.path(), &consumer_);
  StretchCtl ctl{};
  ctl.strechType = 2;
  EXPECT_EQ(input->pausePreview(true), -7);
  EXPECT_EQ(input->setImage(3, ctl), -7);
  EXPECT_EQ(input->executeFFC(), -7);
  input->close();  // closing a closed camera does nothing

  ASSERT_EQ(input->open(), 0);
  EXPECT_EQ(input->pausePreview(true), 0);
  EXPECT_EQ(input->pausePreview(false), 0);
  EXPECT_EQ(input->setImage(3, ctl), 0);
  EXPECT_EQ(input->executeFFC(), 0);
  // The one-way command (message 6): control type 32, argument byte 0.
  ASSERT_TRUE(env.sim->log().waitForType(6, 10000));
  bool ffc = false;
  for (const camsim::Observation& o : env.sim->log().snapshot())
    if (o.type == 6 && o.bytes.size() >= 14) ffc = ostrel::bytes::readU16(o.bytes.data(), o.bytes.size(), 4) == 32 && o.bytes[6] == 0;
  EXPECT_TRUE(ffc);
  ASSERT_TRUE(consumer_.waitFrames(2));
  input->close();

  // The input outlives its opens; the ring numbering carries on.
  const size_t handed = consumer_.seen().size();
  ASSERT_EQ(input->open(), 0);
  ASSERT_TRUE(consumer_.waitFrames(handed + 2));
  input->close();
  std::vector<Handed> s = consumer_.seen();
  for (size_t i = 0; i < s.size(); ++i) EXPECT_EQ(s[i].sequence, i);
}

// ---- "Device-<id>.conf" ----

std::string pyCheckDefaults(const QString& file) {
  return "import struct\n"
         "d=open('" + file.toStdString() + "','rb').read()\n"
         "assert len(d)==7264, len(d)\n"
         "assert struct.unpack_from('<I',d,0)[0]==20251016\n"
         "assert struct.unpack_from('<i',d,276)[0]==5\n"
         "assert d[284]==1\n"
         "assert struct.unpack_from('<f',d,288)[0]==2.0\n"
         "assert struct.unpack_from('<I',d,348+64)[0]==0xFF808080\n"
         "rest=bytearray(d)\n"
         "for o,n in ((0,4),(276,4),(284,1),(288,4),(412,4)): rest[o:o+n]=bytes(n)\n"
         "assert not any(rest)\n";
}

TEST_F(CameraInput, GoldenSettingsLoadAndAnUnchangedSaveLeavesTheFile) {
  ASSERT_TRUE(makeGoldens(dir_.filePath("golden")));
  const QString file = dir_.filePath("Device-CAMSIM-0001.conf");
  const QByteArray golden = readAll(dir_.filePath("golden/conf_picture.bin"));
  ASSERT_EQ(golden.size(), 7264);
  ASSERT_TRUE(writeAll(file, golden));
  ageFile(file);
  const timespec before = mtimeOf(file);

  CameraEnv env(9);
  auto input = makeInput(9, dir_.path(), &consumer_);
  ASSERT_EQ(input->open(), 0);
  EXPECT_EQ(input->deviceConfPath(), file);
  EXPECT_EQ(std::memcmp(input->deviceConf(), golden.constData(), 7264), 0);
  EXPECT_EQ(input->deviceConf()->paletteIndex, 7);
  EXPECT_EQ(input->deviceConf()->meaCount, 2);
  EXPECT_FALSE(input->isDeviceConfChanged());
  EXPECT_EQ(input->saveDeviceConf(), 0);
  const timespec after = mtimeOf(file);
  EXPECT_EQ(before.tv_sec, after.tv_sec);
  EXPECT_EQ(before.tv_nsec, after.tv_nsec);

  input->deviceConf()->paletteIndex = 9;
  EXPECT_TRUE(input->isDeviceConfChanged());
  EXPECT_EQ(input->saveDeviceConf(), 1);
  EXPECT_FALSE(input->isDeviceConfChanged());
  input->close();  // closing never saves
  EXPECT_EQ(runPython("import struct\nd=open('" + file.toStdString() +
                      "','rb').read()\nassert len(d)==7264\nassert struct.unpack_from('<i',d,276)[0]==9\n"
                      "assert struct.unpack_from('<i',d,344)[0]==2\n"),
            0);
}

TEST_F(CameraInput, ForeignOrMissingSettingsGiveDefaultsThatTheNextSaveWrites) {
  const QString file = dir_.filePath("Device-CAMSIM-0001.conf");
  QByteArray foreign(7264, '\x11');
  ASSERT_TRUE(writeAll(file, foreign));

  CameraEnv env(10);
  auto input = makeInput(10, dir_.path(), &consumer_);
  ASSERT_EQ(input->open(), 0);
  EXPECT_EQ(input->deviceConf()->paletteIndex, 5);
  EXPECT_TRUE(input->isDeviceConfChanged());
  EXPECT_EQ(readAll(file), foreign) << "loading never writes";
  EXPECT_EQ(input->saveDeviceConf(), 1);
  EXPECT_EQ(runPython(pyCheckDefaults(file)), 0);
  input->close();

  // A missing file: the same defaults, and the reopen reloads them from what was saved.
  ASSERT_TRUE(QFile::remove(file));
  ASSERT_EQ(input->open(), 0);
  EXPECT_TRUE(input->isDeviceConfChanged());
  EXPECT_EQ(input->saveDeviceConf(), 1);
  EXPECT_EQ(runPython(pyCheckDefaults(file)), 0);
  input->close();
  ASSERT_EQ(input->open(), 0);
  EXPECT_FALSE(input->isDeviceConfChanged());
  input->close();
}

TEST_F(CameraInput, CameraIdsNeverLeaveTheConfigurationFolder) {
  ASSERT_TRUE(QDir(dir_.path()).mkpath("cfg"));
  const QString cfg = dir_.filePath("cfg");
  camsim::CameraIdentity id;
  id.cameraId = "../x";
  CameraEnv env(11, id);
  auto input = makeInput(11, cfg, &consumer_);
  ASSERT_EQ(input->open(), 0);
  EXPECT_EQ(input->deviceConfPath(), cfg + "/Device-.._x.conf");
  EXPECT_EQ(input->saveDeviceConf(), 1);
  input->close();
  EXPECT_TRUE(QFile::exists(cfg + "/Device-.._x.conf"));
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files).size(), 0);
  EXPECT_EQ(QDir(cfg).entryList(QDir::Files), QStringList{"Device-.._x.conf"});
}

TEST_F(CameraInput, AFailedSaveKeepsTryingLater) {
  CInputIr input(qaddr(12), CameraBasicInfoRecord{});
  EXPECT_FALSE(input.isDeviceConfChanged());
  EXPECT_EQ(input.saveDeviceConf(), 0);
  input.deviceConf()->paletteIndex = 3;
  input.setConfigDir(dir_.filePath("missing/folder"));
  EXPECT_EQ(input.saveDeviceConf(), -200);
  EXPECT_TRUE(input.isDeviceConfChanged());
  input.setConfigDir(dir_.path());
  EXPECT_EQ(input.saveDeviceConf(), 1);
  EXPECT_FALSE(input.isDeviceConfChanged());
  EXPECT_EQ(QFileInfo(dir_.filePath("Device-.conf")).size(), 7264);
}

}  // namespace
