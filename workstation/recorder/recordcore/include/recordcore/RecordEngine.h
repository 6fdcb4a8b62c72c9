// The recording itself, run on the recorder's worker thread: configuration, start and stop
// triggers (manual, the camera's digital input, a delayed stop), the pre-record ring, the
// post-record phase and the stream file. Frames arrive as pool copies in queue order; each is
// given back to the pool once handled. One thread; results leave through the hooks.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "recordcore/ByteRing.h"
#include "recordcore/FramePool.h"
#include "recordcore/RecordNaming.h"
#include "recordcore/StreamFileWriter.h"

namespace recordcore {

enum TriggerCode : int {
  kManualStart = 257,
  kCameraTagStart = 258,
  kManualStop = 513,
  kCameraTagStop = 514,
  kAutoDelayStop = 515,
  kPostEnd = 1025,
  kReconfigure = 1026,
};

// Everything a configuration needs, copied when it is sent so the worker never reads settings
// the GUI may be editing.
struct RecordSettings {
  uint32_t width = 0, height = 0;
  uint32_t fpsNum = 0, fpsDen = 0;
  int startTrigger = kManualStart, stopTrigger = kManualStop;
  bool preEnable = false, postEnable = false;
  int preSeconds = 0, postSeconds = 0, autoDelaySeconds = 10;
  NameSettings naming;
  std::string cameraModel;
  CaptureHead capture;  // cameraId and fixInfo; time and rate are filled at the start
};

struct RecordStats {
  int state = 0;  // 0 idle, 2 recording
  int error = 0;  // 0, -200 file not created, -197 write failed (the file ends on a whole frame)
  std::string fileName, fileNameShort;
  int64_t beginTime = 0, endTime = 0;  // FILETIME
  int64_t durationMs = 0;
  uint32_t framesWritten = 0, preCount = 0, postCount = 0;
  int64_t bytesWritten = 0;
  uint64_t framesLost = 0;  // frames that found the ring full while recording
};

class RecordEngine {
 public:
  static constexpr uint32_t kWriteThreshold = 0x400000;
  // Frames from this length on are written from the pool frame itself, not through the ring.
  static constexpr uint32_t kDirectFrameLen = kWriteThreshold / 4;
  static constexpr uint64_t kMinRing = 0x1000000;
  static constexpr uint64_t kMaxPixels = 1310720;

  struct Hooks {
    std::function<void(int oldState, int newState, const RecordStats&)> stateChanged;
    std::function<void(bool active)> activeChanged;
    std::function<void(int nextCount)> counterAdvanced;
    std::function<int64_t()> now;  // FILETIME; the system clock when empty
  };

  // The pool and the counter outlive the engine.
  RecordEngine(FramePool* pool, std::atomic<int>* counter, Hooks hooks);
  ~RecordEngine();

  // Trigger 1026 with its settings: applied only while idle.
  void configure(const RecordSettings& s);
  void trigger(int code);
  // Handles one frame and gives it back to the pool.
  void frame(PoolFrame* f);
  // Ends a running recording at once (as the end of the post phase does).
  void finish();

  bool active() const { return active_; }
  int state() const { return state_; }
  uint32_t preFrames() const { return preFrames_; }
  uint32_t postFrames() const { return postFrames_; }
  uint64_t ringSize() const { return ring_.size(); }
  const RecordStats& stats() const { return stats_; }
  // Bytes the pool may hold (default 128 MiB); applied at the next configuration.
  void setPoolBudget(uint64_t bytes) { poolBudget_ = bytes; }
  void setWriteHook(StreamFileWriter::WriteHook hook) { writer_.setWriteHook(std::move(hook)); }

 private:
  int64_t now() const;
  void setActive(bool a);
  void begin();
  void end(int error);
  void record(PoolFrame* f);
  bool writeHeadArea(const uint8_t* cover);
  int flush(uint32_t n);
  void notify(int oldState, int newState);

  FramePool* pool_;
  std::atomic<int>* counter_;
  Hooks hooks_;
  RecordSettings s_;
  ByteRing ring_;
  StreamFileWriter writer_;
  std::unique_ptr<uint8_t[]> head_;
  uint64_t headCapacity_ = 0;
  StreamGeometry g_;
  uint32_t frameLen_ = 0;
  uint32_t preFrames_ = 0, postFrames_ = 0, autoDelayFrames_ = 0;
  uint64_t poolBudget_ = 128ull << 20;
  bool active_ = false;
  int state_ = 0;
  bool postPhase_ = false;
  bool headerWritten_ = false;
  bool firstSeen_ = false;
  bool startIo_ = false, stopIo_ = false;
  uint8_t prevIo_ = 0;
  int64_t firstTime_ = 0, currentTime_ = 0, lastStatsTime_ = 0;
  RecordStats stats_;
};

}  // namespace recordcore
