// The simulated camera's H.264 streams (TCP; video on 55506, mixed on 55507): a 256-byte start
// record (set-up bytes, frame rate, picture size), then per frame a 1024-byte header and one
// access unit of a clip, looping. Every connection starts at the clip's first unit, an IDR
// picture. Records are built from the stream format's byte offsets.
#pragma once

#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "camsim/AnnexB.h"
#include "camsim/StreamListener.h"

namespace camsim {

struct VideoStreamConfig {
  std::string address = "127.0.0.1";  // must lie in 127.0.0.0/8
  uint16_t port = 55506;
  int width = 640;  // picture size the start record states
  int height = 512;
  int fps = 25;  // pacing rate, also the start record's frame rate (fps / 1)
  bool paced = true;
  std::shared_ptr<const AnnexBClip> clip;
};

enum class VideoFault {
  None,
  EmptyUnit,     // one header of total size 1024 (no payload)
  Total1023,     // one header of total size 1023, then the frames go on
  Oversize,      // one header above 3 x pixels + 17408, then the connection closes
  CloseMidUnit,  // a header and half its unit, then the connection closes
  RefuseConnections,  // the listener closes for `param` ms and open connections end
};

class VideoStreamServer {
 public:
  static constexpr size_t kStartSize = 256, kHeaderSize = 1024;

  explicit VideoStreamServer(VideoStreamConfig config);
  ~VideoStreamServer();
  VideoStreamServer(const VideoStreamServer&) = delete;
  VideoStreamServer& operator=(const VideoStreamServer&) = delete;

  // Binds and starts serving; 0 or -errno (-EINVAL without a clip or for another address).
  int start();
  void stop();

  // One-shot fault for the next frame sent on any connection (RefuseConnections: at once, and
  // returns once connections are refused).
  void setFault(VideoFault fault, int param = 0);
  // Waits until the pending one-shot fault was taken; true when it was within timeoutMs.
  bool waitFaultTaken(int timeoutMs);
  // The next `count` connections get a start record of (width + 16) x (height + 16).
  void setOtherSizeStarts(int count) { otherSizeStarts_ = count; }
  // Length word the next start records state instead of the set-up bytes' true length (the
  // bytes themselves stay); INT32_MIN goes back to the true length.
  void setSetupLength(int32_t length) { setupLength_ = length; }
  void setPaced(bool paced) { paced_ = paced; }

  uint64_t framesSent() const { return framesSent_.load(); }
  int connections() const { return listener_.connections(); }
  // Connections whose start record stated another size.
  int otherSizeConnections() const { return otherSized_.load(); }
  const VideoStreamConfig& config() const { return config_; }

 private:
  void serve(int fd);
  bool sendFrame(int fd, size_t unit);

  VideoStreamConfig config_;
  std::atomic<bool> paced_{true};
  std::mutex mutex_;
  std::condition_variable faultCv_;
  VideoFault fault_ = VideoFault::None;  // guarded by mutex_
  std::atomic<int> otherSizeStarts_{0}, otherSized_{0};
  std::atomic<int32_t> setupLength_{INT32_MIN};
  std::atomic<uint64_t> framesSent_{0};
  StreamListener listener_;  // last: its threads use every member above
};

}  // namespace camsim
