// The tool's own settings file, its option lists, the command records and the basic record's
// model: what the program keeps and what it sends, checked against independent layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <cstring>

#include "AppFolders.h"
#include "CCameraBasicInfo.h"
#include "CCommonManager.h"
#include "CConfigManager.h"
#include "DeviceCommands.h"

using calorset::CConfigManager;

namespace {

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The record as Python's struct module lays it out from the documented field list.
QByteArray pythonGolden(const QString& args) {
  QProcess p;
  QStringList argv{QStringLiteral("-c"),
                   QStringLiteral("import struct,sys\n"
                                  "l,d,t,f,u,m=sys.argv[1:]\n"
                                  "sys.stdout.buffer.write(struct.pack('<Ii1024siiii',20240408,int(l),d.encode(),"
                                  "int(t),int(f),int(u),int(m)))")};
  argv << args.split(QLatin1Char('|'));
  p.start(QStringLiteral(OSTREL_SYSTEM_PYTHON), argv);
  p.waitForFinished(20000);
  return p.readAllStandardOutput();
}

TEST(DeviceToolSettings, NoFileGivesDefaultsAndWritesNothingTheWorkstationFileIsIgnoredSaveIsZeroThenOne) {
  const QString file = calorset::configDir() + QStringLiteral("/AppConfig.bin");
  QFile::remove(file);
  {
    CConfigManager m;
    EXPECT_EQ(m.init(), 1);
    const auto* c = m.config();
    EXPECT_EQ(c->language(), 0);
    EXPECT_EQ(c->saveDir(), calorset::dataDir());
    EXPECT_EQ(c->transType(), 0);
    EXPECT_EQ(c->chartFifoSize(), 500);
    EXPECT_EQ(c->chartUpdateInterval(), 1);
    EXPECT_EQ(c->displayFpsMax(), 100);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(calorset::displayFpsCap.load(), 100);
    EXPECT_EQ(calorset::chartSampleInterval.load(), 10000000);
  }
  {
    // The workstation's record: another size and magic 20240101, language 1, cap 5.
    QByteArray ws(2068, '\0');
    const int32_t magic = 20240101, one = 1, five = 5;
    std::memcpy(ws.data(), &magic, 4);
    std::memcpy(ws.data() + 4, &one, 4);
    std::memcpy(ws.data() + 2064, &five, 4);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(ws);
    f.close();
    CConfigManager m;
    m.init();
    EXPECT_EQ(m.config()->language(), 0);
    EXPECT_EQ(m.config()->displayFpsMax(), 100);
    EXPECT_EQ(readAll(file), ws);  // still the workstation's bytes: only save writes
    QFile::remove(file);
  }
  CConfigManager m;
  m.init();
  calorset::CAppConfig edited;
  edited.cls2cls(m.config());
  EXPECT_EQ(m.save(&edited), 0);
  EXPECT_FALSE(QFile::exists(file));
  QSignalSpy capSpy(m.config(), &calorset::CAppConfig::displayFpsMaxChanged);
  edited.setLanguage(1);
  edited.setSaveDir(QStringLiteral("/tmp/caméra"));
  edited.setDisplayFpsMax(5);
  edited.setChartFifoSize(200);
  EXPECT_EQ(m.save(&edited), 1);
  EXPECT_EQ(capSpy.count(), 1);
  EXPECT_EQ(m.config()->displayFpsMax(), 5);  // shown as stored,
  EXPECT_EQ(calorset::displayFpsCap.load(), 10);  // applied at the lower bound
  EXPECT_EQ(readAll(file), pythonGolden(QStringLiteral("1|/tmp/caméra|0|200|1|5")));
  EXPECT_EQ(m.save(&edited), 0);
  // A chart length of 0 and an interval of 0 are kept as typed but applied as 10 and 1 s; a length
  // of 10000 or more as 9999.
  edited.setChartFifoSize(0);
  edited.setChartUpdateInterval(0);
  EXPECT_EQ(m.save(&edited), 1);
  EXPECT_EQ(m.config()->chartFifoSize(), 0);
  EXPECT_EQ(calorset::chartLength.load(), 10);
  EXPECT_EQ(calorset::chartSampleInterval.load(), 10000000);
  edited.setChartFifoSize(20000);
  EXPECT_EQ(m.save(&edited), 1);
  EXPECT_EQ(calorset::chartLength.load(), 9999);
  // A second manager loads what was saved.
  CConfigManager again;
  EXPECT_EQ(again.init(), 1);
  EXPECT_EQ(again.config()->saveDir(), QStringLiteral("/tmp/caméra"));
  EXPECT_EQ(again.config()->chartFifoSize(), 20000);
  EXPECT_EQ(calorset::streamTransType.load(), 0);
  QFile::remove(file);
}

TEST(DeviceToolSettings, DebugSettingsNeedAllThreeIntegerKeys) {
  int v[3] = {7, 7, 7};
  const char bad[] = R"({"netdEnable": 1, "netdFrameCount": 20})";
  EXPECT_EQ(calorset::parseDebugConfig(v, bad, sizeof bad - 1), -11);
  EXPECT_EQ(v[0], 7);
  const char notJson[] = "{netdEnable";
  EXPECT_EQ(calorset::parseDebugConfig(v, notJson, sizeof notJson - 1), -11);
  const char text[] = R"({"netdEnable": "1", "netdFrameCount": 20, "netdCalcInterval": 1000})";
  EXPECT_EQ(calorset::parseDebugConfig(v, text, sizeof text - 1), -11);
  const char good[] = R"({"netdEnable": 1, "netdFrameCount": 20, "netdCalcInterval": 1000})";
  EXPECT_EQ(calorset::parseDebugConfig(v, good, sizeof good - 1), 0);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 20);
  EXPECT_EQ(v[2], 1000);
}

