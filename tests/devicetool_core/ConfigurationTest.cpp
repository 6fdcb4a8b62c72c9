// The thirteen channel models and the configurer on a simulated camera: untouched records go back
// byte for byte, edits are clamped or refused, files and commands reach the camera as it expects.
#include <gtest/gtest.h>

#include <QMetaProperty>
#include <QSignalSpy>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QDateTime>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

#include "CDeviceConfiger.h"
#include "CDeviceNode.h"
#include "NetKit.h"
#include "camsim/CameraSim.h"
#include "camsim/Wire.h"

namespace {

using Kind = CDeviceConfigBase::Kind;

std::unique_ptr<CDeviceConfigBase> makeChannel(int channel) {
  switch (channel) {
    case 1: return std::make_unique<CCameraBasicInfo>();
    case 2: return std::make_unique<CFixInfo>();
    case 3: return std::make_unique<CCameraNetworkInfo>();
    case 4: return std::make_unique<CCameraTimeInfo>();
    case 5: return std::make_unique<CTvoutInfo>();
    case 6: return std::make_unique<CCameraOSDInfo>();
    case 7: return std::make_unique<CSerialPortInfo>();
    case 8: return std::make_unique<CGpioInfo>();
    case 9: return std::make_unique<CFFCInfo>();
    case 10: return std::make_unique<CDestripInfo>();
    case 11: return std::make_unique<CDenoiseInfo>();
    case 12: return std::make_unique<CCameraPluginInfo>();
    default: return std::make_unique<CGB28181Info>();
  }
}

// Loads a record and stores it into a copy of itself: the copy must not change. A record holding
// a non-finite float is refused whole (-8), which leaves the copy as it was too.
void expectRoundTrip(CDeviceConfigBase* o, const std::vector<uint8_t>& rec, const char* what) {
  ASSERT_EQ(o->fromRecord(rec.data(), unsigned(rec.size())), 0);
  std::vector<uint8_t> out = rec;
  ASSERT_EQ(o->toRecord(out.data(), unsigned(out.size())), o->invalidFields().isEmpty() ? 0 : -8);
  for (size_t i = 0; i < rec.size(); ++i)
    ASSERT_EQ(out[i], rec[i]) << what << ": byte " << i << " of " << o->metaObject()->className();
}

class ChannelWalk : public ::testing::TestWithParam<int> {};

TEST_P(ChannelWalk, AnUntouchedRecordComesBackByteIdentical) {
  auto o = makeChannel(GetParam());
  const unsigned size = o->recordSize();
  // A record one byte short is refused whole: nothing loaded, nothing announced, nothing written.
  {
    std::mt19937 fill(99u + unsigned(GetParam()));
    std::vector<uint8_t> loaded(size);
    for (auto& b : loaded) b = uint8_t(fill());
    ASSERT_EQ(o->fromRecord(loaded.data(), size), 0);
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    const QMetaObject* mo = o->metaObject();
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i)
      if (mo->property(i).hasNotifySignal())
        spies.push_back(std::make_unique<QSignalSpy>(o.get(), mo->property(i).notifySignal()));
    ASSERT_FALSE(spies.empty());
    std::vector<uint8_t> small(size - 1);
    for (auto& b : small) b = uint8_t(~fill());
    const std::vector<uint8_t> smallBefore = small;
    EXPECT_EQ(o->fromRecord(small.data(), size - 1), -8);
    for (const auto& spy : spies) EXPECT_EQ(spy->count(), 0) << spy->signal().constData();
    EXPECT_EQ(o->toRecord(small.data(), size - 1), -8);
    EXPECT_EQ(small, smallBefore) << "a refused store wrote into the record";
    // Stored over the loaded record (bytes without a property stay as they are): every field
    // must still hold what was loaded.
    std::vector<uint8_t> back = loaded;
    ASSERT_EQ(o->toRecord(back.data(), size), 0);
    EXPECT_EQ(back, loaded) << "the refused load changed the values";
  }

