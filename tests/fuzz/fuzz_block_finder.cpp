// Block finder and picture reader over arbitrary bytes: every result is a status code, every
// found block lies inside the input and the buffers.
// ctest-labels: thermal_files
#include <cstdint>
#include <cstdlib>

#include "files/Blocks.h"
#include "files/ThermalFileInternal.h"

using namespace ostrel::files;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFContext* ctx = tfAllocate();
  if (!ctx) abort();
  MemorySource src(data, size);
  const int64_t n = static_cast<int64_t>(size);
  // The finder at the end and at a few ends inside the input (as the picture parse walks back).
  for (int64_t end : {n, n - 1, n - 36, n - 7308, n - 55084, n / 2}) {
    FoundBlock b;
    if (findBlock(src, end, &b) == 0) {
      if (b.start < 0 || b.start + b.size != end || end > n) abort();
      if (b.kind == BlockKind::Conf && (b.size > TF_MAX_CONF_BLOCK || b.length < TF_MIN_CONF_SIZE)) abort();
      if (b.kind == BlockKind::Temp && b.size > TF_MAX_TEMP_BLOCK) abort();
    }
  }
  PictureLayout l;
  if (parsePicture(src, &l) == 0) {
    if (l.imageSize < 0 || l.imageSize > TF_MAX_IMAGE_SIZE) abort();
  }
  int rc = tfLoadPicture(ctx, src);
  if (rc > 0) abort();
  if (rc == 0 && (ctx->pixels < TF_MIN_PIXELS || ctx->pixels > TF_MAX_PIXELS)) abort();
  rc = tfLoadLegacy(ctx, src);
  if (rc > 0) abort();
  return 0;
}
