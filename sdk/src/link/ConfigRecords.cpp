// Whole-record reads and writes of the camera's configuration channels.
#include <cstring>

#include "OstrelSDK.h"
#include "link/CommandChannel.h"
#include "link/LoginSessions.h"

namespace ostrel::sdk {
namespace {

using namespace cmd;

// Reads a record through its get request; copies it into out only on success.
int getRecord(int userId, uint16_t getType, void* out, size_t size) {
  LoginTarget t;
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  uint8_t req[kCmdHeaderSize];
  uint8_t reply[kCmdMaxMessage];
  cmdPutHeader(req, getType, kCmdHeaderSize);
  const CmdTableEntry* row = cmdLookup(getType);
  if (!row || row->replySize != size + kCmdHeaderSize) return OSTREL_E_UNSUPPORTED;
  rc = cmdTransact(t.cameraIp, t.cmdPort, req, sizeof req, reply, sizeof reply);
  if (rc == 0) std::memcpy(out, reply + kCmdHeaderSize, size);
  return rc;
}

// Writes a record through its set request; success is the bare reply of type request + 1.
int setRecord(int userId, uint16_t setType, const void* in, size_t size) {
  LoginTarget t;
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  const CmdTableEntry* row = cmdLookup(setType);
  if (!row || row->requestSize != size + kCmdHeaderSize) return OSTREL_E_UNSUPPORTED;
  uint8_t req[kCmdMaxMessage];
  uint8_t reply[kCmdHeaderSize];
  cmdPutHeader(req, setType, uint16_t(size + kCmdHeaderSize));
  std::memcpy(req + kCmdHeaderSize, in, size);
  return cmdTransact(t.cameraIp, t.cmdPort, req, size + kCmdHeaderSize, reply, sizeof reply);
}

// The plug-in record travels behind an operation word, both ways; the reply must echo the word.
int pluginExchange(int userId, int32_t op, CameraPluginInfoRecord* record) {
  LoginTarget t;
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  uint8_t req[kPluginSize] = {};
  uint8_t reply[kPluginSize];
  cmdPutHeader(req, kPluginInfo, sizeof req);
  bytes::putI32(req + 4, op);
  if (op == kPluginWrite) std::memcpy(req + 8, record, sizeof *record);
  rc = cmdTransact(t.cameraIp, t.cmdPort, req, sizeof req, reply, sizeof reply);
  if (rc != 0) return rc;
  if (bytes::readI32(reply, sizeof reply, 4) != op) return OSTREL_E_UNSUPPORTED;
  if (op == kPluginRead) std::memcpy(record, reply + 8, sizeof *record);
  return 0;
}

struct InfoEntry {
  int infoId;
  uint16_t getType, setType;  // plug-in: both cmd::kPluginInfo
  uint16_t size;
};

template <typename Record>
constexpr InfoEntry info(int infoId, Type get, Type set) {
  return {infoId, get, set, uint16_t(sizeof(Record))};
}

constexpr InfoEntry kInfoTable[] = {
    info<CameraBasicInfoRecord>(0, kGetBasicInfo, kSetBasicInfo),
    info<CameraNetworkInfoRecord>(1, kGetNetworkInfo, kSetNetworkInfo),
    info<FixInfoRecord>(2, kGetFixInfo, kSetFixInfo),
    info<FFCInfoRecord>(3, kGetFfcInfo, kSetFfcInfo),
    info<TvoutInfoRecord>(4, kGetTvoutInfo, kSetTvoutInfo),
    info<CameraOutputInfoRecord>(5, kGetOutputInfo, kSetOutputInfo),
    info<CameraTimeInfoRecord>(6, kGetTimeInfo, kSetTimeInfo),
    info<CameraOSDInfoRecord>(7, kGetOsdInfo, kSetOsdInfo),
    info<GpioInfoRecord>(8, kGetGpioInfo, kSetGpioInfo),
    info<SerialPortInfoRecord>(9, kGetSerialPortInfo, kSetSerialPortInfo),
    info<CameraPluginInfoRecord>(10, kPluginInfo, kPluginInfo),
    info<DestripInfoRecord>(11, kGetDestripInfo, kSetDestripInfo),
    info<DenoiseInfoRecord>(12, kGetDenoiseInfo, kSetDenoiseInfo),
    info<FPAInfoRecord>(100, kGetFpaInfo0, kSetFpaInfo0),
    info<FPAInfoRecord>(101, kGetFpaInfo1, kSetFpaInfo1),
    info<FPAInfoRecord>(102, kGetFpaInfo2, kSetFpaInfo2),
    info<FPAInfoQJRecord>(103, kGetFpaQJ0, kSetFpaQJ0),
    info<FPAInfoQJRecord>(104, kGetFpaQJ1, kSetFpaQJ1),
    info<FPAInfoQJRecord>(105, kGetFpaQJ2, kSetFpaQJ2),
    info<FPAInfoQPRecord>(106, kGetFpaQP0, kSetFpaQP0),
    info<FPAInfoQPRecord>(107, kGetFpaQP1, kSetFpaQP1),
    info<FPAInfoQPRecord>(108, kGetFpaQP2, kSetFpaQP2),
    info<FPAInfoVNRRecord>(109, kGetFpaVNR0, kSetFpaVNR0),
    info<FPAInfoVNRRecord>(110, kGetFpaVNR1, kSetFpaVNR1),
    info<FPAInfoVNRRecord>(111, kGetFpaVNR2, kSetFpaVNR2),
    info<FPAInfoQMRecord>(112, kGetFpaQM, kSetFpaQM),
    info<FPAInfoZR160Record>(113, kGetFpaZR160, kSetFpaZR160),
    info<ExtendedInfoBlock>(1000, kGetExtended0, kSetExtended0),
    info<ExtendedInfoBlock>(1001, kGetExtended1, kSetExtended1),
    info<ExtendedInfoBlock>(1002, kGetExtended2, kSetExtended2),
};

const InfoEntry* infoLookup(int infoId) {
  for (const auto& e : kInfoTable)
    if (e.infoId == infoId) return &e;
  return nullptr;
}

// get / set request types of the three register sets of a selector pair.
struct SelectorTypes {
  uint16_t get[3], set[3];
};
constexpr SelectorTypes kFpa{{kGetFpaInfo0, kGetFpaInfo1, kGetFpaInfo2}, {kSetFpaInfo0, kSetFpaInfo1, kSetFpaInfo2}};
constexpr SelectorTypes kFpaQJ{{kGetFpaQJ0, kGetFpaQJ1, kGetFpaQJ2}, {kSetFpaQJ0, kSetFpaQJ1, kSetFpaQJ2}};
constexpr SelectorTypes kFpaQP{{kGetFpaQP0, kGetFpaQP1, kGetFpaQP2}, {kSetFpaQP0, kSetFpaQP1, kSetFpaQP2}};
constexpr SelectorTypes kFpaVNR{{kGetFpaVNR0, kGetFpaVNR1, kGetFpaVNR2}, {kSetFpaVNR0, kSetFpaVNR1, kSetFpaVNR2}};

template <typename R>
int selectorGet(int userId, R* record, int selector, const SelectorTypes& t) {
  if (unsigned(selector) > 2) return OSTREL_E_UNSUPPORTED;
  if (!record) return OSTREL_E_ARGUMENT;
  return getRecord(userId, t.get[selector], record, sizeof *record);
}
template <typename R>
int selectorSet(int userId, const R* record, int selector, const SelectorTypes& t) {
  if (unsigned(selector) > 2) return OSTREL_E_UNSUPPORTED;
  if (!record) return OSTREL_E_ARGUMENT;
  return setRecord(userId, t.set[selector], record, sizeof *record);
}

template <typename R>
int typedGet(int userId, R* record, uint16_t type) {
  if (!record) return OSTREL_E_ARGUMENT;
  return getRecord(userId, type, record, sizeof *record);
}
template <typename R>
int typedSet(int userId, const R* record, uint16_t type) {
  if (!record) return OSTREL_E_ARGUMENT;
  return setRecord(userId, type, record, sizeof *record);
}

}  // namespace
}  // namespace ostrel::sdk

