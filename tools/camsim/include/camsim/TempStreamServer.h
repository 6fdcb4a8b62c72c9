// The simulated camera's temperature stream (TCP, default port 55503): an endless sequence of
// 128-byte frame heads, each followed by the raw little-endian codes or a delta-packed block.
// Frames are built from byte offsets of the stream format, independently of the SDK's records.
#pragma once

#include <atomic>
#include <cstdint>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "camsim/DigitalInputScript.h"
#include "camsim/Scene.h"
#include "camsim/StreamListener.h"

namespace camsim {

struct TempStreamConfig {
  std::string address = "127.0.0.1";  // must lie in 127.0.0.0/8
  uint16_t port = 55503;
  int width = 384;
  int height = 288;
  int scale = 100;   // code = (T - offset) * scale
  int offset = 0;
  int fps = 25;      // pacing rate
  bool paced = true; // false: as fast as the peer reads
  int packEvery = 0; // every k-th frame is sent packed (0: never)
  // Head time of frame n: headTimeBase + n x headTimeStep (100-ns ticks); a step of 0 takes the
  // wall clock.
  int64_t headTimeBase = 0;
  int64_t headTimeStep = 0;
  Scene scene = Scene::Spots;  // what the frames show
};

// The "spots" frame content, known by hand so tests can check statistics: a background of 2500 + (n % 50)
// plus (x + y) % 4; a hot 3x3 plateau of 9000 with a unique centre of 9500, its centre at column
// hotX(n) = 10 + n % (width - 20), row height / 3; a cold 3x3 spot of -500 with a unique centre of
// -800 at column 3 * width / 4, row 2 * height / 3.
struct FrameContent {
  static constexpr int16_t kHotPlateau = 9000, kHotCentre = 9500;
  static constexpr int16_t kColdSpot = -500, kColdCentre = -800;
  static int hotX(const TempStreamConfig& c, uint32_t n) { return 10 + static_cast<int>(n % (c.width - 20)); }
  static int hotY(const TempStreamConfig& c) { return c.height / 3; }
  static int coldX(const TempStreamConfig& c) { return 3 * c.width / 4; }
  static int coldY(const TempStreamConfig& c) { return 2 * c.height / 3; }
  static void codes(const TempStreamConfig& c, uint32_t n, std::vector<int16_t>& out);
};

// Delta packer for the wire format: i32 raw size, i32 packed size, then blocks of (i16 first value,
// i32 delta count n, n i8 deltas); a block starts wherever a step leaves -128..127. Returns the
// packed size, or 0 when packing would not end smaller than the raw frame.
int packFrame(const int16_t* values, int count, std::vector<uint8_t>& out);

enum class StreamFault {
  None,
  WrongSizeHead,       // one frame of half the width and height, with its payload
  PackedSizeOutOfRange,// a head whose packed size is 2 x pixels + 100, nothing after it
  BlockPastEnd,        // a packed frame whose first block claims more deltas than follow
  ScaleZero,           // a head with scale 0
  CloseMidFrame,       // a head and half the payload, then the connection closes
  Stall,               // nothing for `param` ms on the open connection
  RefuseConnections,   // the listening socket is closed for `param` ms (connections refused)
};

class TempStreamServer {
 public:
  explicit TempStreamServer(TempStreamConfig config);
  ~TempStreamServer();
  TempStreamServer(const TempStreamServer&) = delete;
  TempStreamServer& operator=(const TempStreamServer&) = delete;

  // Binds and starts serving; 0, or a negative errno. Each connection is served on its own thread.
  int start();
  void stop();

  // One-shot fault for the next frame sent on any connection (RefuseConnections: at once, and
  // returns once connections are refused).
  void setFault(StreamFault fault, int param = 0);
  void setPaced(bool paced) { paced_ = paced; }

  uint64_t framesSent() const { return framesSent_.load(); }
  // True while a one-shot fault waits for its frame.
  bool faultPending() {
    std::lock_guard<std::mutex> lk(mutex_);
    return fault_ != StreamFault::None;
  }
  // Waits until no one-shot fault is pending any more; true when that happened within timeoutMs.
  bool waitFaultTaken(int timeoutMs) {
    std::unique_lock<std::mutex> lk(mutex_);
    return faultCv_.wait_for(lk, std::chrono::milliseconds(timeoutMs),
                             [&] { return fault_ == StreamFault::None; });
  }
  // Index the next frame will carry.
  uint32_t nextIndex() const { return nextIndex_.load(); }
  int connections() const { return listener_.connections(); }
  const TempStreamConfig& config() const { return config_; }
  // The digital input byte each frame head carries, by frame index.
  DigitalInputScript& digitalInput() { return digitalInput_; }

 private:
  void serve(int fd);
  bool sendFrame(int fd, uint32_t n, std::vector<int16_t>& codes, std::vector<uint8_t>& wire);

  TempStreamConfig config_;
  std::atomic<bool> paced_{true};
  std::mutex mutex_;
  std::condition_variable faultCv_;  // notified when a one-shot fault has been taken
  StreamFault fault_ = StreamFault::None;  // guarded by mutex_
  int faultParam_ = 0;                      // guarded by mutex_
  std::atomic<uint32_t> nextIndex_{0};
  std::atomic<uint64_t> framesSent_{0};
  DigitalInputScript digitalInput_;
  StreamListener listener_;  // last: its threads use every member above
};

}  // namespace camsim
