#include "CXCaliEditor.h"

#include <QFile>
#include <QtQml/qqml.h>
#include <cstring>

#include "ControlCommands.h"
#include "devicetool/ValueConvert.h"
#include "foundation/Logger.h"

using xcali::assign;
using xcali::Part;

CXCaliEditor::CXCaliEditor(QObject* parent) : QObject(parent) {}

CXCaliEditor::~CXCaliEditor() {
  free();
}

void CXCali::registerTypes() {
  qmlRegisterType<CXCaliEditor>("Ostrel", 1, 0, "CXCaliEditor");
  qmlRegisterType<CXCali>("Ostrel", 1, 0, "CXCali");
  qmlRegisterType<CXCaliHead>("Ostrel", 1, 0, "CXCaliHead");
  qmlRegisterType<CXCali1Cali2Cust>("Ostrel", 1, 0, "CXCali1Cali2Cust");
  qmlRegisterType<CXCali1>("Ostrel", 1, 0, "CXCali1");
  qmlRegisterType<CXCali2>("Ostrel", 1, 0, "CXCali2");
  qmlRegisterType<CXCali2Point>("Ostrel", 1, 0, "CXCali2Point");
  qmlRegisterType<CXCaliCust>("Ostrel", 1, 0, "CXCaliCust");
  qmlRegisterType<CXCaliRes>("Ostrel", 1, 0, "CXCaliRes");
  qmlRegisterType<CXCaliState>("Ostrel", 1, 0, "CXCaliState");
  qmlRegisterType<CFPAInfoVNR>("Ostrel", 1, 0, "CFPAInfoVNR");
  qmlRegisterType<CFPAInfoQJ>("Ostrel", 1, 0, "CFPAInfoQJ");
  qmlRegisterType<CQJItem>("Ostrel", 1, 0, "CQJItem");
  qmlRegisterType<CExtBbConfig>("Ostrel", 1, 0, "CExtBbConfig");
}

void CXCaliEditor::free() {
  if (loginId_ >= 0) Ostrel_Logout(loginId_);
  loginId_ = -1;
}

int CXCaliEditor::init(const QString& ip) {
  free();
  if (!valueconv::loginText(ip.toUtf8().toStdString(), login_.ip)) return -8;
  const int r = Ostrel_Login(&login_, &camera_);
  if (r < 0) return r;
  loginId_ = r;
  // The id's last byte counts as its terminator: at most 31 bytes of text.
  assign(this, deviceId_, QString::fromUtf8(camera_.cameraId, qsizetype(strnlen(camera_.cameraId, 31))),
         &CXCaliEditor::deviceIdChanged);
  assign(this, deviceInternal_, reinterpret_cast<const uint8_t*>(&camera_)[211] != 0,
         &CXCaliEditor::deviceInternalChanged);
  const int read = getXCali();
  if (read < 0) {
    free();
    return read;
  }
  return 0;
}

int CXCaliEditor::getXCali() {
  if (loginId_ < 0) return -7;
  int size = int(image_.size());
  std::array<uint8_t, xcali::kBlockSize> fresh{};
  const int r = Ostrel_DownloadMem(loginId_, xcali::kBlockType, reinterpret_cast<char*>(fresh.data()), &size);
  if (r < 0) return r;
  // A block of another size is not this layout: nothing of it is taken.
  if (size != int(xcali::kBlockSize)) {
    OSTREL_LOG_AS("CXCaliEditor::getXCali", "block of %d bytes, %d expected", size, int(xcali::kBlockSize));
    return -194;
  }
  image_ = fresh;
  xcali::terminateNames(image_.data());
  xcali_.fromRecord(image_.data());
  assign(this, resIndex_, int(image_[xcali::kResCur]), &CXCaliEditor::resIndexChanged);
  ControlInfoX x = control::request(control::kGearGet);
  if (Ostrel_SendControlX(loginId_, &x) >= 0)
    assign(this, gearLevel_, int(control::replyI32(x, 4)), &CXCaliEditor::gearLevelChanged);
  // The blackbody read asks with an empty payload: the gear reply's bytes are not a request's.
  ControlInfoX bb = control::request(control::kExtBbGet);
  if (Ostrel_SendControlX(loginId_, &bb) >= 0) extBb_.fromRecord(reinterpret_cast<const uint8_t*>(&bb) + 4);
  return 0;
}

