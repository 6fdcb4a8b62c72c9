#include "CXCali.h"

#include <QStringList>
#include <cmath>
#include <QtQml/qqml.h>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "QmlListAccess.h"
#include "XCaliLayout.h"
#include "devicetool/ValueConvert.h"
#include "foundation/ByteOrder.h"

namespace {

using K = CDeviceConfigBase::Kind;
namespace bo = ostrel::bytes;
using xcali::assign;

const CDeviceConfigBase::Field kCali1Fields[] = {
    {"enable", 0, K::Bool8, 0, 0, true},      {"filter", 1, K::U8, 0, 0, true},
    {"lens", 2, K::U16, 0, 0, true},          {"envTempMin", 4, K::I16, 0, 0, true},
    {"envTempMax", 6, K::I16, 0, 0, true},    {"bbTempMin", 8, K::I16, 0, 0, true},
    {"bbTempMax", 10, K::I16, 0, 0, true},    {"name", 12, K::Text, 32, 0, true},
    {"shutterMode", 44, K::U8, 0, 0, true},
};

const CDeviceConfigBase::Field kCali2Fields[] = {
    {"enable", 0, K::Bool8, 0, 0, true},          {"envCount", 1, K::U8, 0, 0, true},
    {"bbCount", 2, K::U8, 0, 0, true},
};
// globalEnvTemp, globalEmissivity, shell0..3: f32 from byte 56.
constexpr size_t kCali2Floats = 56;
const char* const kCali2FloatNames[6] = {"globalEnvTemp", "globalEmissivity", "shell0", "shell1", "shell2", "shell3"};
// Table t, point i: 12 bytes at 80 + 288 t + 12 i (blackbody, temperature, 4 unused).
constexpr size_t cali2Cell(int t, int i) {
  return 80 + 288 * size_t(t) + 12 * size_t(i);
}

const CDeviceConfigBase::Field kCustFields[] = {
    {"enable", 0, K::Bool8, 0, 0, true},
    {"bbCount", 1, K::U8, 0, 0, true},
};
constexpr size_t custCell(int i) {
  return 64 + 12 * size_t(i);
}

const CDeviceConfigBase::Field kResFields[] = {
    {"width", 0, K::U16, 0, 0, false},  {"height", 2, K::U16, 0, 0, false}, {"fpsNum", 4, K::U16, 0, 0, false},
    {"fpsDen", 6, K::U16, 0, 0, false}, {"tag", 8, K::U16, 0, 0, false},
};

void makePoints(QObject* owner, QList<CXCali2Point*>* points) {
  for (int i = 0; i < xcali::kPoints; ++i) points->append(new CXCali2Point(owner));
}

QString cell(int row, const char* property) {
  return QStringLiteral("pointArray.%1.%2").arg(row).arg(QLatin1String(property));
}

}  // namespace

// ---- Head ---------------------------------------------------------------------------------------

void CXCaliHead::fromRecord(const uint8_t* block) {
  assign(this, detType_, int(bo::readU16(block, xcali::kHeadSize, 0)), &CXCaliHead::detTypeChanged);
  assign(this, resCount_, int(block[2]), &CXCaliHead::resCountChanged);
  if (block[3] >= 1 && block[3] <= xcali::kEntries)
    assign(this, caliCount_, int(block[3]), &CXCaliHead::caliCountChanged);
  loadedCaliCount_ = caliCount_;
}

void CXCaliHead::setCaliCount(int v) {
  assign(this, caliCount_, int(valueconv::clampToField(v, 1, xcali::kEntries)), &CXCaliHead::caliCountChanged);
}

void CXCaliHead::toRecord(uint8_t* head) const {
  bo::putU16(head, uint16_t(detType_));
  head[2] = uint8_t(valueconv::clampToField(resCount_, 0, 255));
  // A count the camera holds out of range left the shown one (maybe an earlier camera's): the
  // camera's own byte stays unless the count was edited.
  if (caliCount_ != loadedCaliCount_) head[3] = uint8_t(valueconv::clampToField(caliCount_, 1, xcali::kEntries));
}

// ---- First stage --------------------------------------------------------------------------------

