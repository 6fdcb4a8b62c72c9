#include "frame/SdkFrame.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "OstrelSDK.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"

namespace ostrel::sdk {

namespace {

struct SdkGlobals {
  std::atomic<uint32_t> flags{0};
  SdkConfig config{};
  std::atomic<int> connectTimeout{2000};
  std::atomic<int> sendTimeout{2000};
  std::atomic<int> recvTimeout{2000};
  std::mutex lock;
};

SdkGlobals& globals() {
  static SdkGlobals g;
  return g;
}

std::vector<std::pair<int, void (*)()>>& hooks() {
  static std::vector<std::pair<int, void (*)()>> h;
  return h;
}

void silentLog(int, const char*, size_t) {}

}  // namespace

bool sdkInitialised() { return (globals().flags.load(std::memory_order_acquire) & kFlagInitialised) != 0; }
uint32_t sdkFlags() { return globals().flags.load(); }
const SdkConfig& sdkConfig() { return globals().config; }
int sdkConnectTimeout() { return globals().connectTimeout.load(std::memory_order_relaxed); }
int sdkSendTimeout() { return globals().sendTimeout.load(std::memory_order_relaxed); }
int sdkRecvTimeout() { return globals().recvTimeout.load(std::memory_order_relaxed); }
std::mutex& sdkLock() { return globals().lock; }

ShutdownHook::ShutdownHook(int order, void (*fn)()) {
  auto& h = hooks();
  h.emplace_back(order, fn);
  std::stable_sort(h.begin(), h.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

void runShutdownHooks() {
  for (auto& [order, fn] : hooks()) fn();
}

const char* errorName(int code) {
  switch (code) {
    case OSTREL_OK: return "OSTREL_OK";
    case OSTREL_E_FAILED: return "OSTREL_E_FAILED";
    case OSTREL_E_UNSUPPORTED: return "OSTREL_E_UNSUPPORTED";
    case OSTREL_E_NOT_INIT: return "OSTREL_E_NOT_INIT";
    case OSTREL_E_NO_MEMORY: return "OSTREL_E_NO_MEMORY";
    case OSTREL_E_NO_SLOT: return "OSTREL_E_NO_SLOT";
    case OSTREL_E_STATE: return "OSTREL_E_STATE";
    case OSTREL_E_ARGUMENT: return "OSTREL_E_ARGUMENT";
    case OSTREL_E_HANDLE: return "OSTREL_E_HANDLE";
    case OSTREL_E_MISMATCH: return "OSTREL_E_MISMATCH";
    case OSTREL_E_RECEIVER: return "OSTREL_E_RECEIVER";
    case OSTREL_E_WORKER: return "OSTREL_E_WORKER";
    case OSTREL_E_THREAD: return "OSTREL_E_THREAD";
    case OSTREL_E_CONN_LOST: return "OSTREL_E_CONN_LOST";
    case OSTREL_E_CONN_RESTORED: return "OSTREL_E_CONN_RESTORED";
    case OSTREL_E_SNAP_HEAD: return "OSTREL_E_SNAP_HEAD";
    case OSTREL_E_BIND: return "OSTREL_E_BIND";
    case OSTREL_E_REPLY: return "OSTREL_E_REPLY";
    case OSTREL_E_SEND: return "OSTREL_E_SEND";
    case OSTREL_E_CONNECT: return "OSTREL_E_CONNECT";
    case OSTREL_E_SOCKET: return "OSTREL_E_SOCKET";
    case OSTREL_E_SEEK: return "OSTREL_E_SEEK";
    case OSTREL_E_FRAME_HEADER: return "OSTREL_E_FRAME_HEADER";
    case OSTREL_E_SAVE_TYPE: return "OSTREL_E_SAVE_TYPE";
    case OSTREL_E_WRITE: return "OSTREL_E_WRITE";
    case OSTREL_E_READ: return "OSTREL_E_READ";
    case OSTREL_E_OPEN: return "OSTREL_E_OPEN";
  }
  return code > 0 ? "OSTREL_OK" : "unknown";
}

}  // namespace ostrel::sdk

using namespace ostrel::sdk;

extern "C" OSTREL_API int Ostrel_InitSDK(void) {
  auto& g = globals();
  if (sdkInitialised()) return 0;
  g.flags = 0;
  std::memset(&g.config, 0, sizeof g.config);
  g.connectTimeout = g.sendTimeout = g.recvTimeout = 2000;
  g.config.syncTime = 1;
  g.config.previewEnableInterProcess = 1;
  ostrel::moduleDir(g.config.moduleDir, sizeof g.config.moduleDir);
  ostrel::logResetDefault();
  if (g.config.logPath[0])
    ostrel::logSetPathPrefix(ostrel::logDefault(), g.config.logPath);
  else
    ostrel::logSetCallback(ostrel::logDefault(), silentLog);
  g.flags |= kFlagLogger;
  g.flags |= kFlagLock | kFlagInitialised;
  return 0;
}

extern "C" OSTREL_API void Ostrel_FreeSDK(void) {
  auto& g = globals();
  if (!sdkInitialised()) return;
  runShutdownHooks();
  g.flags = 0;
  ostrel::logDestroyDefault();
}

extern "C" OSTREL_API void Ostrel_SetTimeout(int connectMs, int sendMs, int recvMs) {
  auto& g = globals();
  auto inRange = [](int v) { return v >= 2000 && v <= 8000; };
  if (inRange(connectMs)) g.connectTimeout = connectMs;
  if (inRange(sendMs)) g.sendTimeout = sendMs;
  if (inRange(recvMs)) g.recvTimeout = recvMs;
}
