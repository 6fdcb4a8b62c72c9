// The SDK's process-wide state: initialised flag, settings, time-outs and the one lock that
// guards the login and preview slot tables.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

namespace ostrel::sdk {

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

struct SdkConfig {
  char moduleDir[1024];
  int32_t encoder;
  int32_t decoder;
  char logPath[1024];
  uint32_t syncTime;
  uint32_t previewEnableInterProcess;
  uint32_t previewEnableThread2;
};

bool sdkInitialised();
uint32_t sdkFlags();
// Settings of the current initialisation (read-only after Ostrel_InitSDK).
const SdkConfig& sdkConfig();

int sdkConnectTimeout();
int sdkSendTimeout();
int sdkRecvTimeout();

// Guards the login and preview slot tables. Never held across a network exchange unless the
// owning code says so.
std::mutex& sdkLock();

// Work that Ostrel_FreeSDK must do before shared state goes (stop previews, log out sessions).
// Hooks run in ascending order; define one at namespace scope in the file that owns the state:
//   static const ostrel::sdk::ShutdownHook hook(10, &stopAllPreviews);
struct ShutdownHook {
  ShutdownHook(int order, void (*fn)());
};
void runShutdownHooks();

// Name of a status code for log lines ("OSTREL_E_HANDLE"); "unknown" for codes outside the table.
const char* errorName(int code);

}  // namespace ostrel::sdk