TEST(DeviceToolOptionLists, ListsAndTheirValues) {
  calorset::CCommonManager m;
  ASSERT_EQ(m.init(), 0);
  EXPECT_EQ(m.init(), 0);
  auto values = [&](int list) {
    QList<int> out;
    for (const CNameValue* e : m.nameValueList(list)) out.append(e->value());
    return out;
  };
  EXPECT_EQ(values(4), (QList<int>{1, 2, 3, 4}));  // stretch: no 0
  EXPECT_EQ(values(21), (QList<int>{0, 1, 3}));    // modbus: no 2
  EXPECT_EQ(values(17), (QList<int>{0, 1}));       // stop bits "1", "2"
  EXPECT_EQ(m.nameValueList(17)[1]->name(), QStringLiteral("2"));
  EXPECT_EQ(values(16), (QList<int>{5, 6, 7, 8}));
  EXPECT_EQ(values(11).size(), 8);
  EXPECT_EQ(m.meaTools().size(), 14);
  EXPECT_EQ(m.meaTools()[13]->icon(), QStringLiteral("qrc:/Icons/eye.svg"));
  EXPECT_EQ(m.nameValueList(23)[1]->name(), QStringLiteral("MWIR, 3~5 um"));
}

TEST(DeviceToolCommands, TableAndRecordLayouts) {
  // The camera's command codes as the protocol fixes them, written out here rather than taken
  // from the enums the table is built from: channel, code, pan-tilt sub-command, argument.
  using control::Arg;
  using control::Channel;
  struct Row {
    Channel channel;
    int code, sub;
    Arg arg;
  };
  const Row expected[] = {
      {Channel::OneWay, 2, -1, Arg::Byte},      {Channel::OneWay, 4, -1, Arg::None},
      {Channel::OneWay, 32, -1, Arg::None},     {Channel::OneWay, 33, -1, Arg::None},
      {Channel::OneWay, 34, -1, Arg::I16},      {Channel::OneWay, 38, -1, Arg::Byte},
      {Channel::Request, 0, -1, Arg::None},     {Channel::Request, 1, -1, Arg::Clock},
      {Channel::Request, 2, -1, Arg::None},     {Channel::Request, 3, -1, Arg::I32},
      {Channel::Request, 4, -1, Arg::Region},   {Channel::Request, 11, -1, Arg::None},
      {Channel::Request, 12, -1, Arg::ExtBb},   {Channel::Request, 13, -1, Arg::None},
      {Channel::Request, 14, 0, Arg::PtzByte},  {Channel::Request, 14, 1, Arg::PtzByte},
      {Channel::Request, 14, 2, Arg::PtzByte},  {Channel::Request, 14, 3, Arg::PtzByte},
      {Channel::Request, 14, 4, Arg::PtzByte},  {Channel::Request, 14, 5, Arg::PtzByte},
      {Channel::Request, 14, 6, Arg::PtzByte},  {Channel::Request, 14, 7, Arg::PtzByte},
      {Channel::Request, 14, 8, Arg::PtzByte},  {Channel::Request, 14, 15, Arg::PtzByte},
      {Channel::Request, 14, 17, Arg::PtzByte}, {Channel::Request, 14, 18, Arg::None},
      {Channel::Request, 14, 19, Arg::PtzPosition}, {Channel::Request, 14, 30, Arg::PtzByte},
      {Channel::Request, 16, -1, Arg::I32},     {Channel::Request, 17, -1, Arg::I32},
      {Channel::Request, 18, -1, Arg::I32},     {Channel::Request, 20, -1, Arg::I32},
      {Channel::Request, 21, -1, Arg::I32},     {Channel::Request, 22, -1, Arg::I32},
      {Channel::Request, 128, -1, Arg::I32Pair},
  };
  int n = 0;
  const control::CommandDef* t = control::commandTable(&n);
  ASSERT_EQ(n, int(std::size(expected)));
  for (int i = 0; i < n; ++i) {
    const Row& e = expected[i];
    EXPECT_EQ(t[i].channel, e.channel) << "row " << i;
    EXPECT_EQ(t[i].code, e.code) << "row " << i;
    EXPECT_EQ(t[i].sub, e.sub) << "row " << i;
    EXPECT_EQ(t[i].arg, e.arg) << "row " << i << ", code " << e.code;
    EXPECT_EQ(control::findCommand(e.channel, e.code, e.sub), &t[i]) << "code " << e.code << "/" << e.sub;
  }
  // The records carry the codes: a one-way type is the u16 at 0, a request's the i32 at 0.
  const ControlInfo shutter = control::oneWayByte(control::kShutter, 1);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(&shutter)[0], 2);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(&shutter)[2], 1);
  const ControlInfoX gpio = control::requestGpio(31, 5);
  int32_t gpioType = 0;
  std::memcpy(&gpioType, &gpio, 4);
  EXPECT_EQ(gpioType, 128);
  EXPECT_EQ(control::replyI32(gpio, 4), 31);
  EXPECT_EQ(control::replyI32(gpio, 8), 5);
  ControlInfo c = control::oneWayI16(control::kFocusStep, -100);
  uint8_t b[10];
  std::memcpy(b, &c, 10);
  EXPECT_EQ(b[0], 34);
  EXPECT_EQ(b[2], 0x9C);
  EXPECT_EQ(b[3], 0xFF);
  ControlInfoX vo{};
  ASSERT_TRUE(control::requestVoltageOffset(2.5, &vo));
  EXPECT_EQ(control::replyI32(vo, 4), 2047);
  int x0, y0, x1, y1;
  control::defaultFocusRegion(640, 512, &x0, &y0, &x1, &y1);
  EXPECT_EQ((QList<int>{x0, y0, x1, y1}), (QList<int>{160, 128, 480, 384}));
  ControlInfoX r = control::requestRegion(x0, y0, x1, y1);
  EXPECT_EQ(control::replyI32(r, 4), 160 | 128 << 16);
  ControlInfoX p = control::requestPtzPosition(-5, 7, 0);
  EXPECT_EQ(p.payload[0], 19);
  EXPECT_EQ(control::replyI32(p, 8), -5);
  EXPECT_EQ(control::replyI32(p, 12), 7);
  ControlInfoX clock = control::request(control::kClockGet);
  const int32_t v[6] = {2024, 4, 8, 9, 5, 3};
  std::memcpy(reinterpret_cast<uint8_t*>(&clock) + 4, v, sizeof v);
  EXPECT_EQ(control::replyClockText(clock), QStringLiteral("2024-04-08T09:05:03Z"));
}

