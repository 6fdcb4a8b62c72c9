// Calibration file heads: any 128 bytes give a layout whose every table lies inside the minimum
// size, or a refusal; the own repair entries of a file that holds them are checked before use,
// and the bytes after the head, read as a bad-point list, are processed into repair entries.
// ctest-labels: alg_calibration
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "OstrelSDK.h"
#include "alg/calibration/CaliInternal.h"

using namespace ostrel::alg;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kCaliHeadSize) return 0;
  CaliLayout lay;
  if (parseCaliHead(data, &lay) == 0) {
    // Every table starts after the one before it and the last one ends at the minimum size.
    if (!(lay.envOff <= lay.pointOff && lay.pointOff <= lay.rawOff && lay.rawOff <= lay.segOff &&
          lay.segOff <= lay.compOff && lay.compOff <= lay.lutBpOff && lay.lutBpOff <= lay.lutSegOff &&
          lay.lutSegOff <= lay.minSize && lay.minSize <= UINT32_MAX && lay.pixels > 0 && lay.envCount >= 2 &&
          lay.bbCount >= 2 && lay.shift < 32)) {
      std::abort();
    }
    if (size >= lay.minSize && lay.badCount > 0) {
      std::vector<CompEntry> own(lay.badCount);
      std::memcpy(own.data(), data + lay.compOff, own.size() * sizeof(CompEntry));
      compEntriesValid(own.data(), own.size(), lay.pixels);
    }
    CaliLayout crop;
    relayoutCaliHead(lay, lay.width / 2 + 1, lay.height / 2 + 1, &crop);
  }
  // The rest as a bad-point list in memory, its count bounded by the bytes there.
  const size_t rest = size - kCaliHeadSize;
  if (rest >= 44) {
    std::vector<uint8_t> list(data + kCaliHeadSize, data + size);
    int32_t n;
    std::memcpy(&n, list.data() + 40, 4);
    int32_t w, h;
    std::memcpy(&w, list.data() + 32, 4);
    std::memcpy(&h, list.data() + 36, 4);
    if (n > 0 && uint64_t(n) * 4 <= rest - 44 && uint64_t(uint32_t(w)) * uint32_t(h) <= (1u << 16)) {
      CompEntry* entries = nullptr;
      const int count = Com_ProcessX(list.data(), &entries);
      if (count > 0 && !compEntriesValid(entries, size_t(count), uint64_t(w) * uint64_t(h))) std::abort();
      std::free(entries);
    }
  }
  return 0;
}
