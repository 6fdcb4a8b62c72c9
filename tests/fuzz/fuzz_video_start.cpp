// ctest-labels: preview
// The H.264 stream's start record on hostile bytes, as the video preview turns it into the
// decoder's set-up: input shorter than the record is padded with zeros, as a short read never
// reaches the set-up. The set-up length must stay within its 64 bytes whatever the camera says.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "preview/VideoPreview.h"

using namespace ostrel::sdk;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  uint8_t start[kH264StartSize] = {};
  if (size > 0) std::memcpy(start, data, size < sizeof start ? size : sizeof start);
  H264DecConfig c = decoderSetupFromStart(start, 0, 320, 240);
  if (c.extraLength < 0 || c.extraLength > kH264SetupMax) abort();
  if (c.width != 320 || c.height != 240) abort();
  if (std::memcmp(c.extra, start + 8, static_cast<size_t>(c.extraLength)) != 0) abort();
  return 0;
}
