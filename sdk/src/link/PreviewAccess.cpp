#include "link/PreviewAccess.h"

#include <cstring>

#include "link/CommandChannel.h"
#include "link/LoginSessions.h"

namespace ostrel::sdk {

bool copyLogin(int userId, uint32_t* ip, LoginPorts* ports, CameraBasicInfoRecord* basic, FixInfoRecord* fix) {
  LoginSlot* s = loginSlotLocked(userId);
  if (!s) return false;
  *ip = s->cameraIp;
  *ports = LoginPorts{s->cmdPort, s->tempPort, s->videoPort, s->mixPort};
  *basic = s->basic;
  *fix = s->fix;
  return true;
}

int readCameraRecord(uint32_t ip, uint16_t cmdPort, uint16_t requestType, void* out, size_t size) {
  const CmdTableEntry* e = cmdLookup(requestType);
  if (!e) return OSTREL_E_UNSUPPORTED;
  uint8_t request[kCmdMaxMessage] = {};
  uint8_t reply[kCmdMaxMessage] = {};
  cmdPutHeader(request, requestType, e->requestSize);
  int rc = cmdTransact(ip, cmdPort, request, e->requestSize, reply, sizeof reply);
  if (rc != 0) return rc;
  size_t payload = e->replySize > kCmdHeaderSize ? e->replySize - kCmdHeaderSize : 0;
  std::memcpy(out, reply + kCmdHeaderSize, payload < size ? payload : size);
  return 0;
}

}  // namespace ostrel::sdk