CXCali1::CXCali1(QObject* parent)
    : CDeviceConfigBase(kCali1Fields, int(std::size(kCali1Fields)), kRecordSize, parent) {}

void CXCali1::setDetType(int t) {
  assign(this, detType_, t, &CXCali1::ext_detTypeChanged);
}

void CXCali1::fromRecord(const uint8_t* part) {
  uint8_t copy[kRecordSize];
  std::memcpy(copy, part, kRecordSize);
  copy[xcali::kNameOffset + xcali::kNameSize - 1] = 0;
  CDeviceConfigBase::fromRecord(copy, kRecordSize);
  if (xcali::isVnrFamily(detType_))
    vnr_.fromRecord(part + xcali::kRegisterOffset);
  else
    qj_.fromRecord(part + xcali::kRegisterOffset);
}

void CXCali1::toRecord(uint8_t* part) {
  CDeviceConfigBase::toRecord(part, kRecordSize);
  if (xcali::isVnrFamily(detType_))
    vnr_.toRecord(part + xcali::kRegisterOffset);
  else
    qj_.toRecord(part + xcali::kRegisterOffset);
}

// ---- Points -------------------------------------------------------------------------------------

void CXCali2Point::loadBlackbody(float v) {
  assign(this, bb_, v, &CXCali2Point::blackbodyChanged);
  loadedBb_ = v;
}

bool CXCali2Point::blackbodyEdited() const {
  return !(bb_ == loadedBb_ || (std::isnan(bb_) && std::isnan(loadedBb_)));
}

void CXCali2Point::loadTemp(int i, float v) {
  static constexpr void (CXCali2Point::*kSignals[4])() = {&CXCali2Point::temp0Changed, &CXCali2Point::temp1Changed,
                                                          &CXCali2Point::temp2Changed, &CXCali2Point::temp3Changed};
  assign(this, t_[i], v, kSignals[i]);
}

void CXCali2Point::setBlackbody(float v) {
  if (std::isfinite(v)) assign(this, bb_, v, &CXCali2Point::blackbodyChanged);
}

void CXCali2Point::setTemp(int i, float v) {
  if (std::isfinite(v)) loadTemp(i, v);
}

// ---- Second stage -------------------------------------------------------------------------------

CXCali2::CXCali2(QObject* parent)
    : CDeviceConfigBase(kCali2Fields, int(std::size(kCali2Fields)), kRecordSize, parent) {
  makePoints(this, &points_);
}

QQmlListProperty<CXCali2Point> CXCali2::pointArray() {
  return readOnlyList(this, &points_);
}

void CXCali2::setFloat(int i, float v) {
  if (std::isfinite(v)) loadFloat(i, v);
}

void CXCali2::loadFloat(int i, float v) {
  static constexpr void (CXCali2::*kSignals[6])() = {&CXCali2::globalEnvTempChanged, &CXCali2::globalEmissivityChanged,
                                                     &CXCali2::shell0Changed,        &CXCali2::shell1Changed,
                                                     &CXCali2::shell2Changed,        &CXCali2::shell3Changed};
  assign(this, f_[i], v, kSignals[i]);
}

QStringList CXCali2::invalidFields() const {
  QStringList out;
  for (int i = 0; i < 6; ++i)
    if (!std::isfinite(f_[i])) out << QLatin1String(kCali2FloatNames[i]);
  static const char* const kTemps[4] = {"temp0", "temp1", "temp2", "temp3"};
  for (int i = 0; i < xcali::kPoints; ++i) {
    if (!std::isfinite(points_[i]->blackbody())) out << cell(i, "blackbody");
    for (int t = 0; t < 4; ++t)
      if (!std::isfinite(points_[i]->temp(t))) out << cell(i, kTemps[t]);
  }
  return out;
}

void CXCali2::fromRecord(const uint8_t* part) {
  CDeviceConfigBase::fromRecord(part, kRecordSize);
  for (int i = 0; i < 6; ++i) loadFloat(i, bo::readF32(part, kRecordSize, kCali2Floats + 4 * size_t(i)));
  for (int i = 0; i < xcali::kPoints; ++i) {
    points_[i]->loadBlackbody(bo::readF32(part, kRecordSize, cali2Cell(0, i)));
    for (int t = 0; t < 4; ++t) points_[i]->loadTemp(t, bo::readF32(part, kRecordSize, cali2Cell(t, i) + 4));
  }
}

