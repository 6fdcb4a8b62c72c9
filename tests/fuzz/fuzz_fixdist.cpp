// Distance record files: any bytes are checked before a LUT is built; then the LUTs are used.
// ctest-labels: alg_radiometry
#include <cstdint>
#include <cstring>
#include <vector>

#include "OstrelSDK.h"
#include "alg/radiometry/FixDistLoad.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FixDistContext* ctx = FixDist_Create();
  if (!ctx || size < 4) return 0;
  uint16_t scale;
  int16_t offset;
  std::memcpy(&scale, data, 2);
  std::memcpy(&offset, data + 2, 2);
  ostrel::alg::fixDistLoadBytes(ctx, data + 4, size - 4, scale, offset);
  static std::vector<int16_t> lut(65536);
  for (int32_t d : {-100000, 0, 7, 250, 100000}) FixDist_UpdateLut(ctx, d, lut.data() + 32768);
  return 0;
}
