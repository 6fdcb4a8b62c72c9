// ctest-labels: videolib
// Camera H.264 payloads into the video library's decoder: the first byte gives the length of
// the codec set-up bytes (Annex-B or avcC) that follow it, then records of u16 length
// (little-endian) and that many payload bytes, each decoded as one access unit.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "OstrelFfmpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static H264Decoder* dec = nullptr;
  if (!dec) dec = H264Dec_Create();
  H264DecConfig c;
  memset(&c, 0, sizeof c);
  c.width = 64;
  c.height = 48;
  size_t extra = data[0] % 65;
  if (extra > size - 1) extra = size - 1;
  c.extraLength = static_cast<int>(extra);
  memcpy(c.extra, data + 1, extra);
  if (H264Dec_SetConfig(dec, &c) != 0) return 0;
  std::vector<uint8_t> bgra(64 * 48 * 4);
  size_t pos = 1 + extra;
  while (pos + 2 <= size) {
    size_t len = data[pos] | (size_t(data[pos + 1]) << 8);
    pos += 2;
    if (len > size - pos) len = size - pos;
    // Exact-size copy, so a read past the unit is caught.
    std::vector<uint8_t> unit(data + pos, data + pos + len);
    H264Dec_Decode(dec, unit.empty() ? nullptr : unit.data(), static_cast<int>(len), bgra.data());
    pos += len;
  }
  return 0;
}
