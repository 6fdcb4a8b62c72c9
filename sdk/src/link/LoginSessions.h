// The 256 login slots. Guarded by sdkLock(); nothing here is held across a network exchange
// except by callers that say so (the snapshot exports).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ostrel/OstrelRecords.h"

namespace ostrel::sdk {

// Largest snapshot area: data pixels + 2 x picture pixels, so a camera-supplied size cannot ask
// for an unbounded buffer.
constexpr uint64_t kSnapshotMaxPixels = 16u * 1024 * 1024;

struct LoginSlot {
  uint32_t flags;     // bit 0: in use
  uint32_t cameraIp;  // host order
  uint16_t cmdPort, tempPort, snapPort, videoPort, mixPort;
  CameraBasicInfoRecord basic;  // as read at login, image size completed, sendRatio >= 1
  FixInfoRecord fix;
  uint8_t* snapshot;  // owned, zero-filled at login
  size_t snapshotSize;
};

// Where to reach a logged-in camera, copied out under the lock.
struct LoginTarget {
  uint32_t cameraIp;
  uint16_t cmdPort;
};

// Copies address and command port of a slot in use; -10 for a bad id or a free slot.
int loginTarget(int userId, LoginTarget* out);

// The slot of userId when it is in use, else null. The caller must hold sdkLock().
LoginSlot* loginSlotLocked(int userId);

// A correction record just read from or written to the camera at cameraIp through userId becomes
// the login's copy (what a stream recording begun later carries), unless the slot has meanwhile
// been given to another camera.
void rememberLoginFix(int userId, uint32_t cameraIp, const FixInfoRecord& fix);

// Snapshot buffer size in bytes for the sizes of a basic record, or 0 when beyond
// kSnapshotMaxPixels: (dataW*dataH + 2*imageW*imageH + 8358) * 2.
size_t snapshotBufferSize(uint16_t dataW, uint16_t dataH, uint16_t imageW, uint16_t imageH);

// Logs out every slot (Ostrel_FreeSDK's teardown).
void logoutAll();

}  // namespace ostrel::sdk
