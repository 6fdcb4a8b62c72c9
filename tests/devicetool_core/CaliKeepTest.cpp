// Every calibration editor against cameras whose blocks hold bytes the tool does not show, counts
// out of range, and values that are not finite: a Set without an edit leaves the camera's block
// byte for byte, an edit changes only its own bytes, nothing non-finite reaches the camera, and one
// editor going from camera to camera writes each camera's own counts. Simulated cameras on
// 127.<run>.62.x; what the camera holds is read from its store, what it received from its log.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <set>

#include "CComEditor.h"
#include "CCustEditor.h"
#include "CDeviceUtilV7R2K.h"
#include "CFixDistEditor.h"
#include "CWeiJuEditor.h"
#include "CXCaliEditor.h"
#include "CaliPython.h"
#include "NetKit.h"
#include "XCaliLayout.h"
#include "camsim/CameraSim.h"
#include "camsim/Wire.h"

namespace {

// The simulator's seeds (calib_blocks.py, xcali_seed.py); `edit` runs on the lens/distance/custom
// keyword dicts `p` of block `b` (and on the XCali bytearray `x`) before packing.
QByteArray seedOf(int block, bool nonfinite, int detType, const QString& edit = {}) {
  if (block == 8)
    return caliPy(QStringLiteral("import xcali_seed\nx = bytearray(xcali_seed.block(%1, 3, 3, %2))\n%3\nout.write(x)")
                      .arg(detType)
                      .arg(nonfinite ? "True" : "False")
                      .arg(edit));
  const char* seedFn = block == 3 ? "cb.seed_cust()" : block == 4 ? "cb.seed_cust(True)"
                       : block == 5 ? "cb.seed_weiju()" : "cb.seed_fixdist()";
  const char* packer = block <= 4 ? "cb.cust" : block == 5 ? "cb.weiju" : "cb.fixdist";
  return caliPy(QStringLiteral("p = %1\nb = %2\nif %3: p = cb.nonfinite(b, p)\n%4\nout.write(%5(**p))")
                    .arg(QLatin1String(seedFn))
                    .arg(block)
                    .arg(nonfinite ? "True" : "False")
                    .arg(edit)
                    .arg(QLatin1String(packer)));
}

struct Cam {
  std::string addr;
  std::unique_ptr<camsim::CameraSim> sim;
  // `edits`: Python per block, as seedOf's `edit`.
  explicit Cam(int host, int detType = 510, bool nonfinite = false, const std::map<int, QString>& edits = {},
               const char* softwareId = "SW-QF-1", const char* cameraId = "KEEP-CAM")
      : addr(ostrel::test::loopbackAddress(62, host)) {
    camsim::CameraSimOptions o;
    o.address = addr;
    o.identity.cameraId = cameraId;
    o.identity.softwareId = softwareId;
    o.tempStream = false;
    o.snapshot = false;
    sim = std::make_unique<camsim::CameraSim>(o);
    EXPECT_EQ(sim->start(), 0);
    for (int b : {3, 4, 5, 7, 8}) {
      const auto e = edits.find(b);
      const QByteArray s = seedOf(b, nonfinite, detType, e == edits.end() ? QString() : e->second);
      sim->command().transfers().putBlock(b, std::vector<uint8_t>(s.begin(), s.end()));
    }
  }
  QString ip() const { return QString::fromStdString(addr); }
  QByteArray block(int b) {
    std::vector<uint8_t> v;
    sim->command().transfers().block(b, &v);
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
  }
  size_t uploads() const { return sim->log().countType(80); }
  // Waits until every exchange the camera received has finished, so an upload's bytes are stored.
  void settle() {
    const uint64_t n = sim->log().countType(78) + sim->log().countType(80);
    EXPECT_TRUE(sim->command().transfers().waitFinished(n, 20000));
  }
};

// Offsets at which two blocks differ.
std::set<int> diff(const QByteArray& a, const QByteArray& b) {
  std::set<int> out;
  EXPECT_EQ(a.size(), b.size());
  for (int i = 0; i < std::min(a.size(), b.size()); ++i)
    if (a[i] != b[i]) out.insert(i);
  return out;
}

std::set<int> span(int from, int n) {
  std::set<int> s;
  for (int i = 0; i < n; ++i) s.insert(from + i);
  return s;
}

bool within(const std::set<int>& changed, const std::set<int>& allowed) {
  for (int i : changed)
    if (!allowed.count(i)) return false;
  return !changed.empty();
}

float f32At(const QByteArray& b, int at) {
  float v;
  std::memcpy(&v, b.constData() + at, 4);
  return v;
}

constexpr int kEntry0 = 64;  // XCali entry 0

TEST(CaliKeep, SetWithoutAnEditKeepsEveryBlockAndAnEditChangesOnlyItsBytes) {
  int host = 1;
  for (int detType : {510, 513}) {  // the VNR and the QJ register family
    SCOPED_TRACE(detType);
    Cam cam(host++, detType);
    QByteArray before[9];
    for (int b : {3, 4, 5, 7, 8}) before[b] = cam.block(b);
    CCustEditor cust;
    CWeiJuEditor weiju;
    CFixDistEditor dist;
    CXCaliEditor xc;
    ASSERT_EQ(cust.init(cam.ip()), 0);
    ASSERT_EQ(weiju.init(cam.ip()), 0);
    ASSERT_EQ(dist.init(cam.ip()), 0);
    ASSERT_EQ(xc.init(cam.ip()), 0);

    // Every Set, nothing edited: each block as the camera had it, and neither the XCali parts
    // nor the custom tables are sent at all.
    EXPECT_EQ(cust.uploadMem(3), 0);
    EXPECT_EQ(cust.uploadMem(4), 0);
    EXPECT_EQ(weiju.uploadMem(0), 0);
    EXPECT_EQ(dist.uploadMem(0), 0);
    EXPECT_EQ(xc.updateHead(), 0);
    EXPECT_EQ(xc.updateCali1(), 0);
    EXPECT_EQ(xc.updateCali2(), 0);
    EXPECT_EQ(xc.updateCust(), 0);
    cam.settle();
    EXPECT_EQ(cam.uploads(), 2u);  // the lens and distance tables
    for (int b : {3, 4, 5, 7, 8}) EXPECT_EQ(cam.block(b), before[b]) << "block " << b;

    // One value each: only its bytes change (the custom table also takes the time of the change).
    cust.cust()->item(1)->setTemp(99.5f);
    EXPECT_EQ(cust.uploadMem(3), 0);
    weiju.file()->len1(2)->setTemp1(66.5f);
    EXPECT_EQ(weiju.uploadMem(0), 0);
    dist.file()->item(4)->setTemp3(55.5f);
    EXPECT_EQ(dist.uploadMem(0), 0);
    xc.cali2()->point(5)->setTemp2(77.5f);
    EXPECT_EQ(xc.updateCali2(), 0);
    xc.cust()->point(1)->setBlackbody(88.5f);
    EXPECT_EQ(xc.updateCust(), 0);
    int regAt;
    int regSize;
    if (detType == 510) {
      xc.cali1()->vnr()->setAd_vr(2.0);  // count 1638
      regAt = kEntry0 + 64 + 6, regSize = 2;
    } else {
      xc.cali1()->qj()->setProperty("x3_poc", 200);
      regAt = kEntry0 + 64 + 24, regSize = 1;
    }
    EXPECT_EQ(xc.updateCali1(), 0);
    cam.settle();
    const int custCell = 272 + 24 * 1 + 4, lensCell = 128 + 192 * 1 + 12 * 2 + 4, distCell = 292 + 80 * 3 + 8 * 4 + 4;
    const int cali2Cell = kEntry0 + 320 + 80 + 288 * 2 + 12 * 5 + 4, custPt = kEntry0 + 1552 + 64 + 12;
    std::set<int> custAllowed = span(0, 8);
    custAllowed.insert(custCell), custAllowed.insert(custCell + 1), custAllowed.insert(custCell + 2),
        custAllowed.insert(custCell + 3);
    EXPECT_TRUE(within(diff(before[3], cam.block(3)), custAllowed));
    EXPECT_FLOAT_EQ(f32At(cam.block(3), custCell), 99.5f);
    EXPECT_EQ(cam.block(4), before[4]);
    EXPECT_TRUE(within(diff(before[5], cam.block(5)), span(lensCell, 4)));
    EXPECT_FLOAT_EQ(f32At(cam.block(5), lensCell), 66.5f);
    EXPECT_TRUE(within(diff(before[7], cam.block(7)), span(distCell, 4)));
    EXPECT_FLOAT_EQ(f32At(cam.block(7), distCell), 55.5f);
    std::set<int> xcAllowed = span(cali2Cell, 4);
    for (int i : span(custPt, 4)) xcAllowed.insert(i);
    for (int i : span(regAt, regSize)) xcAllowed.insert(i);
    const QByteArray x = cam.block(8);
    EXPECT_TRUE(within(diff(before[8], x), xcAllowed));
    EXPECT_FLOAT_EQ(f32At(x, cali2Cell), 77.5f);
    EXPECT_FLOAT_EQ(f32At(x, custPt), 88.5f);
    if (detType == 510)
      EXPECT_EQ(uint8_t(x[regAt]) | uint8_t(x[regAt + 1]) << 8, 1638);
    else
      EXPECT_EQ(uint8_t(x[regAt]), 200);
  }

  // The bad-point list: a file saved without an edit is the file loaded, the bytes after the id's
  // end included; moving one point changes its x only.
  QTemporaryDir dir;
  const QString in = dir.filePath(QStringLiteral("in.com")), out = dir.filePath(QStringLiteral("out.com"));
  const QByteArray file = caliPy(QStringLiteral(
      "out.write(b'BADPT\\0' + bytes(range(0xE0, 0xE0 + 26)) + struct.pack('<3i', 640, 512, 3) + "
      "struct.pack('<6H', 10, 20, 300, 40, 5, 500))"));
  {
    QFile f(in);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(file);
  }
  CComEditor com;
  ASSERT_EQ(com.load(in), 0);
  ASSERT_EQ(com.save(out), 1);
  QFile saved(out);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), file);
  saved.close();
  com.points()[1]->setX(301);
  ASSERT_EQ(com.save(out), 1);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_TRUE(within(diff(file, saved.readAll()), span(44 + 4, 2)));
}

