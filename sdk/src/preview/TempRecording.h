// Recording of a running temperature preview: a temperature stream file (every frame, every n-th,
// or one per time gap) and an H.264 video of the coloured pictures. Both may run at once.
// Begin and end come from the exports' thread, the per-frame step from the preview's worker; one
// lock keeps them apart.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "OstrelFfmpeg.h"
#include "OstrelSDK.h"
#include "files/StreamFile.h"

namespace ostrel::sdk {

struct PreviewCamera;

class TempRecorder {
 public:
  TempRecorder() = default;
  TempRecorder(const TempRecorder&) = delete;
  TempRecorder& operator=(const TempRecorder&) = delete;
  ~TempRecorder();

  // At the preview start: the stream buffer (the file's head area) for frames of width x height
  // and the video encoder. -13 when either cannot be made.
  int open(const PreviewCamera& camera, int width, int height, int encoderCode);

  // Closes an open stream file, then creates `path` (UTF-8) and writes the head area stamped with
  // the current time. cadence n > 0 keeps frames 0, n, 2n...; n < 0 one frame whenever more than
  // -n seconds of camera time passed since the last one kept (the first is always kept); 0 every
  // frame. 0, -8 (cadence outside -100..100), -200, -197.
  int beginStream(const char* path, int cadence);
  // The correction record the head area carries into stream files begun from now on.
  void setFix(const FixInfoRecord& fix);
  // Opens an H.264 video through the encoder (a video open before is closed first): its result.
  int beginVideo(const char* path);
  // Closes the stream file: 0, or -197 when a frame could not be written whole (the file then
  // ends at its last whole frame) or the close failed. 0 when none is open.
  int endStream();
  // Closes the video: the encoder's result, or the first failed packet write. 0 when none is open.
  int endVideo();

  // The per-frame step (worker thread): keeps the frame in the stream file by the cadence, and
  // encodes its picture into the video. No allocation.
  void step(const PreviewFrame* frame);
  bool active() const { return active_.load(std::memory_order_relaxed); }

 private:
  void writeStreamFrame(const PreviewFrame* f);
  void cutStreamLocked();
  void updateActiveLocked() { active_ = streamOn_ || videoOn_; }

  std::mutex mutex_;
  std::atomic<bool> active_{false};
  // Stream file; guarded by mutex_.
  TempStreamGeometry geometry_{};
  std::vector<uint8_t> headArea_;
  files::StreamWriter writer_;
  std::string path_;
  bool streamOn_ = false;
  int streamResult_ = 0;  // first failure of the running file
  int cadence_ = 0;
  int64_t gap_ = 0;  // 100-ns ticks
  uint64_t counter_ = 0;
  int64_t lastTime_ = 0;
  bool written_ = false;
  // Video; guarded by mutex_.
  H264Encoder* encoder_ = nullptr;
  bool videoOn_ = false;
  int videoResult_ = 0;
};

}  // namespace ostrel::sdk
