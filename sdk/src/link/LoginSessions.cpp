#include "link/LoginSessions.h"

#include <arpa/inet.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "OstrelSDK.h"
#include "foundation/Logger.h"
#include "frame/SdkLifecycle.h"
#include "frame/SdkState.h"
#include "link/CommandChannel.h"

namespace ostrel::sdk {

namespace {

LoginSlot g_slots[kSlotCount];  // guarded by sdkLock()

// Ostrel_FreeSDK logs out every session after previews have stopped.
const ShutdownHook g_logoutHook(50, &logoutAll);

void freeSlot(LoginSlot& s) {
  std::free(s.snapshot);
  std::memset(&s, 0, sizeof s);
}

// Builds the login's clock message: ControlInfoX type 1 with the UTC date and time.
void buildClockMessage(uint8_t* msg) {
  std::memset(msg, 0, cmd::kControlXSize);
  cmdPutHeader(msg, cmd::kControlX, cmd::kControlXSize);
  bytes::putI32(msg + 4, 1);
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  if (gmtime_r(&now, &utc)) {
    const int32_t v[6] = {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                          utc.tm_hour,        utc.tm_min,     utc.tm_sec};
    for (int i = 0; i < 6; ++i) bytes::putI32(msg + 8 + 4 * i, v[i]);
  }
}

}  // namespace

LoginSlot* loginSlotLocked(int userId) {
  if (!sdkSlotIdValid(userId)) return nullptr;
  LoginSlot& s = g_slots[userId];
  return (s.flags & 1) ? &s : nullptr;
}

void rememberLoginFix(int userId, uint32_t cameraIp, const FixInfoRecord& fix) {
  if (!sdkSlotIdValid(userId)) return;
  std::lock_guard<std::mutex> lock(sdkLock());
  LoginSlot* s = loginSlotLocked(userId);
  if (s && s->cameraIp == cameraIp) s->fix = fix;
}

int loginTarget(int userId, LoginTarget* out) {
  if (!sdkSlotIdValid(userId)) return OSTREL_E_HANDLE;
  std::lock_guard<std::mutex> lock(sdkLock());
  const LoginSlot* s = loginSlotLocked(userId);
  if (!s) return OSTREL_E_HANDLE;
  out->cameraIp = s->cameraIp;
  out->cmdPort = s->cmdPort;
  return 0;
}

size_t snapshotBufferSize(uint16_t dataW, uint16_t dataH, uint16_t imageW, uint16_t imageH) {
  const uint64_t pixels = uint64_t(dataW) * dataH + 2 * uint64_t(imageW) * imageH;
  if (pixels > kSnapshotMaxPixels) return 0;
  return size_t((pixels + 8358) * 2);
}

void logoutAll() {
  std::lock_guard<std::mutex> lock(sdkLock());
  for (auto& s : g_slots)
    if (s.flags & 1) freeSlot(s);
}

}  // namespace ostrel::sdk

using namespace ostrel::sdk;

extern "C" OSTREL_API int Ostrel_LoginV2(const LoginInfoV2* info, CameraBasicInfoRecord* out) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  if (!info || !out) return OSTREL_E_ARGUMENT;
  // The address text must end within its field; inet_pton refuses anything but dotted IPv4.
  char ipText[sizeof info->ip];
  const size_t len = strnlen(info->ip, sizeof info->ip);
  if (len == sizeof info->ip) return OSTREL_E_ARGUMENT;
  std::memcpy(ipText, info->ip, len);
  ipText[len] = 0;
  in_addr a{};
  if (inet_pton(AF_INET, ipText, &a) != 1) return OSTREL_E_ARGUMENT;
  const uint32_t ip = ntohl(a.s_addr);
  if (ip == 0xFFFFFFFFu) return OSTREL_E_ARGUMENT;
  const uint16_t cmdPort = info->cmdPort ? info->cmdPort : kDefaultCmdPort;

  uint8_t req[kCmdHeaderSize];
  uint8_t reply[kCmdMaxMessage];
  cmdPutHeader(req, cmd::kGetBasicInfo, kCmdHeaderSize);
  int rc = cmdTransact(ip, cmdPort, req, sizeof req, reply, sizeof reply);
  if (rc != 0) return rc;
  CameraBasicInfoRecord basic;
  std::memcpy(&basic, reply + 4, sizeof basic);
  // A sendRatio of 0 would later become a divisor and a frame-rate denominator.
  if (basic.sendRatio == 0) basic.sendRatio = 1;
  std::memcpy(out, &basic, sizeof basic);

  cmdPutHeader(req, cmd::kGetFixInfo, kCmdHeaderSize);
  rc = cmdTransact(ip, cmdPort, req, sizeof req, reply, sizeof reply);
  if (rc != 0) return rc;
  FixInfoRecord fix;
  std::memcpy(&fix, reply + 4, sizeof fix);

  if (sdkConfig().syncTime) {
    uint8_t clock[cmd::kControlXSize];
    buildClockMessage(clock);
    int crc = cmdSendOnly(ip, cmdPort, clock, sizeof clock);
    if (crc != 0) OSTREL_LOG("clock message, ret %d", crc);
  }

  if (basic.imageWidth == 0 || basic.imageHeight == 0) {
    basic.imageWidth = basic.dataWidth;
    basic.imageHeight = basic.dataHeight;
    out->imageWidth = basic.imageWidth;
    out->imageHeight = basic.imageHeight;
  }
  const size_t snapSize =
      snapshotBufferSize(basic.dataWidth, basic.dataHeight, basic.imageWidth, basic.imageHeight);
  if (snapSize == 0) {
    OSTREL_LOG("snapshot area too large: data %dx%d, image %dx%d", basic.dataWidth, basic.dataHeight,
               basic.imageWidth, basic.imageHeight);
    return OSTREL_E_NO_SLOT;
  }

  std::lock_guard<std::mutex> lock(sdkLock());
  for (int id = 0; id < kSlotCount; ++id) {
    LoginSlot& s = g_slots[id];
    if (s.flags & 1) continue;
    uint8_t* buf = static_cast<uint8_t*>(std::calloc(1, snapSize));
    if (!buf) return OSTREL_E_NO_SLOT;
    s.cameraIp = ip;
    s.cmdPort = cmdPort;
    s.tempPort = info->tempPort ? info->tempPort : 55503;
    s.snapPort = info->snapPort ? info->snapPort : 55505;
    s.videoPort = info->videoPort ? info->videoPort : 55506;
    s.mixPort = info->mixPort ? info->mixPort : 55507;
    s.basic = basic;
    s.fix = fix;
    s.snapshot = buf;
    s.snapshotSize = snapSize;
    s.flags = 1;
    return id;
  }
  return OSTREL_E_NO_SLOT;
}

extern "C" OSTREL_API int Ostrel_Login(const LoginInfo* info, CameraBasicInfoRecord* out) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  if (!info || !out) return OSTREL_E_ARGUMENT;
  LoginInfoV2 v2{};
  std::memcpy(&v2, info, sizeof *info);
  return Ostrel_LoginV2(&v2, out);
}

extern "C" OSTREL_API int Ostrel_Logout(int userId) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  if (!sdkSlotIdValid(userId)) return OSTREL_E_HANDLE;
  std::lock_guard<std::mutex> lock(sdkLock());
  if (LoginSlot* s = loginSlotLocked(userId)) freeSlot(*s);
  return 0;
}
