#include "link/CommandTypes.h"

#include <iterator>

namespace ostrel::sdk {

namespace {

using namespace cmd;

constexpr CmdTableEntry bare(Type t, uint16_t replySize, const char* name) {
  return {t, kCmdHeaderSize, uint16_t(t + 1), replySize, name};
}
constexpr CmdTableEntry oneWay(Type t, uint16_t size, const char* name) {
  return {t, size, 0, 0, name};
}
constexpr CmdTableEntry both(Type t, uint16_t size, const char* name) {
  return {t, size, uint16_t(t + 1), size, name};
}
template <typename Record>
constexpr CmdTableEntry getOf(Type t, const char* name) {
  return {t, kCmdHeaderSize, uint16_t(t + 1), withHeader<Record>(), name};
}
template <typename Record>
constexpr CmdTableEntry setOf(Type t, const char* name) {
  return {t, withHeader<Record>(), uint16_t(t + 1), kCmdHeaderSize, name};
}

#define OSTREL_CMD_PAIR(Record, Name) \
  getOf<Record>(kGet##Name, "Get" #Name), setOf<Record>(kSet##Name, "Set" #Name)

constexpr CmdTableEntry kTable[] = {
    bare(kQuery2, 24, "Query2"),
    bare(kQuery4, kCmdHeaderSize, "Query4"),
    oneWay(kControl, kControlSize, "Control"),
    OSTREL_CMD_PAIR(CameraBasicInfoRecord, BasicInfo),
    OSTREL_CMD_PAIR(CameraNetworkInfoRecord, NetworkInfo),
    OSTREL_CMD_PAIR(FFCInfoRecord, FfcInfo),
    OSTREL_CMD_PAIR(FPAInfoRecord, FpaInfo0),
    OSTREL_CMD_PAIR(FixInfoRecord, FixInfo),
    OSTREL_CMD_PAIR(TvoutInfoRecord, TvoutInfo),
    OSTREL_CMD_PAIR(SerialPortInfoRecord, SerialPortInfo),
    oneWay(kSerialData, kSerialDataSize, "SerialData"),
    OSTREL_CMD_PAIR(GpioInfoRecord, GpioInfo),
    bare(kQuery46, 8, "Query46"),
    both(kPluginInfo, kPluginSize, "PluginInfo"),
    OSTREL_CMD_PAIR(CameraTimeInfoRecord, TimeInfo),
    both(kControlX, kControlXSize, "ControlX"),
    OSTREL_CMD_PAIR(FPAInfoRecord, FpaInfo1),
    OSTREL_CMD_PAIR(FPAInfoRecord, FpaInfo2),
    OSTREL_CMD_PAIR(CameraOSDInfoRecord, OsdInfo),
    OSTREL_CMD_PAIR(CameraOutputInfoRecord, OutputInfo),
    OSTREL_CMD_PAIR(FPAInfoZR160Record, FpaZR160),
    OSTREL_CMD_PAIR(FPAInfoQJRecord, FpaQJ0),
    OSTREL_CMD_PAIR(FPAInfoQJRecord, FpaQJ1),
    OSTREL_CMD_PAIR(FPAInfoQJRecord, FpaQJ2),
    OSTREL_CMD_PAIR(FPAInfoQPRecord, FpaQP0),
    OSTREL_CMD_PAIR(FPAInfoQPRecord, FpaQP1),
    OSTREL_CMD_PAIR(FPAInfoQPRecord, FpaQP2),
    OSTREL_CMD_PAIR(FPAInfoVNRRecord, FpaVNR0),
    OSTREL_CMD_PAIR(FPAInfoVNRRecord, FpaVNR1),
    OSTREL_CMD_PAIR(FPAInfoVNRRecord, FpaVNR2),
    OSTREL_CMD_PAIR(FPAInfoQMRecord, FpaQM),
    OSTREL_CMD_PAIR(DestripInfoRecord, DestripInfo),
    OSTREL_CMD_PAIR(DenoiseInfoRecord, DenoiseInfo),
    OSTREL_CMD_PAIR(ExtendedInfoBlock, Extended0),
    OSTREL_CMD_PAIR(ExtendedInfoBlock, Extended1),
    OSTREL_CMD_PAIR(ExtendedInfoBlock, Extended2),
};
#undef OSTREL_CMD_PAIR

constexpr bool typesAreUnique() {
  for (size_t i = 0; i < std::size(kTable); ++i)
    for (size_t j = i + 1; j < std::size(kTable); ++j)
      if (kTable[i].requestType == kTable[j].requestType) return false;
  return true;
}
static_assert(typesAreUnique());
constexpr bool sizesFitTheLargestMessage() {
  for (const auto& e : kTable)
    if (e.requestSize > kCmdMaxMessage || e.replySize > kCmdMaxMessage) return false;
  return true;
}
static_assert(sizesFitTheLargestMessage());
static_assert(std::size(kTable) == 65);

}  // namespace

const CmdTableEntry* cmdLookup(uint16_t requestType) {
  for (const auto& e : kTable)
    if (e.requestType == requestType) return &e;
  return nullptr;
}

const char* cmdTypeName(uint16_t requestType) {
  const CmdTableEntry* e = cmdLookup(requestType);
  return e ? e->name : "unknown";
}

}  // namespace ostrel::sdk
