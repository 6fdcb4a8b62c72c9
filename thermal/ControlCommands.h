// Every camera command the device tool and the workstation's live and pan-tilt modules send: the
// one-way ControlInfo and the request-reply ControlInfoX, their codes, the pan-tilt sub-commands,
// and the builders and reply readers that lay out the payloads (the device tool's voltage offset,
// which converts by its own value rules, is in its DeviceCommands.h). Offsets are record
// offsets (the ControlInfoX type occupies bytes 0-3, so the payload starts at 4).
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

#include "OstrelSDK.h"

namespace control {

// One-way commands (ControlInfo.type).
enum OneWay : uint16_t {
  kShutter = 2,         // byte at 2: 0 open, 1 close
  kRestart = 4,         // no argument
  kFlatField = 32,      // no argument
  kRestoreFactory = 33, // no argument
  kFocusStep = 34,      // i16 at 2: negative near, positive far
  kFocusConti = 38,     // byte at 2: 0 stop, 1 far, 2 near
};

// Request-reply commands (ControlInfoX.type).
enum Request : int32_t {
  kClockGet = 0,
  kClockSet = 1,
  kGearGet = 2,
  kGearSet = 3,
  kFocusRegion = 4,
  kExtBbGet = 11,
  kExtBbSet = 12,
  kClockPlain = 13,
  kPtz = 14,
  kVoltageOffset = 16,
  kMotorAbs = 17,
  kMotorRel = 18,
  kCaliResolution = 20,
  kFilterReset = 21,
  kFilterGoto = 22,
  kGpioOutputs = 128,
};

// Pan-tilt sub-commands (byte at 4 of a kPtz request).
enum Ptz : uint8_t {
  kPtzStop = 0,
  kPtzUp = 1,
  kPtzDown = 2,
  kPtzLeft = 3,
  kPtzRight = 4,
  kPtzUpLeft = 5,
  kPtzUpRight = 6,
  kPtzDownLeft = 7,
  kPtzDownRight = 8,
  kPtzPresetStore = 15,
  kPtzPresetGoto = 17,
  kPtzPositionGet = 18,
  kPtzPositionSet = 19,
  kPtzLight = 30,
};

// One row of the command table: where it goes and what its request carries.
enum class Channel { OneWay, Request };
enum class Arg { None, Byte, I16, I32, I32Pair, Region, Clock, ExtBb, PtzByte, PtzPosition };
struct CommandDef {
  Channel channel;
  int code;
  int sub;  // pan-tilt sub-command, -1 for the others
  Arg arg;
  const char* name;
};
// The whole table, in code order; `findCommand` looks a row up.
const CommandDef* commandTable(int* count);
const CommandDef* findCommand(Channel channel, int code, int sub = -1);

// One-way records.
ControlInfo oneWay(OneWay type);
ControlInfo oneWayByte(OneWay type, uint8_t value);
ControlInfo oneWayI16(OneWay type, int16_t value);

// Request records; every byte not named is 0.
ControlInfoX request(Request type);
ControlInfoX requestI32(Request type, int32_t value);                // i32 at 4
ControlInfoX requestGpio(int32_t mask, int32_t values);              // 128: mask at 4, values at 8
ControlInfoX requestClockSet(const QDateTime& utc);                  // 1: six i32 from 4
ControlInfoX requestRegion(int x0, int y0, int x1, int y1);          // 4: u16 at 4, 6, 8, 10
ControlInfoX requestPtz(Ptz sub, uint8_t value);                     // 14: sub at 4, byte at 5
ControlInfoX requestPtzPosition(int32_t pan, int32_t tilt, int32_t third);  // 14/19: i32 at 8, 12, 16
// ExtBbConfig at 4: i16 enable, temperature (tenths of a degree), x, y, radius.
ControlInfoX requestExtBb(int16_t enable, int16_t tempTenths, int16_t x, int16_t y, int16_t radius);

// Reply readers.
int32_t replyI32(const ControlInfoX& reply, int offset);  // offset 4, 8, ... up to 64
// "%04d-%02d-%02dT%02d:%02d:%02dZ" of a clock reply.
QString replyClockText(const ControlInfoX& reply);

// The default focus region of a W x H preview: its middle half.
void defaultFocusRegion(int width, int height, int* x0, int* y0, int* x1, int* y1);

}  // namespace control