TEST(CaliKeep, NonFiniteInputsAreRefusedAndNothingIsSent) {
  Cam cam(10);
  CCustEditor cust;
  CWeiJuEditor weiju;
  CFixDistEditor dist;
  CXCaliEditor xc;
  ASSERT_EQ(cust.init(cam.ip()), 0);
  ASSERT_EQ(weiju.init(cam.ip()), 0);
  ASSERT_EQ(dist.init(cam.ip()), 0);
  ASSERT_EQ(xc.init(cam.ip()), 0);
  QByteArray before[9];
  for (int b : {3, 4, 5, 7, 8}) before[b] = cam.block(b);

  // A cell or field takes what the view writes as QML does: "1e39" is a finite double that
  // overflows the float; "inf" and "nan" are read as numbers by the conversion.
  const struct {
    QObject* o;
    const char* name;
  } fields[] = {{xc.cali2()->point(0), "blackbody"}, {xc.cali2()->point(0), "temp3"},
                {xc.cali2(), "globalEnvTemp"},       {xc.cali2(), "globalEmissivity"},
                {xc.cali2(), "shell0"},              {xc.cali2(), "shell3"},
                {xc.cust()->point(0), "temp0"},      {xc.cust()->point(0), "blackbody"},
                {cust.cust()->item(0), "temp"},      {cust.cust()->item(0), "blackbody"},
                {weiju.file(), "len1_shell1"},       {weiju.file()->len1(0), "temp2"},
                {dist.file()->item(0), "temp4"}};
  for (const QVariant& bad : {QVariant(1e39), QVariant(-1e39), QVariant(QStringLiteral("inf")),
                              QVariant(QStringLiteral("-inf")), QVariant(QStringLiteral("nan"))}) {
    for (const auto& f : fields) {
      const float was = f.o->property(f.name).toFloat();
      f.o->setProperty(f.name, bad);
      EXPECT_EQ(f.o->property(f.name).toFloat(), was) << f.name << " " << bad.toString().toStdString();
    }
  }
  // Pasted tables: one non-finite number in a taken field refuses the whole paste.
  const float t1 = xc.cali2()->point(0)->temp1(), shell1 = xc.cali2()->shell1();
  for (const char* text : {"20\t\tinf\t\t0\t\t25", "20\t\t30\t\t0\t\tnan", "1e39\t\t30\t\t0\t\t25",
                           "20\t\t30\t\t0\t\t25\n30\t\t-inf\t\t0\t\t25", "20\t\t1e39\t\t0\t\t25"}) {
    EXPECT_EQ(xc.cali2()->importData(QString::fromLatin1(text), 1), -8) << text;
    EXPECT_EQ(xc.cali2()->point(0)->temp1(), t1) << text;
    EXPECT_EQ(xc.cali2()->shell1(), shell1) << text;
  }
  // Nothing took, so the Sets send nothing the camera did not hold.
  EXPECT_EQ(xc.updateCali2(), 0);
  EXPECT_EQ(xc.updateCust(), 0);
  EXPECT_EQ(cust.uploadMem(3), 0);
  cam.settle();
  EXPECT_EQ(cam.uploads(), 0u);
  EXPECT_EQ(weiju.uploadMem(0), 0);
  EXPECT_EQ(dist.uploadMem(0), 0);
  cam.settle();
  for (int b : {3, 4, 5, 7, 8}) EXPECT_EQ(cam.block(b), before[b]) << "block " << b;
  // A number in the unused third field does not matter; a paste of finite numbers is taken.
  EXPECT_EQ(xc.cali2()->importData(QStringLiteral("20\t\t31.5\t\tnan\t\t26"), 1), 1);
  EXPECT_EQ(xc.cali2()->point(0)->temp1(), 31.5f);
  EXPECT_EQ(xc.cali2()->shell1(), 26.0f);
}

