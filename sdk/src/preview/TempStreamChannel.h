// The temperature stream channel: one TCP connection to the camera's temperature port carrying
// frames back to back, each a 128-byte DataFrameHead and then raw codes (2 bytes a pixel) or a
// packed frame. The head is checked from its bytes before anything it announces is read.
// Connects and reads through the deadline helpers of link/TcpDeadline, like the command channel.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "OstrelSDK.h"

namespace ostrel::sdk {

constexpr size_t kTempHeadSize = 128;
static_assert(sizeof(DataFrameHead) == kTempHeadSize);
// Sides above this cannot come from a camera: such a head means the stream lost its framing.
constexpr int kTempMaxSide = 4096;

enum class TempHeadVerdict {
  Frame,        // a frame of the preview's size: payloadBytes follow (packed or raw)
  OtherSize,    // plausible, of another size: payloadBytes follow and are to be discarded
  Implausible,  // the framing is lost (or the head is short): reconnect
};

struct TempHeadCheck {
  TempHeadVerdict verdict = TempHeadVerdict::Implausible;
  size_t payloadBytes = 0;  // bytes behind the head (Frame, OtherSize)
  bool packed = false;      // the payload is a packed frame (packedSize bytes)
  // The fields the check read, for log lines.
  int width = 0, height = 0;
  int32_t packedSize = 0;
  int scale = 0;
};

// Checks the head of one frame, read from `length` bytes at `data`, against the preview's frame
// size. Fewer than 128 bytes, a side of 0 or above 4096, a scale of 0, or a packed size that is
// negative or not below the raw size make the head implausible.
TempHeadCheck checkTempFrameHead(const uint8_t* data, size_t length, int width, int height);

// `FrameRecverTcp`: reads one frame (head + raw or packed codes) per call.
class FrameRecverTcp {
 public:
  FrameRecverTcp(int width, int height) : width_(width), height_(height) {}
  ~FrameRecverTcp() { disconnect(); }
  FrameRecverTcp(const FrameRecverTcp&) = delete;
  FrameRecverTcp& operator=(const FrameRecverTcp&) = delete;
  // Closes any previous socket, connects within the fixed 2000 ms: 0, -100 socket, -99 connect,
  // -7 when shut down for good.
  int connect(uint32_t ip, uint16_t port);
  void disconnect();
  // Wakes a blocked read and refuses further connects (the preview is stopping).
  void shutdown();
  // 0 frame received; -97 connection lost, silent for 2000 ms, or an implausible head (the
  // caller reconnects, since a new connection starts at a frame boundary); -11 a frame to drop (a
  // plausible head of another size, its payload read and discarded, or a packed block that does
  // not unpack); -7 no socket.
  int recv(PreviewFrame* record);

  // Counters for tests and logs.
  std::atomic<uint64_t> received{0}, dropped{0};

 private:
  bool readExact(int fd, void* buffer, size_t size);
  bool discard(int fd, size_t size);

  const int width_, height_;
  std::mutex fdMutex_;
  int fd_ = -1;            // guarded by fdMutex_; closed only by the worker thread
  bool shutDown_ = false;  // guarded by fdMutex_
};

}  // namespace ostrel::sdk
