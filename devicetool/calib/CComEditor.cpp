#include "CComEditor.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "CaliRecords.h"
#include "QmlListAccess.h"
#include "devicetool/ValueConvert.h"
#include "foundation/Helpers.h"

namespace {

int32_t i32At(const uint8_t* p) {
  int32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

uint16_t u16At(const uint8_t* p) {
  return uint16_t(p[0] | p[1] << 8);
}

}  // namespace

void CComPoint::setX(int v) {
  if (v == x_) return;
  x_ = v;
  emit xChanged();
}

void CComPoint::setY(int v) {
  if (v == y_) return;
  y_ = v;
  emit yChanged();
}

CComEditor::~CComEditor() {
  qDeleteAll(points_);
}

void CComEditor::setDeviceId(const QString& v) {
  if (v == deviceId_) return;
  deviceId_ = v;
  emit deviceIdChanged();
}

void CComEditor::setDeviceWidth(int v) {
  if (v == deviceWidth_) return;
  deviceWidth_ = v;
  emit deviceWidthChanged();
}

void CComEditor::setDeviceHeight(int v) {
  if (v == deviceHeight_) return;
  deviceHeight_ = v;
  emit deviceHeightChanged();
}

QQmlListProperty<CComPoint> CComEditor::pointList() {
  return readOnlyList(this, &points_);
}

int CComEditor::load(const QString& path) {
  std::vector<uint8_t> buf;
  try {
    buf.assign(calirec::kComMaxSize + 1, 0);  // one byte more tells a longer file
  } catch (const std::bad_alloc&) {
    return -5;
  }
  FILE* f = ostrel::fopenUtf8(path.toUtf8().constData(), "rb");
  if (!f) return -200;
  const size_t got = fread(buf.data(), 1, buf.size(), f);
  fclose(f);
  // The length the count announces, in 64 bits: a count near 2^30 must not wrap onto a short file.
  if (got < calirec::kComHead) return -194;
  const int64_t count = i32At(&buf[40]);
  if (count < 0 || count > calirec::kComMaxPoints || int64_t(got) != int64_t(calirec::kComHead) + 4 * count)
    return -194;
  setDeviceId(QString::fromUtf8(valueconv::fieldText(buf.data(), 32)));
  loadedIdBytes_ = QByteArray(reinterpret_cast<const char*>(buf.data()), 32);
  loadedId_ = deviceId_;
  setDeviceWidth(i32At(&buf[32]));
  setDeviceHeight(i32At(&buf[36]));
  point_clear();
  for (int64_t k = 0; k < count; ++k) {
    auto* p = new CComPoint();
    p->setX(u16At(&buf[calirec::kComHead + 4 * k]));
    p->setY(u16At(&buf[calirec::kComHead + 4 * k + 2]));
    points_.append(p);
  }
  emit pointListChanged();
  return 0;
}

int CComEditor::save(const QString& path) {
  std::vector<uint8_t> buf(calirec::kComHead + 4 * size_t(points_.size()), 0);
  if (!loadedIdBytes_.isEmpty() && deviceId_ == loadedId_) {
    // The id as the file held it, bytes after its end and another encoding included.
    std::memcpy(buf.data(), loadedIdBytes_.constData(), 32);
  } else {
    const QByteArray id = deviceId_.toUtf8();
    // All 32 bytes may hold the id (no NUL then); a cut never splits a character.
    std::memcpy(buf.data(), id.constData(),
                valueconv::utf8CutLength(std::string_view(id.constData(), size_t(id.size())), 32));
  }
  const int32_t head[3] = {deviceWidth_, deviceHeight_, int32_t(points_.size())};
  std::memcpy(&buf[32], head, sizeof head);
  for (qsizetype k = 0; k < points_.size(); ++k) {
    uint8_t* p = &buf[calirec::kComHead + 4 * size_t(k)];
    const int x = points_[k]->x(), y = points_[k]->y();
    p[0] = uint8_t(x);
    p[1] = uint8_t(x >> 8);
    p[2] = uint8_t(y);
    p[3] = uint8_t(y >> 8);
  }
  return ostrel::fileWriteAll(path.toUtf8().constData(), buf.data(), buf.size());
}

int CComEditor::point_create(CComPoint* point) {
  if (points_.size() >= calirec::kComMaxPoints) return -7;
  if (!point) return -8;
  const int x = point->x(), y = point->y();
  // The file keeps 16 bits per coordinate: a larger one would land on another pixel.
  if (x < 0 || x > 0xFFFF || y < 0 || y > 0xFFFF) return -8;
  for (const CComPoint* p : points_)
    if (p->x() == x && p->y() == y) return -8;
  auto* copy = new CComPoint();
  copy->setX(x);
  copy->setY(y);
  points_.append(copy);
  emit pointListChanged();
  return 0;
}

int CComEditor::point_delete(CComPoint* point) {
  const qsizetype i = points_.indexOf(point);
  if (i < 0) return -8;
  points_.removeAt(i);
  emit pointListChanged();
  delete point;
  return 0;
}

void CComEditor::point_clear() {
  if (points_.isEmpty()) return;
  const QList<CComPoint*> old = points_;
  points_.clear();
  emit pointListChanged();
  qDeleteAll(old);
}