TEST(CaliKeep, BlocksHoldingNonFiniteValuesAreMarkedAndNeverSentBack) {
  int host = 20;
  for (int detType : {510, 513}) {
    SCOPED_TRACE(detType);
    Cam cam(host++, detType, /*nonfinite=*/true);
    QByteArray before[9];
    for (int b : {3, 4, 5, 7, 8}) before[b] = cam.block(b);
    CCustEditor cust;
    CWeiJuEditor weiju;
    CFixDistEditor dist;
    CXCaliEditor xc;
    ASSERT_EQ(cust.init(cam.ip()), 0);
    ASSERT_EQ(weiju.init(cam.ip()), 0);
    ASSERT_EQ(dist.init(cam.ip()), 0);
    ASSERT_EQ(xc.init(cam.ip()), 0);
    // The places the seed spoiled, for the view to mark.
    EXPECT_EQ(xc.cali2()->invalidFields(), QStringList({"globalEnvTemp", "shell2", "pointArray.3.temp1",
                                                        "pointArray.5.blackbody"}));
    EXPECT_EQ(xc.cust()->invalidFields(), QStringList({"pointArray.2.temp0", "pointArray.7.blackbody"}));
    EXPECT_EQ(cust.cust()->invalidFields(), QStringList({"itemList.2.temp", "itemList.5.blackbody"}));
    EXPECT_EQ(weiju.file()->invalidFields(),
              QStringList({"len1_shell2", "len1_bb_array.4.temp1", "len2_bb_array.1.blackbody"}));
    EXPECT_EQ(dist.file()->invalidFields(), QStringList({"itemArray.3.temp4", "itemArray.6.blackbody"}));

    // An edit elsewhere does not make them sendable: every Set refuses and nothing goes out.
    xc.cali2()->point(0)->setTemp0(1.5f);
    xc.cust()->point(0)->setTemp0(1.5f);
    cust.cust()->item(0)->setTemp(1.5f);
    weiju.file()->len1(0)->setTemp0(1.5f);
    dist.file()->item(0)->setTemp0(1.5f);
    EXPECT_EQ(xc.updateCali2(), -8);
    EXPECT_EQ(xc.updateCust(), -8);
    EXPECT_EQ(cust.uploadMem(3), -8);
    EXPECT_EQ(weiju.uploadMem(0), -8);
    EXPECT_EQ(dist.uploadMem(0), -8);
    cam.settle();
    EXPECT_EQ(cam.uploads(), 0u);
    for (int b : {3, 4, 5, 7, 8}) EXPECT_EQ(cam.block(b), before[b]) << "block " << b;

    // Once the user replaced them, the part goes out.
    xc.cali2()->setGlobalEnvTemp(25.0f);
    xc.cali2()->setShell2(40.0f);
    xc.cali2()->point(3)->setTemp1(50.5f);
    xc.cali2()->point(5)->setBlackbody(70.0f);
    EXPECT_TRUE(xc.cali2()->invalidFields().isEmpty());
    EXPECT_EQ(xc.updateCali2(), 0);
    cam.settle();
    EXPECT_EQ(cam.uploads(), 1u);
    const QByteArray x = cam.block(8);
    EXPECT_FLOAT_EQ(f32At(x, kEntry0 + 320 + 56), 25.0f);
    EXPECT_FLOAT_EQ(f32At(x, kEntry0 + 320 + 80 + 12 * 5), 70.0f);
  }
}

