// ctest-labels: preview
// The temperature stream's head check on hostile bytes, then the frame the head announces as the
// receiver would take it: input byte 0 picks the preview's frame size (16 x 8, 384 x 288,
// 4096 x 4096 or the head's own), the rest is the stream (128-byte head, then the payload).
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "alg/frame/Compress.h"
#include "preview/TempStreamChannel.h"

using namespace ostrel::sdk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) {
    if (checkTempFrameHead(data, size, 16, 8).verdict != TempHeadVerdict::Implausible) abort();
    return 0;
  }
  const uint8_t* stream = data + 1;
  const size_t length = size - 1;
  int width = 16, height = 8;
  switch (data[0] % 4) {
    case 1: width = 384, height = 288; break;
    case 2: width = height = kTempMaxSide; break;
    case 3:
      width = length >= 2 ? stream[0] | stream[1] << 8 : 0;
      height = length >= 4 ? stream[2] | stream[3] << 8 : 0;
      break;
    default: break;
  }
  const TempHeadCheck c = checkTempFrameHead(stream, length, width, height);
  if (c.verdict == TempHeadVerdict::Implausible) {
    if (c.payloadBytes != 0) abort();
    return 0;
  }
  // A plausible head never announces more than a raw frame of the largest size.
  const size_t raw = size_t{2} * static_cast<size_t>(c.width) * static_cast<size_t>(c.height);
  if (length < kTempHeadSize || c.width <= 0 || c.height <= 0 || c.width > kTempMaxSide ||
      c.height > kTempMaxSide || c.scale == 0)
    abort();
  if (c.packed ? (c.payloadBytes == 0 || c.payloadBytes >= raw) : c.payloadBytes != raw) abort();
  if (c.verdict == TempHeadVerdict::Frame && (c.width != width || c.height != height)) abort();
  if (c.verdict == TempHeadVerdict::OtherSize && c.width == width && c.height == height) abort();

  // The receiver unpacks a packed payload into the record's frame area (kept small here).
  if (c.verdict == TempHeadVerdict::Frame && c.packed && raw <= (size_t{1} << 21)) {
    const size_t have = length - kTempHeadSize;
    const size_t take = c.payloadBytes < have ? c.payloadBytes : have;
    const size_t pixels = raw / 2;
    auto frame = std::make_unique<int16_t[]>(pixels);
    ostrel::alg::uncompressBounded(stream + kTempHeadSize, take, frame.get(), pixels);
  }
  return 0;
}
