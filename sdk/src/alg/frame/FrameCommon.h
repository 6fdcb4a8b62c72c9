// Shared internals of the frame algorithms: the choice between vector and scalar kernels and the
// allocation hook that lets tests make an allocation fail.
#pragma once

#include <cstddef>

namespace ostrel::alg {

// Kernel level. Every vector kernel has a scalar reference and gives bit-identical results.
enum class SimdLevel { Scalar = 0, Sse2 = 1, Avx2 = 2 };

// The level kernels use now: the best the processor supports unless lowered.
SimdLevel simdLevel();
// The best level this processor supports.
SimdLevel simdBestLevel();
// Selects a level (clamped to what the processor supports); for tests and benchmarks.
void setSimdLevel(SimdLevel level);

// Every heap block of the frame algorithms comes from here (malloc semantics), so that tests can
// make the n-th allocation fail.
void* frameAlloc(size_t bytes);
// After this call the n-th following frameAlloc (1 = the next) fails; 0 disarms. Not thread-safe:
// tests only.
void failNthFrameAlloc(int n);

}  // namespace ostrel::alg