TEST(CaliKeep, OneEditorOnTwoCamerasWritesEachCamerasOwnCounts) {
  // Camera B holds counts no editor takes: the custom count 17, lens counts 5, 17 and 200,
  // distance counts 6 and 11, an XCali calibration count of 12.
  Cam a(30);
  Cam b(31, 510, false,
        {{3, QStringLiteral("p['count'] = 17")},
         {5, QStringLiteral("p['env'] = 5; p['bb1'] = 17; p['bb2'] = 200")},
         {7, QStringLiteral("p['dcount'] = 6; p['bcount'] = 11")},
         {8, QStringLiteral("x[3] = 12")}});
  CCustEditor cust;
  CWeiJuEditor weiju;
  CFixDistEditor dist;
  CXCaliEditor xc;
  for (Cam* cam : {&a, &b, &a}) {
    ASSERT_EQ(cust.init(cam->ip()), 0);
    ASSERT_EQ(weiju.init(cam->ip()), 0);
    ASSERT_EQ(dist.init(cam->ip()), 0);
    ASSERT_EQ(xc.init(cam->ip()), 0);
    QByteArray before[9];
    for (int k : {3, 5, 7, 8}) before[k] = cam->block(k);
    const float v = cust.cust()->item(0)->temp() + 1.0f;
    cust.cust()->item(0)->setTemp(v);
    weiju.file()->len1(0)->setTemp0(v);
    dist.file()->item(0)->setTemp0(v);
    xc.cali2()->point(0)->setTemp0(v);
    EXPECT_EQ(cust.uploadMem(3), 0);
    EXPECT_EQ(weiju.uploadMem(0), 0);
    EXPECT_EQ(dist.uploadMem(0), 0);
    EXPECT_EQ(xc.updateCali2(), 0);
    EXPECT_EQ(xc.updateHead(), 0);
    cam->settle();
    std::set<int> custAllowed = span(0, 8);
    for (int i : span(272 + 4, 4)) custAllowed.insert(i);
    EXPECT_TRUE(within(diff(before[3], cam->block(3)), custAllowed)) << cam->addr;
    EXPECT_TRUE(within(diff(before[5], cam->block(5)), span(128 + 4, 4))) << cam->addr;
    EXPECT_TRUE(within(diff(before[7], cam->block(7)), span(292 + 4, 4))) << cam->addr;
    EXPECT_TRUE(within(diff(before[8], cam->block(8)), span(kEntry0 + 320 + 80 + 4, 4))) << cam->addr;
  }
}

