// Stream head parser and stream reader over arbitrary bytes, with the limits of the file access
// layer and of playback.
// ctest-labels: thermal_files
#include <cstdint>
#include <cstdlib>

#include "files/StreamFile.h"
#include "files/ThermalFileInternal.h"

using namespace ostrel::files;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TFContext* ctx = tfAllocate();
  if (!ctx) abort();
  MemorySource src(data, size);
  TempStreamGeometry g;
  TempFileHead head;
  if (readStreamGeometry(src, TF_MIN_PIXELS, TF_MAX_PIXELS, &g, &head) == 0) {
    if (g.pixels < TF_MIN_PIXELS || g.pixels > TF_MAX_PIXELS ||
        g.headOffset + 128 > static_cast<int64_t>(size))
      abort();
  }
  if (readStreamGeometry(src, 1024, 0x800000, &g, nullptr) == 0) {
    if (g.width <= 0 || g.height <= 0 || g.pixels > 0x800000) abort();
  }
  int rc = tfLoadStream(ctx, src);
  if (rc > 0) abort();
  if (rc == 0) {
    if (ctx->frameCount <= 0 || ctx->endOfFrames > static_cast<int64_t>(size)) abort();
    if (ctx->confSize < TF_MIN_CONF_SIZE || ctx->confSize > TF_MAX_CONF_SIZE) abort();
  }
  return 0;
}
