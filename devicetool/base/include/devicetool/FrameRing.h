// The live device's hand-over of frames from the SDK's receiver thread to the GUI thread.
//
// The SDK refills its frame records while the stream runs, so a frame that is queued to the GUI
// thread, shown or kept for a snapshot is first copied into one of four owned slots. A slot goes
// Free -> Writing (receiver) -> Queued (signal in flight) -> Held (GUI) -> Free. The receiver only
// ever writes a Free slot; when none is free (the GUI is behind) the frame is dropped, never
// written over one the GUI may be reading.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ostrel/OstrelPreview.h"

// The frame record handed to the canvas and the data state; its first three members are those of
// the canvas's frame reference.
struct LiveFrame {
  DataFrameHead* head = nullptr;  // 128 bytes; the codes follow directly, as in the SDK's store
  int16_t* data = nullptr;        // width x height temperature codes
  uint32_t* image = nullptr;      // width x height BGRA pixels, or null when the frame had none
};

class FrameRing {
 public:
  static constexpr int kSlots = 4;
  // The largest frame taken (pixels); a head claiming more is dropped.
  static constexpr size_t kMaxPixels = 4096u * 4096u;

  FrameRing();
  FrameRing(const FrameRing&) = delete;
  FrameRing& operator=(const FrameRing&) = delete;

  // Receiver thread. Copies head, codes and picture of the SDK's frame into a free slot and marks
  // it queued; returns the slot's record, or null when the frame was dropped (no free slot, no
  // head or codes, a size of 0 or above kMaxPixels). Buffers grow only for a larger frame.
  LiveFrame* put(const DataFrameHead* head, const int16_t* data, const uint32_t* image);

  // GUI thread. Takes a queued slot for reading; false when `frame` is not a record of this ring
  // or not queued (already taken, or handed over before a restart and reused since).
  bool take(const LiveFrame* frame);
  // GUI thread. Gives a taken slot back to the receiver. Nothing for null or a slot not held.
  void release(const LiveFrame* frame);

  uint64_t dropped() const { return dropped_.load(std::memory_order_relaxed); }
  uint64_t written() const { return written_.load(std::memory_order_relaxed); }

 private:
  enum State : int { Free = 0, Writing, Queued, Held };
  struct Slot {
    std::atomic<int> state{Free};
    std::vector<uint8_t> headAndData;  // written only while the slot is Writing
    std::vector<uint32_t> image;
    LiveFrame record;
  };
  int indexOf(const LiveFrame* frame) const;

  std::array<Slot, kSlots> slots_;
  unsigned next_ = 0;  // receiver thread only: where the search for a free slot starts
  std::atomic<uint64_t> dropped_{0};
  std::atomic<uint64_t> written_{0};
};