void CXCali2::toRecord(uint8_t* part) {
  CDeviceConfigBase::toRecord(part, kRecordSize);
  for (int i = 0; i < 6; ++i) xcali::putF32IfChanged(part + kCali2Floats + 4 * size_t(i), f_[i]);
  // The blackbody shown is table 0's; tables 1-3 keep their own column until the point's
  // blackbody is edited, which then goes into all four.
  for (int i = 0; i < xcali::kPoints; ++i) {
    const bool edited = points_[i]->blackbodyEdited();
    for (int t = 0; t < 4; ++t) {
      if (t == 0 || edited) xcali::putF32IfChanged(part + cali2Cell(t, i), points_[i]->blackbody());
      xcali::putF32IfChanged(part + cali2Cell(t, i) + 4, points_[i]->temp(t));
    }
  }
}

int CXCali2::importData(const QString& text, int index) {
  if (index < 0 || index > 3) return 0;
  struct Row {
    float field[4];
    bool shellRead;
  };
  // A field reads as a float, or not at all; one that reads as a number no float can hold as a
  // finite value (inf, nan, 1e39) spoils the paste.
  bool spoiled = false;
  auto readField = [&spoiled](const QString& field, bool* ok) {
    bool got = false;
    const double d = field.toDouble(&got);
    if (ok) *ok = got;
    if (!got) return 0.0f;
    const float v = float(d);
    if (!std::isfinite(v)) spoiled = true;
    return v;
  };
  QList<Row> rows;
  for (const QString& line : text.split(QLatin1Char('\n'))) {
    const QStringList f = line.split(QStringLiteral("\t\t"));
    if (f.size() != 4) continue;
    bool ok = false;
    Row r{};
    r.field[0] = readField(f[0], &ok);
    if (!ok) continue;
    r.field[1] = readField(f[1], nullptr);
    r.field[2] = 0;  // not used
    r.field[3] = readField(f[3], &r.shellRead);
    rows.append(r);
    if (rows.size() == xcali::kPoints) break;
  }
  if (spoiled) return -8;
  // A paste without a single row (an empty clipboard among them) would otherwise wipe the column.
  if (rows.isEmpty()) return 0;
  double sum = 0;
  int read = 0;
  for (int i = 0; i < rows.size(); ++i) {
    points_[i]->setBlackbody(rows[i].field[0]);
    points_[i]->setTemp(index, rows[i].field[1]);
    if (rows[i].shellRead) {
      sum += rows[i].field[3];
      ++read;
    }
  }
  const float shell = read > 0 ? float(sum / read) : 0.0f;
  static const char* const kShell[4] = {"shell0", "shell1", "shell2", "shell3"};
  setProperty(kShell[index], shell);
  return int(rows.size());
}

// ---- Custom points ------------------------------------------------------------------------------

CXCaliCust::CXCaliCust(QObject* parent)
    : CDeviceConfigBase(kCustFields, int(std::size(kCustFields)), kRecordSize, parent) {
  makePoints(this, &points_);
}

QQmlListProperty<CXCali2Point> CXCaliCust::pointArray() {
  return readOnlyList(this, &points_);
}

QStringList CXCaliCust::invalidFields() const {
  QStringList out;
  for (int i = 0; i < xcali::kPoints; ++i) {
    if (!std::isfinite(points_[i]->blackbody())) out << cell(i, "blackbody");
    if (!std::isfinite(points_[i]->temp0())) out << cell(i, "temp0");
  }
  return out;
}

void CXCaliCust::fromRecord(const uint8_t* part) {
  CDeviceConfigBase::fromRecord(part, kRecordSize);
  for (int i = 0; i < xcali::kPoints; ++i) {
    points_[i]->loadBlackbody(bo::readF32(part, kRecordSize, custCell(i)));
    points_[i]->loadTemp(0, bo::readF32(part, kRecordSize, custCell(i) + 4));
  }
}

