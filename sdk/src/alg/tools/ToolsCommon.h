// Shared pieces of the detector and calibration tools.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace ostrel::alg::tools {

// The largest frame the tools size themselves for: 16 Mi pixels keeps every plane's byte count
// and every per-frame sum far inside their types.
constexpr int64_t kMaxToolPixels = int64_t(16) * 1024 * 1024;

// Objects released by the shared free (mixFree, exported as Alg_MeanFree too) begin with this:
// the pointer to their one work buffer.
struct BufferedObject {
  void* buffer;
};

// Owner of a malloc'd block.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using MallocPtr = std::unique_ptr<T, FreeDeleter>;

}  // namespace ostrel::alg::tools
