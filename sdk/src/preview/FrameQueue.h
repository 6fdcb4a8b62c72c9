// A preview's frame store (records refilled drop-oldest) and the blocking hand-off ring of the
// two-thread temperature mode.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "OstrelSDK.h"

namespace ostrel::sdk {

constexpr size_t kMaxPreviewPixels = 0x1000000;  // 4096 x 4096
constexpr size_t kFrameStatsArea = 16384;

// One heap block: the header, the records, then the frame areas. Counters are written only by
// the receiving thread.
struct FrameQueue {
  uint32_t count;     // records
  uint16_t width, height;
  uint32_t write, read;
  uint32_t payloadCapacity;  // bytes a frame's payload may take
  PreviewFrame* records;
  size_t stride;  // bytes of one frame area

  // The record to fill next (giving up the oldest when the store is full).
  PreviewFrame* beginFill() {
    if (write - read == count) ++read;
    return &records[write % count];
  }
  // After a frame was delivered.
  void commit() {
    if (write - read != count) ++write;
  }
  PreviewFrame* at(uint32_t index) { return &records[index % count]; }
};

// Temperature layout: per record a 128-byte head, data and work (2 bytes a pixel each), the BGRA
// image and the FrameStats area. `records` is 16, or more where frames wait in a hand-off ring
// and must still stay intact for 16 further frames after delivery. Null for more than 16 Mi
// pixels or when memory runs out.
FrameQueue* FrameQueue_CreateTemp(int width, int height, uint32_t records = 16);
// H.264 video and mixed layout: 16 records, each the BGRA image and an `extra` area of
// 3 x pixels + 17408 bytes (the largest frame, header included, that the receiver accepts).
FrameQueue* FrameQueue_CreateVideo(int width, int height);
// RTSP layout: 8 records, each the BGRA image and an `extra` area of 16384 + pixels bytes (the
// picture size at bytes 4 and 6, the one-byte-per-pixel plane from byte 16384).
FrameQueue* FrameQueue_CreateRtsp(int width, int height);
constexpr size_t kVideoExtraSlack = 17408;
constexpr size_t kRtspPlaneOffset = 16384;
void FrameQueue_Free(FrameQueue* q);

// The 16-slot pointer ring between the receiving and the delivering thread. A null frame tells
// the consumer to end.
class FrameHandoff {
 public:
  static constexpr uint32_t kSlots = 16;
  // Blocks while 16 frames wait; returns false once the ring was stopped.
  bool push(PreviewFrame* frame);
  // Blocks until a frame (or the null end marker) is there.
  PreviewFrame* pop();
  // Wakes a blocked push, empties the ring and refuses further pushes.
  void stop();
  // Queues the end marker even after stop().
  void pushEnd();
  // Waits until some push has had to wait for room; true when one did within the limit. Lets a
  // watcher tell a full ring from a slow producer without guessing a delay.
  bool waitForBlockedPush(std::chrono::milliseconds limit);

 private:
  std::mutex mutex_;
  std::condition_variable notEmpty_, notFull_;
  PreviewFrame* slots_[kSlots] = {};  // guarded by mutex_
  uint32_t write_ = 0, read_ = 0;     // guarded by mutex_
  bool stopped_ = false;              // guarded by mutex_
  uint64_t blockedPushes_ = 0;        // guarded by mutex_
  std::condition_variable pushBlocked_;
};

}  // namespace ostrel::sdk
