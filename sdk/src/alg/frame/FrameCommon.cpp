#include "alg/frame/FrameCommon.h"

#include <atomic>
#include <cstdlib>

namespace ostrel::alg {

namespace {

SimdLevel detectBest() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
  if (__builtin_cpu_supports("sse2")) return SimdLevel::Sse2;
#endif
  return SimdLevel::Scalar;
}

std::atomic<int> g_level{-1};
std::atomic<int> g_failCountdown{0};

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

void* frameAlloc(size_t bytes) {
  int n = g_failCountdown.load(std::memory_order_relaxed);
  if (n > 0) {
    g_failCountdown.store(n - 1, std::memory_order_relaxed);
    if (n == 1) return nullptr;
  }
  return std::malloc(bytes ? bytes : 1);
}

void failNthFrameAlloc(int n) {
  g_failCountdown.store(n < 0 ? 0 : n, std::memory_order_relaxed);
}

}  // namespace ostrel::alg
