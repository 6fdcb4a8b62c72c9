#include "CCameraBasicInfo.h"

namespace {

using K = CDeviceConfigBase::Kind;
// The identities and the data size are the camera's own: shown, never written back.
const CDeviceConfigBase::Field kFields[] = {
    {"cameraId", 0, K::Text, 32, 0, false},       {"cameraName", 32, K::Text, 32, 0, true},
    {"cameraType", 64, K::Text, 16, 0, false},    {"fpaId", 80, K::Text, 32, 0, false},
    {"hardwareId", 112, K::Text, 32, 0, false},   {"softwareId", 144, K::Text, 32, 0, false},
    {"dataWidth", 176, K::U16, 0, 0, false},      {"dataHeight", 178, K::U16, 0, 0, false},
    {"dataFps", 180, K::U16, 0, 0, false},        {"dataRatio", 182, K::U16, 0, 0, true},
    {"sendRatio", 184, K::U16, 0, 0, true},       {"dataTransform", 186, K::U8, 0, 0, true},
    {"desmearLevel", 190, K::U8, 0, 0, true},     {"filterMedian", 191, K::Bool8, 0, 0, true},
};

}  // namespace

CCameraBasicInfo::CCameraBasicInfo(QObject* parent)
    : CDeviceConfigBase(kFields, int(std::size(kFields)), kRecordSize, parent) {
  CDeviceConfigBase::reset();
}

int CCameraBasicInfo::fromRecord(const void* record, unsigned size) {
  const int rc = CDeviceConfigBase::fromRecord(record, size);
  if (rc != 0) return rc;
  const QString whf = QStringLiteral("%1x%2@%3Hz").arg(dataWidth_).arg(dataHeight_).arg(dataFps_);
  if (whf != dataWHF_) {
    dataWHF_ = whf;
    emit dataWHFChanged();
  }
  return 0;
}
