// The SDK's process-wide state: initialised flag, settings, time-outs and the one lock that
// guards the login and preview slot tables.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace ostrel::sdk {

// Bits of the state flags: which start-up steps are done. Ostrel_FreeSDK undoes exactly the
// steps whose bit is set.
enum SdkFlag : uint32_t {
  kFlagInitialised = 0x1,
  kFlagLogger = 0x10000,
  kFlagSockets = 0x20000,
  kFlagDiscovery = 0x40000,
  kFlagPalette = 0x80000,
  kFlagVideo = 0x100000,
  kFlagRenderer = 0x200000,
  kFlagLock = 0x400000,
};

// Settings of one initialisation, from "OstrelSDK.json" in the executable's folder.
struct SdkConfig {
  char moduleDir[1024];  // the running executable's folder (not the library's)
  int32_t encoder;       // codec codes for the video library: 0 none, 2 cuda, 5 qsv, 7 d3d11va
  int32_t decoder;
  char logPath[1024];                  // log file prefix; empty: the SDK writes no log at all
  uint32_t syncTime;                   // send the PC's clock to each camera at login (default 1)
  uint32_t previewEnableInterProcess;  // preview switches (defaults 1 and 0)
  uint32_t previewEnableThread2;
};

// Login and preview slots: ids 0..255. Tested as unsigned, so negative ids fail too.
constexpr int kSlotCount = 256;
constexpr bool sdkSlotIdValid(int id) {
  return static_cast<unsigned>(id) < static_cast<unsigned>(kSlotCount);
}

bool sdkInitialised();
uint32_t sdkFlags();
// Settings of the current initialisation (read-only after Ostrel_InitSDK).
const SdkConfig& sdkConfig();

// Network time-outs in milliseconds (2000..8000), read without the lock.
int sdkConnectTimeout();
int sdkSendTimeout();
int sdkRecvTimeout();

// Guards the login and preview slot tables. Never held across a network exchange unless the
// owning code says so.
std::mutex& sdkLock();
// For exports that need the library started: locks sdkLock() into `lk` and returns 0, or
// returns -4 (without locking) before Ostrel_InitSDK or after Ostrel_FreeSDK.
int sdkLockInitialised(std::unique_lock<std::mutex>& lk);

// Work that Ostrel_FreeSDK must do before shared state goes (stop previews, log out sessions).
// Hooks run in ascending order, before anything else is released and while the library still
// counts as initialised; define one at namespace scope in the file that owns the state:
//   static const ostrel::sdk::ShutdownHook hook(10, &stopAllPreviews);
struct ShutdownHook {
  ShutdownHook(int order, void (*fn)());
};
void runShutdownHooks();

// Name of a status code for log lines ("OSTREL_E_HANDLE"); "unknown" for codes outside the table.
const char* errorName(int code);

// Test hooks. Makes the start-up step with this flag bit fail with `code` (0 clears it).
void sdkFailInitStepForTest(uint32_t flag, int code);
// Reads the settings from `dir` instead of the executable's folder (null restores it).
void sdkSetModuleDirForTest(const char* dir);

}  // namespace ostrel::sdk
