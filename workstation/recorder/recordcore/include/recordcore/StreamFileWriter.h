// Writes one recording's stream file: the head area (bitmap head, cover, reserved bytes, capture
// head), then whole frames in large pieces. After a failed or short write the file is cut back to
// its last whole frame and the writer refuses further writes, so the file stays a valid stream.
// One thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace recordcore {

// Byte layout of the head area of a stream of w x h pixels (P = w x h): 64-byte bitmap head,
// 4P cover bytes, 1024 reserved, 128-byte capture head at 4P + 1088; frames from 4P + 1216.
struct StreamGeometry {
  uint32_t width = 0, height = 0;
  uint64_t pixels() const { return uint64_t{width} * height; }
  uint64_t frameLen() const { return 2 * pixels() + 128; }
  uint64_t headLen() const { return 4 * pixels() + 1216; }
};

struct CaptureHead {
  char cameraId[32] = {};
  int64_t captureTime = 0;  // FILETIME
  uint8_t fixInfo[72] = {};
  uint16_t fpsNum = 0, fpsDen = 0;
};

// Fills headLen() bytes at `out` (zeroed first): bitmap head, the cover when given (4P bytes,
// else zero), capture head with palette byte 5 and version 1.
void buildStreamHead(uint8_t* out, const StreamGeometry& g, const CaptureHead& capture, const uint8_t* cover);

// Creates `base + ext` exclusively; when that name exists, `base-1 + ext`, `base-2 + ext`, ...
// (up to 9999). The descriptor (>= 0) and the name taken, or -200.
int createExclusive(const std::string& base, const std::string& ext, std::string* taken);

class StreamFileWriter {
 public:
  // Called before each write with the write's number (from 0) and its length; returns how many
  // bytes may really be written (fewer makes a short write). For tests.
  using WriteHook = std::function<size_t(uint64_t call, size_t length)>;

  ~StreamFileWriter() { close(); }

  // Takes an open descriptor for a stream of this geometry.
  void attach(int fd, const StreamGeometry& g);
  bool isOpen() const { return fd_ >= 0; }
  // Writes the head area at the start: 0, or -197 (the file is then cut to nothing).
  int writeHead(const uint8_t* head);
  // Appends frame bytes (any piece of the frame sequence): 0, or -197 when the write failed or
  // was short (the file then ends at its last whole frame) or an earlier write failed.
  int append(const void* data, size_t n);
  // Closes: 0, or -197 when closing failed or an earlier write did.
  int close();

  int error() const { return error_; }
  // Bytes in the file (head and whole frames after a failure).
  uint64_t fileBytes() const { return offset_; }
  // Whole frames in the file.
  uint64_t wholeFrames() const;
  void setWriteHook(WriteHook hook) { hook_ = std::move(hook); }

 private:
  bool writeAll(const void* data, size_t n);
  void cutToWholeFrames();

  int fd_ = -1;
  StreamGeometry g_;
  uint64_t offset_ = 0;
  uint64_t calls_ = 0;
  int error_ = 0;
  WriteHook hook_;
};

}  // namespace recordcore
