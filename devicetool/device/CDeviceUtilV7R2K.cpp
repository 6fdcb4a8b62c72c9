#include "CDeviceUtilV7R2K.h"

#include <cmath>
#include <cstring>

#include "DeviceCommands.h"
#include "devicetool/ValueConvert.h"

namespace {

uint16_t u16At(const uint8_t* p, int off) {
  return uint16_t(p[off] | p[off + 1] << 8);
}

int16_t i16At(const uint8_t* p, int off) {
  return int16_t(u16At(p, off));
}

double volts(int count) {
  return count * valueconv::kVoltsPerCountQm;
}

}  // namespace

CDeviceUtilV7R2K::CDeviceUtilV7R2K(QObject* parent) : QObject(parent) {}

CDeviceUtilV7R2K::~CDeviceUtilV7R2K() {
  free();
}

void CDeviceUtilV7R2K::setVolOffset(double v) {
  // Not-a-number on either side counts as a change.
  if (v == volOffset_) return;
  volOffset_ = v;
  emit volOffsetChanged();
}

void CDeviceUtilV7R2K::free() {
  if (loginId_ >= 0) Ostrel_Logout(loginId_);
  loginId_ = -1;
}

QString CDeviceUtilV7R2K::registerText(const FPAInfoQMRecord& record) {
  const auto* p = reinterpret_cast<const uint8_t*>(&record);
  const int gsk = u16At(p, 0), gfid = u16At(p, 2), vsk = u16At(p, 4), vbus = u16At(p, 6);
  const int tint = u16At(p, 8), cint = p[10];
  const int checkTime = u16At(p, 12), checkVol = u16At(p, 14), checkTint = u16At(p, 16);
  const int offset = i16At(p, 18), items = p[47];
  QString text = QString::asprintf("gsk %3.3f, gfid %3.3f, vsk %3.3f, vbus %3.3f, tint %d, cint %d\n", volts(gsk),
                                   volts(gfid), volts(vsk), volts(vbus), tint, cint);
  text += QString::asprintf(
      "check_time_min %d, check_vol_min %d[%3.3f], check_tint_min %d,\nvol_offset %d[%3.3f], item_count %d\n",
      checkTime, checkVol, volts(checkVol), checkTint, offset, volts(offset), items);
  for (int i = 0; i < 7; ++i) {
    const int base = 48 + 12 * i;
    const int igsk = u16At(p, base + 2), igfid = u16At(p, base + 6);
    text += QString::asprintf("fpa %d, gsk %d[%3.3f], gfid %d[%3.3f], tint %d\n", i16At(p, base), igsk, volts(igsk),
                              igfid, volts(igfid), u16At(p, base + 4));
  }
  return text;
}

int CDeviceUtilV7R2K::init(const QString& ip) {
  free();
  if (!valueconv::loginText(ip.toUtf8().toStdString(), login_.ip)) return -8;
  const int id = Ostrel_Login(&login_, &camera_);
  if (id < 0) return id;
  loginId_ = id;
  // UTF-8 as every other view shows the id; the last byte counts as the terminator.
  const QString did = QString::fromUtf8(camera_.cameraId, qsizetype(strnlen(camera_.cameraId, 31)));
  if (did != deviceId_) {
    deviceId_ = did;
    emit deviceIdChanged();
  }
  const std::string_view sw(camera_.softwareId, strnlen(camera_.softwareId, 32));
  int r = -2;
  if (sw.find("QPX") != std::string_view::npos) {
    FPAInfoQMRecord rec{};
    r = Ostrel_GetFPAInfoQM(loginId_, &rec);
    if (r >= 0) {
      fpa_ = rec;
      fpaInfo_ = registerText(rec);
      readCount_ = i16At(reinterpret_cast<const uint8_t*>(&rec), 18);
      readVolts_ = volts(readCount_);
      haveRead_ = true;
      volOffset_ = readVolts_;
      emit fpaInfoChanged();
      emit volOffsetChanged();
      return r;
    }
  }
  free();
  return r;
}

int CDeviceUtilV7R2K::applyVolOffset() {
  if (loginId_ < 0) return -7;
  ControlInfoX x{};
  if (haveRead_ && volOffset_ == readVolts_) {
    x = control::requestI32(control::kVoltageOffset, readCount_);
    return Ostrel_SendControlX(loginId_, &x);
  }
  if (!control::requestVoltageOffset(volOffset_, &x)) return -8;
  return Ostrel_SendControlX(loginId_, &x);
}