TEST(CaliKeep, TheDetectorOffsetKeepsItsCountOverTenSets) {
  Cam cam(40, 510, false, {}, "V7R2K-QPX-1", "K\xc3\xa4mera-\xe2\x84\x96" "1");
  CDeviceUtilV7R2K util;
  for (int count : {31, 59, 62, 105, -819, -31, 1}) {
    std::vector<uint8_t> rec = cam.sim->state().record(120);
    rec[18] = uint8_t(count), rec[19] = uint8_t(count >> 8);
    ASSERT_TRUE(cam.sim->state().setRecord(120, rec));
    // Each Set reads the register again, as reopening the view does.
    for (int i = 0; i < 10; ++i) {
      ASSERT_GE(util.init(cam.ip()), 0);
      ASSERT_EQ(util.applyVolOffset(), 0);
      const std::vector<uint8_t> now = cam.sim->state().record(120);
      ASSERT_EQ(int16_t(now[18] | now[19] << 8), count) << "set " << i;
    }
  }
  EXPECT_EQ(util.deviceId(), QString::fromUtf8("K\xc3\xa4mera-\xe2\x84\x96" "1"));
  // A typed offset by the scaled fields' rule: 1.0 V is 819 counts, -0.5 V -409.5, cut to -409,
  // and the volts a count shows (59 x 5 / 4095, which times 819 lies just below 59) that count.
  for (const auto& [volts, count] : {std::pair{1.0, 819}, {-0.5, -409}, {59 * 5.0 / 4095.0, 59}, {0.0, 0}}) {
    util.setVolOffset(volts);
    ASSERT_EQ(util.applyVolOffset(), 0);
    const std::vector<uint8_t> now = cam.sim->state().record(120);
    EXPECT_EQ(int16_t(now[18] | now[19] << 8), count) << volts;
  }
}

