// Copies of live frames owned by the recorder. The SDK's receiving thread takes a free frame,
// copies the frame head and codes into it (and the coloured picture when the worker asked for a
// cover) and queues it; the worker gives it back after use. The SDK reuses its own frame memory
// soon, so nothing downstream may point into it. When no frame is free the frame is dropped and
// counted. Any thread; one mutex guards the free list, never held while copying.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace recordcore {

struct PoolFrame {
  std::vector<uint8_t> bytes;  // 128-byte frame head, then 2 x pixels bytes of codes
  std::vector<uint8_t> cover;  // 4 x pixels BGRA bytes when this frame carries the cover
  uint32_t frameLen = 0;       // bytes used in `bytes`
  bool hasCover = false;
};

class FramePool {
 public:
  // Geometry and capacity: frames of frameLen bytes, as many as fit in budgetBytes, at least
  // minFrames and at most maxFrames. Frames that are out keep their buffers until they return.
  // 0, or -5 when not even minFrames could be had.
  // The one cover buffer (coverLen bytes) is made here too.
  int configure(uint32_t frameLen, uint64_t budgetBytes, uint32_t minFrames = 8, uint32_t maxFrames = 512,
                uint32_t coverLen = 0);

  // Producer side. Takes a frame and copies head+codes (frameLen bytes) and, when a cover is
  // wanted and `bgra` is given, coverLen bytes of it. Null when the length does not match the
  // configured one (nothing counted) or no frame is free (counted as dropped).
  PoolFrame* fill(const uint8_t* headAndCodes, uint32_t frameLen, const uint8_t* bgra, uint32_t coverLen);
  // Consumer side: gives the frame back.
  void release(PoolFrame* f);

  // The next frame filled carries a copy of its picture.
  void wantCover(bool want) { coverWanted_.store(want, std::memory_order_release); }
  bool coverWanted() const { return coverWanted_.load(std::memory_order_acquire); }

  uint32_t frameLen() const;
  uint32_t capacity() const;
  uint32_t inUse() const;
  uint32_t peakInUse() const;
  uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }
  void resetCounters();

 private:
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<PoolFrame>> all_;  // guarded by mutex_
  std::vector<PoolFrame*> free_;                 // guarded by mutex_
  uint32_t frameLen_ = 0;                        // guarded by mutex_
  uint32_t capacity_ = 0;                        // guarded by mutex_
  uint32_t inUse_ = 0, peak_ = 0;                // guarded by mutex_
  std::vector<uint8_t> coverSpare_;              // guarded by mutex_; lent to one frame at a time
  std::atomic<bool> coverWanted_{false};
  std::atomic<uint64_t> dropped_{0};
};

}  // namespace recordcore
