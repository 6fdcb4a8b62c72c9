// The thermal file handle behind TFContext: one zeroed allocation holding every buffer, sized for
// the largest frame (1280 x 1024) and the largest picture (6832472 bytes), so opening, reading and
// colouring never allocate.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "ostrel/OstrelFiles.h"

namespace ostrel::files {

constexpr int kRingSlots = 4;
constexpr int64_t kSlotBytes = 128 + 2 * TF_MAX_PIXELS + 4 * TF_MAX_PIXELS;
constexpr int32_t kWriteTempCapacity = TF_MAX_TEMP_PAYLOAD;  // 2638080

struct FrameSlot {
  DataFrameHead* head;
  int16_t* data;  // directly after the head
  uint32_t* bgra;
};

}  // namespace ostrel::files

struct TFContext {
  // 0 closed, 1 picture, 2 stream. Atomic: a player thread may look at it while the owner works.
  std::atomic<int> mode{0};

  // Colouring: the stretch context, the handle's palette copy and the current entry.
  void* stretch = nullptr;
  void* palettes = nullptr;  // PaletteData[paletteCount]
  int paletteCount = 0;
  int paletteIndex = 5;
  uint8_t stretchCtl[64] = {};

  // The one allocation every buffer below is carved from.
  uint8_t* block = nullptr;

  // Read side: each block buffer holds a whole block (8-byte prefix, payload, 36-byte trailer).
  uint8_t* image = nullptr;      // TF_MAX_IMAGE_SIZE
  uint8_t* confBlock = nullptr;  // TF_MAX_CONF_BLOCK; record at +8
  uint8_t* tempBlock = nullptr;  // TF_MAX_TEMP_BLOCK; TEMP header at +8
  int32_t imageSize = 0, tempSize = 0, confSize = 0;

  // Write side handed out by TF_WriteRawBegin.
  uint8_t* writeImage = nullptr;  // TF_MAX_IMAGE_SIZE
  uint8_t* writeTemp = nullptr;   // kWriteTempCapacity
  uint8_t* writeConf = nullptr;   // TF_MAX_CONF_SIZE
  uint8_t* assembly = nullptr;    // TF_MAX_PICTURE_SIZE: an output file is built here

  ostrel::files::FrameSlot slots[ostrel::files::kRingSlots] = {};
  std::atomic<uint32_t> ring{0};  // next ring read uses slot ring % 4

  // The open frame geometry (picture or stream).
  int32_t width = 0, height = 0;
  int64_t pixels = 0;

  // Stream state.
  FILE* file = nullptr;
  bool readOnly = false;
  int32_t frameCount = 0;
  TempStreamGeometry geometry{};
  int64_t endOfFrames = 0;  // frameCount * frameSize + firstFrame

  TempFileConf* conf() { return reinterpret_cast<TempFileConf*>(confBlock + 8); }
  TempHeader* header() { return reinterpret_cast<TempHeader*>(tempBlock + 8); }
};

namespace ostrel::files {

// Allocates a handle with its buffers (no colouring state); null when memory runs out.
TFContext* tfAllocate();
// Closes and frees what tfAllocate made (the colouring state must already be gone).
void tfRelease(TFContext* ctx);

}  // namespace ostrel::files