  std::mt19937 rng(1234u + unsigned(GetParam()));
  for (int round = 0; round < 20; ++round) {
    std::vector<uint8_t> rec(size);
    for (auto& b : rec) b = uint8_t(rng());  // texts without NUL, bad UTF-8, NaNs, odd bools
    expectRoundTrip(o.get(), rec, "random");
  }
  // Texts that fill their whole field with printable characters.
  int n = 0;
  const CDeviceConfigBase::Field* f = o->fields(&n);
  std::vector<uint8_t> rec(size);
  for (auto& b : rec) b = uint8_t(rng());
  for (int i = 0; i < n; ++i)
    if (f[i].kind == Kind::Text)
      for (int k = 0; k < f[i].width; ++k) rec[size_t(f[i].offset + k)] = uint8_t('a' + (k % 26));
  expectRoundTrip(o.get(), rec, "full text");
  // Every value of every scaled field.
  for (int i = 0; i < n; ++i) {
    if (f[i].scale == 0.0) continue;
    for (int v = -32768; v <= 32767; ++v) {
      rec[size_t(f[i].offset)] = uint8_t(v);
      rec[size_t(f[i].offset + 1)] = uint8_t(v >> 8);
      ASSERT_EQ(o->fromRecord(rec.data(), size), 0);
      std::vector<uint8_t> out = rec;
      ASSERT_EQ(o->toRecord(out.data(), size), 0);
      ASSERT_EQ(int16_t(out[size_t(f[i].offset)] | out[size_t(f[i].offset + 1)] << 8), v) << f[i].property;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(AllThirteen, ChannelWalk, ::testing::Range(1, 14));

int16_t i16At(const uint8_t* p) {
  return int16_t(p[0] | p[1] << 8);
}

TEST(ChannelEdits, ValuesAreClampedTruncatedOrRefusedWhole) {
  CTvoutInfo tv;
  std::vector<uint8_t> rec(CTvoutInfo::kRecordSize, 0);
  ASSERT_EQ(tv.fromRecord(rec.data(), unsigned(rec.size())), 0);
  tv.setProperty("man_temp0", -12.37);
  tv.setProperty("man_temp1", 25.3);
  tv.setProperty("ct_temp0", 1e9);
  tv.setProperty("zoom", 300);
  ASSERT_EQ(tv.toRecord(rec.data(), unsigned(rec.size())), 0);
  EXPECT_EQ(i16At(&rec[20]), -123);
  EXPECT_EQ(i16At(&rec[22]), 253);
  EXPECT_EQ(i16At(&rec[28]), 32767);
  EXPECT_EQ(rec[5], 255);
  ASSERT_EQ(tv.fromRecord(rec.data(), unsigned(rec.size())), 0);
  EXPECT_FLOAT_EQ(tv.property("man_temp0").toFloat(), -12.3f);

  CSerialPortInfo sp;
  std::vector<uint8_t> spRec(16, 0);
  sp.setProperty("portAddr", 300);
  sp.setProperty("baudRate", -4);
  ASSERT_EQ(sp.toRecord(spRec.data(), 16), 0);
  EXPECT_EQ(spRec[1], 255);
  EXPECT_EQ(spRec[2], 0);

  CCameraNetworkInfo net;
  std::vector<uint8_t> netRec(52, 0x5A);
  net.setProperty("mtu", 70000);
  ASSERT_EQ(net.toRecord(netRec.data(), 52), 0);
  EXPECT_EQ(netRec[26] | netRec[27] << 8, 65535);
  EXPECT_EQ(netRec[4], 201);  // 192.168.1.201, first part most significant
  EXPECT_EQ(netRec[7], 192);
  // Addresses that would wrap or be guessed: the whole store is refused, nothing written.
  const std::vector<uint8_t> before = netRec;
  for (const char* bad : {"300.0.0.1", "1.2.3", "1.2.3.4.5", " 1.2.3.4", "1.2.3.4x"}) {
    net.setProperty("gateway", QString::fromLatin1(bad));
    net.setProperty("mtu", 1500);
    EXPECT_EQ(net.toRecord(netRec.data(), 52), -8) << bad;
    EXPECT_EQ(netRec, before) << bad;
  }
  net.setProperty("gateway", QStringLiteral("10.0.0.1"));
  for (const char* bad : {"00:11:22:33:44:55:66", "00:11:22:33:44:5g", "00:11-22:33:44:55"}) {
    net.setProperty("macAddr", QString::fromLatin1(bad));
    EXPECT_EQ(net.toRecord(netRec.data(), 52), -8) << bad;
    EXPECT_EQ(netRec, before) << bad;
  }
  net.setProperty("macAddr", QStringLiteral("02-00-00-00-00-2A"));
  ASSERT_EQ(net.toRecord(netRec.data(), 52), 0);
  EXPECT_EQ(netRec[25], 0x2A);
  EXPECT_EQ(netRec[12], 1);
  EXPECT_EQ(netRec[15], 10);
}

// A record as Python's struct module packs it.
QByteArray pyPack(const QString& expr) {
  QProcess p;
  p.start(QStringLiteral(OSTREL_SYSTEM_PYTHON),
          {QStringLiteral("-c"), QStringLiteral("import struct,sys\nsys.stdout.buffer.write(%1)").arg(expr)});
  p.waitForFinished(20000);
  return p.readAllStandardOutput();
}

QByteArray bytes(const std::vector<uint8_t>& v) {
  return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

bool writeBytes(const QString& path, const QByteArray& data) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// A bad-point list: 44-byte head (identity, width, height, count), then (x, y) points.
QByteArray badPointList(const char* id, int w, int h, int count) {
  QByteArray out(44, '\0');
  std::memcpy(out.data(), id, std::min<size_t>(std::strlen(id), 32));
  const int32_t head[3] = {w, h, count};
  std::memcpy(out.data() + 32, head, sizeof head);
  for (int i = 0; i < count; ++i) {
    const uint16_t p[2] = {uint16_t(i % w), uint16_t(i / w)};
    out.append(reinterpret_cast<const char*>(p), 4);
  }
  return out;
}

TEST(ConfigurerOnCamera, ChannelsFilesClockAndOutputs) {
  const std::string addr = ostrel::test::loopbackAddress(44, 5);
  camsim::CameraSimOptions opt;
  opt.address = addr;
  opt.identity.cameraId = "CALORSET-CFG-0002";
  opt.identity.softwareId = "SW-QF-2";
  opt.identity.dataWidth = 160;
  opt.identity.dataHeight = 120;
  opt.tempStream = false;
  opt.snapshot = false;
  camsim::CameraSim sim(opt);
  ASSERT_EQ(sim.start(), 0);
  sim.command().transfers().putFile(3, camsim::cameraLogFile(opt.identity.cameraId));
  sim.command().transfers().putBlock(2, camsim::defaultGb28181Block());
  CDeviceNode node;
  node.setDeviceIpQuiet(QString::fromStdString(addr));
  CDeviceConfiger cfg;
  EXPECT_EQ(cfg.uploadFile(0, QStringLiteral("/x/TOVMA_2.bin")), -7);
  EXPECT_EQ(cfg.control_getTime(), QString());
  EXPECT_EQ(cfg.calcEmiTemp(25, 200, 0.97, 0.97), 0.0);  // the calculators need the camera's table
  EXPECT_EQ(cfg.calcTrans(25, 200, 200), 0.0);
  ASSERT_EQ(cfg.startWork(&node), 0);
  // By hand: the same emissivity shows the same temperature, a window that loses nothing has
  // transmittance 1; emissivities on the bounds are refused; energy and temperature invert.
  EXPECT_NEAR(cfg.calcEmiTemp(25, 200, 0.97, 0.97), 200, 0.01);
  EXPECT_EQ(cfg.calcEmiTemp(25, 200, 1.01, 0.9), 0.0);
  EXPECT_EQ(cfg.calcEmiTemp(25, 200, 0.9, 0.09), 0.0);
  EXPECT_GT(cfg.calcEmiTemp(25, 200, 0.9, 0.97), 25.0);
  EXPECT_LT(cfg.calcEmiTemp(25, 200, 0.9, 0.97), 200.0);  // a better emitter needs less heat to read the same
  EXPECT_NEAR(cfg.calcTrans(25, 200, 200), 1.0, 1e-9);
  EXPECT_NEAR(cfg.calcTemp2Energy(0, 0, cfg.calcTemp2Energy(1, 0, 100.0)), 100.0, 0.01);
  EXPECT_GT(cfg.calcTemp2Energy(1, 1, 200.0), cfg.calcTemp2Energy(1, 1, 100.0));
  // The login's clock set goes out without waiting for its answer: logged before counting.
  ASSERT_TRUE(sim.log().waitForType(56, 20000));

  // A channel not read since the login keeps the object's earlier image: refused, nothing sent.
  const size_t logged = sim.log().count();
  EXPECT_EQ(cfg.setConfig(3), -7);
  EXPECT_EQ(sim.log().count(), logged);
  ASSERT_EQ(cfg.getConfig(3), 0);
  cfg.networkInfo()->setProperty("staticIp", QStringLiteral("300.0.0.1"));
  const size_t beforeBad = sim.log().count();
  EXPECT_EQ(cfg.setConfig(3), -8);
  EXPECT_EQ(sim.log().count(), beforeBad);

  // Every channel read, then written untouched: the camera's records do not change.
  const std::vector<uint16_t> kept = {11, 15, 19, 23, 31, 37, 42, 48, 52, 66, 124, 128};
  std::vector<std::vector<uint8_t>> records;
  for (uint16_t t : kept) records.push_back(sim.state().record(t));
  std::vector<uint8_t> block;
  ASSERT_TRUE(sim.command().transfers().block(2, &block));
  EXPECT_EQ(cfg.getConfigAll(), 0);
  for (int c = 1; c <= 13; ++c) EXPECT_TRUE(cfg.channelObject(c)->edit_isvalid()) << c;
  cfg.networkInfo()->fromRecord(cfg.networkInfo()->recordData(), 52);  // the refused edit undone
  ASSERT_TRUE(sim.command().transfers().waitFinished(1, 20000));  // the block's read
  for (int c = 1; c <= 13; ++c) EXPECT_EQ(cfg.setConfig(c), 0) << c;
  ASSERT_TRUE(sim.command().transfers().waitFinished(2, 20000));  // and its write
  for (size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(sim.state().record(kept[i]), records[i]) << kept[i];
  std::vector<uint8_t> blockAfter;
  ASSERT_TRUE(sim.command().transfers().block(2, &blockAfter));
  EXPECT_EQ(blockAfter, block);

  // The network channel's MTU beyond its field: the field's maximum.
  cfg.networkInfo()->setProperty("mtu", 70000);
  ASSERT_EQ(cfg.setConfig(3), 0);
  const std::vector<uint8_t> net = sim.state().record(11);
  EXPECT_EQ(net[26] | net[27] << 8, 65535);

  // The GB/T 28181 defaults as the camera receives them.
  ASSERT_EQ(cfg.gb28181Info()->reset(), 0);
  const uint64_t exchanges = sim.command().transfers().finished();
  ASSERT_EQ(cfg.setConfig(13), 0);
  ASSERT_TRUE(sim.command().transfers().waitFinished(exchanges + 1, 20000));
  ASSERT_TRUE(sim.command().transfers().block(2, &blockAfter));
  EXPECT_EQ(bytes(blockAfter),
            pyPack(QStringLiteral("struct.pack('<ii32s32si32sii32s32s32si64x',20230222,0,b'34020000002000000001',"
                                  "b'192.168.1.12',15060,b'34020000002220000001',5060,5070,b'34020000002220000002',"
                                  "b'34020000002000000001',b'40718263',60)")));

  // Firmware names.
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString fw = dir.filePath(QStringLiteral("TOVMA_2.bin"));
  ASSERT_TRUE(writeBytes(fw, QByteArray(70000, 'F')));
  EXPECT_EQ(cfg.uploadFile(0, QStringLiteral("ab/cd")), -8);          // shorter than the search start
  EXPECT_EQ(cfg.uploadFile(0, QStringLiteral("C:/fw/ab.bin")), -8);   // judged as fw/ab.bin
  EXPECT_EQ(cfg.uploadFile(0, QStringLiteral("TOVMA_2.bin")), -8);    // no folder
  EXPECT_EQ(cfg.uploadFile(0, dir.filePath(QStringLiteral("firmware.bin"))), -8);
  EXPECT_EQ(cfg.uploadFile(2, fw), -8);
  EXPECT_EQ(cfg.uploadFile(9, fw), -2);
  // The camera stores a file once its last byte arrived, which may be after the call returned.
  auto& store = sim.command().transfers();
  const auto uploaded = [&](int fileType, const QString& fn, std::vector<uint8_t>* out) {
    const uint64_t n = store.finished();
    return cfg.uploadFile(fileType, fn) == 0 && store.waitFinished(n + 1, 20000) && store.file(fileType, out);
  };
  std::vector<uint8_t> stored;
  ASSERT_TRUE(uploaded(0, fw, &stored));
  EXPECT_EQ(bytes(stored), QByteArray(70000, 'F'));
  const QString family = dir.filePath(QStringLiteral("SW-QF_7.bin"));
  ASSERT_TRUE(writeBytes(family, "fw"));
  ASSERT_TRUE(uploaded(0, family, &stored));
  EXPECT_EQ(bytes(stored), QByteArray("fw"));

  // Bad-point lists are checked against the camera before they go.
  const QString bad = dir.filePath(QStringLiteral("points.bad"));
  ASSERT_TRUE(writeBytes(bad, badPointList("CALORSET-CFG-0002", 160, 120, 501)));
  EXPECT_EQ(cfg.uploadFile(6, bad), -194);
  ASSERT_TRUE(writeBytes(bad, badPointList("CALORSET-CFG-0003", 160, 120, 5)));
  EXPECT_EQ(cfg.uploadFile(6, bad), -194);
  EXPECT_FALSE(sim.command().transfers().file(6, &stored));
  const QByteArray list = badPointList("CALORSET-CFG-0002", 160, 120, 500);
  ASSERT_TRUE(writeBytes(bad, list));
  ASSERT_TRUE(uploaded(6, bad, &stored));
  EXPECT_EQ(bytes(stored), list);

  // A download lands under a name made from the camera's id with its separators defused.
  const QString target = cfg.downloadTarget(dir.path(), QStringLiteral("../x"), QString::fromStdString(addr), 3);
  EXPECT_EQ(target, dir.path() + QStringLiteral("/_._x-%1.log").arg(QString::fromStdString(addr)));
  ASSERT_EQ(cfg.downloadFile(3, target), 0);
  QFile got(target);
  ASSERT_TRUE(got.open(QIODevice::ReadOnly));
  ASSERT_TRUE(sim.command().transfers().file(3, &stored));
  EXPECT_EQ(got.readAll(), bytes(stored));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 4);  // nothing beside it, nothing above
  EXPECT_EQ(cfg.downloadTarget(QStringLiteral("/d"), QStringLiteral("a\\b\x01"), QStringLiteral("127.0.0.9"), 6),
            QStringLiteral("/d/a_b_-127.0.0.9.bad"));

  // The clock: read as the camera keeps it, then set to now.
  sim.command().clockGpio().setNow(981173106);  // 2001-02-03T04:05:06Z
  EXPECT_TRUE(cfg.control_getTime().startsWith(QStringLiteral("2001-02-03T04:05:0")));
  ASSERT_EQ(cfg.control_setTime(0), 0);
  EXPECT_LE(std::abs(sim.command().clockGpio().now() - QDateTime::currentSecsSinceEpoch()), 2);
  ASSERT_EQ(cfg.control_setGpioOutput(31, 5), 0);
  EXPECT_EQ(sim.command().clockGpio().gpioOutputs(), 5);
  ASSERT_EQ(cfg.control_setGpioOutput(4, 0), 0);
  EXPECT_EQ(sim.command().clockGpio().gpioOutputs(), 1);
  cfg.stopWork();
}

}  // namespace
