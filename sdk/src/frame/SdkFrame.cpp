#include "frame/SdkFrame.h"

#include "OstrelFfmpeg.h"
#include "alg/frame/Palette.h"
#include "discover/Discovery.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "OstrelSDK.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "frame/SdkConfig.h"

namespace ostrel::sdk {

namespace {

constexpr int kDefaultTimeoutMs = 2000;
constexpr int kMinTimeoutMs = 2000;
constexpr int kMaxTimeoutMs = 8000;

// The one state block of the process. Flags and time-outs are atomics: exports read them on any
// thread without the lock.
struct SdkGlobals {
  std::atomic<uint32_t> flags{0};
  SdkConfig config{};
  std::atomic<int> connectTimeout{kDefaultTimeoutMs};
  std::atomic<int> sendTimeout{kDefaultTimeoutMs};
  std::atomic<int> recvTimeout{kDefaultTimeoutMs};
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

std::atomic<uint32_t> g_failFlag{0};
std::atomic<int> g_failCode{0};
char g_moduleDirOverride[sizeof(SdkConfig::moduleDir)];
std::atomic<bool> g_hasModuleDirOverride{false};

void silentLog(int, const char*, size_t) {}

// One start-up step after the logger: `start` returns 0 or a negative status; `stop` undoes it.
// A step marked optional logs its failure and initialisation goes on without it.
struct InitStep {
  uint32_t flag;
  const char* name;
  int (*start)();
  void (*stop)();
  bool optional;
};

// BSD sockets need no library start (Winsock's place in the order); the bit records that the
// socket layer may be used.
int startSockets() {
  return 0;
}
void stopSockets() {}

// The slot-table lock is a plain std::mutex that lives as long as the process, so there is
// nothing to create; the bit tells exports that they may take it.
int startLock() {
  return 0;
}
void stopLock() {}

int startDiscovery() {
  return discoverOpen() == 0 ? 0 : OSTREL_E_FAILED;
}

// The video library's diagnostics join the SDK's log.
void videoLog(int level, const char* message, void*) {
  ostrel::logPrintf(ostrel::logDefault(), level, "%s,%d,%s:\n%s\n\n", __FILE__, __LINE__, "OstrelFfmpeg", message);
}

int startVideo() {
  OstrelFfmpeg_SetLogCallback(videoLog, nullptr, OSTREL_FF_LOG_WARN);
  return OstrelFfmpeg_Init();
}
void stopVideo() {
  OstrelFfmpeg_Uninit();
  OstrelFfmpeg_SetLogCallback(nullptr, nullptr, OSTREL_FF_LOG_WARN);
}

int startPalette() {
  return ostrel::alg::paletteTableInit();
}

// Start-up order. Ostrel_FreeSDK and a failed start undo the steps that are done in the reverse
// order, the logger always last.
const InitStep kInitSteps[] = {
    {kFlagSockets, "sockets", startSockets, stopSockets, false},
    {kFlagDiscovery, "discovery", startDiscovery, discoverClose, false},
    {kFlagVideo, "video library", startVideo, stopVideo, false},
    // kFlagRenderer (optional): start the preview renderer; a failure is logged and skipped.
    {kFlagPalette, "palette table", startPalette, ostrel::alg::paletteTableFree, false},
    {kFlagLock, "lock", startLock, stopLock, false},
};

void undoSteps() {
  auto& g = globals();
  for (size_t i = std::size(kInitSteps); i-- > 0;) {
    const InitStep& step = kInitSteps[i];
    if (g.flags.load() & step.flag) {
      step.stop();
      g.flags.fetch_and(~step.flag);
    }
  }
  // The logger goes last so that every step above can still log while it stops.
  if (g.flags.load() & kFlagLogger) logDestroyDefault();
  g.flags.store(0, std::memory_order_release);
}

int runStep(const InitStep& step) {
  if (g_failFlag.load() == step.flag && g_failCode.load() != 0) return g_failCode.load();
  return step.start();
}

}  // namespace

bool sdkInitialised() {
  return (globals().flags.load(std::memory_order_acquire) & kFlagInitialised) != 0;
}
uint32_t sdkFlags() {
  return globals().flags.load(std::memory_order_acquire);
}
const SdkConfig& sdkConfig() {
  return globals().config;
}
int sdkConnectTimeout() {
  return globals().connectTimeout.load(std::memory_order_relaxed);
}
int sdkSendTimeout() {
  return globals().sendTimeout.load(std::memory_order_relaxed);
}
int sdkRecvTimeout() {
  return globals().recvTimeout.load(std::memory_order_relaxed);
}
std::mutex& sdkLock() {
  return globals().lock;
}

int sdkLockInitialised(std::unique_lock<std::mutex>& lk) {
  if (!sdkInitialised()) return -4;
  lk = std::unique_lock<std::mutex>(globals().lock);
  return 0;
}

ShutdownHook::ShutdownHook(int order, void (*fn)()) {
  auto& h = hooks();
  h.emplace_back(order, fn);
  std::stable_sort(h.begin(), h.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
}

void runShutdownHooks() {
  for (auto& [order, fn] : hooks()) fn();
}

void sdkFailInitStepForTest(uint32_t flag, int code) {
  g_failFlag.store(flag);
  g_failCode.store(code);
}

void sdkSetModuleDirForTest(const char* dir) {
  if (dir) strCopyN(g_moduleDirOverride, dir, sizeof g_moduleDirOverride);
  g_hasModuleDirOverride.store(dir != nullptr);
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

extern "C" OSTREL_API int Ostrel_InitSDK(void) {
  auto& g = globals();
  if (sdkInitialised()) return 0;
  // A fresh state block; the owners of the slot tables and caches reset theirs in their steps.
  g.flags.store(0);
  std::memset(&g.config, 0, sizeof g.config);
  g.connectTimeout = g.sendTimeout = g.recvTimeout = kDefaultTimeoutMs;

  if (g_hasModuleDirOverride.load())
    SdkConfig_LoadFrom(&g.config, g_moduleDirOverride);
  else
    SdkConfig_Load(&g.config);  // a broken file keeps the defaults; start-up goes on

  // The logger: a file prefix from the settings, or a callback that swallows every line so the
  // library writes no file and no output. A logger destroyed by an earlier Ostrel_FreeSDK is
  // re-armed here, and only here.
  ostrel::logResetDefault();
  ostrel::Logger* log = ostrel::logDefault();
  if (g.config.logPath[0]) {
    ostrel::logSetCallback(log, nullptr);
    ostrel::logSetPathPrefix(log, g.config.logPath);
  } else {
    ostrel::logSetCallback(log, silentLog);
  }
  g.flags.fetch_or(kFlagLogger);
  OSTREL_LOG_AS("Ostrel_InitSDK",
                "encoder: %d, decoder: %d, syncTime: %d, previewEnableInterProcess: %d, "
                "previewEnableThread2: %d",
                g.config.encoder, g.config.decoder, static_cast<int>(g.config.syncTime),
                static_cast<int>(g.config.previewEnableInterProcess),
                static_cast<int>(g.config.previewEnableThread2));

  for (const InitStep& step : kInitSteps) {
    int rc = runStep(step);
    if (rc == 0) {
      g.flags.fetch_or(step.flag);
      continue;
    }
    OSTREL_LOG_AS("Ostrel_InitSDK", "%s failed: %d (%s)", step.name, rc, errorName(rc));
    if (step.optional) continue;
    undoSteps();
    return rc;
  }
  g.flags.fetch_or(kFlagInitialised, std::memory_order_release);
  return 0;
}

extern "C" OSTREL_API void Ostrel_FreeSDK(void) {
  auto& g = globals();
  if (!sdkInitialised()) return;
  // Sessions and previews go first, while the lock, the sockets and the log still exist.
  runShutdownHooks();
  g.flags.fetch_and(~static_cast<uint32_t>(kFlagInitialised), std::memory_order_release);
  undoSteps();
}

extern "C" OSTREL_API void Ostrel_SetTimeout(int connectMs, int sendMs, int recvMs) {
  auto& g = globals();
  auto inRange = [](int v) { return v >= kMinTimeoutMs && v <= kMaxTimeoutMs; };
  if (inRange(connectMs)) g.connectTimeout = connectMs;
  if (inRange(sendMs)) g.sendTimeout = sendMs;
  if (inRange(recvMs)) g.recvTimeout = recvMs;
}