TEST(DeviceToolBasicInfo, LoadsOnceCutsNamesOnACharacterAndLeavesAnUntouchedRecordAlone) {
  CCameraBasicInfo info;
  uint8_t rec[216];
  for (int i = 0; i < 216; ++i) rec[i] = uint8_t(0x41 + i % 26);  // every text fills its field
  rec[176] = 0x80;
  rec[177] = 2;  // width 640
  rec[191] = 2;  // a filter flag of 2 still reads as on
  QSignalSpy names(&info, &CCameraBasicInfo::cameraNameChanged);
  QSignalSpy whf(&info, &CCameraBasicInfo::dataWHFChanged);
  // One byte short: refused whole, nothing loaded or announced.
  EXPECT_EQ(info.fromRecord(rec, 215), -8);
  EXPECT_EQ(names.count(), 0);
  EXPECT_EQ(whf.count(), 0);
  EXPECT_EQ(info.property("dataWidth").toInt(), 0);
  EXPECT_TRUE(info.property("cameraId").toString().isEmpty());
  ASSERT_EQ(info.fromRecord(rec, 216), 0);
  EXPECT_EQ(names.count(), 1);
  EXPECT_EQ(info.property("cameraId").toString().size(), 32);
  EXPECT_EQ(info.property("dataWidth").toInt(), 640);
  EXPECT_TRUE(info.property("filterMedian").toBool());
  ASSERT_EQ(info.fromRecord(rec, 216), 0);
  EXPECT_EQ(names.count(), 1);
  EXPECT_EQ(whf.count(), 1);

  uint8_t out[216];
  // A short store writes nothing either.
  std::memset(out, 0, sizeof out);
  EXPECT_EQ(info.toRecord(out, 215), -8);
  EXPECT_EQ(std::count(out, out + 216, 0), 216);
  std::memcpy(out, rec, 216);
  ASSERT_EQ(info.toRecord(out, 216), 0);
  EXPECT_EQ(std::memcmp(out, rec, 216), 0);

  // 40 characters become 31 bytes and a NUL; two-byte characters are never split.
  info.setProperty("cameraName", QString(40, QLatin1Char('n')));
  info.setProperty("cameraId", QStringLiteral("EDITED"));  // read-only: never written back
  info.setProperty("dataRatio", 70000);                   // clamped to the u16 field
  ASSERT_EQ(info.toRecord(out, 216), 0);
  EXPECT_EQ(std::memcmp(out + 32, QByteArray(31, 'n').constData(), 31), 0);
  EXPECT_EQ(out[63], 0);
  EXPECT_EQ(std::memcmp(out, rec, 32), 0);
  EXPECT_EQ(out[182] | out[183] << 8, 65535);
  info.setProperty("cameraName", QString(16, QChar(0x00E9)));  // 32 bytes of é
  ASSERT_EQ(info.toRecord(out, 216), 0);
  EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(out + 32)), QString(15, QChar(0x00E9)).toUtf8());
}

}  // namespace