void CXCaliEditor::setCaliIndex(int i) {
  if (i < 0 || i >= xcali::kEntries || i == caliIndex_) return;
  caliIndex_ = i;
  emit caliIndexChanged();
  emit cali1Changed();
  emit cali2Changed();
  emit custChanged();
}

int CXCaliEditor::applyResIndex(int index) {
  if (loginId_ < 0 || index == image_[xcali::kResCur]) return -7;
  ControlInfoX x = control::requestI32(control::kCaliResolution, index);
  const int r = Ostrel_SendControlX(loginId_, &x);
  if (r >= 0) assign(this, resIndex_, index, &CXCaliEditor::resIndexChanged);
  return r;
}

int CXCaliEditor::applyGearLevel(int level) {
  if (loginId_ < 0 || level == gearLevel_) return -7;
  ControlInfoX x = control::requestI32(control::kGearSet, level);
  const int r = Ostrel_SendControlX(loginId_, &x);
  if (r >= 0) assign(this, gearLevel_, level, &CXCaliEditor::gearLevelChanged);
  return r;
}

int CXCaliEditor::applyReboot() {
  if (loginId_ < 0) return -7;
  const ControlInfo c = control::oneWay(control::kRestart);
  return Ostrel_SendControl(loginId_, &c);
}

int CXCaliEditor::applyExtBbConfig() {
  if (loginId_ < 0) return -7;
  ControlInfoX x = control::request(control::kExtBbSet);
  extBb_.toRecord(reinterpret_cast<uint8_t*>(&x) + 4);
  return Ostrel_SendControlX(loginId_, &x);
}

int CXCaliEditor::updatePart(Part part) {
  if (loginId_ < 0) return -7;
  const int entry = part == Part::Head ? 0 : caliIndex_;
  // A value the camera's block holds that is not a finite number is never sent back: the view
  // marks it (invalidFields) and the user replaces it first.
  if ((part == Part::Cali2 && !cali2()->invalidFields().isEmpty()) ||
      (part == Part::Cust && !cust()->invalidFields().isEmpty())) {
    OSTREL_LOG_AS("CXCaliEditor::updatePart", "part %d of entry %d holds values that are not finite", int(part), entry);
    return -8;
  }
  std::memset(command_.data(), 0, command_.size());
  command_[0] = uint8_t(part);
  command_[1] = uint8_t(entry);
  uint8_t* data = command_.data() + xcali::kUpdateData;
  uint8_t* held = image_.data() + xcali::partOffset(part, entry);
  const size_t n = xcali::partSize(part);
  // Each part stores over the camera's own bytes: what no property covers goes back as it came,
  // and an untouched part is byte-equal and not sent.
  std::memcpy(data, held, n);
  switch (part) {
    case Part::Head: xcali_.head()->toRecord(data); break;
    case Part::Cali1: cali1()->toRecord(data); break;
    case Part::Cali2: cali2()->toRecord(data); break;
    case Part::Cust: cust()->toRecord(data); break;
  }
  if (std::memcmp(data, held, n) == 0) return 0;
  const int r = Ostrel_UploadMem(loginId_, xcali::kUpdateBlockType, reinterpret_cast<const char*>(command_.data()),
                                 int(command_.size()));
  if (r != 0) return r;
  std::memcpy(held, data, n);
  return 0;
}

int CXCaliEditor::updateHead() {
  return updatePart(Part::Head);
}
int CXCaliEditor::updateCali1() {
  return updatePart(Part::Cali1);
}
int CXCaliEditor::updateCali2() {
  return updatePart(Part::Cali2);
}
int CXCaliEditor::updateCust() {
  return updatePart(Part::Cust);
}

int CXCaliEditor::updateCali1File(const QString& path) {
  if (loginId_ < 0) return -7;
  const QByteArray local = QFile::encodeName(path);
  const int checked = Cali_CheckFile(local.constData(), &camera_);
  if (checked != 0) {
    OSTREL_LOG_AS("CXCaliEditor::updateCali1File", "refused %s: %d", local.constData(), checked);
    return checked;
  }
  return Ostrel_UploadFileV2(loginId_, local.constData(), 2, caliIndex_);
}
