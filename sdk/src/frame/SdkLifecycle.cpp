#include "frame/SdkLifecycle.h"

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
#include "frame/SdkState.h"

namespace ostrel::sdk {

namespace {

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
  auto& g = sdkGlobals();
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

}  // namespace ostrel::sdk

using namespace ostrel::sdk;

extern "C" OSTREL_API int Ostrel_InitSDK(void) {
  auto& g = sdkGlobals();
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
  auto& g = sdkGlobals();
  if (!sdkInitialised()) return;
  // Sessions and previews go first, while the lock, the sockets and the log still exist.
  runShutdownHooks();
  g.flags.fetch_and(~static_cast<uint32_t>(kFlagInitialised), std::memory_order_release);
  undoSteps();
}

