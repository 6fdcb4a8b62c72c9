#include "ControlCommands.h"

#include <cstring>

namespace control {

namespace {

const CommandDef kTable[] = {
    {Channel::OneWay, kShutter, -1, Arg::Byte, "shutter"},
    {Channel::OneWay, kRestart, -1, Arg::None, "restart"},
    {Channel::OneWay, kFlatField, -1, Arg::None, "flat-field correction"},
    {Channel::OneWay, kRestoreFactory, -1, Arg::None, "restore factory settings"},
    {Channel::OneWay, kFocusStep, -1, Arg::I16, "manual focus step"},
    {Channel::OneWay, kFocusConti, -1, Arg::Byte, "continuous manual focus"},
    {Channel::Request, kClockGet, -1, Arg::None, "read clock"},
    {Channel::Request, kClockSet, -1, Arg::Clock, "set clock"},
    {Channel::Request, kGearGet, -1, Arg::None, "read zoom gear"},
    {Channel::Request, kGearSet, -1, Arg::I32, "set zoom gear"},
    {Channel::Request, kFocusRegion, -1, Arg::Region, "autofocus region"},
    {Channel::Request, kExtBbGet, -1, Arg::None, "read external blackbody"},
    {Channel::Request, kExtBbSet, -1, Arg::ExtBb, "set external blackbody"},
    {Channel::Request, kClockPlain, -1, Arg::None, "clock without payload"},
    {Channel::Request, kPtz, kPtzStop, Arg::PtzByte, "pan-tilt stop"},
    {Channel::Request, kPtz, kPtzUp, Arg::PtzByte, "pan-tilt up"},
    {Channel::Request, kPtz, kPtzDown, Arg::PtzByte, "pan-tilt down"},
    {Channel::Request, kPtz, kPtzLeft, Arg::PtzByte, "pan-tilt left"},
    {Channel::Request, kPtz, kPtzRight, Arg::PtzByte, "pan-tilt right"},
    {Channel::Request, kPtz, kPtzUpLeft, Arg::PtzByte, "pan-tilt up-left"},
    {Channel::Request, kPtz, kPtzUpRight, Arg::PtzByte, "pan-tilt up-right"},
    {Channel::Request, kPtz, kPtzDownLeft, Arg::PtzByte, "pan-tilt down-left"},
    {Channel::Request, kPtz, kPtzDownRight, Arg::PtzByte, "pan-tilt down-right"},
    {Channel::Request, kPtz, kPtzPresetStore, Arg::PtzByte, "pan-tilt store preset"},
    {Channel::Request, kPtz, kPtzPresetGoto, Arg::PtzByte, "pan-tilt go to preset"},
    {Channel::Request, kPtz, kPtzPositionGet, Arg::None, "pan-tilt read position"},
    {Channel::Request, kPtz, kPtzPositionSet, Arg::PtzPosition, "pan-tilt set position"},
    {Channel::Request, kPtz, kPtzLight, Arg::PtzByte, "pan-tilt light"},
    {Channel::Request, kVoltageOffset, -1, Arg::I32, "detector voltage offset"},
    {Channel::Request, kMotorAbs, -1, Arg::I32, "focus motor absolute"},
    {Channel::Request, kMotorRel, -1, Arg::I32, "focus motor relative"},
    {Channel::Request, kCaliResolution, -1, Arg::I32, "calibration resolution index"},
    {Channel::Request, kFilterReset, -1, Arg::I32, "filter wheel reset"},
    {Channel::Request, kFilterGoto, -1, Arg::I32, "filter wheel go to"},
    {Channel::Request, kGpioOutputs, -1, Arg::I32Pair, "GPIO outputs"},
};

void putI32(ControlInfoX& x, int offset, int32_t v) {
  uint8_t* p = reinterpret_cast<uint8_t*>(&x) + offset;
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(uint32_t(v) >> (8 * i));
}

void putU16(ControlInfoX& x, int offset, int v) {
  uint8_t* p = reinterpret_cast<uint8_t*>(&x) + offset;
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

}  // namespace

const CommandDef* commandTable(int* count) {
  if (count) *count = int(std::size(kTable));
  return kTable;
}

const CommandDef* findCommand(Channel channel, int code, int sub) {
  for (const CommandDef& d : kTable)
    if (d.channel == channel && d.code == code && d.sub == sub) return &d;
  return nullptr;
}

ControlInfo oneWay(OneWay type) {
  ControlInfo c;
  std::memset(&c, 0, sizeof c);
  c.type = type;
  return c;
}

ControlInfo oneWayByte(OneWay type, uint8_t value) {
  ControlInfo c = oneWay(type);
  c.arg[0] = value;
  return c;
}

ControlInfo oneWayI16(OneWay type, int16_t value) {
  ControlInfo c = oneWay(type);
  c.arg[0] = uint8_t(uint16_t(value));
  c.arg[1] = uint8_t(uint16_t(value) >> 8);
  return c;
}

ControlInfoX request(Request type) {
  ControlInfoX x;
  std::memset(&x, 0, sizeof x);
  x.type = type;
  return x;
}

ControlInfoX requestI32(Request type, int32_t value) {
  ControlInfoX x = request(type);
  putI32(x, 4, value);
  return x;
}

ControlInfoX requestGpio(int32_t mask, int32_t values) {
  ControlInfoX x = request(kGpioOutputs);
  putI32(x, 4, mask);
  putI32(x, 8, values);
  return x;
}

ControlInfoX requestClockSet(const QDateTime& utc) {
  ControlInfoX x = request(kClockSet);
  const QDate d = utc.date();
  const QTime t = utc.time();
  const int v[6] = {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
  for (int i = 0; i < 6; ++i) putI32(x, 4 + 4 * i, v[i]);
  return x;
}

ControlInfoX requestRegion(int x0, int y0, int x1, int y1) {
  ControlInfoX x = request(kFocusRegion);
  putU16(x, 4, x0);
  putU16(x, 6, y0);
  putU16(x, 8, x1);
  putU16(x, 10, y1);
  return x;
}

ControlInfoX requestPtz(Ptz sub, uint8_t value) {
  ControlInfoX x = request(kPtz);
  x.payload[0] = sub;
  x.payload[1] = value;
  return x;
}

ControlInfoX requestPtzPosition(int32_t pan, int32_t tilt, int32_t third) {
  ControlInfoX x = request(kPtz);
  x.payload[0] = kPtzPositionSet;
  putI32(x, 8, pan);
  putI32(x, 12, tilt);
  putI32(x, 16, third);
  return x;
}

ControlInfoX requestExtBb(int16_t enable, int16_t tempTenths, int16_t px, int16_t py, int16_t radius) {
  ControlInfoX x = request(kExtBbSet);
  const int16_t v[5] = {enable, tempTenths, px, py, radius};
  for (int i = 0; i < 5; ++i) putU16(x, 4 + 2 * i, uint16_t(v[i]));
  return x;
}

int32_t replyI32(const ControlInfoX& reply, int offset) {
  if (offset < 0 || offset > int(sizeof reply) - 4) return 0;
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&reply) + offset;
  return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

QString replyClockText(const ControlInfoX& reply) {
  return QString::asprintf("%04d-%02d-%02dT%02d:%02d:%02dZ", replyI32(reply, 4), replyI32(reply, 8),
                           replyI32(reply, 12), replyI32(reply, 16), replyI32(reply, 20), replyI32(reply, 24));
}

void defaultFocusRegion(int width, int height, int* x0, int* y0, int* x1, int* y1) {
  *x0 = width / 4;
  *y0 = height / 4;
  *x1 = 3 * width / 4;
  *y1 = 3 * height / 4;
}

}  // namespace control
