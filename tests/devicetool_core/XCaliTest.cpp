// The XCali calibration block, its object tree and its editor: the simulator's block (written by
// a Python struct script) loads into every property, the store rules give the bytes Python packs,
// untouched parts are never sent, and the editor's commands and uploads reach the camera as it
// expects. The SDK's range calibration accepts the parts the editor stores.
#include <gtest/gtest.h>

#include <QProcess>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQmlListReference>
#include <QQuickItem>
#include <QTranslator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <functional>
#include <cstring>
#include <limits>
#include <memory>

#include "CApp.h"
#include "CDeviceManager.h"
#include "CXCaliEditor.h"
#include "CaliKit.h"
#include "NetKit.h"
#include "ViewKit.h"
#include "WaitUntil.h"
#include "XCaliLayout.h"
#include "camsim/CameraSim.h"
#include "camsim/Wire.h"

namespace {

using xcali::Part;

QByteArray python(const QString& code) {
  QProcess p;
  p.start(QStringLiteral(OSTREL_SYSTEM_PYTHON), {QStringLiteral("-c"), code});
  p.waitForFinished(20000);
  return p.readAllStandardOutput();
}

QByteArray pyPack(const QString& expr) {
  return python(QStringLiteral("import struct,sys\nsys.stdout.buffer.write(%1)").arg(expr));
}

// The block the simulator's seed script writes.
std::vector<uint8_t> seedBlock(int detType = 510, int caliCount = 3) {
  const QByteArray b = python(QStringLiteral("import sys\nsys.path.insert(0, '%1')\nimport xcali_seed\n"
                                             "sys.stdout.buffer.write(xcali_seed.block(%2, %3))")
                                  .arg(QStringLiteral(OSTREL_XCALI_SEED_DIR))
                                  .arg(detType)
                                  .arg(caliCount));
  return std::vector<uint8_t>(b.begin(), b.end());
}

QByteArray bytes(const uint8_t* p, size_t n) {
  return QByteArray(reinterpret_cast<const char*>(p), qsizetype(n));
}

// The uploads (memory type 80) logged since `from`.
int uploadsSince(camsim::CameraSim& sim, size_t from) {
  const auto log = sim.log().snapshot();
  int n = 0;
  for (size_t i = from; i < log.size(); ++i) n += log[i].type == 80;
  return n;
}

TEST(XCaliTree, TheSeedBlockLoadsIntoEveryProperty) {
  const std::vector<uint8_t> block = seedBlock();
  ASSERT_EQ(block.size(), xcali::kBlockSize);
  CXCali x;
  QSignalSpy gears(&x, &CXCali::gearArrayChanged);
  x.fromRecord(block.data());
  EXPECT_EQ(x.head()->detType(), 510);
  EXPECT_EQ(x.head()->resCount(), 3);
  EXPECT_EQ(x.head()->caliCount(), 3);
  ASSERT_EQ(x.gears().size(), 3);
  EXPECT_EQ(x.gears()[0]->name(), QStringLiteral("[1]Lens25"));
  EXPECT_EQ(x.gears()[0]->value(), 1);
  EXPECT_EQ(x.gears()[2]->name(), QStringLiteral("[3]Tele50"));
  EXPECT_EQ(gears.count(), 1);
  EXPECT_DOUBLE_EQ(x.state()->fpa_temp(), 300.15);
  EXPECT_DOUBLE_EQ(x.state()->shell_temp(), 25.5);
  EXPECT_EQ(x.state()->res_cur(), 1);
  EXPECT_EQ(x.state()->info(), QString::fromUtf8(python(QStringLiteral(
                                   "print('FPA %3.1f K, ShellHW %3.1f C, WorkTime %3.1f hours' % (300.15, 26.25, 2.0), end='')"))));
  EXPECT_TRUE(x.state()->info().endsWith(QStringLiteral("WorkTime 2.0 hours")));
  ASSERT_EQ(x.resolutions().size(), 3);
  EXPECT_EQ(x.resolutions()[2]->property("width").toInt(), 1280);
  EXPECT_EQ(x.resolutions()[2]->property("fpsDen").toInt(), 2);
  EXPECT_EQ(x.resolutions()[1]->property("tag").toInt(), 1);

  // Every entry, by the script's formulas.
  const char* const names[] = {"Lens25", "Wide13", "Tele50", "Macro", "Lens35", "Lens75", "Lens100", "Fish", "Zoom", "Spare"};
  for (int k = 0; k < 10; ++k) {
    SCOPED_TRACE(k);
    CXCali1* c1 = x.entry(k)->cali1();
    EXPECT_TRUE(c1->property("enable").toBool());
    EXPECT_EQ(c1->property("filter").toInt(), k % 4);
    EXPECT_EQ(c1->property("lens").toInt(), 25 + k);
    EXPECT_EQ(c1->property("envTempMin").toInt(), -20 + k);
    EXPECT_EQ(c1->property("bbTempMin").toInt(), -10 * k);
    EXPECT_EQ(c1->property("bbTempMax").toInt(), 150 + k);
    EXPECT_EQ(c1->name(), QString::fromLatin1(names[k]));
    EXPECT_EQ(c1->property("shutterMode").toInt(), k % 2);
    EXPECT_DOUBLE_EQ(c1->vnr()->ad_vdda(), 5.0);
    EXPECT_DOUBLE_EQ(c1->vnr()->ad_vr(), (3000 + k) * 5.0 / 4096);
    EXPECT_EQ(c1->vnr()->property("ad_offset0").toInt(), -1);
    EXPECT_EQ(c1->vnr()->property("ad_offset3").toInt(), -128);
    EXPECT_EQ(c1->vnr()->property("tint").toInt(), 1000 + k);
    EXPECT_EQ(c1->vnr()->property("origin").toInt(), 2);
    CXCali2* c2 = x.entry(k)->cali2();
    EXPECT_EQ(c2->property("envCount").toInt(), 2);
    EXPECT_EQ(c2->property("bbCount").toInt(), 5);
    EXPECT_FLOAT_EQ(c2->property("globalEmissivity").toFloat(), 0.97f);
    EXPECT_FLOAT_EQ(c2->property("shell3").toFloat(), 50.0f);
    for (int i = 0; i < 24; ++i) {
      EXPECT_FLOAT_EQ(c2->point(i)->blackbody(), 20.0f + 10 * i);
      for (int t = 0; t < 4; ++t) EXPECT_FLOAT_EQ(c2->point(i)->temp(t), 20.0f + 10 * i + 0.5f * t + 0.25f * k);
    }
    CXCaliCust* cu = x.entry(k)->cust();
    EXPECT_EQ(cu->property("bbCount").toInt(), 4);
    EXPECT_FLOAT_EQ(cu->point(23)->blackbody(), 30.0f + 5 * 23);
    EXPECT_FLOAT_EQ(cu->point(23)->temp0(), 30.0f + 5 * 23 + 0.5f + k);
  }

  // Counts: 0 keeps the shown count and lists no gear; 12 keeps it and lists ten.
  std::vector<uint8_t> b = block;
  b[3] = 0;
  x.fromRecord(b.data());
  EXPECT_EQ(x.head()->caliCount(), 3);
  EXPECT_TRUE(x.gears().isEmpty());
  b[3] = 12;
  b[2] = 12;
  x.fromRecord(b.data());
  EXPECT_EQ(x.head()->caliCount(), 3);
  EXPECT_EQ(x.gears().size(), 10);
  EXPECT_EQ(x.resolutions().size(), 10);
  EXPECT_EQ(x.gears()[9]->name(), QStringLiteral("[10]Spare"));
  // A name filling all 32 bytes reads as its first 31.
  std::memset(&b[xcali::partOffset(Part::Cali1, 1) + 12], 'n', 32);
  x.fromRecord(b.data());
  EXPECT_EQ(x.entry(1)->cali1()->name(), QString(31, QLatin1Char('n')));

  // The register family: 508..512 VNR, anything else QJ.
  for (int type : {507, 508, 512, 513}) {
    SCOPED_TRACE(type);
    CXCali y;
    y.fromRecord(seedBlock(type).data());
    CXCali1* c1 = y.entry(4)->cali1();
    const bool vnr = type == 508 || type == 512;
    EXPECT_EQ(c1->vnr()->property("tint").toInt(), vnr ? 1004 : 0);
    EXPECT_EQ(c1->qj()->property("item_count").toInt(), vnr ? 0 : 5);
    EXPECT_EQ(c1->qj()->property("x3_poc").toInt(), vnr ? 0 : 10 + 24 + 4);
    EXPECT_DOUBLE_EQ(c1->qj()->item(0)->fpa(), vnr ? 0.0 : -12.30);
    EXPECT_EQ(c1->qj()->item(6)->property("fos").toInt(), vnr ? 0 : 9);
    // And the untouched part stores back byte for byte in its own family, over the camera's
    // bytes with every register of the area made different first.
    const std::vector<uint8_t> seeded = seedBlock(type);
    uint8_t part[xcali::kCali1Size];
    std::memcpy(part, &seeded[xcali::partOffset(Part::Cali1, 4)], sizeof part);
    for (size_t i = 64; i < 64 + (vnr ? 10 : 25); ++i) part[i] ^= 0x55;
    c1->toRecord(part);
    EXPECT_EQ(bytes(part, sizeof part), bytes(&seeded[xcali::partOffset(Part::Cali1, 4)], sizeof part));
  }
}

TEST(XCaliTree, StoreRulesGiveThePythonBytes) {
  // VNR: nearest count, halves away from zero, clamped to the 16-bit register; a non-number keeps
  // the count loaded.
  CFPAInfoVNR vnr;
  uint8_t rec[26] = {};
  const uint16_t loaded[5] = {4096, 1, 2, 3, 4};
  std::memcpy(rec, loaded, sizeof loaded);
  rec[24] = 4;  // an origin the tool does not know
  vnr.setProperty("origin", 1);
  vnr.fromRecord(rec);
  EXPECT_DOUBLE_EQ(vnr.ad_vdda(), 5.0);
  EXPECT_EQ(vnr.property("origin").toInt(), 1);
  vnr.setAd_vdda(0.0006);
  vnr.setAd_vddo(0.00062);
  vnr.setAd_gpol(100.0);
  vnr.setAd_vr(-3.0);
  vnr.setAd_subpv(std::numeric_limits<double>::quiet_NaN());
  vnr.setProperty("ad_offset1", 200);
  vnr.setProperty("tint", -7);
  vnr.setProperty("gain", 300);
  uint8_t out[26] = {};
  vnr.toRecord(out);
  EXPECT_EQ(bytes(out, 26),
            pyPack(QStringLiteral("(lambda r: struct.pack('<5H6x4bi2B', *[min(65535, max(0, r(v * 4096 / 5))) for v in "
                                  "(0.0006, 0.00062, 100.0, -3.0)], 4, 0, 127, 0, 0, -7, 1, 255))"
                                  "(lambda x: int(abs(x) + 0.5) * (1 if x >= 0 else -1))")));

  // QJ: every i16 of an item's fpa goes back as it came; typed values are cut toward zero and
  // clamped; bytes 25-30 and item bytes 5-7 are the camera's and go back as they came.
  CFPAInfoQJ qj;
  uint8_t q[88], qo[88];
  for (int v = -32768; v <= 32767; v += 7) {
    std::memset(q, 0, sizeof q);
    for (int j = 0; j < 7; ++j) ostrel::bytes::putI16(q + 32 + 8 * j, int16_t(std::min(v + j, 32767)));
    qj.fromRecord(q);
    // Over the camera's bytes, with every register byte other than what was loaded.
    std::memcpy(qo, q, sizeof q);
    std::memset(qo, 0xFF, 25);
    qo[31] = 0xFF;
    qj.toRecord(qo);
    ASSERT_EQ(std::memcmp(q, qo, sizeof q), 0) << v;
  }
  for (int i = 0; i < 88; ++i) q[i] = uint8_t(0xA0 + i);
  qj.fromRecord(q);
  EXPECT_DOUBLE_EQ(qj.item(0)->fpa(), int16_t(0xC1C0) / 100.0);
  qj.item(0)->setFpa(-12.345);
  qj.item(1)->setFpa(400.0);
  qj.item(2)->setFpa(std::numeric_limits<double>::quiet_NaN());  // refused: keeps its value
  qj.item(3)->setProperty("tint", -5);
  qj.setProperty("item_count", 9);
  std::memcpy(qo, q, sizeof q);
  qj.toRecord(qo);
  QString items;
  for (int j = 0; j < 7; ++j) {
    const int base = 0xA0 + 32 + 8 * j;
    const int fpa = j == 0 ? -1234 : j == 1 ? 32767 : int16_t((base + 1) << 8 | base);
    items += QStringLiteral(",%1,%2,%3,%4,%5,%6,%7")
                 .arg(fpa)
                 .arg(base + 2)
                 .arg(j == 3 ? 0 : base + 3)
                 .arg(base + 4)
                 .arg(base + 5)
                 .arg(base + 6)
                 .arg(base + 7);
  }
  EXPECT_EQ(bytes(qo, 88),
            pyPack(QStringLiteral("bytes(range(0xA0, 0xA0 + 31)) + bytes([9]) + "
                                  "b''.join(struct.pack('<hBBBBBB', *v) for v in zip(*[iter([%1])] * 7))")
                       .arg(items.mid(1))));

  // The external blackbody: tenths by the scaled-field rule, fields clamped, 54 zero bytes.
  CExtBbConfig bb;
  uint8_t payload[64];
  std::memset(payload, 0xEE, sizeof payload);
  ostrel::bytes::putI16(payload + 2, -35);
  bb.fromRecord(payload);
  EXPECT_TRUE(bb.property("enable").toBool());
  EXPECT_DOUBLE_EQ(bb.temp(), -3.5);
  EXPECT_EQ(bb.tempTenths(), -35);
  bb.setTemp(36.57);
  bb.setTemp(std::numeric_limits<double>::quiet_NaN());
  bb.setProperty("x", 70000);
  bb.setProperty("y", -4);
  bb.toRecord(payload);
  EXPECT_EQ(bytes(payload, 64), pyPack(QStringLiteral("struct.pack('<hhHHH54x', 1, 365, 65535, 0, 0xEEEE)")));
  bb.setTemp(5000.0);
  EXPECT_EQ(bb.tempTenths(), 32767);

  // First stage: integers clamped to their fields, the name cut on a whole character to 31 bytes.
  CXCali1 c1;
  c1.setDetType(507);
  c1.setProperty("lens", 70000);
  c1.setProperty("envTempMin", -40000);
  c1.setProperty("bbTempMax", 1200);
  c1.setProperty("name", QString(20, QChar(0xC4)));
  uint8_t part[320] = {};
  c1.toRecord(part);
  EXPECT_EQ(bytes(part, 64), pyPack(QStringLiteral("struct.pack('<BBHhhhh', 0, 0, 65535, -32768, 0, 0, 1200) + "
                                                   "('\\u00c4' * 15).encode().ljust(32, b'\\0') + bytes(20)")));
}

TEST(XCaliTree, ImportTakesRowsOfFourFieldsAndNeverAnEmptyText) {
  CXCali2 c2;
  const QString twoLines = QStringLiteral("20\t\t20.5\t\t0\t\t25.0\n30\t\t30.4\t\t0\t\tx");
  EXPECT_EQ(c2.importData(twoLines, 1), 2);
  EXPECT_FLOAT_EQ(c2.point(0)->blackbody(), 20.0f);
  EXPECT_FLOAT_EQ(c2.point(1)->blackbody(), 30.0f);
  EXPECT_FLOAT_EQ(c2.point(0)->temp1(), 20.5f);
  EXPECT_FLOAT_EQ(c2.point(1)->temp1(), 30.4f);
  EXPECT_FLOAT_EQ(c2.property("shell1").toFloat(), 25.0f);
  EXPECT_FLOAT_EQ(c2.point(0)->temp0(), 0.0f);
  EXPECT_EQ(c2.importData(twoLines, 4), 0);
  // An empty text, or lines split by single tabs, take nothing and change nothing.
  QSignalSpy shell(&c2, &CXCali2::shell1Changed);
  EXPECT_EQ(c2.importData(QString(), 1), 0);
  EXPECT_EQ(c2.importData(QStringLiteral("1\t2\t3\t4"), 1), 0);
  EXPECT_EQ(shell.count(), 0);
  EXPECT_FLOAT_EQ(c2.point(1)->temp1(), 30.4f);
  // At most 24 rows; a row whose numbers do not read takes 0.
  QString many;
  for (int i = 0; i < 30; ++i) many += QStringLiteral("%1\t\tz\t\t0\t\t%2\n").arg(i).arg(i < 24 ? 10 : 1000);
  EXPECT_EQ(c2.importData(many, 3), 24);
  EXPECT_FLOAT_EQ(c2.point(23)->blackbody(), 23.0f);
  EXPECT_FLOAT_EQ(c2.point(5)->temp3(), 0.0f);
  EXPECT_FLOAT_EQ(c2.property("shell3").toFloat(), 10.0f);
}

class XCaliEditorOnCamera : public ::testing::Test {
 protected:
  void start(int host, const char* cameraId = "XCALI-CAM-0001") {
    addr = ostrel::test::loopbackAddress(47, host);
    camsim::CameraSimOptions opt;
    opt.address = addr;
    opt.identity.cameraId = cameraId;
    opt.tempStream = false;
    opt.snapshot = false;
    sim = std::make_unique<camsim::CameraSim>(opt);
    ASSERT_EQ(sim->start(), 0);
    seed = seedBlock();
    sim->command().transfers().putBlock(8, seed);
  }
  std::vector<uint8_t> camBlock(int type = 8) {
    std::vector<uint8_t> b;
    sim->command().transfers().block(type, &b);
    return b;
  }
  // The camera stores an upload once its last byte is in, which may be after the sender returned.
  bool waitCamera(const std::function<bool(const std::vector<uint8_t>&)>& done, int type = 8) {
    return devicetest::waitUntil([&] { return done(camBlock(type)); });
  }
  std::string addr;
  std::unique_ptr<camsim::CameraSim> sim;
  std::vector<uint8_t> seed;
};

TEST_F(XCaliEditorOnCamera, UpdatesSendOnlyChangedPartsAndCommandsCarryTheirPayloads) {
  start(1);
  CXCaliEditor ed;
  EXPECT_EQ(ed.getXCali(), -7);
  EXPECT_EQ(ed.updateHead(), -7);
  ASSERT_EQ(ed.init(QString::fromStdString(addr)), 0);
  EXPECT_EQ(ed.deviceId(), QStringLiteral("XCALI-CAM-0001"));
  EXPECT_EQ(ed.gearLevel(), 3);
  EXPECT_EQ(ed.resIndex(), 1);
  EXPECT_DOUBLE_EQ(ed.extBbConfig()->temp(), 50.2);
  // The blackbody read went out with an empty payload, not the gear reply's.
  ASSERT_TRUE(sim->log().waitForType(56, 20000));
  bool sawExtBbRead = false;
  for (const auto& o : sim->log().snapshot()) {
    if (o.type != 56 || camsim::readI32(o.bytes.data(), o.bytes.size(), 4) != 11) continue;
    sawExtBbRead = true;
    EXPECT_EQ(std::count(o.bytes.begin() + 8, o.bytes.end(), 0), 64);
  }
  EXPECT_TRUE(sawExtBbRead);

  // Nothing edited: no part goes out.
  size_t mark = sim->log().count();
  EXPECT_EQ(ed.updateHead(), 0);
  EXPECT_EQ(ed.updateCali1(), 0);
  EXPECT_EQ(ed.updateCali2(), 0);
  EXPECT_EQ(ed.updateCust(), 0);
  EXPECT_EQ(uploadsSince(*sim, mark), 0);

  // A stage-2 cell: sent once, patched into the camera's block at its Python offset.
  ed.cali2()->point(2)->setTemp1(77.25f);
  ed.cali2()->point(3)->setTemp1(std::numeric_limits<float>::quiet_NaN());  // refused
  EXPECT_EQ(ed.updateCali2(), 0);
  EXPECT_EQ(ed.updateCali2(), 0);
  EXPECT_EQ(uploadsSince(*sim, mark), 1);
  constexpr size_t cell = 64 + 320 + 80 + 288 + 12 * 2;
  ASSERT_TRUE(waitCamera([&](const std::vector<uint8_t>& b) { return b.size() == seed.size() && b[cell + 5] != seed[cell + 5]; }));
  std::vector<uint8_t> cam = camBlock();
  // Table 1 keeps its own blackbody column.
  EXPECT_EQ(bytes(&cam[cell], 8), pyPack(QStringLiteral("struct.pack('<ff', 40.125, 77.25)")));
  std::vector<uint8_t> expect = seed;
  std::memcpy(&expect[cell + 4], &cam[cell + 4], 4);
  EXPECT_EQ(cam, expect);

  // Entry 3: index 10 is ignored, 3 moves the three parts; the custom update names kind 3, entry 3.
  QSignalSpy index(&ed, &CXCaliEditor::caliIndexChanged), parts(&ed, &CXCaliEditor::custChanged);
  ed.setCaliIndex(10);
  ed.setCaliIndex(3);
  EXPECT_EQ(index.count(), 1);
  EXPECT_EQ(parts.count(), 1);
  EXPECT_EQ(ed.cust(), ed.xcali()->entry(3)->cust());
  ed.cust()->setProperty("bbCount", 6);
  EXPECT_EQ(ed.updateCust(), 0);
  ASSERT_TRUE(waitCamera([](const std::vector<uint8_t>& b) { return b.size() == 2052 && b[0] == 3; }, 9));
  const std::vector<uint8_t> cmd = camBlock(9);
  EXPECT_EQ(cmd[0], 3);
  EXPECT_EQ(cmd[1], 3);
  EXPECT_EQ(camBlock()[64 + 1904 * 3 + 1552 + 1], 6);
  EXPECT_TRUE(std::all_of(cmd.begin() + 4 + 352, cmd.end(), [](uint8_t b) { return b == 0; }));

  // Head bytes 4-63 are the camera's: an untouched head is not sent, an edited count goes out
  // with them as they came.
  std::vector<uint8_t> dirty = camBlock();
  std::memset(&dirty[4], 0x5A, 60);
  sim->command().transfers().putBlock(8, dirty);
  ASSERT_EQ(ed.getXCali(), 0);
  ed.xcali()->head()->setCaliCount(0);  // kept in 1..10
  EXPECT_EQ(ed.xcali()->head()->caliCount(), 1);
  ed.xcali()->head()->setCaliCount(3);
  mark = sim->log().count();
  EXPECT_EQ(ed.updateHead(), 0);
  EXPECT_EQ(uploadsSince(*sim, mark), 0);
  ed.xcali()->head()->setCaliCount(2);
  EXPECT_EQ(ed.updateHead(), 0);
  EXPECT_EQ(ed.updateHead(), 0);
  EXPECT_EQ(uploadsSince(*sim, mark), 1);
  ASSERT_TRUE(waitCamera([](const std::vector<uint8_t>& b) { return b[3] == 2; }));
  EXPECT_EQ(bytes(camBlock().data(), 64), pyPack(QStringLiteral("struct.pack('<HBB60s', 510, 3, 2, b'\\x5a' * 60)")));
  EXPECT_TRUE(std::all_of(ed.image() + 4, ed.image() + 64, [](uint8_t b) { return b == 0x5A; }));

  // Resolution, gear and blackbody commands.
  EXPECT_EQ(ed.applyResIndex(1), -7);  // what the last read reported
  EXPECT_EQ(ed.applyResIndex(2), 0);
  EXPECT_EQ(ed.resIndex(), 2);
  EXPECT_EQ(camBlock()[19440], 2);
  EXPECT_EQ(ed.applyResIndex(1), -7);  // still the downloaded byte that counts
  EXPECT_EQ(ed.applyGearLevel(3), -7);
  EXPECT_EQ(ed.applyGearLevel(5), 0);
  EXPECT_EQ(sim->state().gearLevel(), 5);
  ed.extBbConfig()->setTemp(36.57);
  ed.extBbConfig()->setProperty("radius", 70000);
  EXPECT_EQ(ed.applyExtBbConfig(), 0);
  EXPECT_EQ(bytes(sim->command().xcali().extBb().data(), 10),
            pyPack(QStringLiteral("struct.pack('<hhHHH', 1, 365, 320, 256, 65535)")));
  mark = sim->log().count();
  EXPECT_EQ(ed.applyReboot(), 0);
  ASSERT_TRUE(sim->log().waitForType(6, 20000));

  // A failed upload keeps the image: the next update sends again.
  ed.cali1()->setProperty("filter", 1);
  camsim::TransferFaults refuse;
  refuse.status = -3;
  sim->command().transfers().setFaults(refuse);
  EXPECT_EQ(ed.updateCali1(), -2);
  sim->command().transfers().setFaults({});
  mark = sim->log().count();
  EXPECT_EQ(ed.updateCali1(), 0);
  EXPECT_EQ(uploadsSince(*sim, mark), 1);
  EXPECT_TRUE(waitCamera([](const std::vector<uint8_t>& b) { return b[64 + 1904 * 3 + 1] == 1; }));
  ed.free();
  EXPECT_EQ(ed.updateCali1(), -7);
}

TEST_F(XCaliEditorOnCamera, DownloadFailureLogsOutAndFilesAreCheckedFirst) {
  start(2, "CALI-OSTREL-TEST-0001");
  CXCaliEditor ed;
  camsim::TransferFaults refuse;
  refuse.status = -3;
  sim->command().transfers().setFaults(refuse);
  EXPECT_EQ(ed.init(QString::fromStdString(addr)), -2);
  EXPECT_FALSE(ed.loggedIn());
  EXPECT_EQ(ed.getXCali(), -7);
  sim->command().transfers().setFaults({});
  ASSERT_EQ(ed.init(QString::fromStdString(addr)), 0);
  // A block of another length is not taken.
  sim->command().transfers().putBlock(8, std::vector<uint8_t>(seed.begin(), seed.begin() + 19000));
  EXPECT_EQ(ed.getXCali(), -194);
  EXPECT_EQ(ed.xcali()->entry(0)->cali1()->name(), QStringLiteral("Lens25"));
  EXPECT_TRUE(ed.loggedIn());

  // A calibration file of this camera goes as type 2 with the entry index; another camera's
  // file, or a missing one, is refused before anything is sent.
  const ostrel::test::CaliModel model = ostrel::test::makeModel(32, 24, 2, 4);
  QTemporaryDir dir;
  const std::string own = dir.filePath(QStringLiteral("own.cali")).toStdString();
  ASSERT_TRUE(ostrel::test::writeBytes(own, ostrel::test::caliBytes(model)));
  ostrel::test::CaliModel other = model;
  std::strcpy(other.identity, "CALI-OTHER-CAMERA-9");
  const std::string foreign = dir.filePath(QStringLiteral("foreign.cali")).toStdString();
  ASSERT_TRUE(ostrel::test::writeBytes(foreign, ostrel::test::caliBytes(other)));
  const size_t mark = sim->log().count();
  EXPECT_EQ(ed.updateCali1File(QString::fromStdString(foreign)), -11);
  EXPECT_EQ(ed.updateCali1File(QString()), -200);
  EXPECT_EQ(sim->log().count(), mark);
  ed.setCaliIndex(4);
  ASSERT_EQ(ed.updateCali1File(QString::fromStdString(own)), 0);
  std::vector<uint8_t> stored;
  ASSERT_TRUE(devicetest::waitUntil([&] { return sim->command().transfers().file(2, &stored); }));
  EXPECT_EQ(stored, ostrel::test::caliBytes(model));
  EXPECT_EQ(sim->command().transfers().fileParam(2), 4);
}

TEST(XCaliTree, TheRangeCalibrationTakesTheStoredParts) {
  const std::vector<uint8_t> block = seedBlock();
  CXCali x;
  x.fromRecord(block.data());
  const ostrel::test::CaliModel model = ostrel::test::makeModel(32, 24, 4, 8);
  const std::string path = ostrel::test::tempPath("xcali-range.cali");
  ASSERT_TRUE(ostrel::test::writeBytes(path, ostrel::test::caliBytes(model)));
  const FixInfoRecord fix = ostrel::test::neutralFixInfo();
  CaliCreateInfo info{};
  info.caliPath = path.c_str();
  info.fixInfo = &fix;
  info.startFpa = 100000;
  info.sensorWidth = info.windowWidth = 32;
  info.sensorHeight = info.windowHeight = 24;
  XCali* sdk = XCali_Create(&info);
  ASSERT_NE(sdk, nullptr);
  // Parts store over the camera's own bytes, as the editor sends them.
  for (int k = 0; k < 3; ++k) {
    uint8_t cali2[xcali::kCali2Size], cust[xcali::kCustSize];
    std::memcpy(cali2, block.data() + xcali::partOffset(Part::Cali2, k), sizeof cali2);
    std::memcpy(cust, block.data() + xcali::partOffset(Part::Cust, k), sizeof cust);
    x.entry(k)->cali2()->toRecord(cali2);
    x.entry(k)->cust()->toRecord(cust);
    EXPECT_EQ(XCali_LoadCali2(sdk, cali2), 0) << k;
    EXPECT_EQ(XCali_LoadCust(sdk, cust), 0) << k;
  }
  // An edit that breaks the rising order is what the SDK refuses, so the check above means something.
  x.entry(0)->cali2()->point(1)->setTemp0(0.0f);
  uint8_t cali2[xcali::kCali2Size];
  std::memcpy(cali2, block.data() + xcali::partOffset(Part::Cali2, 0), sizeof cali2);
  x.entry(0)->cali2()->toRecord(cali2);
  EXPECT_EQ(XCali_LoadCali2(sdk, cali2), -11);
  XCali_Free(&sdk);
  std::remove(path.c_str());
}

}  // namespace