TEST(CaliKeep, ALegacyNoteSurvivesAPointEditAndARefusedReadDisablesTheTables) {
  // A note another program wrote in a legacy 8-bit encoding, with bytes after its end.
  Cam cam(50, 510, false, {{3, QStringLiteral("p['note'] = ''")}});
  QByteArray legacy = cam.block(3);
  const QByteArray note = QByteArray("Kalibrierung 23\xb0" "C \xe4\xf6\xfc\0\x7f\x7e", 23);
  legacy.replace(8, note.size(), note);
  cam.sim->command().transfers().putBlock(3, std::vector<uint8_t>(legacy.begin(), legacy.end()));
  CCustEditor cust;
  ASSERT_EQ(cust.init(cam.ip()), 0);
  cust.cust()->item(3)->setBlackbody(123.5f);
  EXPECT_EQ(cust.uploadMem(3), 0);
  cam.settle();
  const QByteArray after = cam.block(3);
  EXPECT_EQ(after.mid(8, 256), legacy.mid(8, 256));
  std::set<int> allowed = span(0, 8);
  for (int i : span(272 + 24 * 3, 4)) allowed.insert(i);
  EXPECT_TRUE(within(diff(legacy, after), allowed));
  // A note the user changes is written as UTF-8.
  cust.cust()->setNote(QStringLiteral("neu \u00b0C"));
  EXPECT_EQ(cust.uploadMem(3), 0);
  cam.settle();
  EXPECT_EQ(cam.block(3).mid(8, 10), QByteArray("neu \xc2\xb0" "C\0\0\0", 10));

  // The second range's read refused: neither table stays editable, and the login is released.
  ASSERT_TRUE(cust.cust()->editEnable());
  ASSERT_EQ(cust.init(cam.ip()), 0);
  ASSERT_TRUE(cust.cust2()->editEnable());
  // Block 4 gone from the camera: its read is refused after block 3's succeeded.
  Cam other(51, 510, false, {}, "SW-QF-1");
  std::vector<uint8_t> none;
  other.sim->command().transfers().putBlock(4, none);
  EXPECT_LT(cust.init(other.ip()), 0);
  EXPECT_FALSE(cust.cust()->editEnable());
  EXPECT_FALSE(cust.cust2()->editEnable());
  EXPECT_FALSE(cust.loggedIn());
}

}  // namespace
