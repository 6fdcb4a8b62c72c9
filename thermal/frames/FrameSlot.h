// The frame record an input hands to its module: pointers into the producer's frame store, not a
// copy. Live frames point into the SDK's preview ring and stay valid for 16 further frames.
#pragma once

#include <cstdint>

#include "OstrelSDK.h"

struct FrameSlot {
  DataFrameHead* head = nullptr;  // the frame's 128-byte head; the codes follow it directly
  int16_t* data = nullptr;        // width x height temperature codes
  uint32_t* image = nullptr;      // width x height BGRA pixels
  int32_t frameIndex = 0;         // position in a stream file (stream player only)
  int32_t frameNumber = 0;        // written by the consuming module
};

using TempData = FrameSlot;

// Receives every hand-over on the producer's thread: status 0 with a slot, or -17 (connection
// lost) / -18 (connection restored) with a null slot, whose sequence value carries no meaning.
using FrameConsumerFn = void (*)(int status, FrameSlot* slot, void* user, uint32_t sequence);
