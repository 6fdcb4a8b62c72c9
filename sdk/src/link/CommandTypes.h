// The catalogue of request types of the camera command channel: every type the SDK sends on it,
// by name, with the record it carries. A reply carries the request's type + 1. Sizes are totals,
// header included, derived from the records and checked against the wire sizes at compile time.
// No other file writes a request type as a number.
#pragma once

#include <cstddef>
#include <cstdint>

#include "OstrelSDK.h"

namespace ostrel::sdk {

constexpr size_t kCmdHeaderSize = 4;

namespace cmd {

// A get is the bare header and its reply carries the record; its set carries the record and is
// answered with the bare header. Selector pairs (register sets 0, 1, 2) are listed in order.
enum Type : uint16_t {
  kQuery2 = 2,  // bare request, 24-byte reply; no export sends it
  kQuery4 = 4,  // bare request, bare reply; no export sends it
  kControl = 6,  // ControlInfo, one-way
  kGetBasicInfo = 7,
  kSetBasicInfo = 9,
  kGetNetworkInfo = 11,
  kSetNetworkInfo = 13,
  kGetFfcInfo = 15,
  kSetFfcInfo = 17,
  kGetFpaInfo0 = 19,
  kSetFpaInfo0 = 21,
  kGetFixInfo = 23,
  kSetFixInfo = 25,
  kGetTvoutInfo = 31,
  kSetTvoutInfo = 33,
  kGetSerialPortInfo = 37,
  kSetSerialPortInfo = 39,
  kSerialData = 41,  // 32 bytes of serial data, one-way
  kGetGpioInfo = 42,
  kSetGpioInfo = 44,
  kQuery46 = 46,  // bare request, 8-byte reply; no export sends it
  kPluginInfo = 48,  // operation word + CameraPluginInfoRecord, both ways
  kGetTimeInfo = 52,
  kSetTimeInfo = 54,
  kControlX = 56,  // ControlInfoX, answered with a ControlInfoX
  kGetFpaInfo1 = 58,
  kSetFpaInfo1 = 60,
  kGetFpaInfo2 = 62,
  kSetFpaInfo2 = 64,
  kGetOsdInfo = 66,
  kSetOsdInfo = 68,
  kGetOutputInfo = 70,
  kSetOutputInfo = 72,
  kGetFpaZR160 = 74,
  kSetFpaZR160 = 76,
  kGetFpaQJ0 = 84,
  kSetFpaQJ0 = 86,
  kGetFpaQJ1 = 88,
  kSetFpaQJ1 = 90,
  kGetFpaQJ2 = 92,
  kSetFpaQJ2 = 94,
  kGetFpaQP0 = 96,
  kSetFpaQP0 = 98,
  kGetFpaQP1 = 100,
  kSetFpaQP1 = 102,
  kGetFpaQP2 = 104,
  kSetFpaQP2 = 106,
  kGetFpaVNR0 = 108,
  kSetFpaVNR0 = 110,
  kGetFpaVNR1 = 112,
  kSetFpaVNR1 = 114,
  kGetFpaVNR2 = 116,
  kSetFpaVNR2 = 118,
  kGetFpaQM = 120,
  kSetFpaQM = 122,
  kGetDestripInfo = 124,
  kSetDestripInfo = 126,
  kGetDenoiseInfo = 128,
  kSetDenoiseInfo = 130,
  kGetExtended0 = 1000,
  kSetExtended0 = 1002,
  kGetExtended1 = 1004,
  kSetExtended1 = 1006,
  kGetExtended2 = 1008,
  kSetExtended2 = 1010,
};

// Operation words of the plug-in record exchange.
constexpr int32_t kPluginRead = 0;
constexpr int32_t kPluginWrite = 2;

// Sizes of the messages whose payload is a whole record.
template <typename Record>
constexpr uint16_t withHeader() {
  static_assert(sizeof(Record) + kCmdHeaderSize <= 0xFFFF);
  return static_cast<uint16_t>(sizeof(Record) + kCmdHeaderSize);
}
constexpr uint16_t kControlSize = withHeader<ControlInfo>();
constexpr uint16_t kControlXSize = withHeader<ControlInfoX>();
constexpr uint16_t kSerialDataSize = kCmdHeaderSize + 32;
constexpr uint16_t kPluginSize = kCmdHeaderSize + sizeof(int32_t) + sizeof(CameraPluginInfoRecord);

// The wire sizes the protocol fixes; a record that changed size would break the channel.
static_assert(kControlSize == 14 && kControlXSize == 72 && kPluginSize == 72);
static_assert(withHeader<CameraBasicInfoRecord>() == 220 && withHeader<CameraNetworkInfoRecord>() == 56);
static_assert(withHeader<FFCInfoRecord>() == 20 && withHeader<FPAInfoRecord>() == 16);
static_assert(withHeader<FixInfoRecord>() == 76 && withHeader<TvoutInfoRecord>() == 44);
static_assert(withHeader<SerialPortInfoRecord>() == 20 && withHeader<GpioInfoRecord>() == 20);
static_assert(withHeader<CameraTimeInfoRecord>() == 132 && withHeader<CameraOSDInfoRecord>() == 276);
static_assert(withHeader<CameraOutputInfoRecord>() == 52 && withHeader<FPAInfoZR160Record>() == 132);
static_assert(withHeader<FPAInfoQJRecord>() == 92 && withHeader<FPAInfoQPRecord>() == 92);
static_assert(withHeader<FPAInfoVNRRecord>() == 92 && withHeader<FPAInfoQMRecord>() == 136);
static_assert(withHeader<DestripInfoRecord>() == 36 && withHeader<DenoiseInfoRecord>() == 68);
static_assert(withHeader<ExtendedInfoBlock>() == 516);

}  // namespace cmd

// The largest message of the catalogue (extended blocks: 512 + header).
constexpr size_t kCmdMaxMessage = cmd::withHeader<ExtendedInfoBlock>();

// One row of the catalogue.
struct CmdTableEntry {
  uint16_t requestType;
  uint16_t requestSize;  // total, header included
  uint16_t replyType;    // 0: one-way, no reply is read
  uint16_t replySize;    // total, header included
  const char* name;      // for log lines
};

// The catalogue row of a request type, or null when the type is not handled by the channel.
const CmdTableEntry* cmdLookup(uint16_t requestType);
// The name of a request type ("GetFixInfo"), "unknown" outside the catalogue.
const char* cmdTypeName(uint16_t requestType);

}  // namespace ostrel::sdk
