// The pan-tilt and lens module against the simulated camera on its loopback addresses (third byte 27): the records the camera
// received, byte by byte; positions from the camera's answers; a second command while a slow one
// runs; the autofocus region; a closed and a reopened camera; binding.
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <cstring>

#include "NetKit.h"
#include "ChartsSupport.h"
#include "camsim/CameraSim.h"
#include "inputs/CInputIr.h"
#include "modules/CModuleInputIr.h"
#include "modules/CModulePtz.h"
#include "workspace/CTabManager.h"
#include "modules/ModuleCanvas.h"

namespace {

using namespace charts;

QString qaddr(int host) { return QString::fromStdString(ostrel::test::loopbackAddress(27, host)); }

class NullCanvas : public QObject, public ModuleCanvas {
 public:
  void setTfm_module(QObject*) override {}
  int beginUpdate(int, int) override { return 0; }
  void endUpdate() override {}
  int updateData(TempData*) override { return 0; }
  void setItemDefs(const MeaItem*, int) override {}
  int getItemDefs(MeaItem*, int) override { return 0; }
  void setInfoText(const QString&) override {}
  void setShowInfo(bool) override {}
  void setPaletteType(int) override {}
};

int32_t i32(const std::vector<uint8_t>& b, size_t at) {
  int32_t v;
  std::memcpy(&v, &b[at], 4);
  return v;
}
int16_t i16(const std::vector<uint8_t>& b, size_t at) {
  int16_t v;
  std::memcpy(&v, &b[at], 2);
  return v;
}

// One simulated camera, its input, an open live module and a bound pan-tilt module.
class PtzModule : public ::testing::Test {
 protected:
  void start(int host) {
    camsim::CameraSimOptions o;
    o.address = qaddr(host).toStdString();
    o.identity.dataWidth = 160;
    o.identity.dataHeight = 120;
    o.identity.dataFps = 10;
    sim_ = std::make_unique<camsim::CameraSim>(o);
    ASSERT_EQ(sim_->start(), 0);
    ASSERT_EQ(Ostrel_InitSDK(), 0);
    sdk_ = true;
    ASSERT_TRUE(dir_.isValid());
    CameraBasicInfoRecord rec{};
    ASSERT_EQ(CInputIr::testLogin(qaddr(host), &rec), 0);
    camera_ = std::make_unique<CInputIr>(qaddr(host), rec);
    camera_->setConfigDir(dir_.path());
    live_.reset(qobject_cast<CModuleInputIr*>(manager_.module_create(1, camera_.get(), manager_.tab_create()->frame(0))));
    ASSERT_NE(live_, nullptr);
    live_->setTempCanvas(&canvas_);
    ASSERT_EQ(live_->loadData(), 0);
    ASSERT_TRUE(camera_->isOpen());
    ptz_ = std::make_unique<CModulePtz>();
    ptz_->ir_create(live_.get());
    ASSERT_EQ(ptz_->ir(), live_.get());
  }
  void TearDown() override {
    ptz_.reset();
    live_.reset();
    camera_.reset();
    if (sdk_) Ostrel_FreeSDK();
    if (sim_) sim_->stop();
  }
  // The 68-byte records (type 56) or 10-byte records (type 6) received so far, header removed.
  std::vector<std::vector<uint8_t>> records(uint16_t type) {
    std::vector<std::vector<uint8_t>> out;
    for (const camsim::Observation& o : sim_->log().snapshot())
      if (o.type == type) out.emplace_back(o.bytes.begin() + 4, o.bytes.end());
    return out;
  }
  std::vector<uint8_t> lastRecord(uint16_t type) {
    auto all = records(type);
    return all.empty() ? std::vector<uint8_t>() : all.back();
  }

