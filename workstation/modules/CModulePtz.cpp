#include "modules/CModulePtz.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <cstring>
#include <memory>

#include "ControlCommands.h"
#include "OstrelSDK.h"
#include "TempCanvasItem.h"
#include "inputs/CInputIr.h"
#include "inputs/CInputManager.h"
#include "modules/CModuleInputIr.h"

namespace {

std::atomic<int> g_alive{0};

using control::replyI32;

// What a pool task and its waiting caller share. The task writes the result, then marks the
// job done (release); the caller reads the result after seeing it done (acquire).
struct Job {
  std::atomic<bool> done{false};
  int result = -1;
};

}  // namespace

CModulePtz::CModulePtz(QObject* parent) : CModule(TypePtz, parent) {
  g_alive.fetch_add(1);
  const QString prefix = qtTrId("Preset");
  presets_.reserve(kPresetCount);
  for (int i = 1; i <= kPresetCount; ++i) {
    auto* p = new CPtzPreset(this);
    p->setPreset(i, prefix + QString::asprintf("%03d", i));
    presets_.append(p);
  }
  connect(this, &CModulePtz::qtc_workEnd, this, &CModulePtz::qtc_onWorkEnd);
}

CModulePtz::~CModulePtz() {
  // A running task still clears this module's busy flag: it must end first, attached or not.
  while (qtcFlags() != 0) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  detach();
  unbind();
  g_alive.fetch_sub(1);
}

int CModulePtz::aliveCount() { return g_alive.load(); }

CModuleInputIr* CModulePtz::ir() const { return ir_.data(); }

int CModulePtz::currentHandle() const {
  CModuleInputIr* m = ir_.data();
  if (m == nullptr) return -1;
  auto* camera = qobject_cast<CInputIr*>(m->input());
  if (camera == nullptr || !camera->isOpen()) return -1;
  return camera->loginId();
}

int CModulePtz::init(CInputBase*, CFrame* frame) { return CModule::init(nullptr, frame); }

void CModulePtz::detach() {
  if (!isAttached()) return;
  // The task writes into a caller's record: nothing goes before it ended.
  while (qtcFlags() != 0) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  CModule::detach();
  unbind();
}

void CModulePtz::saveModuleData() {
  QString text;
  if (CModuleInputIr* m = ir_.data())
    if (CInputBase* in = m->input()) text = in->inputNameAbs();
  setModuleData(text);
}

void CModulePtz::loadModuleData() {
  CInputManager* inputs = managers().inputs;
  if (inputs == nullptr) return;
  auto* m = qobject_cast<CModule*>(inputs->input_findModule(moduleData()));
  if (m != nullptr && m->moduleType() == TypeInputIr) ir_create(m);
}

void CModulePtz::ir_create(QObject* module) {
  auto* m = qobject_cast<CModuleInputIr*>(module);
  if (m == nullptr || ir_ || m->subModulePtz() != nullptr) return;
  connect(m, &QObject::destroyed, this, &CModulePtz::ir_delete);
  ir_ = m;
  m->setSubModulePtz(this);
  emit irChanged();
  const QString name = QStringLiteral("ptz-%1").arg(m->input() != nullptr ? m->input()->inputName() : QString());
  setModuleName(name);
}

void CModulePtz::ir_delete(QObject*) { unbind(); }

void CModulePtz::unbind() {
  CModuleInputIr* m = ir_.data();
  if (m != nullptr) {
    disconnect(m, &QObject::destroyed, this, &CModulePtz::ir_delete);
    if (m->subModulePtz() == this) m->setSubModulePtz(nullptr);
  }
  ir_ = nullptr;
}

void CModulePtz::setQtcFlags(int v) {
  if (qtcFlags_.exchange(v, std::memory_order_acq_rel) != v) emit qtcFlagsChanged();
}

void CModulePtz::qtc_onWorkEnd(int) {
  if (qtcFlags() != 0) setQtcFlags(0);
}

