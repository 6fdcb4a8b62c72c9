// A frame kept beyond its hand-over: its own head and codes (contiguous, as the SDK keeps them)
// and its own image, reused from frame to frame. Buffers grow only for a larger frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "FrameSlot.h"

class FrameCopy {
 public:
  // The largest frame taken (pixels); a head claiming more is refused.
  static constexpr size_t kMaxPixels = 4096u * 4096u;

  // Copies the frame the slot points at; false (and nothing changed) when the slot has no head
  // or codes, or its size is 0 or above kMaxPixels. The image is copied when present.
  bool assign(const FrameSlot& src);
  // Sizes the buffers for frames of this size in advance (nothing for a size out of range).
  void reserve(int width, int height);

  TempData* record() { return &record_; }
  const TempData* record() const { return &record_; }

 private:
  std::vector<uint8_t> headAndData_;
  std::vector<uint32_t> image_;
  TempData record_{};
};