  QTemporaryDir dir_;
  std::unique_ptr<camsim::CameraSim> sim_;
  bool sdk_ = false;
  CTabManager manager_;
  NullCanvas canvas_;
  std::unique_ptr<CInputIr> camera_;
  std::unique_ptr<CModuleInputIr> live_;
  std::unique_ptr<CModulePtz> ptz_;
};

bool allZero(const std::vector<uint8_t>& b, size_t from, size_t to) {
  for (size_t i = from; i < to; ++i)
    if (b[i] != 0) return false;
  return true;
}

TEST_F(PtzModule, RecordsReachTheCameraByteByByteAndAnswersSetThePositions) {
  ASSERT_NO_FATAL_FAILURE(start(1));
  EXPECT_EQ(ptz_->moduleName(), QStringLiteral("ptz-") + camera_->inputName());
  EXPECT_EQ(live_->subModulePtz(), ptz_.get());

  ASSERT_EQ(ptz_->ptzSetPTZ(1234, -567, 0), 0);
  std::vector<uint8_t> r = lastRecord(56);
  ASSERT_EQ(r.size(), 68u);
  EXPECT_EQ(i32(r, 0), 14);
  EXPECT_EQ(r[4], 19);
  EXPECT_TRUE(allZero(r, 5, 8));
  EXPECT_EQ(i32(r, 8), 1234);
  EXPECT_EQ(i32(r, 12), -567);
  EXPECT_EQ(i32(r, 16), 0);
  EXPECT_TRUE(allZero(r, 20, 68));

  QSignalSpy pan(ptz_.get(), &CModulePtz::ptzPanChanged);
  QSignalSpy tilt(ptz_.get(), &CModulePtz::ptzTiltChanged);
  ASSERT_EQ(ptz_->ptzGetPTZ(), 0);
  r = lastRecord(56);
  EXPECT_EQ(i32(r, 0), 14);
  EXPECT_EQ(r[4], 18);
  EXPECT_TRUE(allZero(r, 5, 68));
  EXPECT_EQ(ptz_->ptzPan(), 1234);
  EXPECT_EQ(ptz_->ptzTilt(), -567);
  EXPECT_EQ(pan.count(), 1);
  EXPECT_EQ(tilt.count(), 1);
  ASSERT_EQ(ptz_->ptzGetPTZ(), 0);
  EXPECT_EQ(pan.count(), 1);  // unchanged: no signal

  ASSERT_EQ(ptz_->ptzControl(17, 200), 0);
  r = lastRecord(56);
  EXPECT_EQ(i32(r, 0), 14);
  EXPECT_EQ(r[4], 17);
  EXPECT_EQ(r[5], 200);
  EXPECT_TRUE(allZero(r, 6, 68));

  ASSERT_EQ(ptz_->focusXFAbs(500), 0);
  r = lastRecord(56);
  EXPECT_EQ(i32(r, 0), 17);
  EXPECT_EQ(i32(r, 4), 500);
  EXPECT_TRUE(allZero(r, 8, 68));
  EXPECT_EQ(ptz_->xfCur(), 500);
  ASSERT_EQ(ptz_->focusXFRel(-100), 0);
  EXPECT_EQ(i32(lastRecord(56), 0), 18);
  EXPECT_EQ(ptz_->xfCur(), 400);
  ASSERT_EQ(ptz_->filterGoto(3), 0);
  EXPECT_EQ(ptz_->filterCur(), 3);
  EXPECT_EQ(ptz_->filterGoto(-1), 0);  // only reads
  EXPECT_EQ(ptz_->filterCur(), 3);
  QSignalSpy filter(ptz_.get(), &CModulePtz::filterCurChanged);
  ASSERT_EQ(ptz_->filterReset(10000), 0);
  r = lastRecord(56);
  EXPECT_EQ(i32(r, 0), 21);
  EXPECT_EQ(i32(r, 4), 10000);
  EXPECT_EQ(ptz_->filterCur(), 0);
  EXPECT_EQ(sim_->command().motors().positions().filter, 0);
  ASSERT_EQ(ptz_->filterReset(10000), 0);
  EXPECT_EQ(filter.count(), 1);  // 0 again: no second signal

  // The one-way records: 10 bytes after the header.
  ASSERT_EQ(ptz_->focusMFDelta(-100), 0);
  ASSERT_TRUE(sim_->log().waitForTypeCount(6, 1, 10000));
  std::vector<uint8_t> one = lastRecord(6);
  ASSERT_EQ(one.size(), 10u);
  EXPECT_EQ(one[0] | one[1] << 8, 34);
  EXPECT_EQ(i16(one, 2), -100);
  EXPECT_TRUE(allZero(one, 4, 10));
  ASSERT_EQ(ptz_->focusMFConti(2), 0);
  ASSERT_TRUE(sim_->log().waitForTypeCount(6, 2, 10000));
  one = lastRecord(6);
  EXPECT_EQ(one[0] | one[1] << 8, 38);
  EXPECT_EQ(one[2], 2);
  EXPECT_TRUE(allZero(one, 3, 10));

  // A camera that answers with another type: -1 and the positions stay.
  camsim::CommandFaults f;
  f.controlXReplyType = 15;
  sim_->command().setFaults(f);
  EXPECT_EQ(ptz_->ptzGetPTZ(), -1);
  EXPECT_EQ(ptz_->ptzPan(), 1234);
}

TEST_F(PtzModule, SecondCommandDuringASlowOneIsRefusedAndSendsNothing) {
  ASSERT_NO_FATAL_FAILURE(start(2));
  camsim::CommandFaults f;
  f.replyDelayMs = 500;
  sim_->command().setFaults(f);
  const size_t before = records(56).size();
  int second = 1;
  bool flagsOnGuiThread = true;
  std::vector<int> flags;
  QObject::connect(ptz_.get(), &CModulePtz::qtcFlagsChanged, ptz_.get(), [&] {
    flagsOnGuiThread &= QThread::currentThread() == qApp->thread();
    flags.push_back(ptz_->qtcFlags());
    // Issued from the event loop while the first command waits, as the view would.
    if (ptz_->qtcFlags() == 2) QTimer::singleShot(0, ptz_.get(), [&] { second = ptz_->ptzControl(1, 50); });
  }, Qt::DirectConnection);
  EXPECT_EQ(ptz_->ptzGetPTZ(), 0);
  EXPECT_EQ(second, -7);
  EXPECT_EQ(records(56).size(), before + 1);
  EXPECT_TRUE(flagsOnGuiThread);
  EXPECT_EQ(flags, (std::vector<int>{2, 0}));
  EXPECT_EQ(ptz_->qtcFlags(), 0);
}

TEST_F(PtzModule, AutofocusTakesARectangleOrTheMiddleHalf) {
  ASSERT_NO_FATAL_FAILURE(start(3));
  TempCanvasItemBase line;
  line.def = lineItem(5, 6, 70, 80);
  ASSERT_EQ(ptz_->focusAF(&line), 0);
  std::vector<uint8_t> r = lastRecord(56);
  EXPECT_EQ(i32(r, 0), 4);
  EXPECT_EQ(i16(r, 4), 40);
  EXPECT_EQ(i16(r, 6), 30);
  EXPECT_EQ(i16(r, 8), 120);
  EXPECT_EQ(i16(r, 10), 90);
  EXPECT_TRUE(allZero(r, 12, 68));
  ASSERT_EQ(ptz_->focusAF(nullptr), 0);
  EXPECT_EQ(i16(lastRecord(56), 8), 120);
  TempCanvasItemBase rect;
  rect.def = rectItem(11, 12, 101, 102);
  ASSERT_EQ(ptz_->focusAF(&rect), 0);
  r = lastRecord(56);
  EXPECT_EQ(i16(r, 4), 11);
  EXPECT_EQ(i16(r, 6), 12);
  EXPECT_EQ(i16(r, 8), 101);
  EXPECT_EQ(i16(r, 10), 102);
}

TEST_F(PtzModule, ClosedCameraRefusesAndReopenedCameraIsReachedUnderItsNewLogin) {
  ASSERT_NO_FATAL_FAILURE(start(4));
  const int firstLogin = camera_->loginId();
  EXPECT_EQ(ptz_->currentHandle(), firstLogin);
  live_->unloadData();
  ASSERT_FALSE(camera_->isOpen());
  const size_t before = sim_->log().count();
  EXPECT_EQ(ptz_->ptzGetPTZ(), -7);
  EXPECT_EQ(ptz_->focusXFRel(100), -7);
  EXPECT_EQ(ptz_->focusMFConti(1), -7);
  EXPECT_EQ(sim_->log().count(), before);

  // Another login takes the first one's place in the meantime, then the camera opens again.
  LoginInfo info{};
  std::snprintf(info.ip, sizeof info.ip, "%s", qaddr(4).toUtf8().constData());
  CameraBasicInfoRecord rec{};
  const int other = Ostrel_Login(&info, &rec);
  ASSERT_EQ(other, firstLogin) << "the freed slot is taken again";
  ASSERT_EQ(live_->loadData(), 0);
  ASSERT_TRUE(camera_->isOpen());
  EXPECT_EQ(ptz_->currentHandle(), camera_->loginId());
  EXPECT_NE(camera_->loginId(), other);
  ASSERT_EQ(ptz_->focusXFAbs(77), 0);
  EXPECT_EQ(ptz_->xfCur(), 77);
  Ostrel_Logout(other);
}

TEST_F(PtzModule, BindingIsOncePerCameraAndEndsWithTheCamera) {
  ASSERT_NO_FATAL_FAILURE(start(5));
  CModulePtz second;
  second.ir_create(live_.get());
  EXPECT_EQ(second.ir(), nullptr);
  EXPECT_EQ(live_->subModulePtz(), ptz_.get());
  EXPECT_EQ(second.ptzGetPTZ(), -7);
  auto* preset = qobject_cast<CPtzPreset*>(second.ptzPresetList().value(0));
  ASSERT_NE(preset, nullptr);
  EXPECT_EQ(second.ptzPresetList().size(), 255);
  EXPECT_EQ(preset->presetId(), 1);
  EXPECT_TRUE(preset->presetName().endsWith("001"));
  EXPECT_TRUE(qobject_cast<CPtzPreset*>(second.ptzPresetList().value(254))->presetName().endsWith("255"));

  ptz_->saveModuleData();
  EXPECT_EQ(ptz_->moduleData(), camera_->inputNameAbs());
  live_.reset();
  EXPECT_EQ(ptz_->ir(), nullptr);
  EXPECT_EQ(ptz_->ptzGetPTZ(), -7);
  ptz_->saveModuleData();
  EXPECT_TRUE(ptz_->moduleData().isEmpty());
}

}  // namespace