using namespace ostrel::sdk;

#define OSTREL_TYPED_PAIR(Name, Record, getType, setType)                        \
  extern "C" OSTREL_API int Ostrel_Get##Name(int userId, Record* record) {       \
    return typedGet(userId, record, getType);                                    \
  }                                                                              \
  extern "C" OSTREL_API int Ostrel_Set##Name(int userId, const Record* record) { \
    return typedSet(userId, record, setType);                                    \
  }

OSTREL_TYPED_PAIR(CameraNetworkInfo, CameraNetworkInfoRecord, cmd::kGetNetworkInfo, cmd::kSetNetworkInfo)
OSTREL_TYPED_PAIR(FFCInfo, FFCInfoRecord, cmd::kGetFfcInfo, cmd::kSetFfcInfo)
OSTREL_TYPED_PAIR(TvoutInfo, TvoutInfoRecord, cmd::kGetTvoutInfo, cmd::kSetTvoutInfo)
OSTREL_TYPED_PAIR(SerialPortInfo, SerialPortInfoRecord, cmd::kGetSerialPortInfo, cmd::kSetSerialPortInfo)
OSTREL_TYPED_PAIR(GpioInfo, GpioInfoRecord, cmd::kGetGpioInfo, cmd::kSetGpioInfo)
OSTREL_TYPED_PAIR(CameraTimeInfo, CameraTimeInfoRecord, cmd::kGetTimeInfo, cmd::kSetTimeInfo)
OSTREL_TYPED_PAIR(CameraOSDInfo, CameraOSDInfoRecord, cmd::kGetOsdInfo, cmd::kSetOsdInfo)
OSTREL_TYPED_PAIR(CameraOutputInfo, CameraOutputInfoRecord, cmd::kGetOutputInfo, cmd::kSetOutputInfo)
OSTREL_TYPED_PAIR(FPAInfoZR160, FPAInfoZR160Record, cmd::kGetFpaZR160, cmd::kSetFpaZR160)
OSTREL_TYPED_PAIR(FPAInfoQM, FPAInfoQMRecord, cmd::kGetFpaQM, cmd::kSetFpaQM)
#undef OSTREL_TYPED_PAIR

