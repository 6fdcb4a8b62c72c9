// ctest-labels: alg_frame
// The frame unpacker on hostile packed frames: the bounded form with an output capacity taken
// from the first input byte (matching or not the raw size), and the exported two-argument form
// whenever the input really holds the packed size it announces.
#include <cstdint>
#include <cstring>
#include <memory>

#include "OstrelSDK.h"
#include "alg/frame/Compress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t* packed = data + 1;
  const size_t length = size - 1;
  if (length < 8) {
    int16_t dummy[4];
    ostrel::alg::uncompressBounded(packed, length, dummy, 4);
    return 0;
  }
  int32_t raw, packedSize;
  std::memcpy(&raw, packed, 4);
  std::memcpy(&packedSize, packed + 4, 4);
  // Capacity: the raw size's value count, or a small mismatching one when the first byte is odd.
  size_t values = raw > 0 && raw <= (1 << 22) ? static_cast<size_t>(raw) / 2 : 16;
  if (data[0] & 1) values = data[0] % 64;
  auto out = std::make_unique<int16_t[]>(values ? values : 1);
  ostrel::alg::uncompressBounded(packed, length, out.get(), values);

  if (raw > 0 && raw <= (1 << 22) && packedSize >= 0 && static_cast<size_t>(packedSize) <= length) {
    auto exact = std::make_unique<int16_t[]>(static_cast<size_t>(raw) / 2 + 1);
    Alg_Uncompress(packed, exact.get());
  }
  return 0;
}
