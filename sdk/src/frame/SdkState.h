// The SDK's process-wide state: initialised flag, settings, time-outs, the one lock that guards
// the login and preview slot tables, the slot count and the names of status codes. Every
// subsystem may read it; only the life cycle (frame/SdkLifecycle) changes the flags and settings.
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

// Login and preview slots: ids 0..255, the same count for both tables. Tested as unsigned, so
// negative ids fail too.
constexpr int kSlotCount = 256;
constexpr bool sdkSlotIdValid(int id) {
  return static_cast<unsigned>(id) < static_cast<unsigned>(kSlotCount);
}

bool sdkInitialised();
uint32_t sdkFlags();
// Settings of the current initialisation (read-only after Ostrel_InitSDK).
const SdkConfig& sdkConfig();

// Network time-outs in milliseconds (2000..8000), read without the lock.
constexpr int kDefaultTimeoutMs = 2000;
constexpr int kMinTimeoutMs = 2000;
constexpr int kMaxTimeoutMs = 8000;
int sdkConnectTimeout();
int sdkSendTimeout();
int sdkRecvTimeout();

// Guards the login and preview slot tables. Never held across a network exchange unless the
// owning code says so.
std::mutex& sdkLock();
// For exports that need the library started: locks sdkLock() into `lk` and returns 0, or
// returns -4 (without locking) before Ostrel_InitSDK or after Ostrel_FreeSDK.
int sdkLockInitialised(std::unique_lock<std::mutex>& lk);

// The state block behind the accessors above. Exports read it through them; the life cycle
// writes it. Flags and time-outs are atomics: exports read them on any thread without the lock.
struct SdkGlobals {
  std::atomic<uint32_t> flags{0};
  SdkConfig config{};
  std::atomic<int> connectTimeout{kDefaultTimeoutMs};
  std::atomic<int> sendTimeout{kDefaultTimeoutMs};
  std::atomic<int> recvTimeout{kDefaultTimeoutMs};
  std::mutex lock;
};
SdkGlobals& sdkGlobals();

// Name of a status code for log lines ("OSTREL_E_HANDLE"); "unknown" for codes outside the table.
const char* errorName(int code);

}  // namespace ostrel::sdk
