// Camera snapshot: one radiometric picture from the camera's snapshot port into the login's
// snapshot buffer, then to a file or handed out as pointers. The slot lock is held for the whole
// call, so a logout cannot free the buffer under the receive or the write.
#include <cstring>
#include <mutex>

#include "OstrelSDK.h"
#include "foundation/ByteOrder.h"
#include "files/FileIo.h"
#include "foundation/Helpers.h"
#include "foundation/Logger.h"
#include "frame/SdkState.h"
#include "link/CommandChannel.h"
#include "link/LoginSessions.h"

namespace ostrel::sdk {

namespace {

using tcp::Clock;

constexpr size_t kSnapHead = 32;
// Offsets inside the TEMP block (prefix, TEMP header, frame head, codes, trailer).
constexpr size_t kBlockHead = 8, kBlockHeaderExtra = 136, kBlockFrameHead = 16520, kBlockCodes = 16648;
constexpr size_t kCaptureTime = kBlockHead + 32;

Clock::time_point after(int ms) {
  return Clock::now() + std::chrono::milliseconds(ms);
}

struct SnapshotParts {
  uint8_t* block;  // the TEMP block, T bytes
  size_t blockSize;
  uint8_t* picture;
  size_t pictureSize;
};

// Receives one snapshot into the slot's buffer. The caller holds sdkLock().
int fetchSnapshot(LoginSlot& slot, SnapshotParts* out) {
  tcp::Socket s;
  if (connectTo(s, slot.cameraIp, slot.snapPort, after(sdkConnectTimeout())) != 0) return OSTREL_E_CONNECT;
  const int recvMs = sdkRecvTimeout();
  uint8_t head[kSnapHead];
  if (tcp::recvAll(s.fd, head, sizeof head, after(recvMs), recvMs) != sizeof head) return OSTREL_E_REPLY;
  const int64_t n = bytes::readI32(head, sizeof head, 0);
  const uint16_t w = bytes::readU16(head, sizeof head, 4);
  const uint16_t h = bytes::readU16(head, sizeof head, 6);
  const int64_t t = int64_t(w) * h * 2 + 16684;
  // The picture follows the TEMP block: a length that cannot hold the block would make its
  // length negative and the pointers run past what arrived.
  if (w != slot.basic.dataWidth || h != slot.basic.dataHeight || n < int64_t(kSnapHead) + t ||
      uint64_t(n) > slot.snapshotSize) {
    OSTREL_LOG("snapshot head n %lld, %ux%u, login %ux%u, buffer %zu", static_cast<long long>(n), w, h,
               slot.basic.dataWidth, slot.basic.dataHeight, slot.snapshotSize);
    return OSTREL_E_SNAP_HEAD;
  }
  std::memcpy(slot.snapshot, head, sizeof head);
  const size_t rest = size_t(n) - kSnapHead;
  if (tcp::recvAll(s.fd, slot.snapshot + kSnapHead, rest, after(recvMs), recvMs) != rest) return OSTREL_E_REPLY;
  uint8_t* block = slot.snapshot + kSnapHead;
  int64_t captured = 0;
  std::memcpy(&captured, block + kCaptureTime, sizeof captured);
  if (captured == 0) {
    captured = nowFileTime();
    std::memcpy(block + kCaptureTime, &captured, sizeof captured);
  }
  out->block = block;
  out->blockSize = size_t(t);
  out->picture = block + t;
  out->pictureSize = size_t(n - int64_t(kSnapHead) - t);
  return 0;
}

int lockedSlot(int userId, std::unique_lock<std::mutex>& lk, LoginSlot** slot) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  if (!sdkSlotIdValid(userId)) return OSTREL_E_HANDLE;
  lk = std::unique_lock<std::mutex>(sdkLock());
  *slot = loginSlotLocked(userId);
  return *slot ? 0 : OSTREL_E_HANDLE;
}

}  // namespace

}  // namespace ostrel::sdk

using namespace ostrel::sdk;

extern "C" OSTREL_API int Ostrel_SaveFrame(int userId, const char* path, int withTemp) {
  std::unique_lock<std::mutex> lk;
  LoginSlot* slot = nullptr;
  int rc = lockedSlot(userId, lk, &slot);
  if (rc != 0) return rc;
  if (!path) return OSTREL_E_ARGUMENT;
  SnapshotParts parts{};
  rc = fetchSnapshot(*slot, &parts);
  if (rc != 0) return rc;
  // Through a temporary file: a short write must not destroy a picture already at the path.
  const ostrel::files::FilePart pieces[2] = {{parts.picture, parts.pictureSize}, {parts.block, parts.blockSize}};
  rc = ostrel::files::replaceFile(path, pieces, withTemp ? 2 : 1);
  return rc == 1 ? 0 : rc;
}

extern "C" OSTREL_API int Ostrel_SaveFrameToMem(int userId, SnapshotMemInfo* out) {
  std::unique_lock<std::mutex> lk;
  LoginSlot* slot = nullptr;
  int rc = lockedSlot(userId, lk, &slot);
  if (rc != 0) return rc;
  if (!out) return OSTREL_E_ARGUMENT;
  SnapshotParts parts{};
  rc = fetchSnapshot(*slot, &parts);
  if (rc != 0) return rc;
  out->head = parts.block + kBlockHead;
  out->headerExtra = parts.block + kBlockHeaderExtra;
  out->frameHead = parts.block + kBlockFrameHead;
  out->data = reinterpret_cast<int16_t*>(parts.block + kBlockCodes);
  out->reserved = nullptr;
  out->picture = parts.picture;
  out->reserved2 = 0;
  out->pictureSize = int32_t(parts.pictureSize);
  return 0;
}