void CXCaliCust::toRecord(uint8_t* part) {
  CDeviceConfigBase::toRecord(part, kRecordSize);
  for (int i = 0; i < xcali::kPoints; ++i) {
    xcali::putF32IfChanged(part + custCell(i), points_[i]->blackbody());
    xcali::putF32IfChanged(part + custCell(i) + 4, points_[i]->temp0());
  }
}

// ---- Resolutions and state ----------------------------------------------------------------------

CXCaliRes::CXCaliRes(QObject* parent)
    : CDeviceConfigBase(kResFields, int(std::size(kResFields)), kRecordSize, parent) {}

void CXCaliState::fromRecord(const uint8_t* block) {
  const size_t n = xcali::kBlockSize;
  assign(this, fpa_temp_, bo::readI32(block, n, xcali::kFpaTemp) / 1000.0, &CXCaliState::fpa_tempChanged);
  assign(this, shell_temp_, bo::readI32(block, n, xcali::kShellTemp) / 1000.0, &CXCaliState::shell_tempChanged);
  assign(this, shell_tempHW_, bo::readI32(block, n, xcali::kShellTempHw) / 1000.0,
         &CXCaliState::shell_tempHWChanged);
  assign(this, res_cur_, int(block[xcali::kResCur]), &CXCaliState::res_curChanged);
  assign(this, cali_cur_, int(block[xcali::kCaliCur]), &CXCaliState::cali_curChanged);
  const double hours = bo::readU32(block, n, xcali::kWorkTime) / 3600.0;
  // The C library's formatting: an exact half rounds to even, as the camera's own tools show it.
  char info[128];
  std::snprintf(info, sizeof info, "FPA %3.1f K, ShellHW %3.1f C, WorkTime %3.1f hours", fpa_temp_, shell_tempHW_, hours);
  assign(this, info_, QString::fromLatin1(info), &CXCaliState::infoChanged);
}

// ---- The tree -----------------------------------------------------------------------------------

CXCali::CXCali(QObject* parent) : QObject(parent) {
  for (int k = 0; k < xcali::kEntries; ++k) {
    cali_.append(new CXCali1Cali2Cust(this));
    gear_.append(new CNameValue(this, QString::number(k + 1), k + 1));
  }
  for (int r = 0; r < xcali::kResolutions; ++r) res_.append(new CXCaliRes(this));
}

QQmlListProperty<CXCali1Cali2Cust> CXCali::caliArray() {
  return readOnlyList(this, &cali_);
}
QQmlListProperty<CXCaliRes> CXCali::resArray() {
  return readOnlyList(this, &resShown_);
}
QQmlListProperty<CNameValue> CXCali::gearArray() {
  return readOnlyList(this, &gearShown_);
}

void CXCali::fromRecord(const uint8_t* block) {
  head_.fromRecord(block);
  const int detType = bo::readU16(block, xcali::kBlockSize, 0);
  for (int k = 0; k < xcali::kEntries; ++k) {
    CXCali1Cali2Cust* e = cali_[k];
    e->cali1()->setDetType(detType);
    e->cali1()->fromRecord(block + xcali::partOffset(xcali::Part::Cali1, k));
    e->cali2()->fromRecord(block + xcali::partOffset(xcali::Part::Cali2, k));
    e->cust()->fromRecord(block + xcali::partOffset(xcali::Part::Cust, k));
  }
  for (int r = 0; r < xcali::kResolutions; ++r) res_[r]->fromRecord(block + xcali::kResBase + xcali::kResSize * size_t(r));
  state_.fromRecord(block);
  resShown_ = res_.mid(0, std::min<int>(block[2], xcali::kResolutions));
  emit resArrayChanged();
  const int gears = std::min<int>(block[3], xcali::kEntries);
  gearShown_.clear();
  for (int i = 0; i < gears; ++i) {
    gear_[i]->setName(QStringLiteral("[%1]%2").arg(gear_[i]->value()).arg(cali_[i]->cali1()->name()));
    gearShown_.append(gear_[i]);
  }
  emit gearArrayChanged();
}
