#include "alg/common/AlgCommon.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace ostrel::alg {

namespace {

SimdLevel detectBest() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vl"))
    return SimdLevel::Avx512;
  if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
  if (__builtin_cpu_supports("sse2")) return SimdLevel::Sse2;
#endif
  return SimdLevel::Scalar;
}

std::atomic<int> g_level{-1};
std::atomic<int> g_failAfter{-1};

// False when the failure hook says this allocation fails.
bool allocationAllowed() {
  int n = g_failAfter.load(std::memory_order_relaxed);
  if (n < 0) return true;
  g_failAfter.store(n - 1, std::memory_order_relaxed);
  return n != 0;
}

}  // namespace

SimdLevel simdBestLevel() {
  static const SimdLevel best = detectBest();
  return best;
}

SimdLevel simdLevel() {
  int level = g_level.load(std::memory_order_relaxed);
  return level < 0 ? simdBestLevel() : static_cast<SimdLevel>(level);
}

void setSimdLevel(SimdLevel level) {
  if (static_cast<int>(level) > static_cast<int>(simdBestLevel())) level = simdBestLevel();
  g_level.store(static_cast<int>(level), std::memory_order_relaxed);
}

void* algAlloc(size_t bytes) {
  if (!allocationAllowed()) return nullptr;
  return std::malloc(bytes ? bytes : 1);
}

void* algAllocZeroed(size_t bytes) {
  if (!allocationAllowed()) return nullptr;
  if (bytes == 0) bytes = 64;
  const size_t rounded = (bytes + 63) & ~static_cast<size_t>(63);
  void* p = std::aligned_alloc(64, rounded);
  if (p) std::memset(p, 0, rounded);
  return p;
}

void algFree(void* p) {
  std::free(p);
}

void algFailAllocAfter(int n) {
  g_failAfter.store(n < 0 ? -1 : n, std::memory_order_relaxed);
}

}  // namespace ostrel::alg
