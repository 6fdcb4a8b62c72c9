// The SDK settings reader over arbitrary bytes: never crashes, and a rejected text leaves the
// defaults.
// ctest-labels: sdk_frame
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "frame/SdkConfig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > ostrel::sdk::kSdkConfigMaxBytes) return 0;  // longer files are never parsed
  ostrel::sdk::SdkSettings s;
  int rc = ostrel::sdk::SdkConfig_Parse(reinterpret_cast<const char*>(data), size, &s);
  if (rc != 0 && rc != -11) abort();
  if (rc == -11 && (!s.log.empty() || s.syncTime != 1 || s.previewEnableInterProcess != 1 ||
                    s.previewEnableThread2 != 0))
    abort();
  (void)ostrel::sdk::SdkConfig_CodecCode(s.encoder);
  return 0;
}
