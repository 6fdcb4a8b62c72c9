// Whole-record reads and writes of the camera's configuration channels.
#include <cstring>

#include "OstrelSDK.h"
#include "link/CommandChannel.h"
#include "link/LoginSessions.h"

namespace ostrel::sdk {
namespace {

constexpr uint16_t kPluginType = 48;
constexpr int32_t kPluginRead = 0;
constexpr int32_t kPluginWrite = 2;

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
  uint8_t req[72] = {};
  uint8_t reply[72];
  cmdPutHeader(req, kPluginType, sizeof req);
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
  uint16_t getType, setType;  // plug-in: both 48
  uint16_t size;
};

constexpr InfoEntry kInfoTable[] = {
    {0, 7, 9, 216},          {1, 11, 13, 52},         {2, 23, 25, 72},     {3, 15, 17, 16},
    {4, 31, 33, 40},         {5, 70, 72, 48},         {6, 52, 54, 128},    {7, 66, 68, 272},
    {8, 42, 44, 16},         {9, 37, 39, 16},         {10, 48, 48, 64},    {11, 124, 126, 32},
    {12, 128, 130, 64},      {100, 19, 21, 12},       {101, 58, 60, 12},   {102, 62, 64, 12},
    {103, 84, 86, 88},       {104, 88, 90, 88},       {105, 92, 94, 88},   {106, 96, 98, 88},
    {107, 100, 102, 88},     {108, 104, 106, 88},     {109, 108, 110, 88}, {110, 112, 114, 88},
    {111, 116, 118, 88},     {112, 120, 122, 132},    {113, 74, 76, 128},  {1000, 1000, 1002, 512},
    {1001, 1004, 1006, 512}, {1002, 1008, 1010, 512},
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
constexpr SelectorTypes kFpa{{19, 58, 62}, {21, 60, 64}};
constexpr SelectorTypes kFpaQJ{{84, 88, 92}, {86, 90, 94}};
constexpr SelectorTypes kFpaQP{{96, 100, 104}, {98, 102, 106}};
constexpr SelectorTypes kFpaVNR{{108, 112, 116}, {110, 114, 118}};

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

OSTREL_TYPED_PAIR(CameraNetworkInfo, CameraNetworkInfoRecord, 11, 13)
OSTREL_TYPED_PAIR(FFCInfo, FFCInfoRecord, 15, 17)
OSTREL_TYPED_PAIR(FixInfo, FixInfoRecord, 23, 25)
OSTREL_TYPED_PAIR(TvoutInfo, TvoutInfoRecord, 31, 33)
OSTREL_TYPED_PAIR(SerialPortInfo, SerialPortInfoRecord, 37, 39)
OSTREL_TYPED_PAIR(GpioInfo, GpioInfoRecord, 42, 44)
OSTREL_TYPED_PAIR(CameraTimeInfo, CameraTimeInfoRecord, 52, 54)
OSTREL_TYPED_PAIR(CameraOSDInfo, CameraOSDInfoRecord, 66, 68)
OSTREL_TYPED_PAIR(CameraOutputInfo, CameraOutputInfoRecord, 70, 72)
OSTREL_TYPED_PAIR(FPAInfoZR160, FPAInfoZR160Record, 74, 76)
OSTREL_TYPED_PAIR(FPAInfoQM, FPAInfoQMRecord, 120, 122)
#undef OSTREL_TYPED_PAIR

extern "C" OSTREL_API int Ostrel_GetCameraBasicInfo(int userId, CameraBasicInfoRecord* record) {
  if (!record) return OSTREL_E_ARGUMENT;
  CameraBasicInfoRecord r;
  int rc = getRecord(userId, 7, &r, sizeof r);
  if (rc != 0) return rc;
  if (r.sendRatio == 0) r.sendRatio = 1;
  *record = r;
  return 0;
}
extern "C" OSTREL_API int Ostrel_SetCameraBasicInfo(int userId, const CameraBasicInfoRecord* record) {
  return typedSet(userId, record, 9);
}

extern "C" OSTREL_API int Ostrel_GetCameraPluginInfo(int userId, CameraPluginInfoRecord* record) {
  if (!record) return OSTREL_E_ARGUMENT;
  return pluginExchange(userId, kPluginRead, record);
}
extern "C" OSTREL_API int Ostrel_SetCameraPluginInfo(int userId, const CameraPluginInfoRecord* record) {
  if (!record) return OSTREL_E_ARGUMENT;
  CameraPluginInfoRecord copy = *record;
  return pluginExchange(userId, kPluginWrite, &copy);
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
  if (e->getType == 48) return pluginExchange(userId, 0, static_cast<CameraPluginInfoRecord*>(buffer));
  return getRecord(userId, e->getType, buffer, e->size);
}

extern "C" OSTREL_API int Ostrel_SetInfo(int userId, int infoId, const void* buffer, int bufferSize) {
  LoginTarget t;
  int rc = loginTarget(userId, &t);
  if (rc != 0) return rc;
  const InfoEntry* e = infoLookup(infoId);
  if (!e || !buffer || bufferSize < int(e->size)) return OSTREL_E_ARGUMENT;
  if (e->setType == 48) {
    CameraPluginInfoRecord copy;
    std::memcpy(&copy, buffer, sizeof copy);
    return pluginExchange(userId, 2, &copy);
  }
  return setRecord(userId, e->setType, buffer, e->size);
}