// The correction record also stays the login's copy, so that a recording begun afterwards carries
// what the camera holds now, not what it held at the login.
extern "C" OSTREL_API int Ostrel_GetFixInfo(int userId, FixInfoRecord* record) {
  LoginTarget t{};
  if (loginTarget(userId, &t) != 0) t.cameraIp = 0;
  const int rc = typedGet(userId, record, cmd::kGetFixInfo);
  if (rc == 0 && t.cameraIp != 0) rememberLoginFix(userId, t.cameraIp, *record);
  return rc;
}
extern "C" OSTREL_API int Ostrel_SetFixInfo(int userId, const FixInfoRecord* record) {
  LoginTarget t{};
  if (loginTarget(userId, &t) != 0) t.cameraIp = 0;
  const int rc = typedSet(userId, record, cmd::kSetFixInfo);
  if (rc == 0 && t.cameraIp != 0) rememberLoginFix(userId, t.cameraIp, *record);
  return rc;
}

extern "C" OSTREL_API int Ostrel_GetCameraBasicInfo(int userId, CameraBasicInfoRecord* record) {
  if (!record) return OSTREL_E_ARGUMENT;
  CameraBasicInfoRecord r;
  int rc = getRecord(userId, cmd::kGetBasicInfo, &r, sizeof r);
  if (rc != 0) return rc;
  if (r.sendRatio == 0) r.sendRatio = 1;
  *record = r;
  return 0;
}
extern "C" OSTREL_API int Ostrel_SetCameraBasicInfo(int userId, const CameraBasicInfoRecord* record) {
  return typedSet(userId, record, cmd::kSetBasicInfo);
}

extern "C" OSTREL_API int Ostrel_GetCameraPluginInfo(int userId, CameraPluginInfoRecord* record) {
  if (!record) return OSTREL_E_ARGUMENT;
  return pluginExchange(userId, cmd::kPluginRead, record);
}
extern "C" OSTREL_API int Ostrel_SetCameraPluginInfo(int userId, const CameraPluginInfoRecord* record) {
  if (!record) return OSTREL_E_ARGUMENT;
  CameraPluginInfoRecord copy = *record;
  return pluginExchange(userId, cmd::kPluginWrite, &copy);
}

#define OSTREL_SELECTOR_PAIR(Name, Record, table)                                              \
  extern "C" OSTREL_API int Ostrel_Get##Name(int userId, Record* record, int selector) {       \
    return selectorGet(userId, record, selector, table);                                       \
  }                                                                                            \
  extern "C" OSTREL_API int Ostrel_Set##Name(int userId, const Record* record, int selector) { \
    return selectorSet(userId, record, selector, table);                                       \
  }

OSTREL_SELECTOR_PAIR(FPAInfo, FPAInfoRecord, kFpa)
OSTREL_SELECTOR_PAIR(FPAInfoQJ, FPAInfoQJRecord, kFpaQJ)
OSTREL_SELECTOR_PAIR(FPAInfoQP, FPAInfoQPRecord, kFpaQP)
OSTREL_SELECTOR_PAIR(FPAInfoVNR, FPAInfoVNRRecord, kFpaVNR)
#undef OSTREL_SELECTOR_PAIR

extern "C" OSTREL_API int Ostrel_GetInfo(int userId, int infoId, void* buffer, int bufferSize) {
  LoginTarget t;
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  const InfoEntry* e = infoLookup(infoId);
  if (!e || !buffer || bufferSize < int(e->size)) return OSTREL_E_ARGUMENT;
  if (e->getType == cmd::kPluginInfo)
    return pluginExchange(userId, cmd::kPluginRead, static_cast<CameraPluginInfoRecord*>(buffer));
  return getRecord(userId, e->getType, buffer, e->size);
}

extern "C" OSTREL_API int Ostrel_SetInfo(int userId, int infoId, const void* buffer, int bufferSize) {
  LoginTarget t;
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  const InfoEntry* e = infoLookup(infoId);
  if (!e || !buffer || bufferSize < int(e->size)) return OSTREL_E_ARGUMENT;
  if (e->setType == cmd::kPluginInfo) {
    CameraPluginInfoRecord copy;
    std::memcpy(&copy, buffer, sizeof copy);
    return pluginExchange(userId, cmd::kPluginWrite, &copy);
  }
  return setRecord(userId, e->setType, buffer, e->size);
}
