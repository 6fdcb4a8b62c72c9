// The calibration tables against Python struct goldens, their local files, the editors on
// simulated cameras (what each sends, read from the observation log and the camera's store), and
// the bad-point list against the SDK's own check.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstring>
#include <sys/resource.h>
#include <csignal>

#include "CComEditor.h"
#include "CCustEditor.h"
#include "CFixDistEditor.h"
#include "CWeiJuEditor.h"
#include "CaliPython.h"
#include "NetKit.h"
#include "OstrelSDK.h"
#include "camsim/CameraSim.h"

namespace {

QByteArray seed(int block) {
  return caliPy(QStringLiteral("out.write(cb.seeds()[%1])").arg(block));
}

template <typename Rec>
QByteArray bytesOf(const Rec& r) {
  return QByteArray(reinterpret_cast<const char*>(&r), sizeof r);
}

template <typename Rec>
void setImage(Rec* r, const QByteArray& b) {
  ASSERT_EQ(size_t(b.size()), sizeof *r);
  std::memcpy(r, b.constData(), sizeof *r);
}

bool writeBytes(const QString& path, const QByteArray& data) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(CaliRecords, CustomLensAndDistanceTablesMatchPythonBothWays) {
  // Custom: the seed loads as packed; counts out of range are ignored; the note is cut on a whole
  // character; the bytes the editor does not use come back as they were.
  CCustFile cust;
  setImage(&cust.image(), seed(3));
  cust.loadFromImage();
  EXPECT_EQ(cust.note(), QStringLiteral("range one \u00b0C"));
  EXPECT_EQ(cust.itemCount(), 3);
  EXPECT_FLOAT_EQ(cust.item(15)->temp(), 170.5f);
  const QDateTime t = QDateTime(QDate(2024, 1, 2), QTime(3, 4, 25), QTimeZone::utc()).toLocalTime();
  EXPECT_EQ(cust.timestamp(), t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
  EXPECT_EQ(CCustFile::filetimeText(116444736000000000ULL),
            QDateTime::fromMSecsSinceEpoch(0).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
  for (int bad : {17, -1}) {
    cust.image().count = bad;
    cust.loadFromImage();
    EXPECT_EQ(cust.itemCount(), 3);
  }
  cust.setItemCount(17);
  EXPECT_EQ(cust.itemCount(), 3);
  const QString note = QString(254, QLatin1Char('a')) + QStringLiteral("\u00e9\u00e9");  // 258 bytes
  cust.setNote(note);
  cust.setItemCount(5);
  cust.item(4)->setBlackbody(40.0f);
  cust.item(4)->setTemp(std::nanf(""));  // refused: the cell keeps its number
  cust.storeToImage(133486382650000000ULL);
  EXPECT_EQ(bytesOf(cust.image()),
            caliPy(QStringLiteral("p = cb.seed_cust(); p['note'] = 'a' * 254 + '\u00e9\u00e9'; p['count'] = 5\n"
                              "p['points'][4] = (40.0, p['points'][4][1]); out.write(cb.cust(**p))")));
  EXPECT_EQ(cust.image().note[254], 0);  // 'a' x 254: the first e-acute would end at byte 256

  // Lens: every row of the four shell tables; counts above their limits are ignored on load and
  // store; bytes 4-35 and 56-127 and the third floats are the camera's and kept.
  CWeiJuFile weiju;
  EXPECT_EQ(weiju.cali_mode(), 2);
  setImage(&weiju.image(), seed(5));
  weiju.image().len1EnvCount = 5;
  weiju.loadFromImage();
  EXPECT_EQ(weiju.len1_env_count(), 0);
  weiju.image().len1EnvCount = 2;
  weiju.loadFromImage();
  EXPECT_EQ(weiju.len1_env_count(), 2);
  EXPECT_EQ(weiju.len1_bb_count(), 3);
  EXPECT_FLOAT_EQ(weiju.len1_shell1(), 30.0f);
  EXPECT_FLOAT_EQ(weiju.len1(3)->temp2(), 51.25f);
  EXPECT_FLOAT_EQ(weiju.len2(15)->temp0(), 176.0f);
  weiju.setLen1_bb_count(17);
  weiju.setLen1_bb_count(4);
  weiju.len1(3)->setBlackbody(40.0f);
  weiju.len1(3)->setTemp3(std::numeric_limits<float>::infinity());
  weiju.setLen1_shell3(55.5f);
  weiju.storeToImage();
  EXPECT_EQ(bytesOf(weiju.image()),
            caliPy(QStringLiteral("p = cb.without_row(cb.seed_weiju(), 3); p['bb1'] = 4\n"
                              "p['shells'] = (10.0, 30.0, 0.0, 55.5); p['rows1'][3] = (40.0, *p['rows1'][3][1:])\n"
                              "out.write(cb.weiju(**p))")));
  float at164;
  std::memcpy(&at164, reinterpret_cast<const char*>(&weiju.image()) + 164, 4);
  EXPECT_FLOAT_EQ(at164, 40.0f);

  // Distance: a fresh file stores zeros but for its values; row 9 at distance 4 lands at 684.
  CFixDistFile fresh;
  fresh.item(9)->setBlackbody(90.0f);
  fresh.item(9)->setTemp4(88.5f);
  fresh.storeToImage();
  EXPECT_EQ(bytesOf(fresh.image()),
            caliPy(QStringLiteral("r = [(0.0,) * 6] * 9 + [(90.0, 0.0, 0.0, 0.0, 0.0, 88.5)]\n"
                              "out.write(cb.fixdist(0, 0, (0, 0, 0, 0, 0), r))")));
  CFixDistFile dist;
  setImage(&dist.image(), seed(7));
  dist.image().distCount = 6;
  dist.loadFromImage();
  EXPECT_EQ(dist.distCount(), 0);
  EXPECT_EQ(dist.bbCount(), 4);
  EXPECT_EQ(dist.dist2(), 10);
  EXPECT_FLOAT_EQ(dist.item(2)->temp3(), 37.0f);
  dist.setBbCount(11);
  EXPECT_EQ(dist.bbCount(), 4);
  dist.setBbCount(10);
  dist.setDistCount(3);
  dist.setDist3(20);
  dist.storeToImage();
  EXPECT_EQ(bytesOf(dist.image()),
            caliPy(QStringLiteral("p = cb.seed_fixdist(); p['bcount'] = 10\n"
                              "p['dists'] = (1, 5, 10, 20, 0); out.write(cb.fixdist(**p))")));
}

struct SimCamera {
  camsim::CameraSim sim;
  explicit SimCamera(const std::string& addr, const char* softwareId)
      : sim([&] {
          camsim::CameraSimOptions o;
          o.address = addr;
          o.identity.cameraId = "CALI-EDIT-1";
          o.identity.softwareId = softwareId;
          o.tempStream = false;
          o.snapshot = false;
          return o;
        }()) {
    EXPECT_EQ(sim.start(), 0);
    for (int b : {3, 4, 5, 7}) {
      const QByteArray s = seed(b);
      sim.command().transfers().putBlock(b, std::vector<uint8_t>(s.begin(), s.end()));
    }
  }
  // Block kinds of the memory downloads the camera served.
  std::vector<int> downloads() {
    std::vector<int> kinds;
    for (const camsim::Observation& o : sim.log().snapshot())
      if (o.type == 78) kinds.push_back(int(o.bytes[4] | o.bytes[5] << 8));
    return kinds;
  }
  QByteArray block(int b) {
    std::vector<uint8_t> v;
    sim.command().transfers().block(b, &v);
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
  }
  // Runs an upload and waits until the camera finished every exchange it received (a download
  // may be counted finished after its call returned), so the upload's bytes are stored.
  int upload(const std::function<int()>& call) {
    const int r = call();
    const size_t exchanges = sim.log().countType(78) + sim.log().countType(80);
    EXPECT_TRUE(sim.command().transfers().waitFinished(exchanges, 20000));
    return r;
  }
};

TEST(CaliEditorsOnCamera, RangeGateLoginsUploadsAndFailedReads) {
  // Two ranges only for "QB", "QF" or "QH" anywhere in the software id, case-sensitive.
  const struct {
    const char* sw;
    bool two;
  } ids[] = {{"SW-QB-1", true}, {"X2QF", true}, {"QH", true}, {"SW-qf-2", false}, {"SW-SIM-1.0", false}};
  int host = 80;
  CCustEditor ed;  // one editor going from camera to camera, as the view's
  for (const auto& id : ids) {
    const std::string addr = ostrel::test::loopbackAddress(44, host++);
    SimCamera cam(addr, id.sw);
    ASSERT_EQ(ed.init(QString::fromStdString(addr)), 0) << id.sw;
    EXPECT_EQ(ed.tempRangeSingle(), !id.two) << id.sw;
    EXPECT_EQ(cam.downloads(), id.two ? std::vector<int>({3, 4}) : std::vector<int>({3})) << id.sw;
    EXPECT_EQ(ed.deviceId(), QStringLiteral("CALI-EDIT-1"));
    if (id.two) {
      EXPECT_EQ(ed.cust2()->note(), QStringLiteral("second range"));
    }
    // The second table of a one-range camera was never read: it is not sent.
    EXPECT_EQ(ed.cust2()->editEnable(), id.two) << id.sw;
    if (!id.two) {
      EXPECT_EQ(ed.uploadMem(4), -7);
    }
  }

  const std::string addr = ostrel::test::loopbackAddress(44, host);
  SimCamera cam(addr, "SW-QF-9");
  CCustEditor cust;
  CWeiJuEditor weiju;
  CFixDistEditor dist;
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("t.weiju"));
  // Nothing without a login, and nothing reaches the camera.
  EXPECT_EQ(cust.downloadMem(3), -7);
  EXPECT_EQ(cust.uploadMem(4), -7);
  EXPECT_EQ(cust.downloadMem(5), -8);
  EXPECT_EQ(weiju.uploadMem(0), -7);
  EXPECT_EQ(weiju.load(file), -7);
  EXPECT_EQ(weiju.save(file), -7);
  EXPECT_EQ(dist.downloadMem(0), -7);
  EXPECT_EQ(cam.sim.log().count(), 0u);

  // Uploads equal the goldens.
  const QString ip = QString::fromStdString(addr);
  ASSERT_EQ(cust.init(ip), 0);
  cust.cust2()->setNote(QStringLiteral("edited"));
  const qint64 before = QDateTime::currentSecsSinceEpoch();
  ASSERT_EQ(cam.upload([&] { return cust.uploadMem(4); }), 0);
  const QByteArray sent4 = cam.block(4);
  ASSERT_EQ(sent4.size(), 656);
  uint64_t ft;
  std::memcpy(&ft, sent4.constData(), 8);
  const qint64 secs = qint64((ft - 116444736000000000ULL) / 10000000ULL);
  EXPECT_GE(secs, before);
  EXPECT_LE(secs, QDateTime::currentSecsSinceEpoch());
  EXPECT_EQ(sent4, caliPy(QStringLiteral("p = cb.seed_cust(True); p['note'] = 'edited'; p['filetime'] = %1\n"
                                     "out.write(cb.cust(**p))")
                        .arg(ft)));
  EXPECT_EQ(cam.block(3), seed(3));  // the other range untouched

  ASSERT_EQ(weiju.init(ip), 0);
  EXPECT_EQ(weiju.file()->len1_bb_count(), 3);
  weiju.file()->len1(3)->setBlackbody(40.0f);
  ASSERT_EQ(cam.upload([&] { return weiju.uploadMem(0); }), 0);
  EXPECT_EQ(cam.block(5), caliPy(QStringLiteral("p = cb.without_row(cb.seed_weiju(), 3)\n"
                                            "p['rows1'][3] = (40.0, *p['rows1'][3][1:]); out.write(cb.weiju(**p))")));

  ASSERT_EQ(dist.init(ip), 0);
  dist.file()->item(0)->setTemp4(1.5f);
  ASSERT_EQ(cam.upload([&] { return dist.uploadMem(0); }), 0);
  EXPECT_EQ(cam.block(7), caliPy(QStringLiteral("p = cb.seed_fixdist()\n"
                                            "p['rows'][0] = (*p['rows'][0][:5], 1.5); out.write(cb.fixdist(**p))")));

  // A failed read keeps the values and refuses the next upload until a read succeeds.
  camsim::TransferFaults refuse;
  refuse.status = -1;
  cam.sim.command().transfers().setFaults(refuse);
  weiju.file()->len1(3)->setBlackbody(41.0f);
  EXPECT_LT(weiju.downloadMem(0), 0);
  EXPECT_FLOAT_EQ(weiju.file()->len1(3)->blackbody(), 41.0f);
  EXPECT_EQ(weiju.uploadMem(0), -7);
  EXPECT_LT(cust.downloadMem(3), 0);
  EXPECT_FALSE(cust.cust()->editEnable());
  EXPECT_TRUE(cust.cust2()->editEnable());
  EXPECT_EQ(cust.uploadMem(3), -7);
  cam.sim.command().transfers().setFaults({});
  EXPECT_EQ(weiju.downloadMem(0), 0);
  EXPECT_FLOAT_EQ(weiju.file()->len1(3)->blackbody(), 40.0f);

  // A block of another size is refused whole.
  cam.sim.command().transfers().putBlock(7, std::vector<uint8_t>(600, 0x33));
  dist.file()->setDist0(99);
  EXPECT_EQ(dist.downloadMem(0), -194);
  EXPECT_EQ(dist.file()->dist0(), 99);
  EXPECT_EQ(dist.uploadMem(0), -7);

  // A camera that refuses the first read opens no editor and keeps no login.
  cam.sim.command().transfers().setFaults(refuse);
  CWeiJuEditor other;
  EXPECT_LT(other.init(ip), 0);
  EXPECT_FALSE(other.loggedIn());
  cam.sim.command().transfers().setFaults({});

  // Local files: exact size, tag and counts; a refused file changes nothing; a failed write keeps
  // the earlier file.
  ASSERT_EQ(weiju.save(file), 1);
  const QByteArray saved = readBytes(file);
  EXPECT_EQ(saved, bytesOf(weiju.file()->image()));
  EXPECT_EQ(quint32(saved[0] & 0xFF) | quint32(saved[1] & 0xFF) << 8 | quint32(saved[2] & 0xFF) << 16 |
                quint32(saved[3] & 0xFF) << 24,
            20250224u);
  const QByteArray image = bytesOf(weiju.file()->image());
  const QString bad = dir.filePath(QStringLiteral("bad.weiju"));
  const struct {
    QByteArray bytes;
    int code;
  } refused[] = {{saved.left(1000), -198},
                 {saved + QByteArray(1, '\0'), -194},
                 {QByteArray(4, '\x01') + saved.mid(4), -194},
                 {saved.left(37) + QByteArray(1, '\x05') + saved.mid(38), -194}};
  for (const auto& r : refused) {
    ASSERT_TRUE(writeBytes(bad, r.bytes));
    EXPECT_EQ(weiju.load(bad), r.code);
    EXPECT_EQ(bytesOf(weiju.file()->image()), image);
    EXPECT_FLOAT_EQ(weiju.file()->len1(3)->blackbody(), 40.0f);
  }
  EXPECT_EQ(weiju.load(dir.filePath(QStringLiteral("none"))), -200);
  weiju.file()->len1(3)->setBlackbody(12.0f);
  EXPECT_EQ(weiju.load(file), 0);
  EXPECT_FLOAT_EQ(weiju.file()->len1(3)->blackbody(), 40.0f);

  const QString distFile = dir.filePath(QStringLiteral("t.fixdist"));
  ASSERT_EQ(dist.downloadMem(0), -194);  // still the short block
  cam.sim.command().transfers().putBlock(7, [] {
    const QByteArray s = seed(7);
    return std::vector<uint8_t>(s.begin(), s.end());
  }());
  ASSERT_EQ(dist.downloadMem(0), 0);
  ASSERT_EQ(dist.save(distFile), 1);
  // The SDK's own reader takes the saved table.
  FixDistContext* ctx = FixDist_Create();
  EXPECT_EQ(FixDist_Init(ctx, distFile.toUtf8().constData(), 100, 0), 0);
  FixDist_Free(&ctx);
  QByteArray wrongCount = readBytes(distFile);
  wrongCount[268] = 11;
  ASSERT_TRUE(writeBytes(bad, wrongCount));
  EXPECT_EQ(dist.load(bad), -194);
  ASSERT_TRUE(writeBytes(bad, readBytes(distFile).left(695)));
  EXPECT_EQ(dist.load(bad), -198);

  // A write that fails part-way (the file size limit) leaves the earlier file whole.
  struct rlimit old {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 100;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  weiju.file()->len1(3)->setBlackbody(77.0f);
  const int r = weiju.save(file);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(r, -197);
  EXPECT_EQ(readBytes(file), saved);
  EXPECT_EQ(weiju.save(dir.filePath(QStringLiteral("no/such/folder.weiju"))), -200);

  // free() ends the login: the next upload is refused.
  weiju.free();
  EXPECT_EQ(weiju.uploadMem(0), -7);
}

QByteArray comFile(const char* id, int32_t w, int32_t h, int32_t count, int points) {
  QByteArray out(44, '\0');
  std::memcpy(out.data(), id, std::min<size_t>(std::strlen(id), 32));
  const int32_t head[3] = {w, h, count};
  std::memcpy(out.data() + 32, head, sizeof head);
  for (int i = 0; i < points; ++i) {
    const uint16_t p[2] = {uint16_t(i % w), uint16_t(i / w)};
    out.append(reinterpret_cast<const char*>(p), 4);
  }
  return out;
}

int addPoint(CComEditor* ed, int x, int y) {
  CComPoint p;
  p.setX(x);
  p.setY(y);
  return ed->point_create(&p);
}

TEST(ComEditor, LimitsWrappedCountsAndTheCamerasCheck) {
  QTemporaryDir dir;
  const QString fn = dir.filePath(QStringLiteral("list.bad"));
  CComEditor ed;
  ASSERT_EQ(addPoint(&ed, 10, 20), 0);
  // 44 + 4 x (2^30 + 1) wraps to 48 in 32 bits: refused, and nothing changes.
  ASSERT_TRUE(writeBytes(fn, comFile("X", 640, 512, (1 << 30) + 1, 1)));
  EXPECT_EQ(ed.load(fn), -194);
  ASSERT_TRUE(writeBytes(fn, comFile("X", 640, 512, 3, 2)));
  EXPECT_EQ(ed.load(fn), -194);
  ASSERT_TRUE(writeBytes(fn, comFile("X", 640, 512, 1, 2)));  // a longer file too
  EXPECT_EQ(ed.load(fn), -194);
  ASSERT_TRUE(writeBytes(fn, QByteArray(43, '\0')));
  EXPECT_EQ(ed.load(fn), -194);
  EXPECT_EQ(ed.load(dir.filePath(QStringLiteral("none"))), -200);
  ASSERT_EQ(ed.points().size(), 1);
  EXPECT_EQ(ed.deviceWidth(), 0);
  ASSERT_TRUE(writeBytes(fn, comFile("X", 640, 512, 0, 0)));
  EXPECT_EQ(ed.load(fn), 0);
  EXPECT_TRUE(ed.points().isEmpty());
  EXPECT_EQ(ed.deviceWidth(), 640);

  // Duplicates and coordinates the file cannot hold are refused: (70000, 5) would mark (4464, 5).
  EXPECT_EQ(addPoint(&ed, 4464, 5), 0);
  EXPECT_EQ(addPoint(&ed, 70000, 5), -8);
  EXPECT_EQ(addPoint(&ed, -1, 5), -8);
  EXPECT_EQ(addPoint(&ed, 4464, 5), -8);
  EXPECT_EQ(ed.point_create(nullptr), -8);
  CComPoint stranger;
  EXPECT_EQ(ed.point_delete(&stranger), -8);
  EXPECT_EQ(ed.point_delete(ed.points()[0]), 0);
  ed.point_clear();

  // The 4096-point limit, and 4096 points as 16428 bytes that load back equal.
  for (int i = 0; i < 4095; ++i) ASSERT_EQ(addPoint(&ed, i % 640, i / 640), 0);
  EXPECT_EQ(addPoint(&ed, 65535, 65535), 0);
  EXPECT_EQ(addPoint(&ed, 1, 1000), -7);
  ed.setDeviceId(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd"));  // 40 characters
  ASSERT_EQ(ed.save(fn), 1);
  const QByteArray full = readBytes(fn);
  EXPECT_EQ(full.size(), 16428);
  EXPECT_EQ(full.left(32), QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"));
  CComEditor back;
  ASSERT_EQ(back.load(fn), 0);
  ASSERT_EQ(back.points().size(), 4096);
  for (int i = 0; i < 4096; ++i) {
    ASSERT_EQ(back.points()[i]->x(), ed.points()[i]->x()) << i;
    ASSERT_EQ(back.points()[i]->y(), ed.points()[i]->y()) << i;
  }
  EXPECT_EQ(back.deviceId(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"));

  // The camera's check (the SDK's Com_CheckFile) takes 500 saved points and refuses 501.
  CComEditor cam;
  cam.setDeviceId(QStringLiteral("CALI-EDIT-1"));
  cam.setDeviceWidth(640);
  cam.setDeviceHeight(512);
  for (int i = 0; i < 501; ++i) ASSERT_EQ(addPoint(&cam, i % 640, i / 640), 0);
  uint8_t check[40] = {};
  std::memcpy(check, "CALI-EDIT-1", 11);
  const int32_t size[2] = {640, 512};
  std::memcpy(check + 32, size, 8);
  ASSERT_EQ(cam.save(fn), 1);
  EXPECT_EQ(Com_CheckFile(fn.toUtf8().constData(), check), -194);
  ASSERT_EQ(cam.point_delete(cam.points().back()), 0);
  ASSERT_EQ(cam.save(fn), 1);
  EXPECT_EQ(readBytes(fn).size(), 44 + 4 * 500);
  EXPECT_EQ(Com_CheckFile(fn.toUtf8().constData(), check), 0);
}

}  // namespace
