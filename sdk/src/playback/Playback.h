// The player behind PlaybackContext: one buffer block sized for the largest frame opened so far
// (image area, an in-memory TEMP block, four frame slots), the loaders of the three file types
// over a ByteSource, and the filter and colouring state.
#pragma once

#include <cstdint>
#include <memory>

#include "files/FileIo.h"
#include "ostrel/OstrelPlayback.h"

namespace ostrel::playback {

constexpr uint32_t kPicture = 0x1, kStream = 0x2, kDestripPending = 0x10000, kDenoisePending = 0x20000;
constexpr int64_t kMinPixels = 1024, kMaxPixels = 0x800000;
constexpr int64_t kImageArea = OSTREL_PLAYBACK_IMAGE_AREA;
constexpr int kSlots = 4;
constexpr int64_t kStatsBytes = 16384;

struct PlaybackSlot {
  DataFrameHead* head;
  int16_t* data;  // directly after the head
  uint32_t* image;
  uint8_t* stats;
};

}  // namespace ostrel::playback

struct PlaybackContext {
  uint32_t flags = 0;
  StretchContext* stretch = nullptr;
  StretchCtl ctl{};
  int paletteIndex = 5;

  TempStreamHead bitmap{};
  TempFileHead head{};        // of the open file
  TempFileHead streamHead{};  // the stream's, handed out by the cover
  int32_t frameCount = 0;

  // The current frame size and the block's capacity in pixels (grows, never shrinks).
  int32_t width = 0, height = 0;
  int64_t pixels = 0, capacity = 0;
  uint8_t* block = nullptr;
  uint8_t* image = nullptr;      // kImageArea bytes
  int64_t imageSize = 0;
  uint8_t* tempBlock = nullptr;  // 2 * capacity + 16684 bytes; the current block is 2 * pixels + 16684
  ostrel::playback::PlaybackSlot slots[ostrel::playback::kSlots] = {};
  int lastSlot = ostrel::playback::kSlots - 1;

  // The open stream: its bytes, and the file behind them when it is one.
  std::unique_ptr<ostrel::files::ByteSource> source;
  FILE* file = nullptr;
  TempStreamGeometry geometry{};

  DestripState* destrip = nullptr;
  DestripInfoRecord destripRec{};
  DenoiseState* denoise = nullptr;
  DenoiseInfoRecord denoiseRec{};
  uint32_t destripFrames = 0;  // stream frames read since the destripe configuration was applied

  int64_t tempBlockSize() const { return 2 * pixels + 16684; }
  DataFrameHead* blockFrameHead() { return reinterpret_cast<DataFrameHead*>(tempBlock + 16520); }
  TempFileHead* blockHead() { return reinterpret_cast<TempFileHead*>(tempBlock + 8); }
};

namespace ostrel::playback {

// Sizes the buffers for w x h: -2 outside kMinPixels..kMaxPixels, -5 without memory; on success
// the in-memory TEMP block carries the dated prefix and trailer for w, h.
int makeBuffers(PlaybackContext* c, int64_t w, int64_t h);

// Closes what is open (a stream's file too); returns the file-close result, or 0.
int closeOpen(PlaybackContext* c);

// Loads from src: type 0 legacy one-frame, 1 or 4 picture, 2 stream (src then stays with the
// handle; `file` is closed with it, may be null). On failure the handle is empty.
int openSource(PlaybackContext* c, std::unique_ptr<files::ByteSource> src, FILE* file, int type);

// Reads, filters and colours a frame (OstrelPlayback_ReadFrame without the argument checks).
int readFrame(PlaybackContext* c, int index, PreviewFrame* out);

}  // namespace ostrel::playback
