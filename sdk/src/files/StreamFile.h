// Temperature stream files: reading the geometry and writing a recording. The SDK's preview
// recording, the player and the file access layer share these; the workstation's recorder builds
// the same head area with TempStream_BuildHeadArea of the public header.
#pragma once

#include <cstdint>
#include <cstdio>

#include "files/FileIo.h"
#include "ostrel/OstrelFiles.h"

namespace ostrel::files {

// Reads the bitmap head and the TempFileHead of a stream: w = int32 at 18, h = -(int32 at 22),
// P within minPixels..maxPixels, the head's width and height equal to w and h. Returns 0, -198
// (short), -193 (seek), -194 (a positive stored height, a size outside the limits, a head of
// another size). `head` may be null.
int readStreamGeometry(ByteSource& src, int64_t minPixels, int64_t maxPixels, TempStreamGeometry* g,
                       TempFileHead* head);

// Writes one recording: head area, cover, frames. One thread at a time (the caller's lock).
class StreamWriter {
 public:
  StreamWriter() = default;
  StreamWriter(const StreamWriter&) = delete;
  StreamWriter& operator=(const StreamWriter&) = delete;
  ~StreamWriter() { close(); }

  // Closes an open recording, creates `path` ("wb") and writes the head area (g.firstFrame bytes,
  // built by TempStream_BuildHeadArea). Returns 0, -200 when the file cannot be created, -197 when
  // the head area is not written whole (the file is closed).
  int create(const char* path, const TempStreamGeometry& g, const void* headArea);
  // Writes the 4*P bytes of a BGRA picture at offset 64 as the cover and returns to the end.
  // 0, -7 when not open, -197.
  int writeCover(const uint32_t* bgra);
  // Appends one frame: its 128-byte head and 2*P bytes of codes. 0, -7 when not open, -197 when
  // the write is short (the count is not advanced).
  int appendFrame(const DataFrameHead* head, const int16_t* codes);
  // Closes the file; 0, or -197 when the final flush failed; 0 when nothing is open.
  int close();

  bool isOpen() const { return file_ != nullptr; }
  int64_t framesWritten() const { return frames_; }
  int64_t bytesWritten() const { return bytes_; }
  const TempStreamGeometry& geometry() const { return geometry_; }

 private:
  FILE* file_ = nullptr;
  TempStreamGeometry geometry_{};
  int64_t frames_ = 0;
  int64_t bytes_ = 0;
};

}  // namespace ostrel::files
