#include "frame/SdkState.h"

#include "OstrelSDK.h"

namespace ostrel::sdk {

SdkGlobals& sdkGlobals() {
  static SdkGlobals g;
  return g;
}

bool sdkInitialised() {
  return (sdkGlobals().flags.load(std::memory_order_acquire) & kFlagInitialised) != 0;
}
uint32_t sdkFlags() {
  return sdkGlobals().flags.load(std::memory_order_acquire);
}
const SdkConfig& sdkConfig() {
  return sdkGlobals().config;
}
int sdkConnectTimeout() {
  return sdkGlobals().connectTimeout.load(std::memory_order_relaxed);
}
int sdkSendTimeout() {
  return sdkGlobals().sendTimeout.load(std::memory_order_relaxed);
}
int sdkRecvTimeout() {
  return sdkGlobals().recvTimeout.load(std::memory_order_relaxed);
}
std::mutex& sdkLock() {
  return sdkGlobals().lock;
}

int sdkLockInitialised(std::unique_lock<std::mutex>& lk) {
  if (!sdkInitialised()) return -4;
  lk = std::unique_lock<std::mutex>(sdkGlobals().lock);
  return 0;
}

const char* errorName(int code) {
  switch (code) {
    case OSTREL_OK:
      return "OSTREL_OK";
    case OSTREL_E_FAILED:
      return "OSTREL_E_FAILED";
    case OSTREL_E_UNSUPPORTED:
      return "OSTREL_E_UNSUPPORTED";
    case OSTREL_E_NOT_INIT:
      return "OSTREL_E_NOT_INIT";
    case OSTREL_E_NO_MEMORY:
      return "OSTREL_E_NO_MEMORY";
    case OSTREL_E_NO_SLOT:
      return "OSTREL_E_NO_SLOT";
    case OSTREL_E_STATE:
      return "OSTREL_E_STATE";
    case OSTREL_E_ARGUMENT:
      return "OSTREL_E_ARGUMENT";
    case OSTREL_E_HANDLE:
      return "OSTREL_E_HANDLE";
    case OSTREL_E_MISMATCH:
      return "OSTREL_E_MISMATCH";
    case OSTREL_E_RECEIVER:
      return "OSTREL_E_RECEIVER";
    case OSTREL_E_WORKER:
      return "OSTREL_E_WORKER";
    case OSTREL_E_THREAD:
      return "OSTREL_E_THREAD";
    case OSTREL_E_CONN_LOST:
      return "OSTREL_E_CONN_LOST";
    case OSTREL_E_CONN_RESTORED:
      return "OSTREL_E_CONN_RESTORED";
    case OSTREL_E_SNAP_HEAD:
      return "OSTREL_E_SNAP_HEAD";
    case OSTREL_E_BIND:
      return "OSTREL_E_BIND";
    case OSTREL_E_REPLY:
      return "OSTREL_E_REPLY";
    case OSTREL_E_SEND:
      return "OSTREL_E_SEND";
    case OSTREL_E_CONNECT:
      return "OSTREL_E_CONNECT";
    case OSTREL_E_SOCKET:
      return "OSTREL_E_SOCKET";
    case OSTREL_E_SEEK:
      return "OSTREL_E_SEEK";
    case OSTREL_E_FRAME_HEADER:
      return "OSTREL_E_FRAME_HEADER";
    case OSTREL_E_SAVE_TYPE:
      return "OSTREL_E_SAVE_TYPE";
    case OSTREL_E_WRITE:
      return "OSTREL_E_WRITE";
    case OSTREL_E_READ:
      return "OSTREL_E_READ";
    case OSTREL_E_OPEN:
      return "OSTREL_E_OPEN";
  }
  return code > 0 ? "OSTREL_OK" : "unknown";
}

}  // namespace ostrel::sdk

using namespace ostrel::sdk;

extern "C" OSTREL_API void Ostrel_SetTimeout(int connectMs, int sendMs, int recvMs) {
  auto& g = sdkGlobals();
  auto inRange = [](int v) { return v >= kMinTimeoutMs && v <= kMaxTimeoutMs; };
  if (inRange(connectMs)) g.connectTimeout = connectMs;
  if (inRange(sendMs)) g.sendTimeout = sendMs;
  if (inRange(recvMs)) g.recvTimeout = recvMs;
}