template <class Call>
int CModulePtz::runCommand(Call call) {
  if (qtcFlags() != 0) return -7;
  const int handle = currentHandle();
  if (handle < 0) return -7;
  auto job = std::make_shared<Job>();
  setQtcFlags(2);
  std::atomic<int>* flags = &qtcFlags_;
  QThreadPool::globalInstance()->start([job, handle, call, flags] {
    job->result = call(handle);
    job->done.store(true, std::memory_order_release);
    // The module waits for this flag before it can go: the last touch of it.
    flags->store(0, std::memory_order_release);
    // Wakes the waiting GUI loop; the application outlives every command.
    QMetaObject::invokeMethod(QCoreApplication::instance(), [] {}, Qt::QueuedConnection);
  });
  QPointer<CModulePtz> self(this);
  while (!job->done.load(std::memory_order_acquire))
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  // Deleted while waiting: nothing of the module may be touched, the reply is dropped.
  if (!self) return -7;
  while (qtcFlags() != 0) QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  emit qtcFlagsChanged();
  return job->result;
}

int CModulePtz::sendControl(ControlInfo* record) {
  return runCommand([record](int handle) { return Ostrel_SendControl(handle, record); });
}

int CModulePtz::sendControlX(ControlInfoX* record) {
  return runCommand([record](int handle) { return Ostrel_SendControlX(handle, record); });
}

void CModulePtz::setInt(int* field, int v, void (CModulePtz::*changed)()) {
  if (*field == v) return;
  *field = v;
  emit(this->*changed)();
}

int CModulePtz::ptzControl(int action, int value) {
  ControlInfoX r = control::requestPtz(control::Ptz(uint8_t(action)), uint8_t(value));
  return sendControlX(&r);
}

int CModulePtz::ptzGetPTZ() {
  ControlInfoX r = control::requestPtz(control::kPtzPositionGet, 0);
  const int rc = sendControlX(&r);
  if (rc < 0) return rc;
  setInt(&ptzPan_, replyI32(r, 8), &CModulePtz::ptzPanChanged);
  setInt(&ptzTilt_, replyI32(r, 12), &CModulePtz::ptzTiltChanged);
  return rc;
}

int CModulePtz::ptzSetPTZ(int pan, int tilt, int zoom) {
  ControlInfoX r = control::requestPtzPosition(pan, tilt, zoom);
  return sendControlX(&r);
}

int CModulePtz::focusAF(QObject* item) {
  int x1, y1, x2, y2;
  auto* mea = qobject_cast<TempCanvasItemBase*>(item);
  if (mea != nullptr && mea->def.meaType == 9) {
    x1 = mea->def.points[0].x;
    y1 = mea->def.points[0].y;
    x2 = mea->def.points[1].x;
    y2 = mea->def.points[1].y;
  } else {
    CInputBase* in = ir_ ? ir_->input() : nullptr;
    const int w = in != nullptr ? in->dataWidth() : 0;
    const int h = in != nullptr ? in->dataHeight() : 0;
    x1 = w / 4;
    y1 = h / 4;
    x2 = w * 3 / 4;
    y2 = h * 3 / 4;
  }
  ControlInfoX r = control::requestRegion(x1, y1, x2, y2);
  return sendControlX(&r);
}

int CModulePtz::focusXFAbs(int v) {
  ControlInfoX r = control::requestI32(control::kMotorAbs, v);
  const int rc = sendControlX(&r);
  if (rc >= 0) setInt(&xfCur_, replyI32(r, 4), &CModulePtz::xfCurChanged);
  return rc;
}

int CModulePtz::focusXFRel(int v) {
  ControlInfoX r = control::requestI32(control::kMotorRel, v);
  const int rc = sendControlX(&r);
  if (rc >= 0) setInt(&xfCur_, replyI32(r, 4), &CModulePtz::xfCurChanged);
  return rc;
}

int CModulePtz::filterReset(int v) {
  ControlInfoX r = control::requestI32(control::kFilterReset, v);
  const int rc = sendControlX(&r);
  if (rc >= 0) setInt(&filterCur_, 0, &CModulePtz::filterCurChanged);
  return rc;
}

int CModulePtz::filterGoto(int v) {
  ControlInfoX r = control::requestI32(control::kFilterGoto, v);
  const int rc = sendControlX(&r);
  if (rc >= 0) setInt(&filterCur_, replyI32(r, 4), &CModulePtz::filterCurChanged);
  return rc;
}

int CModulePtz::focusMFConti(int v) {
  ControlInfo r = control::oneWayByte(control::kFocusConti, uint8_t(v));
  return sendControl(&r);
}

int CModulePtz::focusMFDelta(int v) {
  ControlInfo r = control::oneWayI16(control::kFocusStep, int16_t(v));
  return sendControl(&r);
}
