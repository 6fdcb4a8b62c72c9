// Measurement items as they come from files, on small frames of any content.
// ctest-labels: alg_measure
#include <cstdint>
#include <cstring>
#include <vector>

#include "OstrelSDK.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = VEZ2024_Init() == 0;
  if (!ready || size < sizeof(MeaItem) + 4) return 0;
  MeaItem item;
  std::memcpy(&item, data, sizeof item);
  const uint8_t* p = data + sizeof item;
  DataFrameHead head{};
  head.width = uint16_t(1 + p[0] % 64);
  head.height = uint16_t(1 + p[1] % 64);
  head.scale = uint16_t(p[2] % 4 == 0 ? 0 : 100);
  head.offset = int16_t(int8_t(p[3]));
  std::memcpy(&head.reflectTemp, p, 4);
  head.globalEmi = p[2] / 255.0f;
  head.band = p[3] & 1;
  const size_t pixels = size_t(head.width) * head.height;
  // Exact-size code buffer, filled from the remaining bytes (repeated).
  std::vector<int16_t> codes(pixels);
  const size_t rest = size - sizeof item - 4;
  for (size_t i = 0; i < pixels; ++i) {
    codes[i] = rest >= 2 ? int16_t(p[4 + (2 * i) % (rest & ~size_t(1))] |
                                   (p[4 + ((2 * i) % (rest & ~size_t(1))) + 1] << 8))
                         : int16_t(i);
  }
  MeaResult r;
  VEZ2024_CheckMea(&item, head.width, head.height);
  VEZ2024_GetResult(&item, &head, codes.data(), &r);
  for (int stats = 0; stats < 6; ++stats) {
    double* out;
    int count;
    VEZ2024_GetSpaceData(&item, &head, codes.data(), stats, stats & 1, &out, &count);
  }
  return 0;
}