namespace {

const char kXCaliWrapper[] = R"(
import QtQuick
import QtQuick.Window
Window {
    id: top
    width: 1200; height: 800
    property var msgs: []
    function notifyError(type, msg) { msgs.push(type + ":" + msg) }
    Component.onCompleted: App.main = top
    DeviceXCali { objectName: "view" }
}
)";

// Items a Repeater makes are found through the visual tree.
QObject* namedItem(QObject* root, const char* name) {
  auto* item = qobject_cast<QQuickItem*>(root);
  if (!item) return nullptr;
  for (QQuickItem* c : item->childItems()) {
    if (c->objectName() == QLatin1String(name)) return c;
    if (QObject* found = namedItem(c, name)) return found;
  }
  return nullptr;
}

bool shown(QObject* root, const char* name) {
  QObject* o = devicetest::child(root, name);
  return o && o->property("visible").toBool();
}

// Counts the gear sets (command 3) the camera received.
int gearSets(camsim::CameraSim& sim) {
  int n = 0;
  for (const auto& o : sim.log().snapshot())
    n += o.type == 56 && camsim::readI32(o.bytes.data(), o.bytes.size(), 4) == 3;
  return n;
}

}  // namespace

TEST_F(XCaliEditorOnCamera, TheViewShowsTheEntrysRegisterFamilyAndSendsOnlyTheUsersEdits) {
  static QTranslator translator;
  auto* app = new calorset::CApp(nullptr, &translator);
  qmlRegisterSingletonInstance("Ostrel", 1, 0, "CApp", app);
  ASSERT_EQ(app->init(), 0);
  start(3);
  CXCaliEditor* ed = app->deviceManager()->xcaliEditor();

  devicetest::WarningCollector warnings;
  auto engine = std::make_unique<QQmlEngine>();
  engine->addImportPath(QStringLiteral(OSTREL_BUILD_QML_DIR));
  QQmlComponent component(engine.get());
  component.setData(kXCaliWrapper, QUrl::fromLocalFile(QStringLiteral(OSTREL_VIEWS_DIR "/XCaliWrapper.qml")));
  std::unique_ptr<QObject> top(component.create());
  ASSERT_NE(top, nullptr) << component.errorString().toStdString();
  QObject* view = devicetest::child(top.get(), "view");
  ASSERT_NE(view, nullptr);
  devicetest::child(view, "xcaliTabs")->setProperty("xcurrentIndex", 1);

  for (int type : {507, 508, 512, 513}) {
    SCOPED_TRACE(type);
    sim->command().transfers().putBlock(8, seedBlock(type));
    ASSERT_EQ(ed->init(QString::fromStdString(addr)), 0);
    QMetaObject::invokeMethod(view, "open");
    ASSERT_TRUE(devicetest::waitUntil([&] { return view->property("opened").toBool(); }));
    const bool vnr = type == 508 || type == 512;
    EXPECT_EQ(shown(view, "fpaInfoVNR"), vnr);
    EXPECT_EQ(shown(view, "fpaInfoQJ"), !vnr);
    devicetest::child(view, "xcaliTabs")->setProperty("xcurrentIndex", 0);
    EXPECT_EQ(shown(view, "xcaliResList"), vnr);
    devicetest::child(view, "xcaliTabs")->setProperty("xcurrentIndex", 1);
    // The panel shows the registers the editor loaded for the entry.
    QObject* panel = devicetest::child(view, vnr ? "fpaInfoVNR" : "fpaInfoQJ");
    QObject* tint = panel ? namedItem(panel, "tint") : nullptr;
    ASSERT_NE(tint, nullptr) << warnings.qmlWarnings().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(tint->property("xvalue").toInt(), vnr ? 1000 : 10);
    if (!vnr) {
      // An item's cell keeps following the item after the user's edit: a later change shows.
      QObject* fpa = namedItem(panel, "cell_fpa");  // row 0's
      ASSERT_NE(fpa, nullptr);
      fpa->setProperty("text", QStringLiteral("1.5"));
      QMetaObject::invokeMethod(fpa, "editingFinished");
      QObject* item0 = QQmlListReference(panel->property("xmodel").value<QObject*>(), "item_array").at(0);
      ASSERT_NE(item0, nullptr);
      EXPECT_DOUBLE_EQ(item0->property("fpa").toDouble(), 1.5);
      item0->setProperty("fpa", 2.25);
      EXPECT_EQ(fpa->property("text").toString(), QStringLiteral("2.25"));
    }
    QMetaObject::invokeMethod(view, "close");
    ASSERT_TRUE(devicetest::waitUntil([&] { return !view->property("visible").toBool(); }));
    EXPECT_FALSE(ed->loggedIn());  // however the view closes, the login goes back
  }

  // Opening and Refresh show the gear without commanding it; the user's choice sends it once.
  ASSERT_EQ(ed->init(QString::fromStdString(addr)), 0);
  QMetaObject::invokeMethod(view, "open");
  ASSERT_TRUE(devicetest::waitUntil([&] { return view->property("opened").toBool(); }));
  QMetaObject::invokeMethod(view, "refresh");
  // The calibration set: the editor's entry, and pages 1-3 show it.
  QObject* set = devicetest::child(view, "xcaliSet");
  EXPECT_EQ(set->property("displayText").toString(), QStringLiteral("1"));
  QMetaObject::invokeMethod(set, "activated", Q_ARG(int, 3));
  EXPECT_EQ(ed->caliIndex(), 3);
  EXPECT_EQ(set->property("displayText").toString(), QStringLiteral("4"));
  EXPECT_EQ(devicetest::child(view, "XCali1_name")->property("xvalue").toString(), QStringLiteral("Macro"));
  QObject* gear = devicetest::child(view, "XCali_gearLevel");
  EXPECT_EQ(gear->property("xvalue").toInt(), 3);
  EXPECT_EQ(gearSets(*sim), 0);
  gear->setProperty("xvalue", 2);
  EXPECT_EQ(gearSets(*sim), 1);
  EXPECT_EQ(ed->gearLevel(), 2);

  // An empty stage-1 name and an external blackbody radius of 1000 are marked and send nothing;
  // mended, each sends its one message (a block update, the blackbody command 12).
  const auto sent = [this](int type, int command) {
    int n = 0;
    for (const auto& o : sim->log().snapshot())
      n += o.type == type && (command < 0 || camsim::readI32(o.bytes.data(), o.bytes.size(), 4) == command);
    return n;
  };
  const int updates = sent(80, -1), extBb = sent(56, 12);
  QObject* name = devicetest::child(view, "XCali1_name");
  name->setProperty("xvalue", QString());
  EXPECT_FALSE(name->property("xrule_isInputValid").toBool());
  QMetaObject::invokeMethod(devicetest::child(view, "btnSetCali1"), "clicked");
  QObject* radius = devicetest::child(view, "ExtBbConfig_radius");
  const QVariant radiusShown = radius->property("xvalue");
  radius->setProperty("xvalue", 1000);
  EXPECT_FALSE(radius->property("xrule_isInputValid").toBool());
  QMetaObject::invokeMethod(devicetest::child(view, "btnApplyExtBbConfig"), "clicked");
  name->setProperty("xvalue", QStringLiteral("Macro 2"));
  QMetaObject::invokeMethod(devicetest::child(view, "btnSetCali1"), "clicked");
  radius->setProperty("xvalue", radiusShown);
  QMetaObject::invokeMethod(devicetest::child(view, "btnApplyExtBbConfig"), "clicked");
  EXPECT_EQ(sent(80, -1), updates + 1);
  EXPECT_EQ(sent(56, 12), extBb + 1);

  // A stage-2 cell: a non-number is not taken (it stays, marked), a number is, and SetCali2
  // writes it.
  QObject* cali2Page = devicetest::child(view, "xcaliCali2Page");
  devicetest::child(view, "xcaliTabs")->setProperty("xcurrentIndex", 2);
  ASSERT_TRUE(cali2Page->property("visible").toBool());
  EXPECT_EQ(ed->cali2()->point(0)->temp2(), 21.75f);
  ed->cali2()->point(0)->setProperty("temp2", std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(ed->cali2()->point(0)->temp2(), 21.75f);
  QObject* box = namedItem(devicetest::child(view, "xcali2List"), "cell_temp2");  // row 0's
  ASSERT_NE(box, nullptr);
  box->setProperty("text", QStringLiteral("abc"));
  QMetaObject::invokeMethod(box, "editingFinished");
  EXPECT_EQ(ed->cali2()->point(0)->temp2(), 21.75f);
  EXPECT_EQ(box->property("text").toString(), QStringLiteral("abc"));
  EXPECT_FALSE(qobject_cast<QQuickItem*>(box)->parentItem()->property("xcellValid").toBool());
  box->setProperty("text", QStringLiteral("33.5"));
  QMetaObject::invokeMethod(box, "editingFinished");
  EXPECT_EQ(ed->cali2()->point(0)->temp2(), 33.5f);
  QMetaObject::invokeMethod(devicetest::child(view, "btnSetCali2"), "clicked");
  ASSERT_TRUE(waitCamera([](const std::vector<uint8_t>& b) {
    return camsim::readF32(b.data(), b.size(), 64 + 1904 * 3 + 320 + 80 + 288 * 2 + 4) == 33.5f;
  }));
  QMetaObject::invokeMethod(devicetest::child(view, "btnImportMode"), "clicked");  // left on
  ASSERT_TRUE(cali2Page->property("isImportMode").toBool());
  QMetaObject::invokeMethod(view, "close");

  // A camera that is not an internal one: the head, stage-1 and stage-2 writes and the import are
  // off, the custom points' write stays.
  std::vector<uint8_t> basic = sim->state().record(7);
  basic[211] = 0;
  ASSERT_TRUE(sim->state().setRecord(7, basic));
  ASSERT_EQ(ed->init(QString::fromStdString(addr)), 0);
  EXPECT_FALSE(ed->deviceInternal());
  QMetaObject::invokeMethod(view, "open");
  for (const char* off : {"btnSetCali2", "btnImportMode"})
    EXPECT_FALSE(devicetest::child(view, off)->property("enabled").toBool()) << off;
  EXPECT_FALSE(cali2Page->property("isImportMode").toBool());  // not carried over to this camera
  devicetest::child(view, "xcaliTabs")->setProperty("xcurrentIndex", 3);
  EXPECT_TRUE(devicetest::child(view, "btnSetCust")->property("enabled").toBool());
  devicetest::child(view, "xcaliTabs")->setProperty("xcurrentIndex", 0);
  EXPECT_FALSE(devicetest::child(view, "btnSetHead")->property("enabled").toBool());
  QMetaObject::invokeMethod(view, "close");
  warnings.stop();
  EXPECT_TRUE(warnings.qmlWarnings().isEmpty()) << warnings.qmlWarnings().join(QLatin1Char('\n')).toStdString();
  top.reset();
  engine.reset();
}
