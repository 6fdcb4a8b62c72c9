// One export request: everything the exporter's worker needs to write a picture, a cut of a
// recording, a picture series or a video, in one zeroed heap block laid out in file order (image
// area, then a framed ConfBlock and a framed TempBlock back to back), so a radiometric picture is
// written without copying its blocks. Made on the caller's thread by ImageExporter::newJob,
// owned by the worker from ImageExporter::startSave on and released by it after the job.
#pragma once

#include <cstddef>
#include <cstdint>

#include "OstrelSDK.h"

// The exporter's settings as they stood when the job was handed over: the worker never reads the
// configuration object, which the views change on the GUI thread.
struct ExportSettings {
  int colorbar = 2;  // 0 none, 1 inside the picture, 2 in a strip of its own
  bool withRoi = true;
  bool withTemp = true;
};

struct ExportJob {
  static constexpr int kMaxItems = 32;
  static constexpr int kConfBlockSize = 8 + 7264 + 36;  // head, record, trailer
  static constexpr int kTempHeaderSize = 16512;

  int kind;      // 1 picture, 2 stream cut or pictures, 3 MP4
  uint8_t* image;  // width x height BGRA pixels, as the module shows them
  uint8_t* raw;    // the TempBlock payload: the 16512-byte header, then frame head and codes
  TempFileConf* conf;
  int imageSize;  // 4 P
  int tempSize;   // 2 P + 16640
  int confSize;   // 7264
  MeaResult results[kMaxItems];
  float barLow;
  float barHigh;
  char source[256];  // UTF-8 path of the stream file (kinds 2 and 3)
  int begin;
  int end;
  int interval;
  int split;
  // The size the block was made for; the frame and the record must match it.
  int width;
  int height;
  ExportSettings settings;

  // The framed blocks: ConfBlock (kConfBlockSize bytes) followed directly by the TempBlock.
  uint8_t* confBlock() const { return image + imageSize; }
  uint8_t* tempBlock() const { return confBlock() + kConfBlockSize; }
  int tempBlockSize() const { return 8 + tempSize + 36; }
  // The frame head and codes inside the TempBlock payload.
  uint8_t* frame() const { return raw + kTempHeaderSize; }
  int64_t pixels() const { return int64_t(width) * height; }
};

// A zeroed job for a w x h frame with both blocks framed; null when w * h lies outside the file
// formats' limits (19200 .. 1310720 pixels) or memory runs out. Release with exportJobFree.
ExportJob* exportJobNew(int w, int h);
void exportJobFree(ExportJob* job);
